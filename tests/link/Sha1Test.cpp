#include "link/codecs/Sha1.h"

#include <string>

#include "LinkFakes.h"

using Bytes = std::vector<uint8_t>;

// More of the digests on random inputs: DigestCrossCheck against OpenSSL.
TEST(Pbkdf2Sha1, EmbeddedNulsCount)
{
    uint8_t b1[20];
    // Embedded NULs: neither salt nor password may be cut at the first zero.
    const std::string salt("sa\0lt", 5);
    Pbkdf2Sha1Block(salt.data(), salt.size(), std::string("pass\0word", 9), 1, b1);
    EXPECT_EQ(Bytes(b1, b1 + 16), Hex("56fa6aa75548099dcc37d7f03425e0c3"));
}

TEST(CalcWpaPsk, Ieee80211iVectors)
{
    uint8_t k[32];
    ASSERT_TRUE(CalcWpaPsk("password", "IEEE", k));
    EXPECT_EQ(Bytes(k, k + 32), Hex("f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e"));
    ASSERT_TRUE(CalcWpaPsk(std::string(32, 'a'), std::string(32, 'Z'), k));
    EXPECT_EQ(Bytes(k, k + 32), Hex("becb93866bb8c3832cb777c2f559807c8c59afcb6eae734885001300a981cc62"));
}

TEST(CalcWpaPsk, SixtyFourCharactersAreTheKeyInHex)
{
    const std::string hex = "0DC0D6EB90555ED6419756B9A15EC3E3209B63DF707DD508D14581F8982721af";
    uint8_t k[32];
    ASSERT_TRUE(CalcWpaPsk(hex, "ignored", k));
    EXPECT_EQ(Bytes(k, k + 32), Hex("0dc0d6eb90555ed6419756b9a15ec3e3209b63df707dd508d14581f8982721af"));

    uint8_t untouched[32] = {7};
    EXPECT_FALSE(CalcWpaPsk(std::string(63, 'a') + "g", "s", untouched));
    EXPECT_FALSE(CalcWpaPsk(std::string(65, 'a'), "s", untouched));
    EXPECT_EQ(untouched[0], 7);
}
