#include "link/codecs/Crc16.h"

#include <gtest/gtest.h>

TEST(Crc16, CatalogueCheckValues)
{
    // CRC-16/AUG-CCITT from the CRC catalogue.
    EXPECT_EQ(CalcCrc16(9, "123456789"), 0xE5CC);
    EXPECT_EQ(CalcCrc16(0, ""), 0x1D0F);
    EXPECT_EQ(CalcCrc16(3, "abc"), 0x8CDA);
}

TEST(FileTypes, ByTheExtensionAfterTheLastDot)
{
    EXPECT_EQ(GetFileExtension("Index.PHP"), "php");
    EXPECT_EQ(GetFileExtension("dir.old/file"), "old/file");
    EXPECT_EQ(GetFileExtension("trailing."), "");
    // Text, PHP, image, GIF, packed file.
    const struct { const char* name; const char* kinds; } rows[] = {
        {"Index.PHP", "TP..."}, {"a.htm", "T...."},  {"a.asp", "T...."},     {"a.ini", "T...."},
        {"a.php.bak", "....."}, {"a.phpx", "....."}, {"photo.JPEG", "..I.."}, {"photo.jpe", "....."},
        {"a.bmp", "..I.."},     {"a.ico", "..I.."},  {"x.GIF", "..IG."},      {"project.KBX", "....K"},
        {"php", "....."},       {"kbx", "....."},    {"", "....."},
    };
    for (auto& r : rows) {
        const std::string kinds = {IsTextFile(r.name) ? 'T' : '.', IsPhpFile(r.name) ? 'P' : '.',
                                   IsImageFile(r.name) ? 'I' : '.', IsGifFile(r.name) ? 'G' : '.',
                                   IsPackedFile(r.name) ? 'K' : '.'};
        EXPECT_EQ(kinds, r.kinds) << r.name;
    }
}
