// Key and certificate blocks: header check, record walk, record CRCs, and
// the certificate lookup and key block build over a board's records.
#include "tests/fuzz/FuzzTarget.h"

#include "config/KeyBlocks.h"
#include "link/codecs/EnvBlock.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (uint32_t magic : {EnvBlock::kMagicKeys, EnvBlock::kMagicCert}) {
        std::vector<uint8_t> block(data, data + size);
        // Half the inputs get a sound header over their own length field.
        if (size >= 16 && (size & 1))
            EnvBlock::MakeHeader(block.data(), magic, uint16_t(block[4] | block[5] << 8));
        if (!EnvBlock::CheckHeader(block.data(), size, magic))
            continue;
        std::vector<uint8_t> copy;
        EnvBlock::Begin(copy);
        EnvBlock::CEnvRecordWalker walker(block.data(), size);
        EnvBlock::EnvRecord r;
        while (walker.Next(r) == EnvBlock::CEnvRecordWalker::Step::Record) {
            EnvBlock::CheckRecordCrc(block.data(), r);
            EnvBlock::AppendRaw(copy, block.data() + r.offset, r.length);
        }
        EnvBlock::Finish(copy, magic);
    }
    ByteVector der, block;
    const int n = CKeyBlocks::FindCertificate(data, static_cast<int>(size), der);
    if (n > 0 && der.size() != static_cast<size_t>(n))
        std::abort();
    RsaPrimes rsa{ByteVector(128, 1), ByteVector(128, 2)};
    std::string error;
    if (CKeyBlocks::BuildKeyBlock(rsa, nullptr, data, static_cast<int>(size), block, error) &&
        (block.size() > 0xFFFF || block.size() < 16 + 264))
        std::abort();
    return 0;
}

// A key block and a certificate block.
std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    std::vector<std::vector<uint8_t>> seeds;
    for (uint32_t magic : {EnvBlock::kMagicKeys, EnvBlock::kMagicCert}) {
        std::vector<uint8_t> b, der(40, 0x30);
        EnvBlock::Begin(b);
        EnvBlock::AppendRecord(b, 0x0B, magic == EnvBlock::kMagicKeys ? 0 : 2, der.data(), der.size());
        EnvBlock::AppendRecord(b, 0x0B, 1, der.data(), 9);
        EnvBlock::Finish(b, magic);
        seeds.push_back(b);
    }
    return seeds;
}
