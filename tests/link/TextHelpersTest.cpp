#include "link/TextHelpers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Groups {
    uint16_t g[8];
};

bool Parse(const std::string& text, Groups& out)
{
    uint8_t a[16];
    if (!ParseIPv6(text, a))
        return false;
    for (int i = 0; i < 8; ++i)
        out.g[i] = uint16_t(a[2 * i] << 8 | a[2 * i + 1]);
    return true;
}

std::string Format(std::initializer_list<uint16_t> groups)
{
    uint8_t a[16];
    int i = 0;
    for (uint16_t g : groups) {
        a[2 * i] = uint8_t(g >> 8);
        a[2 * i + 1] = uint8_t(g);
        ++i;
    }
    return FormatIPv6(a);
}

} // namespace

TEST(ParseIPv6, AcceptsFullAndCompressedForms)
{
    Groups g;
    ASSERT_TRUE(Parse("fe80::1", g));
    const uint16_t fe80[8] = {0xfe80, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::memcmp(g.g, fe80, sizeof fe80), 0);

    ASSERT_TRUE(Parse("2001:DB8:0:0:1:0:0:1", g));
    EXPECT_EQ(g.g[0], 0x2001);
    EXPECT_EQ(g.g[1], 0x0db8);
    EXPECT_EQ(g.g[7], 1);

    ASSERT_TRUE(Parse("::", g));
    for (uint16_t v : g.g)
        EXPECT_EQ(v, 0);
    ASSERT_TRUE(Parse("1::", g));
    EXPECT_EQ(g.g[0], 1);
    ASSERT_TRUE(Parse("1:2:3:4:5:6:7::", g)); // "::" standing for one group
    EXPECT_EQ(g.g[6], 7);
    EXPECT_EQ(g.g[7], 0);

    // The address is stored in network order.
    uint8_t raw[16];
    ASSERT_TRUE(ParseIPv6("abcd::", raw));
    EXPECT_EQ(raw[0], 0xab);
    EXPECT_EQ(raw[1], 0xcd);
}

TEST(ParseIPv6, RefusesMalformedText)
{
    Groups g;
    for (const char* bad : {"", "1:2:3:4::5:6:7:8", "1::2::3", "fe80::1g", "192.168.0.1", "1:2:3:4:5:6:7",
                            "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7:", ":1:2:3:4:5:6:7", "1:::2", ":::",
                            "10000::1", "1:2:3:4:5:6:7:12345", "fe80:: 1"})
        EXPECT_FALSE(Parse(bad, g)) << bad;
}

TEST(ParseIPv6, RefusesOverlongSides)
{
    Groups g;
    EXPECT_FALSE(Parse(std::string(70, '0') + "1::1", g));
    EXPECT_TRUE(Parse("00001::1", g)); // leading zeros still fit 16 bits
}

TEST(FormatIPv6, CompressesOnlyTheFirstZeroRun)
{
    EXPECT_EQ(Format({0, 0, 0, 0, 0, 0, 0, 1}), "::1");
    EXPECT_EQ(Format({0, 0, 0, 0, 0, 0, 0, 0}), "::");
    EXPECT_EQ(Format({1, 0, 0, 0, 0, 0, 0, 0}), "1::");
    EXPECT_EQ(Format({0x2001, 0xDB8, 0, 0, 1, 0, 0, 1}), "2001:DB8::1:0:0:1");
    EXPECT_EQ(Format({1, 0, 2, 0, 0, 0, 0, 3}), "1::2:0:0:0:0:3");
    EXPECT_EQ(Format({0xfe80, 0xa, 0xb, 0xc, 0xd, 0xe, 0xf, 0xffff}), "FE80:A:B:C:D:E:F:FFFF");
}

TEST(FormatIPv6, RoundTripsThroughParse)
{
    uint32_t seed = 7;
    for (int n = 0; n < 500; ++n) {
        uint8_t a[16], b[16];
        for (int i = 0; i < 8; ++i) {
            seed = seed * 1103515245u + 12345u;
            const uint16_t v = (seed >> 28) < 6 ? 0 : uint16_t(seed >> 8); // many zero runs
            a[2 * i] = uint8_t(v >> 8);
            a[2 * i + 1] = uint8_t(v);
        }
        const std::string text = FormatIPv6(a);
        ASSERT_TRUE(ParseIPv6(text, b)) << text;
        EXPECT_EQ(std::memcmp(a, b, 16), 0) << text;
    }
}

TEST(HexToAscii, DecodesPrintablePairs)
{
    std::string out;
    EXPECT_TRUE(HexToAscii("414243", 6, out));
    EXPECT_EQ(out, "ABC");
    EXPECT_TRUE(HexToAscii("4142434", 7, out)); // odd last character ignored
    EXPECT_EQ(out, "ABC");
    EXPECT_TRUE(HexToAscii("", 0, out));
    EXPECT_EQ(out, "");
}

TEST(HexToAscii, FailsOnUnprintableOrTooLong)
{
    std::string out = "keep";
    EXPECT_FALSE(HexToAscii("41420A", 6, out));
    EXPECT_EQ(out, "?");
    EXPECT_FALSE(HexToAscii("4G", 2, out)); // reading stops at G: byte 4
    EXPECT_EQ(out, "?");

    out = "keep";
    const std::string longHex(512, '4');
    EXPECT_FALSE(HexToAscii(longHex.data(), longHex.size(), out));
    EXPECT_EQ(out, "keep");
    EXPECT_TRUE(HexToAscii(longHex.data(), 510, out));
    EXPECT_EQ(out.size(), 255u);
}

TEST(GetFileNameFromPath, TakesTextAfterLastSlash)
{
    EXPECT_EQ(GetFileNameFromPath("lib/sub/a.php"), "a.php");
    EXPECT_EQ(GetFileNameFromPath("a.php"), "a.php");
    EXPECT_EQ(GetFileNameFromPath("dir/"), "");
    EXPECT_EQ(GetFileNameFromPath("c:\\x\\a.php"), "c:\\x\\a.php");
}
