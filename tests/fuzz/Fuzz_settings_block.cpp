// The settings block as the board sends it: parse, rebuild, parse again.
#include "link/codecs/SettingsBlock.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> block(data, data + size);
    SettingsRecord record;
    if (SettingsBlock::Parse(block.data(), block.size(), record) == SettingsBlock::Result::Parsed) {
        record.firmwareName += "longer than the record";
        record.dot1xIdentity.assign(300, 'i');
        SettingsBlock::Build(block.data(), block.size(), record);
        SettingsBlock::Parse(block.data(), block.size(), record);
    }
    return 0;
}
