#include "workbench/files/DropFiles.h"

#include <cstring>

namespace dropfiles {
namespace {
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

std::vector<uint8_t> Build(const std::vector<std::string>& names) {
    if (names.empty()) return {};
    size_t size = kHeaderSize + 1;
    for (const std::string& n : names) size += n.size() + 1;
    std::vector<uint8_t> block(size, 0);
    Put32(block.data(), kHeaderSize);
    size_t at = kHeaderSize;
    for (const std::string& n : names) {
        std::memcpy(block.data() + at, n.data(), n.size());
        at += n.size() + 1;
    }
    return block;
}

}  // namespace dropfiles
