#include "link/codecs/EnvBlock.h"

#include "link/codecs/Crc16.h"

#include <gtest/gtest.h>

#include <vector>

#include "LinkFakes.h"

namespace {

using Step = EnvBlock::CEnvRecordWalker::Step;

std::vector<Step> Walk(const std::vector<uint8_t>& b, size_t count)
{
    std::vector<Step> steps;
    EnvBlock::CEnvRecordWalker walker(b.data(), count);
    EnvBlock::EnvRecord r;
    for (Step s = walker.Next(r);; s = walker.Next(r)) {
        steps.push_back(s);
        if (s != Step::Record)
            break;
        EXPECT_LE(r.offset + r.length, count);
    }
    return steps;
}

TEST(EnvBlockTest, RecordAndHeaderBytes)
{
    std::vector<uint8_t> b;
    EnvBlock::Begin(b);
    ASSERT_TRUE(EnvBlock::AppendRecord(b, 0x0C, 0, "ZX1001", 6));
    EnvBlock::Finish(b, EnvBlock::kMagicSettings);
    const std::vector<uint8_t> record{0x0c, 0x00, 0x0c, 0x00, 0x5a, 0x58, 0x31, 0x30, 0x30, 0x31, 0xa6, 0x2f};
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 16, b.end()), record);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 6), (std::vector<uint8_t>{'e', 'V', 'n', 'S', 28, 0}));
    EXPECT_EQ(b[6] | b[7] << 8, CalcCrc16(6, b.data()));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 8, b.begin() + 16), std::vector<uint8_t>(8, 0));
    uint16_t length = 0;
    EXPECT_TRUE(EnvBlock::CheckHeader(b.data(), b.size(), EnvBlock::kMagicSettings, &length));
    EXPECT_EQ(length, 28);
    EXPECT_FALSE(EnvBlock::CheckHeader(b.data(), b.size(), EnvBlock::kMagicKeys));
    EXPECT_FALSE(EnvBlock::CheckHeader(b.data(), 15, EnvBlock::kMagicSettings));
    b[5] ^= 1;
    EXPECT_FALSE(EnvBlock::CheckHeader(b.data(), b.size(), EnvBlock::kMagicSettings));

    // L = n + 6 rounded up to 4; a 1000-byte certificate makes 1008.
    std::vector<uint8_t> cert;
    EnvBlock::Begin(cert);
    std::vector<uint8_t> der(1000, 0x30);
    ASSERT_TRUE(EnvBlock::AppendRecord(cert, 0x0B, 0x02, der.data(), der.size()));
    EnvBlock::Finish(cert, EnvBlock::kMagicCert);
    EXPECT_EQ(cert.size(), 1024u);
    EXPECT_EQ(cert[18] | cert[19] << 8, 1008);
}

TEST(EnvBlockTest, WalkTable)
{
    const std::vector<uint8_t> ok{3, 0, 12, 0, 1, 2, 3, 4, 0, 0, 0, 0};
    const std::vector<uint8_t> end{0xFF, 0, 0, 0};
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
        size_t count;  // 0: the whole block
        std::vector<Step> steps;
    } cases[] = {
        {"end record", Block({ok, end}), 0, {Step::Record, Step::End}},
        {"records end at the count", Block({ok, ok}), 0, {Step::Record, Step::Record, Step::RanOut}},
        {"L of 5", Block({{3, 0, 5, 0, 0, 0, 0, 0}}), 0, {Step::Bad}},
        {"L past the block", Block({{3, 0, 40, 0, 0, 0, 0, 0}}), 0, {Step::Bad}},
        {"truncated head", Block({ok, {3, 0}}), 0, {Step::Record, Step::Bad}},
        {"end record by its head alone", Block({{0xFF, 0, 0xFF, 0xFF}}), 0, {Step::End}},
        {"fewer bytes held than the header says", Block({ok, ok}), 28, {Step::Record, Step::RanOut}},
        {"cut inside a record", Block({ok, ok}), 34, {Step::Record, Step::Bad}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Walk(c.block, c.count ? c.count : c.block.size()), c.steps);
    }
}

} // namespace
