// The self-signed certificate and its keys, checked by OpenSSL and its command line.
#include "CertTestSupport.h"
#include "config/CertText.h"
#include "config/KeyBlocks.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>

namespace {

CertSubject Subject() {
    return {"KR", "Gyeonggi-do", "Seongnam", "Tavrel Systems", "Research Team", "192.168.0.100", "dev@example.com"};
}

class CertMakerTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(CCertMaker::MakeSelfSigned(Subject(), 1024, s_keys, error)) << error;
    }
    static void TearDownTestSuite() { s_keys = CertKeys{}; }
    static CertKeys s_keys;
};
CertKeys CertMakerTest::s_keys;

int EntryType(X509* cert, int nid) {
    X509_NAME* name = X509_get_subject_name(cert);
    int i = X509_NAME_get_index_by_NID(name, nid, -1);
    return i < 0 ? -1 : ASN1_STRING_type(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, i)));
}

}  // namespace

TEST_F(CertMakerTest, CertificateVerifiesAndPrintsWithTheCommandLine) {
    X509* cert = s_keys.cert.get();
    EXPECT_EQ(X509_VERSION_3, X509_get_version(cert));
    EXPECT_EQ(0, ASN1_INTEGER_get(X509_get0_serialNumber(cert)));
    int days = 0, secs = 0;
    ASSERT_TRUE(ASN1_TIME_diff(&days, &secs, X509_get0_notBefore(cert), X509_get0_notAfter(cert)));
    EXPECT_EQ(365, days);
    EXPECT_EQ(0, secs);
    EXPECT_EQ(NID_sha1WithRSAEncryption, X509_get_signature_nid(cert));
    EXPECT_EQ(0, X509_NAME_cmp(X509_get_subject_name(cert), X509_get_issuer_name(cert)));

    ScratchDir dir;
    dir.Write("c.pem", ToPem(cert));
    // A 1024-bit key with a SHA-1 signature is below the command line's default
    // security level; the board's TLS stack takes it.
    EXPECT_TRUE(dir.OpenSsl("verify -auth_level 0 -check_ss_sig -CAfile c.pem c.pem"));
    ASSERT_TRUE(dir.OpenSsl("x509 -in c.pem -noout -subject -nameopt RFC2253 -out s.txt"));
    EXPECT_EQ("subject=emailAddress=dev@example.com,CN=192.168.0.100,OU=Research Team,O=Tavrel Systems,"
              "L=Seongnam,ST=Gyeonggi-do,C=KR\n",
              dir.Read("s.txt"));
}

TEST_F(CertMakerTest, KeysHaveTheShapeTheKeyBlockNeeds) {
    BIGNUM *n = nullptr, *p = nullptr, *q = nullptr;
    ASSERT_TRUE(EVP_PKEY_get_bn_param(s_keys.rsa.get(), OSSL_PKEY_PARAM_RSA_N, &n));
    ASSERT_TRUE(EVP_PKEY_get_bn_param(s_keys.rsa.get(), OSSL_PKEY_PARAM_RSA_FACTOR1, &p));
    ASSERT_TRUE(EVP_PKEY_get_bn_param(s_keys.rsa.get(), OSSL_PKEY_PARAM_RSA_FACTOR2, &q));
    BN_CTX* ctx = BN_CTX_new();
    BIGNUM* pq = BN_new();
    BN_mul(pq, p, q, ctx);
    EXPECT_EQ(0, BN_cmp(pq, n));
    EXPECT_EQ(1024, BN_num_bits(n));
    for (BIGNUM* b : {n, p, q, pq}) BN_free(b);
    BN_CTX_free(ctx);

    DsaNumbers dsa;
    ASSERT_TRUE(CKeyBlocks::GetDsaNumbers(s_keys.dsa.get(), dsa));
    EXPECT_EQ(128u, dsa.p.size());
    EXPECT_EQ(20u, dsa.q.size());
    EXPECT_LE(dsa.g.size(), 128u);
    EXPECT_LE(dsa.priv.size(), 20u);
}

