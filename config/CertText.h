// A certificate as the text the information dialog shows: issuer, validity,
// subject, signature algorithm and public key, lines joined with "\r\n".
#pragma once

#include <openssl/x509.h>

#include <string>

class CCertText {
public:
    // Name texts are UTF-8; the dialog converts them for the ANSI edit.
    static std::string Format(X509* cert);
    // A multi-line name with " - <country name>" after its country code.
    static std::string FormatName(X509_NAME* name);
};
