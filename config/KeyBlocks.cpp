#include "config/KeyBlocks.h"

#include "config/OpenSslLib.h"
#include "link/Crc16.h"

#include <openssl/core_names.h>
#include <openssl/err.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kBlockHeader = 16;
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

// ---- container (replaced by the link's EnvBlock) ----
void AppendRecord(ByteVector& records, uint8_t type, uint8_t sub, const uint8_t* data, size_t n) {
    size_t length = (n + 6 + 3) & ~size_t(3);
    size_t at = records.size();
    records.resize(at + length, 0);
    uint8_t* r = &records[at];
    r[0] = type;
    r[1] = sub;
    r[2] = static_cast<uint8_t>(length);
    r[3] = static_cast<uint8_t>(length >> 8);
    if (n) std::memcpy(r + 4, data, n);
    uint16_t crc = CalcCrc16(length - 2, r);
    r[length - 2] = static_cast<uint8_t>(crc);
    r[length - 1] = static_cast<uint8_t>(crc >> 8);
}

ByteVector MakeBlock(uint32_t magic, const ByteVector& records) {
    ByteVector block(kBlockHeader + records.size(), 0);
    size_t total = block.size();
    for (int i = 0; i < 4; ++i) block[i] = static_cast<uint8_t>(magic >> (8 * i));
    block[4] = static_cast<uint8_t>(total);
    block[5] = static_cast<uint8_t>(total >> 8);
    uint16_t crc = CalcCrc16(6, block.data());
    block[6] = static_cast<uint8_t>(crc);
    block[7] = static_cast<uint8_t>(crc >> 8);
    if (!records.empty()) std::memcpy(&block[kBlockHeader], records.data(), records.size());
    return block;
}

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
// ---- end of container ----

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
    ByteVector records;
    uint8_t primes[258] = {};  // P, Q and two zero bytes before the CRC
    if (!PutNumber(rsa.p, 128, "RSA P", primes, error) || !PutNumber(rsa.q, 128, "RSA Q", primes + 128, error))
        return false;
    AppendRecord(records, kKeyType, kSubRsa, primes, sizeof(primes));
    if (dsa) {
        uint8_t numbers[298] = {};  // p, q, g, private key and two zero bytes
        if (!PutNumber(dsa->p, 128, "DSA P", numbers, error) || !PutNumber(dsa->q, 20, "DSA Q", numbers + 128, error) ||
            !PutNumber(dsa->g, 128, "DSA G", numbers + 148, error) ||
            !PutNumber(dsa->priv, 20, "DSA PRIV. KEY", numbers + 276, error))
            return false;
        AppendRecord(records, kKeyType, kSubDsa, numbers, sizeof(numbers));
    }
    // The board's own records go back unchanged; a record that claims more
    // than is left, or too little for its head, ends the walk.
    for (int at = 0; certArea && at + 4 <= areaLength;) {
        const uint8_t* r = certArea + at;
        int length = ReadU16(r + 2);
        if (length < 4 || length > areaLength - at) break;
        if (r[0] == kKeyType && (r[1] == kSubKept7 || r[1] == kSubKept8)) records.insert(records.end(), r, r + length);
        at += length;
    }
    if (kBlockHeader + records.size() > kMaxBlock) {
        error = "Invalid key block length [" + std::to_string(kBlockHeader + records.size()) + "]";
        return false;
    }
    block = MakeBlock(kKeyMagic, records);
    return true;
}

bool CKeyBlocks::BuildCertBlock(const ByteVector& der, ByteVector& block, std::string& error) {
    size_t record = (der.size() + 6 + 3) & ~size_t(3);
    if (der.empty() || kBlockHeader + record > kMaxBlock) {
        error = "Invalid certificate length [" + std::to_string(der.size()) + "]";
        return false;
    }
    ByteVector records;
    AppendRecord(records, kKeyType, kSubCert, der.data(), der.size());
    block = MakeBlock(kCertMagic, records);
    return true;
}

int CKeyBlocks::FindCertificate(const uint8_t* area, int areaLength, ByteVector& der) {
    der.clear();
    if (!area || areaLength <= 0) return 0;
    for (int at = 0; at + 4 <= areaLength;) {
        const uint8_t* r = area + at;
        int length = ReadU16(r + 2);
        if (length == 0) return 0;
        int left = areaLength - at;
        if (r[0] == kKeyType && r[1] == kSubCert) {
            // Room for the head and the CRC, and nothing beyond the area.
            if (length < 6 || length > left) return -1;
            if (ReadU16(r + length - 2) != CalcCrc16(static_cast<size_t>(length - 2), r)) return -1;
            der.assign(r + 4, r + length - 2);
            return length - 6;
        }
        at += length;
    }
    return 0;
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
