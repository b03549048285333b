// The settings block as the board sends it: parse, rebuild, parse again.
#include "tests/fuzz/FuzzTarget.h"

#include "link/codecs/EnvBlock.h"
#include "link/codecs/SettingsBlock.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> block(data, data + size);
    // Half the inputs get a sound header over their own length field, or
    // the record walk behind it is rarely reached.
    if (size >= 16 && (size & 1))
        EnvBlock::MakeHeader(block.data(), EnvBlock::kMagicSettings, uint16_t(block[4] | block[5] << 8));
    SettingsRecord record;
    if (SettingsBlock::Parse(block.data(), block.size(), record) == SettingsBlock::Result::Parsed) {
        record.firmwareName += "longer than the record";
        record.dot1xIdentity.assign(300, 'i');
        SettingsBlock::Build(block.data(), block.size(), record);
        SettingsBlock::Parse(block.data(), block.size(), record);
    }
    return 0;
}

// The firmware name, an address, a text and a flags record, and the end.
std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    std::vector<uint8_t> b, flags(32, 0x11);
    EnvBlock::Begin(b);
    EnvBlock::AppendRecord(b, 0x0C, 0, "ZX1001", 6);
    EnvBlock::AppendRecord(b, 0x03, 0, "\xC0\xA8\x00\x07", 4);
    EnvBlock::AppendRecord(b, 0x08, 4, "identity", 8);
    EnvBlock::AppendRecord(b, 0x0D, 1, flags.data(), flags.size());
    EnvBlock::AppendRecord(b, 0xFF, 0, nullptr, 0);
    EnvBlock::Finish(b, EnvBlock::kMagicSettings);
    return {b};
}
