#include "link/codecs/TextHelpers.h"

#include <cstdio>
#include <cstring>
#include <vector>

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

namespace {

// Reads ':'-separated groups of one side of an address. Every group must hold
// at least one digit and fit 16 bits; the board cannot store anything else.
bool ReadGroups(const std::string& text, std::vector<uint16_t>& groups)
{
    groups.clear();
    if (text.empty())
        return true;
    if (text.size() > 63)
        return false;
    size_t i = 0;
    for (;;) {
        uint32_t value = 0;
        size_t digits = 0;
        while (i < text.size() && text[i] != ':') {
            const int v = HexValue(text[i]);
            if (v < 0)
                return false;
            value = value * 16 + uint32_t(v);
            if (value > 0xFFFF)
                return false;
            ++digits;
            ++i;
        }
        if (digits == 0)
            return false;
        groups.push_back(uint16_t(value));
        if (i == text.size())
            return true;
        ++i; // the ':'
        if (i == text.size())
            return false; // trailing ':' leaves an empty group
    }
}

} // namespace

bool ParseIPv6(const std::string& text, uint8_t addr[16])
{
    for (char c : text)
        if (HexValue(c) < 0 && c != ':')
            return false;
    if (text.empty())
        return false;

    uint16_t out[8] = {0};
    const size_t dc = text.find("::");
    if (dc != std::string::npos) {
        std::vector<uint16_t> left, right;
        if (!ReadGroups(text.substr(0, dc), left) || !ReadGroups(text.substr(dc + 2), right))
            return false; // also refuses a second "::" (it leaves an empty group)
        const int zeros = 8 - int(left.size()) - int(right.size());
        if (zeros < 1)
            return false;
        for (size_t g = 0; g < left.size(); ++g)
            out[g] = left[g];
        for (size_t g = 0; g < right.size(); ++g)
            out[left.size() + size_t(zeros) + g] = right[g];
    } else {
        std::vector<uint16_t> all;
        if (!ReadGroups(text, all) || all.size() != 8)
            return false;
        for (size_t g = 0; g < 8; ++g)
            out[g] = all[g];
    }
    for (int g = 0; g < 8; ++g) {
        addr[2 * g] = uint8_t(out[g] >> 8);
        addr[2 * g + 1] = uint8_t(out[g]);
    }
    return true;
}

std::string FormatIPv6(const uint8_t addr[16])
{
    uint16_t g[8];
    for (int i = 0; i < 8; ++i)
        g[i] = uint16_t(addr[2 * i] << 8 | addr[2 * i + 1]);

    int runStart = -1, runEnd = -1; // first run of zero groups, [start, end)
    for (int i = 0; i < 8; ++i) {
        if (g[i] == 0) {
            runStart = i;
            runEnd = i;
            while (runEnd < 8 && g[runEnd] == 0)
                ++runEnd;
            break;
        }
    }

    std::string s;
    char buf[8];
    for (int i = 0; i < 8; ++i) {
        if (i == runStart) {
            s += "::";
            i = runEnd - 1;
            continue;
        }
        if (!s.empty() && s.back() != ':')
            s += ':';
        std::snprintf(buf, sizeof buf, "%X", unsigned(g[i]));
        s += buf;
    }
    return s;
}

bool HexToAscii(const char* hex, size_t hexLength, std::string& out)
{
    const size_t n = hexLength / 2;
    if (n > 255)
        return false;
    std::string decoded;
    decoded.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        unsigned byte = 0;
        for (size_t k = 0; k < 2; ++k) {
            const int v = HexValue(hex[2 * i + k]);
            if (v < 0)
                break;
            byte = byte * 16 + unsigned(v);
        }
        if (byte < 32 || byte > 126) {
            out = "?";
            return false;
        }
        decoded += char(byte);
    }
    out = decoded;
    return true;
}

std::string GetFileNameFromPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
