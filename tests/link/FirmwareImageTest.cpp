#include "link/codecs/FirmwareImage.h"
#include "link/codecs/IspTextLine.h"
#include "link/codecs/Crc16.h"
#include "link/codecs/EnvBlock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, size_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Seal(Bytes& image) { Put16(image, 8, CalcCrc16(image.size() - 16, image.data() + 16)); }

// An image of `size` bytes (a multiple of 16) whose last `areaSize` bytes
// are the record area: one 'C' record holding a type-12 sub-record with the name.
Bytes MakeImage(size_t size, const std::string& name, size_t areaSize = 64)
{
    Bytes b(size);
    for (size_t i = 24; i < size; ++i)
        b[i] = static_cast<uint8_t>(i * 131 + 7);
    const size_t area = size - areaSize;
    Put16(b, 4, area / 16);
    Put16(b, 22, areaSize / 16);
    std::fill(b.begin() + static_cast<long>(area), b.end(), 0);
    const size_t sub = 6 + name.size() + 1;
    b[area] = 'C';
    Put16(b, area + 2, 20 + sub);
    b[area + 20] = 12;
    Put16(b, area + 22, sub);
    std::memcpy(&b[area + 24], name.data(), name.size());
    Seal(b);
    return b;
}

FirmwareImage::CheckResult CheckOf(const Bytes& b) { return FirmwareImage::Check(b.data(), b.size()); }

} // namespace

TEST(FirmwareImage, Answers)
{
    const Bytes good = MakeImage(1024, "ZV-FW-STD");
    const size_t area = 1024 - 64;
    struct Case {
        const char* what;
        void (*damage)(Bytes&, size_t area);
        bool seal, ok;
        std::string name;
    } cases[] = {
        {"valid", [](Bytes&, size_t) {}, false, true, "ZV-FW-STD"},
        {"CRC broken at byte 20", [](Bytes& b, size_t) { b[20] ^= 1; }, false, false, ""},
        {"23 bytes", [](Bytes& b, size_t) { b.resize(23); }, false, false, ""},
        {"zero-length record", [](Bytes& b, size_t a) { Put16(b, a + 2, 0); }, true, true, ""},
        // Whatever reaches past the file or past what holds it is a broken
        // file, refused before anything goes to the board.
        {"record area past the file", [](Bytes& b, size_t) { Put16(b, 4, 0xFFFF); }, true, false, ""},
        {"record area longer than the file", [](Bytes& b, size_t) { Put16(b, 22, 0xFFFF); }, true, false, ""},
        {"record area one unit too long", [](Bytes& b, size_t) { Put16(b, 22, 5); }, true, false, ""},
        {"empty record area past the file", [](Bytes& b, size_t) { Put16(b, 4, 65); Put16(b, 22, 0); }, true,
         false, ""},
        {"record longer than the area", [](Bytes& b, size_t a) { Put16(b, a + 2, 65); }, true, false, ""},
        {"name record longer than its record", [](Bytes& b, size_t a) { Put16(b, a + 22, 60); }, true, false, ""},
        {"empty record area at the file's end", [](Bytes& b, size_t) { Put16(b, 4, 64); Put16(b, 22, 0); }, true,
         true, ""},
        {"record area ending before the file does", [](Bytes& b, size_t) { b.resize(b.size() + 40, 0xAB); }, true,
         true, "ZV-FW-STD"},
        {"name record of 6 bytes", [](Bytes& b, size_t a) { Put16(b, a + 22, 6); }, true, true, ""},
        {"no type 12", [](Bytes& b, size_t a) { b[a + 20] = 13; }, true, true, ""},
    };
    for (const Case& c : cases) {
        Bytes b = good;
        c.damage(b, area);
        if (c.seal)
            Seal(b);
        auto r = CheckOf(b);
        EXPECT_EQ(c.ok, r.ok) << c.what;
        EXPECT_EQ(c.name, r.name) << c.what;
    }
}

