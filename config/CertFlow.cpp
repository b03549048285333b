#include "config/CertFlow.h"

#include "config/AnsiText.h"
#include "config/CertImport.h"
#include "config/DlgCert.h"
#include "config/DlgCertInfo.h"
#include "config/DlgCertMake.h"
#include "config/DlgCertSelect.h"
#include "config/DlgSettingWLANIDPW.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/WindowMessages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Pass phrases go to OpenSSL in UTF-8: PKCS#12 turns them into Unicode that
// way, and ASCII phrases read the same either way.
class DialogPassPhrasePrompt : public IPassPhrasePrompt {
public:
    explicit DialogPassPhrasePrompt(HWND owner) : m_owner(owner) {}
    bool Ask(std::string& phrase) override {
        CDlgSettingWLANIDPW dlg(m_owner);
        dlg.m_mode = CDlgSettingWLANIDPW::kPasswordOnly;
        dlg.m_passwordLimit = 255;
        if (dlg.DoModal() != IDOK) return false;
        phrase = AnsiToUtf8(dlg.m_password.str());
        return true;
    }

private:
    HWND m_owner;
};

}  // namespace

CCertFlow::CCertFlow(CDialog& settings, CertBlockCopy& boardCerts, bool keyBlockPresent, uint32_t ipv4Address)
    : m_files(&m_stdFiles),
      m_settings(settings),
      m_boardCerts(boardCerts),
      m_keyBlockPresent(keyBlockPresent),
      m_ipv4(ipv4Address) {}

