#include "config/FwInfoText.h"

#include <cstdlib>

namespace {

// The header byte at a character offset; a digit that is not hex ends the
// number there, as strtol does.
int HexByte(const std::string& text, size_t offset) {
    const std::string pair = text.substr(offset, 2);
    return static_cast<int>(std::strtol(pair.c_str(), nullptr, 16));
}

std::string Pair(const std::string& text, size_t offset) {
    return offset < text.size() ? text.substr(offset, 2) : std::string();
}

} // namespace

namespace FwInfoText {

std::string Mac(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i < 12; i += 2) {
        if (i) out += ':';
        out += Pair(hex, i);
    }
    return out;
}

std::string Size(const std::string& header) {
    if (header.size() <= 12) return std::string();
    const int units = (HexByte(header, 10) << 8) | HexByte(header, 8);
    return std::to_string(units * 16 / 1024) + "K";
}

std::string Version(const std::string& header) {
    if (header.size() <= 28) return std::string();
    const int b12 = HexByte(header, 24), b13 = HexByte(header, 26);
    std::string out = std::to_string(b12 >> 4) + "." + std::to_string(b12 & 15) + "." + std::to_string(b13 >> 4);
    if (b13 & 15) out += ".b" + std::to_string(b13 & 15);
    return out;
}

std::string Bounded(const std::string& raw) { return raw.substr(0, raw.find('\0')); }

} // namespace FwInfoText
