#include "workbench/main/FlashUsage.h"

namespace flashusage {

namespace {
uint64_t Pad(uint64_t x) { return (4 - x % 4) % 4; }
}

uint64_t PackedSize(const std::vector<Item>& items) {
    if (items.empty()) return 0;
    uint64_t sum = 0;
    for (const Item& i : items) sum += i.nameLength + Pad(i.nameLength) + i.dataLength + Pad(i.dataLength) + 8;
    sum += 28;
    return (sum + 1023) / 1024 * 1024;
}

int LineCount(const std::string& text) {
    if (text.empty()) return 0;
    int lines = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') ++lines;
        else if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) ++lines;
    }
    // A final line end opens no further line.
    const char last = text.back();
    if (last == '\n' || last == '\r') --lines;
    return lines;
}

}  // namespace flashusage