std::string CCertFlow::DottedAddress(uint32_t ipv4Address) {
    uint8_t b[4];
    std::memcpy(b, &ipv4Address, 4);
    char text[16];
    std::snprintf(text, sizeof(text), "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

bool CCertFlow::SettingsAlive() const { return m_settings.m_hWnd && ::IsWindow(m_settings.m_hWnd); }

void CCertFlow::Warn(UINT stringId) { ShowMessage(m_settings.m_hWnd, stringId, MB_ICONEXCLAMATION); }

void CCertFlow::WarnText(const std::string& text) {
    ShowMessageText(m_settings.m_hWnd, Utf8ToAnsi(text).c_str(), MB_ICONEXCLAMATION);
}

bool CCertFlow::ReadFile(const std::string& path, std::string& bytes) {
    const uint32_t err = m_files->ReadFile(path, bytes);
    if (err != 0) {
        // The reader opens the file before it looks at its size: a big file
        // did open, and saying so would send the user looking for the wrong fault.
        Warn(err == ILinkFiles::kErrTooLarge ? IDS_CERT_FILE_TOO_LARGE : IDS_FILE_OPEN_FAILED);
        return false;
    }
    return true;
}

void CCertFlow::Run() {
    COpenSslLib::Start();
    CDlgCert choice(m_settings.m_hWnd);
    choice.m_productCert = m_boardCerts.length > 0 && m_keyBlockPresent ? 1 : 0;
    if (choice.DoModal() != IDOK || !SettingsAlive()) return;
    switch (choice.m_choice) {
    case CDlgCert::kSelfSigned:
        MakeSelfSigned();
        break;
    case CDlgCert::kCaSigned: {
        CDlgCertSelect select(m_settings.m_hWnd);
        select.m_mode = CDlgCertSelect::kCertificate;
        if (select.DoModal() == IDOK && SettingsAlive()) ImportSigned(select.m_path.str());
        break;
    }
    case CDlgCert::kReadFromProduct:
        ShowBoardCertificate();
        break;
    }
}

void CCertFlow::MakeSelfSigned() {
    CDlgCertMake form(m_settings.m_hWnd);
    form.m_commonName = DottedAddress(m_ipv4).c_str();
    if (form.DoModal() != IDOK || !SettingsAlive()) return;
    CertKeys keys;
    std::string error;
    if (!CCertMaker::MakeSelfSigned(form.Subject(), form.m_keyBits, keys, error)) {
        WarnText(error);
        return;
    }
    Upload(keys.cert.get(), keys.rsa.get(), keys.dsa.get());
}

void CCertFlow::ImportSigned(const std::string& path) {
    std::string bytes;
    if (!ReadFile(path, bytes)) return;
    DialogPassPhrasePrompt prompt(m_settings.m_hWnd);
    CertFormat format;
    CertKeys keys;
    switch (CCertImport::ReadCertificate(bytes, prompt, format, keys)) {
    case CertReadResult::Ok:
        break;
    case CertReadResult::Damaged:
        Warn(IDS_CERT_ERROR);
        return;
    case CertReadResult::NoKeyInPkcs12:
        Warn(IDS_RSA_KEY_NOT_FOUND);
        return;
    case CertReadResult::NoCertInPkcs12:
        Warn(IDS_CERT_NOT_FOUND);
        return;
    case CertReadResult::Cancelled:
        return;
    }
    if (!SettingsAlive()) return;
    CDlgCertInfo info(m_settings.m_hWnd);
    info.m_cert = keys.cert.get();
    info.m_mode = CDlgCertInfo::kAsk;
    if (info.DoModal() != IDOK || !SettingsAlive()) return;

    ossl::PKeyPtr key = std::move(keys.rsa);
    if (!key) {
        KeyReadResult got = CCertImport::ReadKeyBeside(bytes, format, prompt, key);
        if (got == KeyReadResult::NoKey) {
            CDlgCertSelect select(m_settings.m_hWnd);
            select.m_mode = CDlgCertSelect::kRsaKey;
            if (select.DoModal() != IDOK || !SettingsAlive()) return;
            std::string keyBytes;
            if (!ReadFile(select.m_path.str(), keyBytes)) return;
            got = CCertImport::ReadKeyFile(keyBytes, prompt, key);
        }
        if (got == KeyReadResult::Cancelled || !SettingsAlive()) return;
        if (got != KeyReadResult::Ok) {
            Warn(IDS_RSA_KEY_ERROR);
            return;
        }
    }
    // Only the certificate's own RSA key with its primes can go to the board.
    if (!CCertImport::IsUsableRsaKey(keys.cert.get(), key.get())) {
        Warn(IDS_RSA_KEY_ERROR);
        return;
    }
    Upload(keys.cert.get(), key.get(), nullptr);
}

void CCertFlow::ShowBoardCertificate() {
    ByteVector der;
    int n = CKeyBlocks::FindCertificate(m_boardCerts.records.data(),
                                        std::min<int>(m_boardCerts.length, static_cast<int>(m_boardCerts.records.size())),
                                        der);
    if (n == 0) {
        Warn(IDS_NO_CERT_IN_PRODUCT);
        return;
    }
    if (n < 0) {
        Warn(IDS_CERT_ERROR);
        return;
    }
    const unsigned char* p = der.data();
    ossl::X509Ptr cert(d2i_X509(nullptr, &p, n));
    if (!cert) {
        COpenSslLib::TakeErrors();
        Warn(IDS_CERT_ERROR);
        return;
    }
    CDlgCertInfo info(m_settings.m_hWnd);
    info.m_cert = cert.get();
    info.m_mode = CDlgCertInfo::kShow;
    info.DoModal();
}

int CCertFlow::Upload(X509* cert, EVP_PKEY* rsa, EVP_PKEY* dsa) {
    CertUploadBlocks blocks;
    std::string error;
    if (!CKeyBlocks::PrepareUpload(cert, rsa, dsa, m_boardCerts, blocks, error)) {
        WarnText(error);
        return 0;
    }
    // The dialog stays disabled while the main window waits for the board (it
    // runs the messages meanwhile); the blocks are ours, not the dialog's.
    m_settings.EnableWindow(FALSE);
    HWND settings = m_settings.m_hWnd;
    HWND target = ::GetParent(settings);
    bool written = ::SendMessageA(target, WM_USER_WRITE_KEY_BLOCK, reinterpret_cast<WPARAM>(blocks.keyBlock.data()),
                                  static_cast<LPARAM>(blocks.keyBlock.size())) != 0;
    if (!::IsWindow(settings)) return 0;
    // The certificate never goes without its key.
    if (written)
        written = ::SendMessageA(target, WM_USER_WRITE_CERT_BLOCK, reinterpret_cast<WPARAM>(blocks.certBlock.data()),
                                 static_cast<LPARAM>(blocks.certBlock.size())) != 0;
    if (!::IsWindow(settings)) return 0;
    if (written)
        m_readBackStarted =
            ::SendMessageA(target, WM_USER_READ_CERT_BLOCK, reinterpret_cast<WPARAM>(&m_settings), 0) != 0;
    if (!::IsWindow(settings)) return 0;
    Warn(written ? IDS_CERT_SAVED : IDS_CERT_SAVE_FAILED);
    if (::IsWindow(settings)) m_settings.EnableWindow(TRUE);
    return written ? 1 : 0;
}
