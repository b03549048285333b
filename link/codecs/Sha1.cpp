#include "link/codecs/Sha1.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

inline uint32_t Rol(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }

void Sha1Block(uint32_t state[5], const uint8_t block[64])
{
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = (uint32_t(block[4 * i]) << 24) | (uint32_t(block[4 * i + 1]) << 16) |
               (uint32_t(block[4 * i + 2]) << 8) | uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 80; ++i)
        w[i] = Rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);

    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        const uint32_t t = Rol(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rol(b, 30);
        b = a;
        a = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

void XorInto(uint8_t* dst, const uint8_t* src, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        dst[i] ^= src[i];
}

} // namespace

void Sha1Init(Sha1Context& ctx)
{
    ctx.state[0] = 0x67452301;
    ctx.state[1] = 0xEFCDAB89;
    ctx.state[2] = 0x98BADCFE;
    ctx.state[3] = 0x10325476;
    ctx.state[4] = 0xC3D2E1F0;
    ctx.length = 0;
    ctx.fill = 0;
}

void Sha1Update(Sha1Context& ctx, const void* data, size_t length)
{
    const auto* p = static_cast<const uint8_t*>(data);
    ctx.length += length;
    while (length > 0) {
        if (ctx.fill == 0 && length >= 64) {
            Sha1Block(ctx.state, p);
            p += 64;
            length -= 64;
            continue;
        }
        const size_t take = std::min(length, size_t(64) - ctx.fill);
        std::memcpy(ctx.buffer + ctx.fill, p, take);
        ctx.fill += take;
        p += take;
        length -= take;
        if (ctx.fill == 64) {
            Sha1Block(ctx.state, ctx.buffer);
            ctx.fill = 0;
        }
    }
}

void Sha1Final(Sha1Context& ctx, uint8_t digest[20])
{
    const uint64_t bits = ctx.length * 8;
    uint8_t pad[72] = {0x80};
    // Pad to 56 mod 64, then the 64-bit big-endian bit count.
    const size_t padLen = (ctx.fill < 56) ? 56 - ctx.fill : 120 - ctx.fill;
    for (int i = 0; i < 8; ++i)
        pad[padLen + i] = uint8_t(bits >> (56 - 8 * i));
    const uint64_t keep = ctx.length;
    Sha1Update(ctx, pad, padLen + 8);
    ctx.length = keep;
    for (int i = 0; i < 5; ++i) {
        digest[4 * i] = uint8_t(ctx.state[i] >> 24);
        digest[4 * i + 1] = uint8_t(ctx.state[i] >> 16);
        digest[4 * i + 2] = uint8_t(ctx.state[i] >> 8);
        digest[4 * i + 3] = uint8_t(ctx.state[i]);
    }
}

void Sha1Digest(const void* data, size_t length, uint8_t digest[20])
{
    Sha1Context ctx;
    Sha1Init(ctx);
    Sha1Update(ctx, data, length);
    Sha1Final(ctx, digest);
}

void HmacSha1(const void* key, size_t keyLength, const void* data, size_t dataLength, uint8_t mac[20])
{
    uint8_t k[64] = {0};
    if (keyLength > 64)
        Sha1Digest(key, keyLength, k);
    else if (keyLength > 0)
        std::memcpy(k, key, keyLength);

    uint8_t pad[64];
    uint8_t inner[20];
    Sha1Context ctx;

    for (int i = 0; i < 64; ++i)
        pad[i] = k[i] ^ 0x36;
    Sha1Init(ctx);
    Sha1Update(ctx, pad, 64);
    Sha1Update(ctx, data, dataLength);
    Sha1Final(ctx, inner);

    for (int i = 0; i < 64; ++i)
        pad[i] = k[i] ^ 0x5C;
    Sha1Init(ctx);
    Sha1Update(ctx, pad, 64);
    Sha1Update(ctx, inner, 20);
    Sha1Final(ctx, mac);
}

void Pbkdf2Sha1Block(const void* salt, size_t saltLength, const std::string& password,
                     uint32_t blockIndex, uint8_t out[20])
{
    std::vector<uint8_t> first(saltLength + 4);
    if (saltLength > 0)
        std::memcpy(first.data(), salt, saltLength);
    first[saltLength] = uint8_t(blockIndex >> 24);
    first[saltLength + 1] = uint8_t(blockIndex >> 16);
    first[saltLength + 2] = uint8_t(blockIndex >> 8);
    first[saltLength + 3] = uint8_t(blockIndex);

    uint8_t u[20];
    HmacSha1(password.data(), password.size(), first.data(), first.size(), u);
    std::memcpy(out, u, 20);
    for (int j = 1; j < 4096; ++j) {
        HmacSha1(password.data(), password.size(), u, 20, u);
        XorInto(out, u, 20);
    }
}

void Pbkdf2Sha1BlockText(const std::string& salt, const std::string& password,
                         uint32_t blockIndex, uint8_t out[20])
{
    Pbkdf2Sha1Block(salt.data(), salt.size(), password, blockIndex, out);
}

void Pbkdf2Sha1Key32(const void* salt, size_t saltLength, const std::string& password, uint8_t key[32])
{
    uint8_t block2[20];
    Pbkdf2Sha1Block(salt, saltLength, password, 1, key); // bytes 0..19
    Pbkdf2Sha1Block(salt, saltLength, password, 2, block2);
    std::memcpy(key + 20, block2, 12);
}

bool CalcWpaPsk(const std::string& passphrase, const std::string& ssid, uint8_t key[32])
{
    if (passphrase.size() < 64) {
        Pbkdf2Sha1Key32(ssid.data(), ssid.size(), passphrase, key);
        return true;
    }
    if (passphrase.size() > 64)
        return false;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    uint8_t tmp[32];
    for (int i = 0; i < 32; ++i) {
        const int hi = nibble(passphrase[2 * i]), lo = nibble(passphrase[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        tmp[i] = uint8_t(hi << 4 | lo);
    }
    std::memcpy(key, tmp, 32);
    return true;
}
