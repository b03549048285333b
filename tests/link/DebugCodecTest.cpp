#include "link/services/DebugCodec.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <cstring>

#include "LinkFakes.h"

using namespace DebugCodec;

namespace {

std::vector<uint8_t> Item8(uint8_t type, const std::string& hex)
{
    return std::vector<uint8_t>{0, type, 0, 8} + Hex(hex);
}

TEST(DebugCodec, WatchNamesSplitAndEncode)
{
    struct Case {
        const char* name;
        bool ok;
        const char* base;
        std::string index;  // as sent, with its terminating zero
    } cases[] = {
        {"$a[1][2]", true, "$a", std::string("[@A\0[@B\0", 8)},
        {"$b[0]", true, "$b", std::string("[@@\0", 4)},
        {"$c[ 191 ]", true, "$c", std::string("[@\xFF\0", 4)},
        {"$plain", true, "$plain", std::string("\0", 1)},
        {"$v[3", true, "$v", std::string("\0", 1)},        // unpaired: the base alone
        {"$x[192]", false, "", ""},                         // would wrap into the separators
        {"$x[-1]", false, "", ""},
        {"$x[]", false, "", ""},
        {"$x[1][2]]x[", false, "", ""},                      // counts pair, a "]" comes too early
        {"$x[[1]]", false, "", ""},
    };
    for (const Case& c : cases) {
        WatchRequest r;
        ASSERT_EQ(SplitWatchName(c.name, r), c.ok) << c.name;
        if (!c.ok)
            continue;
        EXPECT_EQ(r.base, c.base) << c.name;
        EXPECT_EQ(r.index, c.index) << c.name;
    }
    // The names of one request fill at most 484 bytes of the board's buffer.
    WatchRequest r;
    EXPECT_TRUE(SplitWatchName(std::string(479, 'v'), r));   // 480 + 4
    EXPECT_FALSE(SplitWatchName(std::string(480, 'v'), r));
    EXPECT_TRUE(SplitWatchName(std::string(479, 'v') + "[1]", r));  // 480 + 4
    EXPECT_FALSE(SplitWatchName(std::string(480, 'v') + "[1][2]", r));
}

TEST(DebugCodec, WatchReplies)
{
    struct Case {
        std::vector<uint8_t> payload;
        WatchReply result;
        const char *type, *value, *full;
    } cases[] = {
        {Item8(1, "00 00 00 00 00 00 00 01"), WatchReply::kShown, "BOOL", "TRUE", "TRUE"},
        {Item8(3, "FF FF FF FF FF FF FF FE"), WatchReply::kShown, "INT", "-2", "-2"},
        {Item8(5, "40 09 21 FB 54 44 2D 18"), WatchReply::kShown, "FLOAT", "3.1415926535898", "3.1415926535898"},
        {ItemBytes({'h', 'i', 0, 'x'}) + ItemInt(4), WatchReply::kShown, "STR[4]", "hi", "68690078"},
        {ItemBytes({'a', 'b'}) + ItemInt(100), WatchReply::kLongString, "STR[100]", "ab", "6162"},
        {ItemInt(5), WatchReply::kUnknownType, "", "", ""},
        // An 8-byte value in a shorter item, or an item past the payload.
        {Hex("00 03 00 04 00 00 00 01"), WatchReply::kBad, "", "", ""},
        {Hex("00 05 00 08 00 00 00 01"), WatchReply::kBad, "", "", ""},
        {Hex("00 07 00 FF 61 62"), WatchReply::kBad, "", "", ""},
        {{}, WatchReply::kBad, "", "", ""},
    };
    for (const Case& c : cases) {
        WatchValue v;
        EXPECT_EQ(DecodeWatchReply(c.payload.data(), c.payload.size(), v), c.result) << c.type;
        EXPECT_EQ(v.type, c.type);
        EXPECT_EQ(v.value, c.value);
        EXPECT_EQ(v.full, c.full);
    }
}

TEST(DebugCodec, DoublesOfEverySize)
{
    EXPECT_EQ(FormatDouble(-0.5), "-0.5000000000000");
    std::string big = FormatDouble(-DBL_MAX);
    EXPECT_EQ(big.size(), 1 + 309 + 1 + 13u);
    EXPECT_EQ(big.substr(0, 6), "-17976");
    EXPECT_EQ(FormatDouble(std::nan("")), "nan");
    EXPECT_EQ(FormatDouble(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST(DebugCodec, BreakItemsTaskStateAndResources)
{
    // Break event / breakpoint read-back: ints in order, the first text.
    auto items = ItemInt(0) + ItemInt(12) + ItemText("b.php");
    DebugItems d = ReadDebugItems(items.data(), items.size());
    EXPECT_EQ(d.first, 0);
    EXPECT_EQ(d.second, 12);
    EXPECT_EQ(d.file, "b.php");
    // A lying item ends the walk; what came before stands.
    auto lying = ItemInt(3) + ItemInt(9) + Hex("00 06 FF F0 61 00 00 00");
    d = ReadDebugItems(lying.data(), lying.size());
    EXPECT_EQ(d.second, 9);
    EXPECT_FALSE(d.hasFile);

    int32_t task = -1, state = -1;
    auto ts = ItemInt(0) + ItemInt(3);
    EXPECT_TRUE(ReadTaskState(ts.data(), ts.size(), task, state));
    EXPECT_EQ(task * 10 + state, 3);
    auto ts24 = ts + ItemInt(1);
    EXPECT_FALSE(ReadTaskState(ts24.data(), ts24.size(), task, state));
    auto tsText = ItemInt(0) + Hex("00 06 00 04 31 00 00 00");
    EXPECT_FALSE(ReadTaskState(tsText.data(), tsText.size(), task, state));

    // Fixed steps: an item of another type, and items past a short payload,
    // leave their values.
    int32_t v[3] = {7, 7, 7};
    auto res = ItemInt(2048) + Hex("00 06 00 04 31 00 00 00") + ItemInt(5);
    EXPECT_EQ(ReadFixedInts(res.data(), res.size() - 1, v, 3), 1);
    EXPECT_EQ(v[0] * 100 + v[1] * 10 + v[2], 204877);
}

} // namespace