TEST(FirmwareImage, NameIsBoundedAndCutAtZero)
{
    Bytes b = MakeImage(4096, std::string(2000, 'n'), 2048);
    const size_t area = 4096 - 2048;
    EXPECT_EQ(std::string(1023, 'n'), CheckOf(b).name);
    b[area + 24 + 5] = 0;
    Seal(b);
    EXPECT_EQ("nnnnn", CheckOf(b).name);
}

TEST(FirmwareImage, SizeCapAndProgress)
{
    Bytes big(FirmwareImage::kMaxSize + 16);
    Seal(big);
    EXPECT_FALSE(CheckOf(big).ok);
    EXPECT_FALSE(FirmwareImage::Check(nullptr, 0).ok);
    // 16 MiB times 299 would overflow 32 bits.
    EXPECT_EQ(298, FirmwareImage::ProgressWidth(16777000, 16777216, 299));
    EXPECT_EQ(100, FirmwareImage::ProgressPercent(20, 10));
    EXPECT_EQ(0, FirmwareImage::ProgressPercent(5, 0));
}

namespace {

// A sealed settings block with the given records ({type << 8 | sub, data}).
Bytes MakeEnv(const std::vector<std::pair<uint16_t, std::string>>& records)
{
    Bytes b;
    EnvBlock::Begin(b);
    for (auto& r : records)
        EnvBlock::AppendRecord(b, uint8_t(r.first >> 8), uint8_t(r.first), r.second.data(), r.second.size());
    EnvBlock::Finish(b, EnvBlock::kMagicSettings);
    return b;
}

std::string NameOf(const Bytes& b) { return IspTextLine::GetEnvStringRecord(b.data(), b.size()); }

} // namespace

TEST(IspTextLine, EnvironmentName)
{
    const Bytes env = MakeEnv({{0x0300, "\xC0\xA8\x01\x02"}, {0x0C00, "ZV-FW-STD"}, {0xFF00, ""}});
    EXPECT_EQ("ZV-FW-STD", NameOf(env));
    struct Case {
        const char* what;
        void (*damage)(Bytes&);
    } cases[] = {
        {"header CRC", [](Bytes& b) { b[6] ^= 1; }},
        {"record CRC", [](Bytes& b) { b[17] ^= 1; }},
        {"zero length", [](Bytes& b) { Put16(b, 18, 0); }},
        {"record past the end", [](Bytes& b) { Put16(b, 18, 0x4000); }},
        {"cut short", [](Bytes& b) { b.resize(30); }},
    };
    for (const Case& c : cases) {
        Bytes b = env;
        c.damage(b);
        EXPECT_EQ("", NameOf(b)) << c.what;
    }
    EXPECT_EQ("", NameOf(MakeEnv({{0xFF00, ""}, {0x0C00, "late"}})));
    EXPECT_EQ("", NameOf(MakeEnv({{0x0C01, "other sub"}})));
    EXPECT_EQ(std::string(1023, 'x'), NameOf(MakeEnv({{0x0C00, std::string(3000, 'x')}})));
}

TEST(IspTextLine, DumpLinesAndReplies)
{
    std::vector<uint8_t> dump;
    EXPECT_TRUE(IspTextLine::AppendDumpLine("65 56 6E 53\r\n", dump, 65536));
    EXPECT_EQ((Bytes{0x65, 0x56, 0x6E, 0x53}), dump);
    for (const char* other : {"\r\n", "de 0\r\n", "Env: 65\r\n", "65 5\r\n"})
        EXPECT_FALSE(IspTextLine::AppendDumpLine(other, dump, 65536)) << other;
    EXPECT_TRUE(IspTextLine::AppendDumpLine("01 02 03\r\n", dump, 6));
    EXPECT_EQ(6u, dump.size());

    for (const char* line : {"300 x\r\n", "304 \r\n", "305 E\r\n", "306 \r\n", "307 \r\n"})
        EXPECT_TRUE(IspTextLine::IsFailure(line)) << line;
    for (const char* line : {"301 \r\n", "200 Command OK\r\n", "30", "3000\r\n"})
        EXPECT_FALSE(IspTextLine::IsFailure(line)) << line;
}
