#include "workbench/bottom/HexDump.h"

#include <cstdio>

namespace {

int Digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string FormatHexDump(const std::string& fullValue)
{
    const size_t length = fullValue.size();
    const size_t lines = (length + 31) / 32;
    std::string out;
    out.reserve(lines * 80);
    for (size_t i = 0; i < lines; ++i) {
        const size_t first = i * 32;
        const size_t chunk = length - first < 32 ? length - first : 32;
        const size_t n = chunk / 2;
        char offset[32];
        std::snprintf(offset, sizeof offset, "%08zx | ", i * 16);
        out += offset;
        std::string text;
        for (size_t j = 0; j < n; ++j) {
            const char hi = fullValue[first + 2 * j];
            const char lo = fullValue[first + 2 * j + 1];
            out += hi;
            out += lo;
            out += ' ';
            const int h = Digit(hi), l = Digit(lo);
            const int byte = (h < 0 || l < 0) ? 0 : h * 16 + l;
            text += (byte >= 0x21 && byte <= 0x7E) ? static_cast<char>(byte) : '.';
        }
        if (i + 1 == lines)
            for (size_t j = n; j < 16; ++j)
                out += "   ";
        out += " | ";
        out += text;
        out += "\r\n";
    }
    return out;
}
