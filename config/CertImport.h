// The CA-signed road: a certificate and its RSA key read from PEM, DER or
// PKCS#12 bytes, with the user asked for pass phrases.
#pragma once

#include "config/CertMaker.h"

#include <string>

class IPassPhrasePrompt {
public:
    virtual ~IPassPhrasePrompt() = default;
    // False when the user cancelled.
    virtual bool Ask(std::string& phrase) = 0;
};

// The user pointer of PemPasswordCallback: who asks, and what was entered last.
struct PassPhraseRequest {
    explicit PassPhraseRequest(IPassPhrasePrompt* p) : prompt(p) {}
    IPassPhrasePrompt* prompt;
    char phrase[256] = {};
    int asked = 0;
    bool cancelled = false;
};

// OpenSSL's pem_password_cb: the length of the phrase put into buf (bounded by
// size, terminated when there is room), 0 when cancelled or nobody can ask.
int PemPasswordCallback(char* buf, int size, int rwflag, void* user);

enum class CertFormat { None, Der, Pem, Pkcs12 };

enum class CertReadResult {
    Ok,
    Damaged,         // not a certificate in any form, or a PKCS#12 that does not open
    NoKeyInPkcs12,
    NoCertInPkcs12,
    Cancelled,       // the user cancelled the pass phrase
};

enum class KeyReadResult { Ok, NoKey, BadPassPhrase, Cancelled };

class CCertImport {
public:
    // Tries DER, then PEM, then PKCS#12 (whose pass phrase is asked only once the
    // bytes are known to be PKCS#12). keys.rsa is filled for PKCS#12 only.
    static CertReadResult ReadCertificate(const std::string& bytes, IPassPhrasePrompt& prompt,
                                          CertFormat& format, CertKeys& keys);
    // The key held in the certificate's own file: DER or PEM by the format found.
    static KeyReadResult ReadKeyBeside(const std::string& bytes, CertFormat format, IPassPhrasePrompt& prompt,
                                       ossl::PKeyPtr& key);
    // A key file of its own: DER, then PEM.
    static KeyReadResult ReadKeyFile(const std::string& bytes, IPassPhrasePrompt& prompt, ossl::PKeyPtr& key);
    // An RSA key with its primes that belongs to the certificate.
    static bool IsUsableRsaKey(X509* cert, EVP_PKEY* key);
};
