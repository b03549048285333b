#include "link/codecs/TextHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// Parsed, then formatted again: the groups, and only the first zero run compressed.
TEST(IPv6, ParsesAndFormats)
{
    const std::pair<const char*, const char*> cases[] = {
        {"fe80::1", "FE80::1"},
        {"2001:DB8:0:0:1:0:0:1", "2001:DB8::1:0:0:1"},
        {"::", "::"},
        {"0:0:0:0:0:0:0:1", "::1"},
        {"1::", "1::"},
        {"1:2:3:4:5:6:7::", "1:2:3:4:5:6:7::"},   // "::" standing for one group
        {"00001::1", "1::1"},                     // leading zeros still fit 16 bits
        {"1:0:2:0:0:0:0:3", "1::2:0:0:0:0:3"},
    };
    for (auto& c : cases) {
        uint8_t a[16];
        ASSERT_TRUE(ParseIPv6(c.first, a)) << c.first;
        EXPECT_EQ(FormatIPv6(a), c.second) << c.first;
    }
    uint8_t a[16];
    for (const std::string& bad : std::vector<std::string>{"", "1:2:3:4::5:6:7:8", "1::2::3", "fe80::1g", "192.168.0.1", "1:2:3:4:5:6:7",
                                  "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7:", ":1:2:3:4:5:6:7", "1:::2", ":::",
                                  "10000::1", "1:2:3:4:5:6:7:12345", "fe80:: 1", std::string(70, '0') + "1::1"})
        EXPECT_FALSE(ParseIPv6(bad, a)) << bad;
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
