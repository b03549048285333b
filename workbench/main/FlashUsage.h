// The flash-usage figure: the size of the packed image the entries would
// make, summed in 64 bits so that no file length wraps it. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace flashusage {

struct Item {
    uint32_t nameLength;  // the name-length byte the entry carries
    uint64_t dataLength;
};

// sum of N + pad(N) + L + pad(L) + 8, plus 28, rounded up to 1 KiB; 0 for no entries.
uint64_t PackedSize(const std::vector<Item>& items);

// Lines of a text (a last line without its end counts).
int LineCount(const std::string& text);

}  // namespace flashusage
