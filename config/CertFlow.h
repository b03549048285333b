// The Settings dialog's "Certificate" button: the choice, then making a
// self-signed certificate, importing a CA-signed one, or showing the board's,
// and the upload of the key and certificate blocks through the dialog's
// parent (the main window does the board's side).
#pragma once

#include "framework/Dialog.h"  // before OpenSSL (X509_NAME of wincrypt.h)
#include "link/LinkFiles.h"

#include "config/KeyBlocks.h"

#include <cstdint>
#include <string>

class CCertFlow {
public:
    // settings: the Settings dialog, owner of every box; its parent window gets
    // the block messages with the dialog itself as the read request's wParam.
    // boardCerts: the dialog's copy of the board's certificate records, which
    // the main window refills after each read.
    CCertFlow(CDialog& settings, CertBlockCopy& boardCerts, bool keyBlockPresent, uint32_t ipv4Address);

    void Run();

    void MakeSelfSigned();
    void ImportSigned(const std::string& path);
    void ShowBoardCertificate();
    // 1 when both blocks were written, 0 when refused or a write failed.
    int Upload(X509* cert, EVP_PKEY* rsa, EVP_PKEY* dsa);

    // The IPv4 address (network byte order) as dotted text.
    static std::string DottedAddress(uint32_t ipv4Address);

    ILinkFiles* m_files;
    // The board's certificate block was asked for again after a write.
    bool m_readBackStarted = false;

private:
    bool SettingsAlive() const;
    bool ReadFile(const std::string& path, std::string& bytes);
    void Warn(UINT stringId);
    void WarnText(const std::string& text);

    CDialog& m_settings;
    CertBlockCopy& m_boardCerts;
    bool m_keyBlockPresent;
    uint32_t m_ipv4;
    CStdLinkFiles m_stdFiles;
};
