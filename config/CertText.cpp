#include "config/CertText.h"

#include "config/CountryTable.h"
#include "config/OpenSslLib.h"

#include <openssl/err.h>

namespace {

// The text shown is cut at what the dialog's read buffer held.
constexpr size_t kReadLimit = 9999;

std::string Cut(std::string text) {
    if (text.size() > kReadLimit) text.resize(kReadLimit);
    return text;
}

std::string CrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string ObjectText(const ASN1_OBJECT* obj) {
    ossl::BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || !obj) return {};
    i2a_ASN1_OBJECT(bio.get(), obj);
    return Cut(COpenSslLib::BioText(bio.get()));
}

std::string TimeText(const ASN1_TIME* t) {
    ossl::BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || !t) return {};
    ASN1_TIME_print(bio.get(), t);
    return Cut(COpenSslLib::BioText(bio.get()));
}

}  // namespace

std::string CCertText::FormatName(X509_NAME* name) {
    ossl::BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || !name) return {};
    // Multi-line, but with UTF-8 left as it is rather than escaped byte by byte,
    // so Korean names stay readable.
    unsigned long flags = (XN_FLAG_MULTILINE & ~ASN1_STRFLGS_ESC_MSB) | ASN1_STRFLGS_UTF8_CONVERT;
    X509_NAME_print_ex(bio.get(), name, 4, flags);
    std::string text = Cut(COpenSslLib::BioText(bio.get()));
    size_t key = text.find("countryName");
    if (key != std::string::npos) {
        size_t eq = text.find("= ", key);
        if (eq != std::string::npos && eq + 4 <= text.size()) {
            std::string code = text.substr(eq + 2, 2);
            text.insert(eq + 4, " - " + CountryNameFromCode(code));
        }
    }
    return CrLf(text);
}

std::string CCertText::Format(X509* cert) {
    std::string out;
    if (!cert) return out;
    X509_NAME* issuer = X509_get_issuer_name(cert);
    if (issuer && X509_NAME_entry_count(issuer) > 0) out += "Issuer :\r\n" + FormatName(issuer) + "\r\n\r\n";
    out += "Validity\r\n";
    out += "    Not Before : " + TimeText(X509_get0_notBefore(cert)) + "\r\n";
    out += "    Not After  : " + TimeText(X509_get0_notAfter(cert)) + "\r\n\r\n";
    if (X509_NAME* subject = X509_get_subject_name(cert)) out += "Subject :\r\n" + FormatName(subject) + "\r\n\r\n";
    const X509_ALGOR* sigAlg = nullptr;
    X509_get0_signature(nullptr, &sigAlg, cert);
    const ASN1_OBJECT* sigObj = nullptr;
    if (sigAlg) X509_ALGOR_get0(&sigObj, nullptr, nullptr, sigAlg);
    out += "Algorithm : " + ObjectText(sigObj) + "\r\n\r\n";
    out += "Subject Public Key Info :\r\n";
    ASN1_OBJECT* keyObj = nullptr;
    X509_PUBKEY_get0_param(&keyObj, nullptr, nullptr, nullptr, X509_get_X509_PUBKEY(cert));
    out += "    Public Key Algorithm: " + ObjectText(keyObj) + "\r\n";
    if (EVP_PKEY* key = X509_get0_pubkey(cert)) {
        ossl::BioPtr bio(BIO_new(BIO_s_mem()));
        if (bio) {
            EVP_PKEY_print_public(bio.get(), key, 0, nullptr);
            out += CrLf(Cut(COpenSslLib::BioText(bio.get()))) + "\r\n";
        }
    }
    ERR_clear_error();
    return out;
}
