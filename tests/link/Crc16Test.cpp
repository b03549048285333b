#include "link/codecs/Crc16.h"

#include <gtest/gtest.h>

TEST(Crc16, CatalogueCheckValues)
{
    // CRC-16/AUG-CCITT from the CRC catalogue.
    EXPECT_EQ(CalcCrc16(9, "123456789"), 0xE5CC);
    EXPECT_EQ(CalcCrc16(0, ""), 0x1D0F);
    EXPECT_EQ(CalcCrc16(3, "abc"), 0x8CDA);
}

TEST(Crc16, MatchesTheAugmentedBitwiseForm)
{
    // Bit by bit, independently of the table: the augmented form with
    // 0xFFFF equals the direct one starting at 0x1D0F.
    auto direct = [](const uint8_t* p, size_t n) {
        uint16_t c = 0x1D0F;
        for (size_t i = 0; i < n; ++i) {
            c ^= uint16_t(p[i] << 8);
            for (int b = 0; b < 8; ++b)
                c = uint16_t(c & 0x8000 ? (c << 1) ^ 0x1021 : c << 1);
        }
        return c;
    };
    uint8_t buf[300];
    uint32_t seed = 12345;
    for (size_t n = 0; n < sizeof buf; n += 7) {
        for (size_t i = 0; i < n; ++i) {
            seed = seed * 1103515245u + 12345u;
            buf[i] = uint8_t(seed >> 16);
        }
        EXPECT_EQ(CalcCrc16(n, buf), direct(buf, n)) << "length " << n;
    }
}

TEST(FileTypes, ExtensionIsAfterTheLastDotLowerCased)
{
    EXPECT_EQ(GetFileExtension("Index.PHP"), "php");
    EXPECT_EQ(GetFileExtension("dir.old/file"), "old/file");
    EXPECT_EQ(GetFileExtension("noext"), "");
    EXPECT_EQ(GetFileExtension("trailing."), "");
}

TEST(FileTypes, Classification)
{
    EXPECT_TRUE(IsTextFile("Index.PHP"));
    EXPECT_TRUE(IsPhpFile("Index.PHP"));
    for (const char* n : {"a.html", "a.htm", "a.asp", "a.txt", "a.ini"})
        EXPECT_TRUE(IsTextFile(n)) << n;
    EXPECT_FALSE(IsTextFile("a.php.bak"));
    EXPECT_FALSE(IsPhpFile("a.php.bak"));
    EXPECT_FALSE(IsPhpFile("a.phpx"));

    EXPECT_TRUE(IsImageFile("photo.JPEG"));
    EXPECT_FALSE(IsImageFile("photo.jpe"));
    for (const char* n : {"a.jpg", "a.bmp", "a.gif", "a.png", "a.ico"})
        EXPECT_TRUE(IsImageFile(n)) << n;
    EXPECT_TRUE(IsGifFile("x.GIF"));
    EXPECT_FALSE(IsGifFile("x.png"));
    EXPECT_TRUE(IsPackedFile("project.KBX"));

    for (const char* n : {"", "php", "kbx"}) {
        EXPECT_FALSE(IsTextFile(n));
        EXPECT_FALSE(IsImageFile(n));
        EXPECT_FALSE(IsPackedFile(n));
    }
}
