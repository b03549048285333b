// "Certificate and Host Key": make a self-signed certificate, import a
// CA-signed one, or read the board's back.
#pragma once

#include "framework/Dialog.h"

class CDlgCert : public CDialog {
public:
    enum { kSelfSigned = 1, kCaSigned = 2, kReadFromProduct = 3 };
    explicit CDlgCert(HWND parent);

    int m_productCert = 0;  // in: the board holds a certificate and keys
    int m_choice = 0;       // out

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