TEST_F(CertMakerTest, PrintableTextsKeepPrintableStringOthersAreUtf8) {
    X509* cert = s_keys.cert.get();
    EXPECT_EQ(V_ASN1_PRINTABLESTRING, EntryType(cert, NID_countryName));
    EXPECT_EQ(V_ASN1_PRINTABLESTRING, EntryType(cert, NID_commonName));
    EXPECT_EQ(V_ASN1_PRINTABLESTRING, EntryType(cert, NID_organizationalUnitName));
    EXPECT_EQ(V_ASN1_IA5STRING, EntryType(cert, NID_pkcs9_emailAddress));

    X509_NAME* name = X509_NAME_new();
    CertSubject korean = Subject();
    korean.organisation = "\xED\x83\x9C\xEB\xB8\x8C\xEB\xA0\x88";  // three Hangul syllables
    korean.locality = "Seongnam_1";                                 // '_' is not printable-string
    std::string error;
    ASSERT_TRUE(CCertMaker::BuildName(name, korean, error)) << error;
    auto type = [&](int nid) {
        return ASN1_STRING_type(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, X509_NAME_get_index_by_NID(name, nid, -1))));
    };
    EXPECT_EQ(V_ASN1_UTF8STRING, type(NID_organizationName));
    EXPECT_EQ(V_ASN1_UTF8STRING, type(NID_localityName));
    EXPECT_EQ(V_ASN1_PRINTABLESTRING, type(NID_stateOrProvinceName));
    X509_NAME_free(name);
}

TEST(CertSubjectFields, OpenSslRefusalsNameTheField) {
    struct Case {
        std::string CertSubject::*field;
        std::string value;
        const char* expected;
    } cases[] = {
        {&CertSubject::commonName, "", "Common Name : string too short"},
        {&CertSubject::commonName, std::string(65, 'a'), "Common Name : string too long"},
        {&CertSubject::state, std::string(129, 'a'), "State or Province Name : string too long"},
        {&CertSubject::country, "K", "Country Name : string too short"},
        {&CertSubject::organisation, "\xC0\xAF", "Organization Name : invalid utf8string"},
        {&CertSubject::email, "\xED\x83\x9C@x", "Email Address : illegal characters"},
    };
    for (const Case& c : cases) {
        CertSubject s = Subject();
        s.*c.field = c.value;
        X509_NAME* name = X509_NAME_new();
        std::string error;
        EXPECT_FALSE(CCertMaker::BuildName(name, s, error)) << c.expected;
        EXPECT_EQ(0u, error.find(c.expected)) << error;
        X509_NAME_free(name);
    }
    CertSubject longest = Subject();
    longest.commonName = std::string(64, 'a');
    longest.locality = std::string(128, 'b');
    X509_NAME* name = X509_NAME_new();
    std::string error;
    EXPECT_TRUE(CCertMaker::BuildName(name, longest, error)) << error;
    X509_NAME_free(name);
}

TEST_F(CertMakerTest, TextShowsTheCountryName) {
    std::string text = CCertText::Format(s_keys.cert.get());
    EXPECT_NE(std::string::npos, text.find("Issuer :\r\n    countryName               = KR - Korea, Republic of\r\n"));
    EXPECT_NE(std::string::npos, text.find("Subject :\r\n    countryName               = KR - Korea, Republic of\r\n"));
    EXPECT_NE(std::string::npos, text.find("Algorithm : sha1WithRSAEncryption\r\n\r\n"));
    EXPECT_NE(std::string::npos, text.find("    Public Key Algorithm: rsaEncryption\r\n"));
    EXPECT_NE(std::string::npos, text.find("    Not After  : "));
    EXPECT_EQ(std::string::npos, text.find("\n\n"));  // every line break is CR LF

    CertSubject s = Subject();
    s.country = "ZZ";
    X509_NAME* unknown = X509_NAME_new();
    std::string error;
    ASSERT_TRUE(CCertMaker::BuildName(unknown, s, error));
    EXPECT_EQ(0u, CCertText::FormatName(unknown).find("    countryName               = ZZ - Unknown\r\n"));
    X509_NAME* none = X509_NAME_new();
    X509_NAME_add_entry_by_txt(none, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("x"), -1, -1, 0);
    EXPECT_EQ("    commonName                = x", CCertText::FormatName(none));
    X509_NAME_free(unknown);
    X509_NAME_free(none);
}
