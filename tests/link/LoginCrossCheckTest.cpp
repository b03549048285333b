// The login response against OpenSSL's PBKDF2 and SHA-1.
#include "link/DeviceLink.h"
#include "link/codecs/Crc16.h"
#include "link/codecs/PasswordRecord.h"

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
        CIdentityService::ComputeLoginResponse(challenge, mcu, password, got);
        EXPECT_EQ(0, std::memcmp(got, expected, 20)) << "round " << round;
    }
}

// The board checks the next login against the key the record stored: the
// record's key is OpenSSL's PBKDF2 under the login's own 20-byte salt.
TEST(LoginCrossCheck, PasswordRecordKeyIsTheLoginKey)
{
    const std::string mcu = "3a0024000851363033363238", password = "n3w-Passw0rd";
    uint8_t record[PasswordRecord::kSize];
    PasswordRecord::Make(password, mcu, record);
    uint8_t salt[20] = {0x3a, 0x00, 0x24, 0x00, 0x08, 0x51, 0x36, 0x30, 0x33, 0x36, 0x32, 0x38};
    uint8_t key[32];
    ASSERT_EQ(1, PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt, 20, 4096, 32, key));
    EXPECT_EQ(0, std::memcmp(record + 4, key, 32));
    EXPECT_EQ(record[0], 1);
    EXPECT_EQ(record[2] | record[3] << 8, CalcCrc16(32, key));
    EXPECT_EQ(record[36] | record[37] << 8, CalcCrc16(36, record));
    // A response computed from the stored key is the login's response.
    std::string challenge = "chap 00112233445566778899aabbccddeeff";
    uint8_t ck[48] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
    std::memcpy(ck + 16, record + 4, 32);
    uint8_t expected[20], got[20];
    SHA1(ck, sizeof ck, expected);
    CIdentityService::ComputeLoginResponse(challenge, mcu, password, got);
    EXPECT_EQ(0, std::memcmp(got, expected, 20));
    PasswordRecord::MakeDelete(record);
    EXPECT_EQ(PasswordRecord::Hex(record).substr(0, 72), std::string(72, '0'));
}
