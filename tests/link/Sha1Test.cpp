#include "link/codecs/Sha1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Hex(const uint8_t* p, size_t n)
{
    static const char* d = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += d[p[i] >> 4];
        s += d[p[i] & 15];
    }
    return s;
}

} // namespace

// Fixed vectors of SHA-1 and HMAC: DigestCrossCheck against OpenSSL.
TEST(Sha1, OneMillionAInUnevenPieces)
{
    Sha1Context ctx;
    Sha1Init(ctx);
    const std::string chunk(997, 'a'); // a prime, so pieces straddle blocks
    size_t left = 1000000;
    while (left > 0) {
        const size_t n = std::min(left, chunk.size());
        Sha1Update(ctx, chunk.data(), n);
        left -= n;
    }
    uint8_t d[20];
    Sha1Final(ctx, d);
    EXPECT_EQ(Hex(d, 20), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Pbkdf2Sha1, Rfc6070Cases)
{
    uint8_t b1[20], b2[20];
    Pbkdf2Sha1BlockText("salt", "password", 1, b1);
    EXPECT_EQ(Hex(b1, 20), "4b007901b765489abead49d926f721d065a429c1");

    Pbkdf2Sha1BlockText("saltSALTsaltSALTsaltSALTsaltSALTsalt", "passwordPASSWORDpassword", 1, b1);
    Pbkdf2Sha1BlockText("saltSALTsaltSALTsaltSALTsaltSALTsalt", "passwordPASSWORDpassword", 2, b2);
    EXPECT_EQ(Hex(b1, 20) + Hex(b2, 5), "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");

    // Embedded NULs: neither salt nor password may be cut at the first zero.
    const std::string salt("sa\0lt", 5);
    Pbkdf2Sha1Block(salt.data(), salt.size(), std::string("pass\0word", 9), 1, b1);
    EXPECT_EQ(Hex(b1, 16), "56fa6aa75548099dcc37d7f03425e0c3");
}

TEST(CalcWpaPsk, Ieee80211iVectors)
{
    uint8_t k[32];
    ASSERT_TRUE(CalcWpaPsk("password", "IEEE", k));
    EXPECT_EQ(Hex(k, 32), "f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e");
    ASSERT_TRUE(CalcWpaPsk("ThisIsAPassword", "ThisIsASSID", k));
    EXPECT_EQ(Hex(k, 32), "0dc0d6eb90555ed6419756b9a15ec3e3209b63df707dd508d14581f8982721af");
    ASSERT_TRUE(CalcWpaPsk(std::string(32, 'a'), std::string(32, 'Z'), k));
    EXPECT_EQ(Hex(k, 32), "becb93866bb8c3832cb777c2f559807c8c59afcb6eae734885001300a981cc62");
}

TEST(CalcWpaPsk, SixtyFourCharactersAreTheKeyInHex)
{
    const std::string hex = "0DC0D6EB90555ED6419756B9A15EC3E3209B63DF707DD508D14581F8982721af";
    uint8_t k[32];
    ASSERT_TRUE(CalcWpaPsk(hex, "ignored", k));
    EXPECT_EQ(Hex(k, 32), "0dc0d6eb90555ed6419756b9a15ec3e3209b63df707dd508d14581f8982721af");

    uint8_t untouched[32] = {7};
    EXPECT_FALSE(CalcWpaPsk(std::string(63, 'a') + "g", "s", untouched));
    EXPECT_FALSE(CalcWpaPsk(std::string(65, 'a'), "s", untouched));
    EXPECT_EQ(untouched[0], 7);
}
