#include "config/KeyBlocks.h"

#include "config/OpenSslLib.h"
#include "link/codecs/EnvBlock.h"

#include <openssl/core_names.h>
#include <openssl/err.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMaxBlock = 0xFFFF;  // the header's u16 total length

ByteVector BigEndian(EVP_PKEY* key, const char* param) {
    BIGNUM* raw = nullptr;
    if (!EVP_PKEY_get_bn_param(key, param, &raw)) return {};
    ByteVector out(static_cast<size_t>(BN_num_bytes(raw)));
    BN_bn2bin(raw, out.data());
    BN_clear_free(raw);
    return out;
}

// Right-aligns a number in its field; false (with the user's message) when it
// does not fit.
bool PutNumber(const ByteVector& number, size_t width, const char* what, uint8_t* field, std::string& error) {
    if (number.size() > width) {
        char text[64];
        std::snprintf(text, sizeof(text), "Invalid %s length [%d]", what, static_cast<int>(number.size()));
        error = text;
        return false;
    }
    std::memcpy(field + (width - number.size()), number.data(), number.size());
    return true;
}

// The walker reads a whole block; the dialog keeps only the record area, so
// it gets a header in front (the board's block length is a u16 anyway).
ByteVector AsBlock(const uint8_t* area, int areaLength) {
    size_t n = area && areaLength > 0 ? static_cast<size_t>(areaLength) : 0;
    ByteVector block(EnvBlock::kHeaderSize + n, 0);
    if (n) std::memcpy(&block[EnvBlock::kHeaderSize], area, n);
    EnvBlock::MakeHeader(block.data(), EnvBlock::kMagicCert,
                         static_cast<uint16_t>(std::min<size_t>(block.size(), kMaxBlock)));
    return block;
}

}  // namespace

bool CKeyBlocks::GetRsaPrimes(EVP_PKEY* key, RsaPrimes& out) {
    if (!key || !EVP_PKEY_is_a(key, "RSA")) return false;
    out.p = BigEndian(key, OSSL_PKEY_PARAM_RSA_FACTOR1);
    out.q = BigEndian(key, OSSL_PKEY_PARAM_RSA_FACTOR2);
    ERR_clear_error();
    return !out.p.empty() && !out.q.empty();
}

bool CKeyBlocks::GetDsaNumbers(EVP_PKEY* key, DsaNumbers& out) {
    if (!key || !EVP_PKEY_is_a(key, "DSA")) return false;
    out.p = BigEndian(key, OSSL_PKEY_PARAM_FFC_P);
    out.q = BigEndian(key, OSSL_PKEY_PARAM_FFC_Q);
    out.g = BigEndian(key, OSSL_PKEY_PARAM_FFC_G);
    out.priv = BigEndian(key, OSSL_PKEY_PARAM_PRIV_KEY);
    ERR_clear_error();
    return !out.p.empty() && !out.q.empty() && !out.g.empty() && !out.priv.empty();
}

bool CKeyBlocks::BuildKeyBlock(const RsaPrimes& rsa, const DsaNumbers* dsa, const uint8_t* certArea, int areaLength,
                               ByteVector& block, std::string& error) {
    ByteVector out;
    EnvBlock::Begin(out);
    uint8_t primes[258] = {};  // P, Q and two zero bytes before the CRC
    if (!PutNumber(rsa.p, 128, "RSA P", primes, error) || !PutNumber(rsa.q, 128, "RSA Q", primes + 128, error))
        return false;
    EnvBlock::AppendRecord(out, kKeyType, kSubRsa, primes, sizeof(primes));
    if (dsa) {
        uint8_t numbers[298] = {};  // p, q, g, private key and two zero bytes
        if (!PutNumber(dsa->p, 128, "DSA P", numbers, error) || !PutNumber(dsa->q, 20, "DSA Q", numbers + 128, error) ||
            !PutNumber(dsa->g, 128, "DSA G", numbers + 148, error) ||
            !PutNumber(dsa->priv, 20, "DSA PRIV. KEY", numbers + 276, error))
            return false;
        EnvBlock::AppendRecord(out, kKeyType, kSubDsa, numbers, sizeof(numbers));
    }
    // The board's own records go back unchanged, in the order found; a record
    // that claims more than is left, or too little to be one, ends the walk.
    ByteVector board = AsBlock(certArea, areaLength);
    EnvBlock::CEnvRecordWalker walker(board.data(), board.size());
    EnvBlock::EnvRecord r;
    size_t wanted = out.size();
    while (walker.Next(r) == EnvBlock::CEnvRecordWalker::Step::Record) {
        if (r.type != kKeyType || (r.sub != kSubKept7 && r.sub != kSubKept8)) continue;
        wanted += r.length;
        if (wanted <= kMaxBlock) EnvBlock::AppendRaw(out, &board[r.offset], r.length);
    }
    if (wanted > kMaxBlock) {
        error = "Invalid key block length [" + std::to_string(wanted) + "]";
        return false;
    }
    EnvBlock::Finish(out, kKeyMagic);
    block = std::move(out);
    return true;
}

