// "Certificate Information": a certificate as text; in the import it asks
// whether to use it.
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"

#include <openssl/x509.h>

class CDlgCertInfo : public CDialog {
public:
    enum { kShow = 0, kAsk = 1 };
    explicit CDlgCertInfo(HWND parent);

    X509* m_cert = nullptr;  // not owned
    int m_mode = kShow;
    CFont m_font;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
};
