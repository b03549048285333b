// What the certificate code needs around libcrypto: the providers loaded once,
// owning pointers for its objects, and the error queue as text.
#pragma once

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

namespace ossl {

struct FreeX509 { void operator()(X509* p) const { X509_free(p); } };
struct FreePKey { void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); } };
struct FreeBio { void operator()(BIO* p) const { BIO_free(p); } };
struct FreePkcs12 { void operator()(PKCS12* p) const { PKCS12_free(p); } };
struct FreeBn { void operator()(BIGNUM* p) const { BN_free(p); } };
struct FreePKeyCtx { void operator()(EVP_PKEY_CTX* p) const { EVP_PKEY_CTX_free(p); } };

using X509Ptr = std::unique_ptr<X509, FreeX509>;
using PKeyPtr = std::unique_ptr<EVP_PKEY, FreePKey>;
using BioPtr = std::unique_ptr<BIO, FreeBio>;
using Pkcs12Ptr = std::unique_ptr<PKCS12, FreePkcs12>;
using BnPtr = std::unique_ptr<BIGNUM, FreeBn>;
using PKeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, FreePKeyCtx>;

}  // namespace ossl

class COpenSslLib {
public:
    // Loads the default provider and, beside it, the legacy one, so that
    // PKCS#12 files with RC2-40 and PEM keys under DES-CBC still open. Safe to
    // call again; false when the default provider cannot be loaded. OpenSSL 3
    // starts and cleans up by itself: no other start-up or clean-up calls.
    static bool Start();
    static bool HasLegacy();

    // Takes every error from the thread's queue, one line each ("" when empty).
    static std::string TakeErrors();
    // The reason of the newest error with its data ("string too long maxsize=64"),
    // the queue cleared; "" when empty.
    static std::string TakeLastReason();
    // A read-only memory BIO over bytes the caller keeps alive.
    static ossl::BioPtr MemReader(const std::string& bytes);
    // Everything written into a memory BIO.
    static std::string BioText(BIO* bio);
};
