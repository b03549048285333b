// The self-signed certificate and its keys, checked by OpenSSL and its command line.
#include "CertTestSupport.h"
#include "config/CertText.h"
#include "config/KeyBlocks.h"

#include <gtest/gtest.h>
#include <openssl/pem.h>

namespace {

CertSubject Subject() {
    return {"KR", "Gyeonggi-do", "Seongnam", "Tavrel Systems", "Research Team", "192.168.0.100", "dev@example.com"};
}

int EntryType(X509_NAME* name, int nid) {
    int i = X509_NAME_get_index_by_NID(name, nid, -1);
    return i < 0 ? -1 : ASN1_STRING_type(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, i)));
}

}  // namespace

// The keys in the blocks (p*q the modulus, the DSA sizes) are the certificate road's,
// read back from the board by the link checker.
TEST(CertMaker, CertificateVerifiesAndPrints) {
    CertKeys keys;
    std::string error;
    ASSERT_TRUE(CCertMaker::MakeSelfSigned(Subject(), 1024, keys, error)) << error;
    X509* cert = keys.cert.get();
    EXPECT_EQ(X509_VERSION_3, X509_get_version(cert));
    EXPECT_EQ(0, ASN1_INTEGER_get(X509_get0_serialNumber(cert)));
    int days = 0, secs = 0;
    ASSERT_TRUE(ASN1_TIME_diff(&days, &secs, X509_get0_notBefore(cert), X509_get0_notAfter(cert)));
    EXPECT_EQ(365, days);
    EXPECT_EQ(0, secs);
    EXPECT_EQ(NID_sha1WithRSAEncryption, X509_get_signature_nid(cert));

    ScratchDir dir;
    ossl::BioPtr pem(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(pem.get(), cert);
    dir.Write("c.pem", COpenSslLib::BioText(pem.get()));
    // A 1024-bit key with a SHA-1 signature is below the command line's default
    // security level; the board's TLS stack takes it.
    EXPECT_TRUE(dir.OpenSsl("verify -auth_level 0 -check_ss_sig -CAfile c.pem c.pem"));
    ASSERT_TRUE(dir.OpenSsl("x509 -in c.pem -noout -subject -issuer -nameopt RFC2253 -out s.txt"));
    EXPECT_EQ("subject=emailAddress=dev@example.com,CN=192.168.0.100,OU=Research Team,O=Tavrel Systems,"
              "L=Seongnam,ST=Gyeonggi-do,C=KR\nissuer=emailAddress=dev@example.com,CN=192.168.0.100,"
              "OU=Research Team,O=Tavrel Systems,L=Seongnam,ST=Gyeonggi-do,C=KR\n",
              dir.Read("s.txt"));

    // Printable texts keep PrintableString; country and e-mail keep their own types.
    X509_NAME* subject = X509_get_subject_name(cert);
    EXPECT_EQ(V_ASN1_PRINTABLESTRING, EntryType(subject, NID_countryName));
    EXPECT_EQ(V_ASN1_PRINTABLESTRING, EntryType(subject, NID_commonName));
    EXPECT_EQ(V_ASN1_IA5STRING, EntryType(subject, NID_pkcs9_emailAddress));

    std::string text = CCertText::Format(cert);
    EXPECT_NE(std::string::npos, text.find("Subject :\r\n    countryName               = KR - Korea, Republic of\r\n"));
    EXPECT_NE(std::string::npos, text.find("    Public Key Algorithm: rsaEncryption\r\n"));  // OpenSSL's own print
    EXPECT_EQ(std::string::npos, text.find("\n\n"));  // every line break is CR LF
}

TEST(CertMaker, SubjectFieldsAsOpenSslTakesThem) {
    struct Case {
        std::string CertSubject::*field;
        std::string value;
        const char* refusal;  // "" when taken
        int nid = 0;
        int type = 0;
    } cases[] = {
        {&CertSubject::commonName, "", "Common Name : string too short", 0, 0},
        {&CertSubject::commonName, std::string(65, 'a'), "Common Name : string too long", 0, 0},
        {&CertSubject::state, std::string(129, 'a'), "State or Province Name : string too long", 0, 0},
        {&CertSubject::country, "K", "Country Name : string too short", 0, 0},
        {&CertSubject::organisation, "\xC0\xAF", "Organization Name : invalid utf8string", 0, 0},
        {&CertSubject::email, "\xED\x83\x9C@x", "Email Address : illegal characters", 0, 0},
        {&CertSubject::commonName, std::string(64, 'a'), "", NID_commonName, V_ASN1_PRINTABLESTRING},
        {&CertSubject::locality, std::string(128, 'b'), "", NID_localityName, V_ASN1_PRINTABLESTRING},
        {&CertSubject::organisation, "\xED\x83\x9C\xEB\xB8\x8C", "", NID_organizationName, V_ASN1_UTF8STRING},
        {&CertSubject::locality, "Seongnam_1", "", NID_localityName, V_ASN1_UTF8STRING},  // '_' is not printable
    };
    for (const Case& c : cases) {
        CertSubject s = Subject();
        s.*c.field = c.value;
        X509_NAME* name = X509_NAME_new();
        std::string error;
        bool taken = CCertMaker::BuildName(name, s, error);
        EXPECT_EQ(*c.refusal == '\0', taken) << c.refusal << error;
        if (taken)
            EXPECT_EQ(c.type, EntryType(name, c.nid)) << c.value;
        else
            EXPECT_EQ(0u, error.find(c.refusal)) << error;
        X509_NAME_free(name);
    }
}

TEST(CertMaker, NameTextAddsTheCountryNameWhereThereIsACountry) {
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
