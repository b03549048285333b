// "ID/Password": the 802.1X identity (mode 0 ID only, 1 ID and password) and
// the pass phrase of certificate and key files (mode 100, password only).
#pragma once

#include "framework/Dialog.h"

class CDlgSettingWLANIDPW : public CDialog {
public:
    enum { kIdOnly = 0, kIdAndPassword = 1, kPasswordOnly = 100 };
    explicit CDlgSettingWLANIDPW(HWND parent);

    int m_mode = -1;
    CString m_id;
    CString m_password;
    int m_idLimit = 32;
    int m_passwordLimit = 32;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
