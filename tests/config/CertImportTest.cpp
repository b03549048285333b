// Certificates and keys imported from files made with the openssl command line.
#include "CertTestSupport.h"
#include "config/KeyBlocks.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

class CertImportTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new ScratchDir;
        ScratchDir& d = *s_dir;
        ASSERT_TRUE(d.OpenSsl("req -x509 -newkey rsa:1024 -nodes -keyout k.pem -out c.pem -days 30 -subj /CN=ca-test"));
        ASSERT_TRUE(d.OpenSsl("x509 -in c.pem -outform DER -out c.der"));
        ASSERT_TRUE(d.OpenSsl("pkey -in k.pem -outform DER -out k.der"));
        ASSERT_TRUE(d.OpenSsl("pkcs12 -export -legacy -in c.pem -inkey k.pem -passout pass:secret -out legacy.p12"));
        // Without the legacy provider the 3.0 command line writes this key
        // unencrypted, and says nothing.
        ASSERT_TRUE(d.OpenSsl("rsa -in k.pem -des -traditional -passout pass:secret -provider legacy "
                              "-provider default -out kdes.pem"));
        ASSERT_TRUE(d.OpenSsl("genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out ec.pem"));
        ASSERT_TRUE(d.OpenSsl("genrsa -out other.pem 1024"));
        ASSERT_TRUE(d.OpenSsl("req -x509 -newkey rsa:4096 -nodes -keyout big.key -out big.pem -days 1 -subj /CN=big"));
        d.Write("both.pem", d.Read("c.pem") + d.Read("k.pem"));
    }
    static void TearDownTestSuite() { delete s_dir; }
    static ScratchDir* s_dir;
    const ScratchDir& dir() { return *s_dir; }
};
ScratchDir* CertImportTest::s_dir = nullptr;

}  // namespace

TEST_F(CertImportTest, EachFormatOfCertificate) {
    struct Case {
        const char* file;
        std::vector<std::string> answers;
        CertReadResult result;
        CertFormat format;
        bool keyWithIt;
        int asked;
    } cases[] = {
        {"c.der", {}, CertReadResult::Ok, CertFormat::Der, false, 0},
        {"c.pem", {}, CertReadResult::Ok, CertFormat::Pem, false, 0},
        {"legacy.p12", {"secret"}, CertReadResult::Ok, CertFormat::Pkcs12, true, 1},
        {"legacy.p12", {"wrong"}, CertReadResult::Damaged, CertFormat::None, false, 1},
        {"legacy.p12", {}, CertReadResult::Cancelled, CertFormat::None, false, 1},
        {"k.der", {}, CertReadResult::Damaged, CertFormat::None, false, 0},  // no pass phrase asked for
    };
    for (const Case& c : cases) {
        ScriptedPrompt prompt(c.answers);
        CertFormat format;
        CertKeys keys;
        EXPECT_EQ(c.result, CCertImport::ReadCertificate(dir().Read(c.file), prompt, format, keys)) << c.file;
        EXPECT_EQ(c.format, format) << c.file;
        EXPECT_EQ(c.result == CertReadResult::Ok, keys.cert != nullptr) << c.file;
        EXPECT_EQ(c.keyWithIt, keys.rsa != nullptr) << c.file;
        EXPECT_EQ(c.asked, prompt.asked) << c.file;
        if (keys.rsa) {
            EXPECT_TRUE(CCertImport::IsUsableRsaKey(keys.cert.get(), keys.rsa.get()));
        }
    }
}

