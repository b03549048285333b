// The key block ("eVnC": the RSA primes, the DSA host key, and the board's own
// 0x0B/7 and 0x0B/8 records carried over) and the certificate block ("eVnM":
// the certificate in DER), and the certificate read back from the board.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdint>
#include <string>
#include <vector>

using ByteVector = std::vector<uint8_t>;

// The record area of the board's certificate block as the Settings dialog
// keeps it: length -1 when the board has none or sent a damaged block.
struct CertBlockCopy {
    ByteVector records;
    int length = -1;
};

struct RsaPrimes {
    ByteVector p, q;  // big-endian, without leading zeros
};

struct DsaNumbers {
    ByteVector p, q, g, priv;
};

struct CertUploadBlocks {
    ByteVector keyBlock;
    ByteVector certBlock;
};

class CKeyBlocks {
public:
    static constexpr uint32_t kKeyMagic = 0x436E5665;   // "eVnC"
    static constexpr uint32_t kCertMagic = 0x4D6E5665;  // "eVnM"
    static constexpr uint8_t kKeyType = 0x0B;
    static constexpr uint8_t kSubRsa = 0x00, kSubDsa = 0x01, kSubCert = 0x02, kSubKept7 = 0x07, kSubKept8 = 0x08;

    static bool GetRsaPrimes(EVP_PKEY* key, RsaPrimes& out);
    static bool GetDsaNumbers(EVP_PKEY* key, DsaNumbers& out);

    // A number too long for its field refuses the block with "Invalid RSA P
    // length [n]" and the like (n in bytes).
    static bool BuildKeyBlock(const RsaPrimes& rsa, const DsaNumbers* dsa, const uint8_t* certArea, int areaLength,
                              ByteVector& block, std::string& error);
    static bool BuildCertBlock(const ByteVector& der, ByteVector& block, std::string& error);

    // The DER bytes of the 0x0B/2 record of a certificate block's record area
    // (with the record's zero padding): their count, 0 when there is none, -1
    // when the record is damaged.
    static int FindCertificate(const uint8_t* area, int areaLength, ByteVector& der);

    // Both blocks for one certificate with its RSA key and, for a self-signed
    // one, the DSA host key; nothing is built when any part does not fit.
    static bool PrepareUpload(X509* cert, EVP_PKEY* rsa, EVP_PKEY* dsa, const CertBlockCopy& boardCerts,
                              CertUploadBlocks& out, std::string& error);
};
