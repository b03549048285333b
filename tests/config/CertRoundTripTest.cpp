// Runs in both builds: under Wine it checks the static MinGW libcrypto
// (its built-in legacy provider included) on the same roads.
#include "config/CertImport.h"
#include "config/KeyBlocks.h"

#include <gtest/gtest.h>
#include <openssl/pem.h>

namespace {

class FixedPrompt : public IPassPhrasePrompt {
public:
    explicit FixedPrompt(const char* phrase) : m_phrase(phrase) {}
    bool Ask(std::string& phrase) override {
        ++asked;
        phrase = m_phrase;
        return true;
    }
    int asked = 0;

private:
    const char* m_phrase;
};

std::string BioBytes(BIO* bio) { return COpenSslLib::BioText(bio); }

}  // namespace

TEST(CertRoundTrip, MakeImportPackAndReadBack) {
    ASSERT_TRUE(COpenSslLib::Start());
    EXPECT_TRUE(COpenSslLib::HasLegacy());
    CertKeys made;
    std::string error;
    ASSERT_TRUE(CCertMaker::MakeSelfSigned({"KR", "S", "L", "O", "Research Team", "192.168.0.2", "a@b.c"}, 1024,
                                           made, error))
        << error;
    DsaNumbers dsa;
    ASSERT_TRUE(CKeyBlocks::GetDsaNumbers(made.dsa.get(), dsa));
    EXPECT_EQ(20u, dsa.q.size());

    // PKCS#12 with the old RC2-40 certificate encryption, as older tools write it.
    PKCS12* p12 = PKCS12_create("secret", "board", made.rsa.get(), made.cert.get(), nullptr,
                                NID_pbe_WithSHA1And3_Key_TripleDES_CBC, NID_pbe_WithSHA1And40BitRC2_CBC, 0, 0, 0);
    ASSERT_NE(nullptr, p12);
    ossl::BioPtr p12Bio(BIO_new(BIO_s_mem()));
    i2d_PKCS12_bio(p12Bio.get(), p12);
    PKCS12_free(p12);
    FixedPrompt right("secret"), wrong("nope");
    CertFormat format;
    CertKeys imported;
    EXPECT_EQ(CertReadResult::Damaged, CCertImport::ReadCertificate(BioBytes(p12Bio.get()), wrong, format, imported));
    ASSERT_EQ(CertReadResult::Ok, CCertImport::ReadCertificate(BioBytes(p12Bio.get()), right, format, imported));
    EXPECT_EQ(CertFormat::Pkcs12, format);
    EXPECT_TRUE(CCertImport::IsUsableRsaKey(imported.cert.get(), imported.rsa.get()));

    // A PEM key under DES-CBC opens after one question.
    ossl::BioPtr pem(BIO_new(BIO_s_mem()));
    ASSERT_TRUE(PEM_write_bio_PrivateKey_traditional(pem.get(), made.rsa.get(), EVP_des_cbc(),
                                                     reinterpret_cast<const unsigned char*>("secret"), 6, nullptr,
                                                     nullptr));
    FixedPrompt once("secret");
    ossl::PKeyPtr key;
    ASSERT_EQ(KeyReadResult::Ok, CCertImport::ReadKeyFile(BioBytes(pem.get()), once, key));
    EXPECT_EQ(1, once.asked);
    EXPECT_TRUE(CCertImport::IsUsableRsaKey(made.cert.get(), key.get()));

    CertUploadBlocks blocks;
    ASSERT_TRUE(CKeyBlocks::PrepareUpload(imported.cert.get(), key.get(), made.dsa.get(), CertBlockCopy{}, blocks,
                                          error))
        << error;
    EXPECT_EQ(16u + 264u + 304u, blocks.keyBlock.size());
    ByteVector der;
    int n = CKeyBlocks::FindCertificate(blocks.certBlock.data() + 16, int(blocks.certBlock.size()) - 16, der);
    ASSERT_GT(n, 0);
    const unsigned char* p = der.data();
    ossl::X509Ptr back(d2i_X509(nullptr, &p, n));
    ASSERT_TRUE(back);
    EXPECT_EQ(0, X509_cmp(back.get(), made.cert.get()));
}
