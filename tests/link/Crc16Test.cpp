#include "link/codecs/Crc16.h"

#include <gtest/gtest.h>

TEST(Crc16, CatalogueCheckValues)
{
    // CRC-16/AUG-CCITT from the CRC catalogue.
    EXPECT_EQ(CalcCrc16(9, "123456789"), 0xE5CC);
    EXPECT_EQ(CalcCrc16(0, ""), 0x1D0F);
}
