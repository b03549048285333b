// The self-signed road: a new RSA key, an X.509 v3 certificate for it signed by
// itself, and a new DSA host key.
#pragma once

#include "config/OpenSslLib.h"

#include <string>

// Subject texts in UTF-8 (the dialog converts them from the ANSI code page).
struct CertSubject {
    std::string country;  // two-letter code
    std::string state;
    std::string locality;
    std::string organisation;
    std::string unit;
    std::string commonName;
    std::string email;
};

// The X.509 upper bounds of the subject fields, in characters; the form's
// edits are limited to them.
enum : int { kCertNameLimit = 64, kCertPlaceLimit = 128 };

struct CertKeys {
    ossl::X509Ptr cert;
    ossl::PKeyPtr rsa;
    ossl::PKeyPtr dsa;  // null for an imported certificate
};

class CCertMaker {
public:
    static constexpr long kValiditySeconds = 31536000;  // 365 days

    // Fills keys; on failure error holds a text for the user (a refused
    // subject field names the field and OpenSSL's reason).
    static bool MakeSelfSigned(const CertSubject& subject, int rsaBits, CertKeys& keys, std::string& error);

    // 1024-bit p with an explicit 160-bit q: OpenSSL 3 otherwise picks a
    // 224-bit q, which the key block's 20-byte field cannot hold.
    static ossl::PKeyPtr MakeDsaKey();
    static ossl::PKeyPtr MakeRsaKey(int bits);
    // Adds the subject entries in the board's order (C, ST, L, O, OU, CN, e-mail).
    static bool BuildName(X509_NAME* name, const CertSubject& subject, std::string& error);
};
