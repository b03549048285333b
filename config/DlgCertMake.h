// "Self Signed Certificate": the subject and the RSA key length. The subject
// is checked as OpenSSL will take it before the form closes.
#pragma once

// <windows.h> before OpenSSL: wincrypt.h defines X509_NAME, which OpenSSL
// undefines only when its own headers come second.
#include "framework/Controls.h"
#include "framework/Dialog.h"

#include "config/CertMaker.h"

class CDlgCertMake : public CDialog {
public:
    explicit CDlgCertMake(HWND parent);

    // ANSI texts, as the edits hold them.
    CString m_commonName;
    CString m_state;
    CString m_locality;
    CString m_organisation;
    CString m_unit;
    CString m_email;
    int m_keyBits = 1024;
    CString m_countryCode;
    CString m_countryName;

    // The subject in UTF-8.
    CertSubject Subject() const;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    CComboBox m_bits;
    CComboBox m_country;
};
