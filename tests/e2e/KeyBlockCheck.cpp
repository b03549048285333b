// key-blocks KEYS CERT OUT.der: the blocks a board keeps, read with the
// program's own parsers and checked with OpenSSL (the RSA primes give the
// certificate's modulus, the DSA numbers are a key); the certificate goes to
// OUT.der for the openssl command line.
#include "config/KeyBlocks.h"
#include "config/OpenSslLib.h"
#include "link/codecs/EnvBlock.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "LinkRunner.h"

namespace {

using ossl::BnPtr;

bool Load(const std::string& path, ByteVector& out)
{
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

// Every record of a block with its CRC; "" when sound.
std::string Walk(const ByteVector& block, uint32_t magic, std::vector<EnvBlock::EnvRecord>& records)
{
    uint16_t total = 0;
    if (!EnvBlock::CheckHeader(block.data(), block.size(), magic, &total) || total != block.size())
        return "bad header";
    EnvBlock::CEnvRecordWalker walker(block.data(), block.size());
    EnvBlock::EnvRecord r;
    for (;;) {
        switch (walker.Next(r)) {
        case EnvBlock::CEnvRecordWalker::Step::Record:
            if (!EnvBlock::CheckRecordCrc(block.data(), r) || r.length % 4 != 0)
                return "record at " + std::to_string(r.offset) + " damaged";
            records.push_back(r);
            continue;
        case EnvBlock::CEnvRecordWalker::Step::RanOut:
            return "";
        default:
            return "bad record at " + std::to_string(r.offset);
        }
    }
}

BnPtr Number(const ByteVector& block, size_t at, size_t n)
{
    return BnPtr(BN_bin2bn(block.data() + at, static_cast<int>(n), nullptr));
}

std::string CheckRsa(const ByteVector& keys, const EnvBlock::EnvRecord& r, X509* cert)
{
    if (r.type != 0x0B || r.sub != 0x00 || r.length != 264)
        return "the key block does not begin with the RSA record";
    BnPtr p = Number(keys, r.DataOffset(), 128), q = Number(keys, r.DataOffset() + 128, 128);
    ossl::PKeyPtr pub(X509_get_pubkey(cert));
    BIGNUM* n = nullptr;
    if (!pub || !EVP_PKEY_get_bn_param(pub.get(), OSSL_PKEY_PARAM_RSA_N, &n))
        return "the certificate's key is not RSA";
    BnPtr modulus(n), product(BN_new());
    BN_CTX* ctx = BN_CTX_new();
    const bool same = BN_mul(product.get(), p.get(), q.get(), ctx) && BN_cmp(product.get(), modulus.get()) == 0;
    BN_CTX_free(ctx);
    if (!same)
        return "the RSA primes do not multiply to the certificate's modulus";
    std::printf("RSA p*q is the certificate's modulus (%d bits)\n", BN_num_bits(modulus.get()));
    return "";
}

// q divides p - 1, g has order q, and the private key lies below q.
std::string CheckDsa(const ByteVector& keys, const EnvBlock::EnvRecord& r)
{
    if (r.length != 304)
        return "DSA record of length " + std::to_string(r.length);
    const size_t at = r.DataOffset();
    BnPtr p = Number(keys, at, 128), q = Number(keys, at + 128, 20), g = Number(keys, at + 148, 128),
          x = Number(keys, at + 276, 20), rest(BN_new()), power(BN_new());
    BN_CTX* ctx = BN_CTX_new();
    const bool ok = BN_num_bits(p.get()) == 1024 && BN_num_bits(q.get()) == 160 && BN_sub_word(p.get(), 1) &&
                    BN_mod(rest.get(), p.get(), q.get(), ctx) && BN_is_zero(rest.get()) && BN_add_word(p.get(), 1) &&
                    BN_mod_exp(power.get(), g.get(), q.get(), p.get(), ctx) && BN_is_one(power.get()) &&
                    !BN_is_zero(x.get()) && BN_cmp(x.get(), q.get()) < 0;
    BN_CTX_free(ctx);
    if (!ok)
        return "the DSA numbers are not a DSA key";
    std::printf("DSA p 1024 bits, q 160 bits, g of order q\n");
    return "";
}

}  // namespace

std::string CheckKeyBlocks(const std::vector<std::string>& args)
{
    if (args.size() != 3)
        return "usage: key-blocks KEYS CERT OUT.der";
    ByteVector keys, certBlock;
    if (!Load(args[0], keys) || !Load(args[1], certBlock) || keys.empty() || certBlock.empty())
        return "cannot read the blocks";
    std::vector<EnvBlock::EnvRecord> keyRecords, certRecords;
    std::string why = Walk(keys, EnvBlock::kMagicKeys, keyRecords);
    if (!why.empty() || keyRecords.empty())
        return "key block: " + (why.empty() ? std::string("no records") : why);
    why = Walk(certBlock, EnvBlock::kMagicCert, certRecords);
    if (!why.empty())
        return "certificate block: " + why;

    ByteVector der;
    const int n = CKeyBlocks::FindCertificate(certBlock.data() + EnvBlock::kHeaderSize,
                                              static_cast<int>(certBlock.size() - EnvBlock::kHeaderSize), der);
    const unsigned char* at = der.data();
    ossl::X509Ptr cert(n > 0 ? d2i_X509(nullptr, &at, n) : nullptr);
    if (!cert)
        return "no readable certificate in the certificate block";
    // A self-issued certificate must bear its own key's signature; a
    // CA-signed one is the openssl command line's to verify.
    if (X509_check_issued(cert.get(), cert.get()) == X509_V_OK) {
        ossl::PKeyPtr pub(X509_get_pubkey(cert.get()));
        if (X509_verify(cert.get(), pub.get()) != 1)
            return "the self-signed certificate does not verify";
        std::printf("self-signed, the signature verifies\n");
    }

    why = CheckRsa(keys, keyRecords[0], cert.get());
    if (!why.empty())
        return why;
    for (size_t i = 1; i < keyRecords.size(); ++i) {
        const EnvBlock::EnvRecord& r = keyRecords[i];
        if (r.type == 0x0B && r.sub == 0x01 && i == 1)
            why = CheckDsa(keys, r);
        else if (r.type != 0x0B || (r.sub != 0x07 && r.sub != 0x08))
            why = "unexpected key block record " + std::to_string(r.type) + "/" + std::to_string(r.sub);
        if (!why.empty())
            return why;
    }

    unsigned char* out = nullptr;
    const int len = i2d_X509(cert.get(), &out);
    std::ofstream file(args[2], std::ios::binary);
    file.write(reinterpret_cast<const char*>(out), len > 0 ? len : 0);
    OPENSSL_free(out);
    if (len <= 0 || !file.good())
        return "cannot write " + args[2];
    char subject[512] = {};
    X509_NAME_oneline(X509_get_subject_name(cert.get()), subject, sizeof subject);
    std::printf("SUBJECT %s\n", subject);
    return "";
}
