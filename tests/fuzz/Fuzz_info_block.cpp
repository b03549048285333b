// The information block as the board sends it (a 03/30 read).
#include "tests/fuzz/FuzzTarget.h"

#include "link/services/InfoBlock.h"

#include <vector>

// A serial-number record, the 'A' text record and one more.
std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    return {{0x10, 0, 8, 0, 0, 1, 0xE2, 0x40, 0x41, 0, 10, 0, 'Z', 'X', '-', '1', 0, 0, 0x42, 1, 6, 0, 1, 2}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> block(data, data + size);
    std::string text;
    InfoBlock::Find(block.data(), block.size(), text);
    return 0;
}
