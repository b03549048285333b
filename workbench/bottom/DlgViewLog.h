// One long text (the board's error log) in a read-only edit.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDlgViewLog : public CDialog {
public:
    explicit CDlgViewLog(HWND parent = nullptr);
    CString m_text;  // set before DoModal
    CEdit m_edit;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
};
