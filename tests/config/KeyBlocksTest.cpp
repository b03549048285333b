// Key and certificate blocks, byte by byte, and the certificate read back.
#include "config/KeyBlocks.h"
#include "link/codecs/Crc16.h"
#include "link/codecs/EnvBlock.h"

#include <gtest/gtest.h>

namespace {

ByteVector Bytes(size_t n, uint8_t fill) { return ByteVector(n, fill); }

ByteVector Head(const ByteVector& v, size_t n) { return ByteVector(v.begin(), v.begin() + n); }

// One record as the board writes it.
ByteVector Record(uint8_t type, uint8_t sub, const ByteVector& data) {
    ByteVector block;
    EnvBlock::Begin(block);
    EnvBlock::AppendRecord(block, type, sub, data.data(), data.size());
    return ByteVector(block.begin() + EnvBlock::kHeaderSize, block.end());
}

ByteVector Cat(std::initializer_list<ByteVector> parts) {
    ByteVector out;
    for (const ByteVector& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

TEST(KeyBlocks, KeyBlockLayout) {
    RsaPrimes rsa{Bytes(64, 0xA1), Bytes(64, 0xB2)};
    DsaNumbers dsa{Bytes(128, 0xC3), Bytes(20, 0xD4), Bytes(127, 0xE5), Bytes(19, 0xF6)};
    ByteVector block;
    std::string error;
    ASSERT_TRUE(CKeyBlocks::BuildKeyBlock(rsa, &dsa, nullptr, 0, block, error));
    EXPECT_EQ((ByteVector{0x65, 0x56, 0x6E, 0x43, 0x48, 0x02}), Head(block, 6));
    ASSERT_EQ(584u, block.size());
    const uint8_t* r = &block[16];
    EXPECT_EQ((ByteVector{0x0B, 0x00, 0x08, 0x01}), ByteVector(r, r + 4));
    EXPECT_EQ(Bytes(64, 0), ByteVector(r + 4, r + 68));  // right-aligned
    EXPECT_EQ(Bytes(64, 0xA1), ByteVector(r + 68, r + 132));
    EXPECT_EQ(Bytes(64, 0xB2), ByteVector(r + 196, r + 260));
    EXPECT_EQ(CalcCrc16(262, r), r[262] | r[263] << 8);
    const uint8_t* d = r + 264;
    EXPECT_EQ((ByteVector{0x0B, 0x01, 0x30, 0x01}), ByteVector(d, d + 4));
    EXPECT_EQ(0xC3, d[4]);
    EXPECT_EQ(0xD4, d[132]);
    EXPECT_EQ(0, d[152]);  // g has 127 bytes: one leading zero
    EXPECT_EQ(0xE5, d[153]);
    EXPECT_EQ(0, d[280]);
    EXPECT_EQ(0xF6, d[281]);
    EXPECT_EQ(CalcCrc16(302, d), d[302] | d[303] << 8);
}

TEST(KeyBlocks, NumbersTooLongForTheirFieldsAreRefused) {
    struct Case {
        RsaPrimes rsa;
        DsaNumbers dsa;
        const char* message;
    } cases[] = {
        {{Bytes(129, 1), Bytes(64, 1)}, {}, "Invalid RSA P length [129]"},
        {{Bytes(128, 1), Bytes(130, 1)}, {}, "Invalid RSA Q length [130]"},
        {{Bytes(64, 1), Bytes(64, 1)}, {Bytes(129, 1), Bytes(20, 1), Bytes(1, 1), Bytes(1, 1)}, "Invalid DSA P length [129]"},
        {{Bytes(64, 1), Bytes(64, 1)}, {Bytes(128, 1), Bytes(28, 1), Bytes(1, 1), Bytes(1, 1)}, "Invalid DSA Q length [28]"},
        {{Bytes(64, 1), Bytes(64, 1)}, {Bytes(128, 1), Bytes(20, 1), Bytes(129, 1), Bytes(1, 1)}, "Invalid DSA G length [129]"},
        {{Bytes(64, 1), Bytes(64, 1)}, {Bytes(128, 1), Bytes(20, 1), Bytes(1, 1), Bytes(21, 1)},
         "Invalid DSA PRIV. KEY length [21]"},
    };
    for (const Case& c : cases) {
        ByteVector block;
        std::string error;
        EXPECT_FALSE(CKeyBlocks::BuildKeyBlock(c.rsa, c.dsa.p.empty() ? nullptr : &c.dsa, nullptr, 0, block, error));
        EXPECT_EQ(c.message, error);
        EXPECT_TRUE(block.empty());
    }
}

TEST(KeyBlocks, BoardRecordsSevenAndEightAreCarriedOverInOrder) {
    ByteVector seven = Record(0x0B, 7, Bytes(10, 0x77)), eight = Record(0x0B, 8, Bytes(3, 0x88));
    ByteVector area = Cat({Record(0x0B, 2, Bytes(40, 1)), eight, Record(0x0C, 7, Bytes(4, 2)), seven});
    RsaPrimes rsa{Bytes(128, 1), Bytes(128, 2)};
    ByteVector block;
    std::string error;
    ASSERT_TRUE(CKeyBlocks::BuildKeyBlock(rsa, nullptr, area.data(), int(area.size()), block, error));
    EXPECT_EQ(Cat({eight, seven}), ByteVector(block.begin() + 16 + 264, block.end()));

    // A record that claims more than is left ends the walk; so does a zero length.
    ByteVector lying = Cat({seven, eight});
    lying[seven.size() + 2] = 0xFF;
    ASSERT_TRUE(CKeyBlocks::BuildKeyBlock(rsa, nullptr, lying.data(), int(lying.size()), block, error));
    EXPECT_EQ(seven, ByteVector(block.begin() + 16 + 264, block.end()));
    ByteVector zero = Cat({Bytes(4, 0), seven});
    ASSERT_TRUE(CKeyBlocks::BuildKeyBlock(rsa, nullptr, zero.data(), int(zero.size()), block, error));
    EXPECT_EQ(16u + 264u, block.size());

    // Carried records that would overflow the block's length refuse it.
    ByteVector big;
    for (int i = 0; i < 70; ++i) big = Cat({big, Record(0x0B, 7, Bytes(996, 1))});
    EXPECT_FALSE(CKeyBlocks::BuildKeyBlock(rsa, nullptr, big.data(), int(big.size()), block, error));
    EXPECT_EQ(0u, error.find("Invalid key block length ["));
}

TEST(KeyBlocks, CertificateBlockAndItsLimit) {
    ByteVector der = Bytes(1000, 0x30);
    ByteVector block;
    std::string error;
    ASSERT_TRUE(CKeyBlocks::BuildCertBlock(der, block, error));
    EXPECT_EQ((ByteVector{0x65, 0x56, 0x6E, 0x4D}), Head(block, 4));
    EXPECT_EQ(Record(0x0B, 2, der), ByteVector(block.begin() + 16, block.end()));

    EXPECT_TRUE(CKeyBlocks::BuildCertBlock(Bytes(65510, 1), block, error));  // a 65516-byte record: 65532 in all
    EXPECT_FALSE(CKeyBlocks::BuildCertBlock(Bytes(65511, 1), block, error));
    EXPECT_EQ("Invalid certificate length [65511]", error);
}

TEST(KeyBlocks, FindCertificateBoundsEveryRecord) {
    ByteVector der = Bytes(41, 0x30);
    ByteVector cert = Record(0x0B, 2, der);
    ByteVector other = Record(0x0B, 7, Bytes(8, 1));
    ByteVector badCrc = cert;
    badCrc[10] ^= 1;
    struct Case {
        const char* name;
        ByteVector area;
        int expected;
    } cases[] = {
        {"found after another", Cat({other, cert}), int(cert.size()) - 6},
        {"zero length", Cat({Bytes(4, 0), cert}), 0},
        // The walk's own bounds are the record walker's (its tests); here only
        // which of its refusals are a damaged certificate.
        {"passes the end", ByteVector(cert.begin(), cert.end() - 4), -1},
        {"bad crc", badCrc, -1},
        {"short head", ByteVector{0x0B, 0x02, 0x10}, 0},
        {"empty", {}, 0},
    };
    for (const Case& c : cases) {
        ByteVector out;
        EXPECT_EQ(c.expected, CKeyBlocks::FindCertificate(c.area.data(), int(c.area.size()), out)) << c.name;
        EXPECT_EQ(size_t(c.expected > 0 ? c.expected : 0), out.size()) << c.name;
    }
    ByteVector out;
    EXPECT_EQ(0, CKeyBlocks::FindCertificate(cert.data(), -1, out));
}
