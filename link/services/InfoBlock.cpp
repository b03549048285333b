#include "link/services/InfoBlock.h"

#include <cstdio>

namespace InfoBlock {

Result Find(const uint8_t* data, size_t count, std::string& text)
{
    size_t offset = 0;
    while (offset < count) {
        const size_t left = count - offset;
        if (left < 4)
            return Result::kBroken;
        const uint8_t* r = data + offset;
        const size_t length = static_cast<size_t>(r[2] | r[3] << 8);
        // A length below the head would never move the walk on.
        if (length < 4 || length > left)
            return Result::kBroken;
        if (r[0] == 0x41 && r[1] == 0 && length > 4) {
            size_t n = 0;
            while (n < length - 4 && n < kMaxText - 1 && r[4 + n] != 0)
                ++n;
            text.assign(reinterpret_cast<const char*>(r + 4), n);
            return Result::kFound;
        }
        offset += length;
    }
    return Result::kEnd;
}

} // namespace InfoBlock

namespace {

bool FormatFits(const std::string& f)
{
    // Exactly %I64d, %02d, %02d, %02d in that order; %% allowed.
    static const char* const kWant[] = {"%I64d", "%02d", "%02d", "%02d"};
    size_t k = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%')
            continue;
        if (i + 1 < f.size() && f[i + 1] == '%') {
            ++i;
            continue;
        }
        if (k == 4 || f.compare(i, std::char_traits<char>::length(kWant[k]), kWant[k]) != 0)
            return false;
        i += std::char_traits<char>::length(kWant[k]) - 1;
        ++k;
    }
    return k == 4;
}

} // namespace

std::string FormatUptime(int64_t ms, const std::string& format)
{
    const int64_t s = ms / 1000, days = s / 86400, h = s / 3600, m = s / 60;
    const long long values[4] = {static_cast<long long>(days), static_cast<long long>(h - 24 * days),
                                 static_cast<long long>(m - 60 * h), static_cast<long long>(s - 60 * m)};
    const std::string f = FormatFits(format) ? format : "%I64ddays / %02d:%02d:%02d";
    std::string out;
    size_t k = 0;
    char number[32];
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%') {
            out += f[i];
        } else if (f[i + 1] == '%') {
            out += '%';
            ++i;
        } else {
            const bool days = k == 0;
            std::snprintf(number, sizeof number, days ? "%lld" : "%02lld", values[k]);
            out += number;
            i += days ? 4 : 3;
            ++k;
        }
    }
    return out;
}
