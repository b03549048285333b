// "ID/Password" of the board's user: set, change or delete it (mode 1), or
// give it at the login (mode 2). The ID is always "Admin".
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDlgUserPW : public CDialog {
public:
    enum { kModeSet = 1, kModeLogin = 2 };
    explicit CDlgUserPW(HWND parent);

    CEdit m_editPassword, m_editId, m_editRetype;
    CString m_id;
    CString m_password;     // in: preset text; out: the entered password
    int m_mode = 0;
    int m_deleteRequested = 0;
    int m_passwordGiven = 0;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnDelete();
};
