// The whole value of a watched string as a hex dump, 16 bytes a line.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDlgWatchDetail : public CDialog {
public:
    explicit CDlgWatchDetail(HWND parent = nullptr);
    CString m_fullValue;  // two hex digits a byte; set before DoModal
    CFont m_font;
    CEdit m_edit;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
};