bool CKeyBlocks::BuildCertBlock(const ByteVector& der, ByteVector& block, std::string& error) {
    ByteVector out;
    EnvBlock::Begin(out);
    if (der.empty() || !EnvBlock::AppendRecord(out, kKeyType, kSubCert, der.data(), der.size())) {
        error = "Invalid certificate length [" + std::to_string(der.size()) + "]";
        return false;
    }
    EnvBlock::Finish(out, kCertMagic);
    block = std::move(out);
    return true;
}

int CKeyBlocks::FindCertificate(const uint8_t* area, int areaLength, ByteVector& der) {
    der.clear();
    if (!area || areaLength <= 0) return 0;
    ByteVector block = AsBlock(area, areaLength);
    EnvBlock::CEnvRecordWalker walker(block.data(), block.size());
    for (;;) {
        EnvBlock::EnvRecord r;
        EnvBlock::CEnvRecordWalker::Step step = walker.Next(r);
        bool certificate = r.type == kKeyType && r.sub == kSubCert;
        if (step == EnvBlock::CEnvRecordWalker::Step::Bad) {
            // A zero length or a record past the end holds no certificate,
            // unless it is the certificate's own record, which is damaged.
            return certificate && r.length != 0 ? -1 : 0;
        }
        if (step != EnvBlock::CEnvRecordWalker::Step::Record) return 0;
        if (!certificate) continue;
        if (!EnvBlock::CheckRecordCrc(block.data(), r)) return -1;
        const uint8_t* data = &block[r.DataOffset()];
        der.assign(data, data + r.DataLength());
        return static_cast<int>(r.DataLength());
    }
}

bool CKeyBlocks::PrepareUpload(X509* cert, EVP_PKEY* rsa, EVP_PKEY* dsa, const CertBlockCopy& boardCerts,
                               CertUploadBlocks& out, std::string& error) {
    out = CertUploadBlocks{};
    // Asked for its length first: a certificate of any size is encoded whole.
    int derLength = cert ? i2d_X509(cert, nullptr) : -1;
    if (derLength <= 0) {
        error = "Invalid certificate length [" + std::to_string(derLength < 0 ? 0 : derLength) + "]";
        ERR_clear_error();
        return false;
    }
    ByteVector der(static_cast<size_t>(derLength));
    unsigned char* p = der.data();
    if (i2d_X509(cert, &p) != derLength) {
        error = "Invalid certificate length [" + std::to_string(derLength) + "]";
        ERR_clear_error();
        return false;
    }
    RsaPrimes primes;
    if (!GetRsaPrimes(rsa, primes)) {
        error = "Invalid RSA P length [0]";
        return false;
    }
    DsaNumbers numbers;
    if (dsa && !GetDsaNumbers(dsa, numbers)) {
        error = "Invalid DSA P length [0]";
        return false;
    }
    int areaLength = boardCerts.length > 0 ? boardCerts.length : 0;
    if (static_cast<size_t>(areaLength) > boardCerts.records.size())
        areaLength = static_cast<int>(boardCerts.records.size());
    CertUploadBlocks blocks;
    if (!BuildKeyBlock(primes, dsa ? &numbers : nullptr, boardCerts.records.data(), areaLength, blocks.keyBlock,
                       error) ||
        !BuildCertBlock(der, blocks.certBlock, error))
        return false;
    out = std::move(blocks);
    return true;
}
