// Key and certificate blocks: header check, record walk, record CRCs, and
// copying the records whole into a new block as the key block build does.
#include "link/codecs/EnvBlock.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (uint32_t magic : {EnvBlock::kMagicKeys, EnvBlock::kMagicCert}) {
        if (!EnvBlock::CheckHeader(data, size, magic))
            continue;
        std::vector<uint8_t> copy;
        EnvBlock::Begin(copy);
        EnvBlock::CEnvRecordWalker walker(data, size);
        EnvBlock::EnvRecord r;
        while (walker.Next(r) == EnvBlock::CEnvRecordWalker::Step::Record) {
            EnvBlock::CheckRecordCrc(data, r);
            EnvBlock::AppendRaw(copy, data + r.offset, r.length);
        }
        EnvBlock::Finish(copy, magic);
    }
    return 0;
}
