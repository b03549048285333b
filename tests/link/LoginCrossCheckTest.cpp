// The login response against OpenSSL's PBKDF2 and SHA-1.
#include "link/DeviceLink.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <cstring>
#include <random>
#include <string>

TEST(LoginCrossCheck, ResponseAgreesWithOpenSsl)
{
    std::mt19937 rng(7);
    const char* hex = "0123456789abcdef";
    for (int round = 0; round < 8; ++round) {
        uint8_t c[16], s[20] = {};
        std::string challenge = "chap ", mcu;
        for (uint8_t& b : c) {
            b = static_cast<uint8_t>(rng());
            challenge += hex[b >> 4];
            challenge += hex[b & 15];
        }
        for (int i = 0; i < 12; ++i) {
            s[i] = static_cast<uint8_t>(rng());
            mcu += hex[s[i] >> 4];
            mcu += hex[s[i] & 15];
        }
        std::string password(round * 4, static_cast<char>('a' + round));  // round 0: the empty password
        uint8_t ck[48];
        std::memcpy(ck, c, 16);
        ASSERT_EQ(1, PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), s, 20, 4096, 32,
                                            ck + 16));
        uint8_t expected[20];
        SHA1(ck, sizeof ck, expected);
        uint8_t got[20];
        CDeviceLink::ComputeLoginResponse(challenge, mcu, password, got);
        EXPECT_EQ(0, std::memcmp(got, expected, 20)) << "round " << round;
    }
}
