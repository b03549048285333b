// The information block as the board sends it (a 03/30 read).
#include "link/services/InfoBlock.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> block(data, data + size);
    std::string text;
    InfoBlock::Find(block.data(), block.size(), text);
    return 0;
}
