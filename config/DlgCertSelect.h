// "Select a certificate.": a certificate file, or the RSA key file when the
// certificate's file held none.
#pragma once

#include "framework/Dialog.h"

class CDlgCertSelect : public CDialog {
public:
    enum { kCertificate = 0, kRsaKey = 1 };
    explicit CDlgCertSelect(HWND parent);

    CString m_path;
    int m_mode = kCertificate;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnOpen();
    void SetPath(const char* path);
};
