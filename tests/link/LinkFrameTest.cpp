#include "link/codecs/FrameItemReader.h"
#include "link/codecs/LinkFrame.h"

#include <gtest/gtest.h>

#include "LinkFakes.h"

using namespace LinkFrame;

TEST(FrameItemReader, ReadsEveryTypeAndStopsAtLyingLengths)
{
    std::vector<uint8_t> p = ItemInt(-5) + ItemText("abc") + ItemBytes({1, 2, 3, 4, 5});
    FrameItemReader r(p.data(), p.size());
    FrameItem it;
    ASSERT_TRUE(r.Next(it));
    EXPECT_TRUE(it.IsInt32());
    EXPECT_EQ(it.Int32(), -5);
    ASSERT_TRUE(r.Next(it));
    EXPECT_EQ(it.Text(), "abc");
    ASSERT_TRUE(r.Next(it));
    EXPECT_EQ(it.Hex(), "0102030405");
    EXPECT_FALSE(r.Next(it));
    EXPECT_FALSE(r.Broken());

    // Too long: the value would pass the end.
    std::vector<uint8_t> lying = Hex("00 07 00 40 01 02 03 04");
    EXPECT_FALSE(FrameItemReader::First(lying.data(), lying.size(), it));
    // An int32 claiming 0x7FFC bytes.
    std::vector<uint8_t> bigInt = Hex("00 02 7F FC 00 00 00 01");
    EXPECT_FALSE(FrameItemReader::First(bigInt.data(), bigInt.size(), it));
    // Fewer than 4 bytes.
    EXPECT_FALSE(FrameItemReader::First(lying.data(), 3, it));
    // An int32 item of length 2 is not an int32 value.
    std::vector<uint8_t> shortInt = Hex("00 02 00 02 00 01 00 00");
    ASSERT_TRUE(FrameItemReader::First(shortInt.data(), shortInt.size(), it));
    EXPECT_FALSE(it.IsInt32());
}
