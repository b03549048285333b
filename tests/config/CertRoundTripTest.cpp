// Runs in both builds: under Wine it checks the static MinGW libcrypto (its
// built-in legacy provider included) on the roads to the board.
#include "config/CertImport.h"
#include "config/KeyBlocks.h"
#include "link/codecs/EnvBlock.h"

#include <gtest/gtest.h>

namespace {
struct FixedPrompt : IPassPhrasePrompt {
    bool Ask(std::string& phrase) override {
        phrase = "secret";
        return true;
    }
};
}  // namespace

TEST(CertRoundTrip, MadeAndImportedCertificatesPackAndReadBack) {
    ASSERT_TRUE(COpenSslLib::Start());
    EXPECT_TRUE(COpenSslLib::HasLegacy());
    CertKeys made;
    std::string error;
    ASSERT_TRUE(CCertMaker::MakeSelfSigned({"KR", "S", "L", "O", "U", "192.168.0.2", "a@b.c"}, 1024, made, error))
        << error;
    // The board's own 0x0B/8 record rides along in the key block.
    ByteVector kept;
    EnvBlock::Begin(kept);
    EnvBlock::AppendRecord(kept, 0x0B, 8, "keep", 4);
    CertBlockCopy board{ByteVector(kept.begin() + 16, kept.end()), 12};
    CertUploadBlocks blocks;
    ASSERT_TRUE(CKeyBlocks::PrepareUpload(made.cert.get(), made.rsa.get(), made.dsa.get(), board, blocks, error));
    EXPECT_EQ(16u + 264u + 304u + 12u, blocks.keyBlock.size());
    ByteVector der;
    int n = CKeyBlocks::FindCertificate(blocks.certBlock.data() + 16, int(blocks.certBlock.size()) - 16, der);
    ASSERT_GT(n, 0);
    const unsigned char* p = der.data();
    ossl::X509Ptr back(d2i_X509(nullptr, &p, n));
    ASSERT_TRUE(back);
    EXPECT_EQ(0, X509_cmp(back.get(), made.cert.get()));

    // PKCS#12 with the old RC2-40 certificate encryption, as older tools write it.
    PKCS12* p12 = PKCS12_create("secret", "board", made.rsa.get(), made.cert.get(), nullptr,
                                NID_pbe_WithSHA1And3_Key_TripleDES_CBC, NID_pbe_WithSHA1And40BitRC2_CBC, 0, 0, 0);
    ASSERT_NE(nullptr, p12);
    ossl::BioPtr bio(BIO_new(BIO_s_mem()));
    i2d_PKCS12_bio(bio.get(), p12);
    PKCS12_free(p12);
    FixedPrompt prompt;
    CertFormat format;
    CertKeys imported;
    ASSERT_EQ(CertReadResult::Ok,
              CCertImport::ReadCertificate(COpenSslLib::BioText(bio.get()), prompt, format, imported));
    EXPECT_TRUE(CCertImport::IsUsableRsaKey(imported.cert.get(), imported.rsa.get()));
    // No DSA key, and a board copy of length -1 carries nothing over.
    board.length = -1;
    ASSERT_TRUE(CKeyBlocks::PrepareUpload(imported.cert.get(), imported.rsa.get(), nullptr, board, blocks, error));
    EXPECT_EQ(16u + 264u, blocks.keyBlock.size());
}
