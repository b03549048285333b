#include "link/codecs/Crc16.h"
#include "link/FileEntry.h"
#include "link/codecs/PackedFile.h"

#include <gtest/gtest.h>

#include "LinkFakes.h"

namespace {

FileEntry Make(const std::string& name, const std::string& data)
{
    FileEntry e;
    e.name = name;
    e.nameLength = static_cast<uint8_t>(name.size() + 1);
    e.data = data;
    return e;
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

PackedFile::Error Parse(const std::string& c, std::vector<PackedFile::Entry>* out = nullptr)
{
    std::vector<PackedFile::Entry> entries;
    PackedFile::Error e = PackedFile::ParseFile(reinterpret_cast<const uint8_t*>(c.data()), c.size(), entries);
    if (out)
        *out = entries;
    return e;
}

void PutCrc(std::string& c, size_t at)
{
    uint16_t crc = CalcCrc16(6, c.data() + at);
    c[at + 6] = static_cast<char>(crc);
    c[at + 7] = static_cast<char>(crc >> 8);
}

TEST(PackedFile, LayoutAndPadding)
{
    std::string empty = Container({}, 0, 0);
    ASSERT_EQ(empty.size(), 1024u);
    // "eFzS", 1 KiB, CRC-16/AUG-CCITT of those six bytes (0xEFBB), little-endian.
    EXPECT_EQ(Bytes(empty.substr(0, 16)), Hex("65 46 7A 53 01 00 BB EF 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(empty.substr(16, 1000), std::string(1000, '\0'));
    std::string c = Container({{"a.php", "abc"}}, 4, 0x1234);
    ASSERT_EQ(c.size(), 1024u);
    EXPECT_EQ(Bytes(c.substr(8, 3)), Hex("34 12 04"));  // fs value, header words
    // N = 6, L = 3: head, name and NUL, 2 pad, data, 1 pad, zero word, CRC: 20 bytes.
    std::vector<uint8_t> entry = Bytes(c.substr(16, 20));
    std::vector<uint8_t> body = Hex("61 2E 70 68 70 00 00 00 61 62 63 00");
    uint16_t crc = CalcCrc16(body.size(), body.data());
    std::vector<uint8_t> closing = {0, 0, uint8_t(crc), uint8_t(crc >> 8)};
    EXPECT_EQ(entry, Hex("06 03 00 00") + body + closing);
    EXPECT_EQ(Bytes(c.substr(36, 4)), Hex("00 00 00 00"));  // end of the list
    EXPECT_EQ(c.substr(1016), c.substr(0, 8));

    std::vector<PackedFile::Entry> back;
    ASSERT_EQ(Parse(c, &back), PackedFile::Error::None);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, "a.php");
    EXPECT_EQ(back[0].nameLength, 6);
    EXPECT_EQ(back[0].data, "abc");
}

TEST(PackedFile, SizesRoundUpAndStopAtOneMebibyte)
{
    // 16 + 4 + 8 + (8 + 8 + 996) = 1040 -> 2 KiB.
    EXPECT_EQ(Container({{"x.bin.x", std::string(996, 'x')}}).size(), 2048u);
    std::vector<FileEntry> big = {Make("big.bin", std::string(1024 * 1024 - 28 - 16, 'b'))};
    std::vector<const FileEntry*> ptrs = {&big[0]};
    std::string out;
    EXPECT_EQ(PackedFile::Build(ptrs, 0, 0, out), PackedFile::Error::None);
    EXPECT_EQ(out.size(), 1024u * 1024u);
    big[0].data += "!";
    EXPECT_EQ(PackedFile::Build(ptrs, 0, 0, out), PackedFile::Error::TooLarge);
    // A name whose one-byte length wrapped is refused, not written short.
    FileEntry wrapped = Make(std::string(300, 'n'), "d");
    ptrs = {&wrapped};
    EXPECT_EQ(PackedFile::Build(ptrs, 0, 0, out), PackedFile::Error::BadName);
    // A file too big for the 24-bit length is a set too large, not a bad name.
    FileEntry huge = Make("huge.bin", std::string(0x1000000, 'h'));
    ptrs = {&huge};
    EXPECT_EQ(PackedFile::Build(ptrs, 0, 0, out), PackedFile::Error::TooLarge);
}

TEST(PackedFile, EveryLyingFieldIsRefused)
{
    const std::string good = Container({{"one.php", "<?php ?>"}, {"two.txt", std::string(5000, 't')}}, 4);
    ASSERT_EQ(good.size(), 5120u);
    std::string c;
    using E = PackedFile::Error;

    EXPECT_EQ(Parse(good.substr(0, 15)), E::Incorrect);
    c = good; c[0] = 'x';
    EXPECT_EQ(Parse(c), E::Incorrect);
    c = good; c[6] ^= 1;
    EXPECT_EQ(Parse(c), E::HeadCrc);
    c = good; c[4] = 0; PutCrc(c, 0);                     // size 0
    EXPECT_EQ(Parse(c), E::Incorrect);
    c = good; c[4] = 7; PutCrc(c, 0);                     // beyond the file
    EXPECT_EQ(Parse(c), E::Incorrect);
    EXPECT_EQ(Parse(good.substr(0, 5000)), E::Incorrect); // truncated inside its size
    c = good; c[good.size() - 8] = 'x';
    EXPECT_EQ(Parse(c), E::Incorrect);
    c = good; c[good.size() - 1] ^= 1;
    EXPECT_EQ(Parse(c), E::TailCrc);
    c = good; c[10] = static_cast<char>(0xFF);           // entries past the end
    EXPECT_EQ(Parse(c), E::Incorrect);
    c = good; c[16 + 1] = static_cast<char>(0xFF); c[16 + 3] = 0x7F;  // L far too long
    EXPECT_EQ(Parse(c), E::Incorrect);
    c = good; c[16 + 1] = 9;                              // L a little off: CRC catches it
    EXPECT_NE(Parse(c), E::None);
    c = good; c[16] = static_cast<char>(0xF0);            // N too long
    EXPECT_NE(Parse(c), E::None);
    c = good; c[16 + 4 + 8 + 2] ^= 0x20;                  // data byte: entry CRC
    EXPECT_EQ(Parse(c), E::FileCrc);
    EXPECT_EQ(Parse(good), E::None);
}

TEST(PackedFile, ImagesMustKeepEveryEntryInsideTheirCount)
{
    std::string c = Container({{"a.php", std::string(100, 'a')}}, 0, 0x1234);
    std::vector<PackedFile::Entry> entries;
    PackedFile::ImageInfo info;
    auto p = reinterpret_cast<const uint8_t*>(c.data());
    EXPECT_EQ(PackedFile::ParseImage(p, c.size(), entries, info), PackedFile::Error::None);
    EXPECT_EQ(info.fsValue, 0x1234);
    EXPECT_EQ(PackedFile::ParseImage(p, 60, entries, info), PackedFile::Error::Incorrect);
    EXPECT_EQ(PackedFile::ParseImage(p, 8, entries, info), PackedFile::Error::Incorrect);
}

} // namespace
