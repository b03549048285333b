// Asks for the name of a script variable to watch (mode 0), or a new name
// for a watch row (mode 1). The accepted name always begins with "$".
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDlgAddWatch : public CDialog {
public:
    explicit CDlgAddWatch(HWND parent = nullptr);
    CString m_name;  // in: the current name (mode 1); out: the accepted name
    int m_mode = 0;  // 0 add, 1 edit
    CEdit m_edit;
    static constexpr int kTypedLimit = 4096;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};
