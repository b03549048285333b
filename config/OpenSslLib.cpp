#include "config/OpenSslLib.h"

#include <openssl/err.h>
#include <openssl/provider.h>

#include <climits>

namespace {
OSSL_PROVIDER* g_default = nullptr;
OSSL_PROVIDER* g_legacy = nullptr;
}  // namespace

bool COpenSslLib::Start() {
    // Loading a provider by name switches off the automatic loading of the
    // default one, so both are loaded explicitly.
    if (!g_default) g_default = OSSL_PROVIDER_load(nullptr, "default");
    if (!g_legacy) g_legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    ERR_clear_error();  // a missing legacy module is not an error of the caller's
    return g_default != nullptr;
}

bool COpenSslLib::HasLegacy() { return g_legacy != nullptr; }

std::string COpenSslLib::TakeErrors() {
    ossl::BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio) {
        ERR_clear_error();
        return {};
    }
    ERR_print_errors(bio.get());
    return BioText(bio.get());
}

std::string COpenSslLib::TakeLastReason() {
    const char* data = nullptr;
    int flags = 0;
    unsigned long code = ERR_peek_last_error_data(&data, &flags);
    std::string text;
    if (code != 0) {
        const char* reason = ERR_reason_error_string(code);
        text = reason ? reason : "error";
        if (data && *data && (flags & ERR_TXT_STRING)) text += std::string(" ") + data;
    }
    ERR_clear_error();
    return text;
}

ossl::BioPtr COpenSslLib::MemReader(const std::string& bytes) {
    if (bytes.size() > static_cast<size_t>(INT_MAX)) return nullptr;
    return ossl::BioPtr(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
}

std::string COpenSslLib::BioText(BIO* bio) {
    char* data = nullptr;
    long n = BIO_get_mem_data(bio, &data);
    return n > 0 && data ? std::string(data, static_cast<size_t>(n)) : std::string();
}
