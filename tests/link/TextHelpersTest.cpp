#include "link/codecs/TextHelpers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The eight groups of a parsed address, read in network order.
bool Parse(const std::string& text, std::vector<uint16_t>& g)
{
    uint8_t a[16];
    if (!ParseIPv6(text, a))
        return false;
    g.assign(8, 0);
    for (int i = 0; i < 8; ++i)
        g[i] = uint16_t(a[2 * i] << 8 | a[2 * i + 1]);
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
    const std::pair<const char*, std::vector<uint16_t>> cases[] = {
        {"fe80::1", {0xfe80, 0, 0, 0, 0, 0, 0, 1}},
        {"2001:DB8:0:0:1:0:0:1", {0x2001, 0x0db8, 0, 0, 1, 0, 0, 1}},
        {"::", {0, 0, 0, 0, 0, 0, 0, 0}},
        {"1::", {1, 0, 0, 0, 0, 0, 0, 0}},
        {"1:2:3:4:5:6:7::", {1, 2, 3, 4, 5, 6, 7, 0}},  // "::" standing for one group
        {"00001::1", {1, 0, 0, 0, 0, 0, 0, 1}},         // leading zeros still fit 16 bits
    };
    for (auto& c : cases) {
        std::vector<uint16_t> g;
        ASSERT_TRUE(Parse(c.first, g)) << c.first;
        EXPECT_EQ(g, c.second) << c.first;
    }
}

TEST(ParseIPv6, RefusesMalformedText)
{
    std::vector<uint16_t> g;
    for (const std::string bad : {"", "1:2:3:4::5:6:7:8", "1::2::3", "fe80::1g", "192.168.0.1", "1:2:3:4:5:6:7",
                                  "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7:", ":1:2:3:4:5:6:7", "1:::2", ":::",
                                  "10000::1", "1:2:3:4:5:6:7:12345", "fe80:: 1"})
        EXPECT_FALSE(Parse(bad, g)) << bad;
    EXPECT_FALSE(Parse(std::string(70, '0') + "1::1", g));  // an overlong side
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

TEST(HexToAscii, DecodesPrintablePairsAndFailsOnUnprintableOrTooLong)
{
    const struct {
        const char* hex;
        bool ok;
        const char* out;
    } cases[] = {
        {"414243", true, "ABC"}, {"4142434", true, "ABC"}, // odd last character ignored
        {"", true, ""},          {"41420A", false, "?"},
        {"4G", false, "?"}, // reading stops at G: byte 4
    };
    for (const auto& c : cases) {
        std::string out = "keep";
        EXPECT_EQ(HexToAscii(c.hex, strlen(c.hex), out), c.ok) << c.hex;
        EXPECT_EQ(out, c.out) << c.hex;
    }
    std::string out = "keep";
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
