#include "config/CertImport.h"

#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/pem.h>

#include <algorithm>
#include <cstring>

int PemPasswordCallback(char* buf, int size, int rwflag, void* user) {
    auto* request = static_cast<PassPhraseRequest*>(user);
    if (!buf || size <= 0 || !request || !request->prompt) return 0;
    ++request->asked;
    std::string phrase;
    if (!request->prompt->Ask(phrase)) {
        request->cancelled = true;
        return 0;
    }
    size_t n = std::min(phrase.size(), sizeof(request->phrase) - 1);
    std::memset(request->phrase, 0, sizeof(request->phrase));
    std::memcpy(request->phrase, phrase.data(), n);
    // OpenSSL's buffer needs no terminator; give one when it fits.
    size_t m = std::min(n, static_cast<size_t>(size));
    std::memcpy(buf, phrase.data(), m);
    if (m < static_cast<size_t>(size)) buf[m] = '\0';
    OPENSSL_cleanse(&phrase[0], phrase.size());
    return static_cast<int>(m);
}

namespace {

ossl::PKeyPtr ReadDerKey(const std::string& bytes) {
    ossl::BioPtr bio = COpenSslLib::MemReader(bytes);
    return ossl::PKeyPtr(bio ? d2i_PrivateKey_bio(bio.get(), nullptr) : nullptr);
}

KeyReadResult ReadPemKey(const std::string& bytes, IPassPhrasePrompt& prompt, ossl::PKeyPtr& key) {
    ossl::BioPtr bio = COpenSslLib::MemReader(bytes);
    PassPhraseRequest request(&prompt);
    if (bio) key.reset(PEM_read_bio_PrivateKey(bio.get(), nullptr, PemPasswordCallback, &request));
    OPENSSL_cleanse(request.phrase, sizeof(request.phrase));
    ERR_clear_error();
    if (key) return KeyReadResult::Ok;
    if (request.cancelled) return KeyReadResult::Cancelled;
    // Asked and still unreadable: the key is there but the phrase was wrong.
    return request.asked ? KeyReadResult::BadPassPhrase : KeyReadResult::NoKey;
}

}  // namespace

CertReadResult CCertImport::ReadCertificate(const std::string& bytes, IPassPhrasePrompt& prompt,
                                            CertFormat& format, CertKeys& keys) {
    COpenSslLib::Start();
    keys = CertKeys{};
    format = CertFormat::None;
    {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
        keys.cert.reset(d2i_X509(nullptr, &p, static_cast<long>(bytes.size())));
        if (keys.cert) {
            format = CertFormat::Der;
            return CertReadResult::Ok;
        }
    }
    {
        ossl::BioPtr bio = COpenSslLib::MemReader(bytes);
        PassPhraseRequest request(&prompt);
        if (bio) keys.cert.reset(PEM_read_bio_X509(bio.get(), nullptr, PemPasswordCallback, &request));
        if (keys.cert) {
            ERR_clear_error();
            format = CertFormat::Pem;
            return CertReadResult::Ok;
        }
        if (request.cancelled) return CertReadResult::Cancelled;
    }
    ossl::BioPtr bio = COpenSslLib::MemReader(bytes);
    ossl::Pkcs12Ptr p12(bio ? d2i_PKCS12_bio(bio.get(), nullptr) : nullptr);
    if (!p12) {
        ERR_clear_error();
        return CertReadResult::Damaged;
    }
    std::string phrase;
    if (!prompt.Ask(phrase)) return CertReadResult::Cancelled;
    phrase.resize(std::min<size_t>(phrase.size(), 255));
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    int parsed = PKCS12_parse(p12.get(), phrase.c_str(), &key, &cert, &chain);
    OPENSSL_cleanse(&phrase[0], phrase.size());
    keys.rsa.reset(key);
    keys.cert.reset(cert);
    sk_X509_pop_free(chain, X509_free);
    ERR_clear_error();
    if (!parsed) return CertReadResult::Damaged;
    if (!keys.rsa) return CertReadResult::NoKeyInPkcs12;
    if (!keys.cert) return CertReadResult::NoCertInPkcs12;
    format = CertFormat::Pkcs12;
    return CertReadResult::Ok;
}

KeyReadResult CCertImport::ReadKeyBeside(const std::string& bytes, CertFormat format, IPassPhrasePrompt& prompt,
                                         ossl::PKeyPtr& key) {
    key.reset();
    if (format == CertFormat::Der) {
        key = ReadDerKey(bytes);
        ERR_clear_error();
        return key ? KeyReadResult::Ok : KeyReadResult::NoKey;
    }
    if (format == CertFormat::Pem) return ReadPemKey(bytes, prompt, key);
    return KeyReadResult::NoKey;
}

KeyReadResult CCertImport::ReadKeyFile(const std::string& bytes, IPassPhrasePrompt& prompt, ossl::PKeyPtr& key) {
    COpenSslLib::Start();
    key = ReadDerKey(bytes);
    ERR_clear_error();
    if (key) return KeyReadResult::Ok;
    return ReadPemKey(bytes, prompt, key);
}

bool CCertImport::IsUsableRsaKey(X509* cert, EVP_PKEY* key) {
    if (!cert || !key || !EVP_PKEY_is_a(key, "RSA")) return false;
    BIGNUM* p = nullptr;
    BIGNUM* q = nullptr;
    bool primes = EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_RSA_FACTOR1, &p) &&
                  EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_RSA_FACTOR2, &q);
    BN_clear_free(p);
    BN_clear_free(q);
    bool ok = primes && X509_check_private_key(cert, key) == 1;
    ERR_clear_error();
    return ok;
}
