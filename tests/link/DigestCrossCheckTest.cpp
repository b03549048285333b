// Our SHA-1, HMAC and PBKDF2 against OpenSSL's on random inputs.
#include "link/codecs/Sha1.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n)
{
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = uint8_t(rng());
    return v;
}

} // namespace

TEST(DigestCrossCheck, Sha1AndHmacAgreeWithOpenSsl)
{
    std::mt19937 rng(2024);
    // Every length up to 300: each padding boundary (55/56, 63/64 and on).
    for (size_t n = 0; n < 300; ++n) {
        const auto data = RandomBytes(rng, n);
        const auto key = RandomBytes(rng, rng() % 150);

        uint8_t ours[20], theirs[20];
        Sha1Digest(data.data(), data.size(), ours);
        SHA1(data.data(), data.size(), theirs);
        ASSERT_EQ(0, memcmp(ours, theirs, 20)) << "sha1 length " << data.size();

        unsigned int len = 20;
        HmacSha1(key.data(), key.size(), data.data(), data.size(), ours);
        HMAC(EVP_sha1(), key.data(), int(key.size()), data.data(), data.size(), theirs, &len);
        ASSERT_EQ(0, memcmp(ours, theirs, 20)) << "hmac key " << key.size() << " data " << data.size();
    }
}

TEST(DigestCrossCheck, Pbkdf2Key32AgreesWithOpenSsl)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 4; ++round) {
        auto salt = RandomBytes(rng, 1 + rng() % 40);
        salt[0] = 0;  // an MCU id salt can start with a zero byte: not text
        std::string password;
        for (unsigned i = 0, n = 1 + rng() % 30; i < n; ++i)
            password += char(32 + rng() % 95);

        uint8_t ours[32], theirs[32];
        Pbkdf2Sha1Key32(salt.data(), salt.size(), password, ours);
        ASSERT_EQ(1, PKCS5_PBKDF2_HMAC_SHA1(password.data(), int(password.size()), salt.data(), int(salt.size()),
                                            4096, 32, theirs));
        ASSERT_EQ(0, memcmp(ours, theirs, 32));
    }
}