TEST_F(CertImportTest, KeyBesideTheCertificateOrInAFileOfItsOwnAndOnlyItsOwn) {
    ScriptedPrompt none;
    CertFormat format;
    CertKeys keys;
    ASSERT_EQ(CertReadResult::Ok, CCertImport::ReadCertificate(dir().Read("both.pem"), none, format, keys));
    ossl::PKeyPtr key;
    EXPECT_EQ(KeyReadResult::Ok, CCertImport::ReadKeyBeside(dir().Read("both.pem"), format, none, key));
    EXPECT_TRUE(CCertImport::IsUsableRsaKey(keys.cert.get(), key.get()));
    EXPECT_EQ(KeyReadResult::NoKey, CCertImport::ReadKeyBeside(dir().Read("c.pem"), CertFormat::Pem, none, key));
    EXPECT_EQ(KeyReadResult::NoKey, CCertImport::ReadKeyBeside(dir().Read("c.der"), CertFormat::Der, none, key));

    EXPECT_EQ(KeyReadResult::Ok, CCertImport::ReadKeyFile(dir().Read("k.der"), none, key));
    EXPECT_TRUE(CCertImport::IsUsableRsaKey(keys.cert.get(), key.get()));

    ScriptedPrompt once({"secret"});
    EXPECT_EQ(KeyReadResult::Ok, CCertImport::ReadKeyFile(dir().Read("kdes.pem"), once, key));
    EXPECT_EQ(1, once.asked);
    EXPECT_TRUE(CCertImport::IsUsableRsaKey(keys.cert.get(), key.get()));
    ScriptedPrompt wrong({"nope"});
    EXPECT_EQ(KeyReadResult::BadPassPhrase, CCertImport::ReadKeyFile(dir().Read("kdes.pem"), wrong, key));
    ScriptedPrompt cancel;
    EXPECT_EQ(KeyReadResult::Cancelled, CCertImport::ReadKeyFile(dir().Read("kdes.pem"), cancel, key));
    EXPECT_EQ(KeyReadResult::NoKey, CCertImport::ReadKeyFile("not a key", none, key));

    // Only the certificate's own RSA key is usable.
    ossl::PKeyPtr ec, other;
    ASSERT_EQ(KeyReadResult::Ok, CCertImport::ReadKeyFile(dir().Read("ec.pem"), none, ec));
    ASSERT_EQ(KeyReadResult::Ok, CCertImport::ReadKeyFile(dir().Read("other.pem"), none, other));
    EXPECT_FALSE(CCertImport::IsUsableRsaKey(keys.cert.get(), ec.get()));
    EXPECT_FALSE(CCertImport::IsUsableRsaKey(keys.cert.get(), other.get()));
    EXPECT_FALSE(CCertImport::IsUsableRsaKey(keys.cert.get(), nullptr));
}

TEST(PemPasswordCallback, CopiesBoundedAndToleratesMissingParts) {
    ScriptedPrompt prompt({std::string(300, 'x'), "abc"});
    PassPhraseRequest request(&prompt);
    char small[8];
    std::memset(small, '#', sizeof(small));
    EXPECT_EQ(8, PemPasswordCallback(small, sizeof(small), 0, &request));  // no room for a terminator
    EXPECT_EQ(255u, std::strlen(request.phrase));
    char buf[16];
    EXPECT_EQ(3, PemPasswordCallback(buf, sizeof(buf), 0, &request));
    EXPECT_STREQ("abc", buf);
    EXPECT_STREQ("abc", request.phrase);
    EXPECT_EQ(0, PemPasswordCallback(buf, sizeof(buf), 0, &request));  // cancelled
    EXPECT_TRUE(request.cancelled);
    EXPECT_EQ(0, PemPasswordCallback(buf, sizeof(buf), 0, nullptr));
    EXPECT_EQ(0, PemPasswordCallback(nullptr, 16, 0, &request));
}

TEST_F(CertImportTest, A4096BitKeyIsRefusedAndNothingIsBuilt) {
    ScriptedPrompt none;
    CertFormat format;
    CertKeys keys;
    ossl::PKeyPtr key;
    ASSERT_EQ(CertReadResult::Ok, CCertImport::ReadCertificate(dir().Read("big.pem"), none, format, keys));
    ASSERT_EQ(KeyReadResult::Ok, CCertImport::ReadKeyFile(dir().Read("big.key"), none, key));
    CertUploadBlocks blocks;
    std::string error;
    EXPECT_FALSE(CKeyBlocks::PrepareUpload(keys.cert.get(), key.get(), nullptr, CertBlockCopy{}, blocks, error));
    EXPECT_EQ("Invalid RSA P length [256]", error);
    EXPECT_TRUE(blocks.keyBlock.empty() && blocks.certBlock.empty());
}
