#include "config/CertMaker.h"

#include <openssl/asn1.h>
#include <openssl/dsa.h>
#include <openssl/err.h>
#include <openssl/x509v3.h>

namespace {

struct SubjectField {
    const char* field;
    const char* label;  // for the user's message
    std::string CertSubject::*text;
    unsigned long mask;
    long minChars;
    long maxChars;
};

// Texts of printable characters keep the PrintableString the board has always
// been given; anything else is a UTF8String (the old T61String of raw
// code-page bytes was unreadable to every client). Country codes are
// PrintableString and e-mail addresses IA5String by their definitions.
constexpr unsigned long kDirectoryString = B_ASN1_PRINTABLESTRING | B_ASN1_UTF8STRING;

const SubjectField kFields[] = {
    {"C", "Country Name", &CertSubject::country, B_ASN1_PRINTABLESTRING, 2, 2},
    {"ST", "State or Province Name", &CertSubject::state, kDirectoryString, 1, kCertPlaceLimit},
    {"L", "Locality Name", &CertSubject::locality, kDirectoryString, 1, kCertPlaceLimit},
    {"O", "Organization Name", &CertSubject::organisation, kDirectoryString, 1, kCertNameLimit},
    {"OU", "Organizational Unit Name", &CertSubject::unit, kDirectoryString, 1, kCertNameLimit},
    {"CN", "Common Name", &CertSubject::commonName, kDirectoryString, 1, kCertNameLimit},
    {"emailAddress", "Email Address", &CertSubject::email, B_ASN1_IA5STRING, 1, kCertPlaceLimit},
};

struct FreeAsn1String {
    void operator()(ASN1_STRING* s) const { ASN1_STRING_free(s); }
};

}  // namespace

ossl::PKeyPtr CCertMaker::MakeRsaKey(int bits) {
    // Public exponent 65537, OpenSSL's default.
    return ossl::PKeyPtr(EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(bits)));
}

ossl::PKeyPtr CCertMaker::MakeDsaKey() {
    ossl::PKeyCtxPtr pctx(EVP_PKEY_CTX_new_from_name(nullptr, "DSA", nullptr));
    if (!pctx || EVP_PKEY_paramgen_init(pctx.get()) <= 0 ||
        EVP_PKEY_CTX_set_dsa_paramgen_bits(pctx.get(), 1024) <= 0 ||
        EVP_PKEY_CTX_set_dsa_paramgen_q_bits(pctx.get(), 160) <= 0)
        return nullptr;
    EVP_PKEY* params = nullptr;
    if (EVP_PKEY_paramgen(pctx.get(), &params) <= 0) return nullptr;
    ossl::PKeyPtr paramsOwner(params);
    ossl::PKeyCtxPtr kctx(EVP_PKEY_CTX_new_from_pkey(nullptr, params, nullptr));
    EVP_PKEY* key = nullptr;
    if (!kctx || EVP_PKEY_keygen_init(kctx.get()) <= 0 || EVP_PKEY_keygen(kctx.get(), &key) <= 0) return nullptr;
    return ossl::PKeyPtr(key);
}

bool CCertMaker::BuildName(X509_NAME* name, const CertSubject& subject, std::string& error) {
    for (const SubjectField& f : kFields) {
        const std::string& text = subject.*f.text;
        ASN1_STRING* raw = nullptr;
        // OpenSSL's own checks: length bounds and the characters of the type.
        int type = ASN1_mbstring_ncopy(&raw, reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()), MBSTRING_UTF8, f.mask, f.minChars, f.maxChars);
        std::unique_ptr<ASN1_STRING, FreeAsn1String> str(raw);
        if (type < 0 || !str ||
            !X509_NAME_add_entry_by_txt(name, f.field, type, ASN1_STRING_get0_data(str.get()),
                                        ASN1_STRING_length(str.get()), -1, 0)) {
            error = std::string(f.label) + " : " + COpenSslLib::TakeLastReason();
            return false;
        }
    }
    return true;
}

bool CCertMaker::MakeSelfSigned(const CertSubject& subject, int rsaBits, CertKeys& keys, std::string& error) {
    COpenSslLib::Start();
    ERR_clear_error();
    keys = CertKeys{};
    ossl::X509Ptr cert(X509_new());
    ossl::PKeyPtr rsa = MakeRsaKey(rsaBits);
    if (!cert || !rsa) {
        error = "RSA key : " + COpenSslLib::TakeLastReason();
        return false;
    }
    X509_NAME* name = X509_get_subject_name(cert.get());
    if (!BuildName(name, subject, error)) return false;
    bool ok = X509_set_version(cert.get(), X509_VERSION_3) &&
              ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 0) &&
              X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0) &&
              X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValiditySeconds) &&
              X509_set_pubkey(cert.get(), rsa.get()) && X509_set_issuer_name(cert.get(), name) &&
              X509_sign(cert.get(), rsa.get(), EVP_sha1()) > 0;
    if (!ok) {
        error = "Certificate : " + COpenSslLib::TakeLastReason();
        return false;
    }
    ossl::PKeyPtr dsa = MakeDsaKey();
    if (!dsa) {
        error = "DSA key : " + COpenSslLib::TakeLastReason();
        return false;
    }
    keys.cert = std::move(cert);
    keys.rsa = std::move(rsa);
    keys.dsa = std::move(dsa);
    return true;
}
