#include "link/codecs/FirmwareImage.h"

#include "link/codecs/Crc16.h"

#include <algorithm>
#include <cstring>

namespace FirmwareImage {
namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The name of a type-12 sub-record: its length - 6 bytes from its offset 4,
// up to the first zero. A short record has no room for a name.
std::string NameOf(const uint8_t* sub, size_t length)
{
    if (length < 6)
        return std::string();
    size_t n = std::min(length - 6, kMaxNameLength);
    const uint8_t* text = sub + 4;
    const void* zero = std::memchr(text, 0, n);
    if (zero)
        n = static_cast<size_t>(static_cast<const uint8_t*>(zero) - text);
    return std::string(reinterpret_cast<const char*>(text), n);
}

// Walks [begin, end) as records; calls take(record, length) for each whole
// one until it returns true. Lengths under 4 (they would not advance) and
// records longer than what is left end the walk.
template <class Take>
bool Walk(const uint8_t* begin, const uint8_t* end, Take take)
{
    const uint8_t* p = begin;
    while (end - p >= 4) {
        size_t length = U16(p + 2);
        if (length < 4 || length > static_cast<size_t>(end - p))
            return false;
        if (take(p, length))
            return true;
        p += length;
    }
    return false;
}

} // namespace

CheckResult Check(const uint8_t* data, size_t size)
{
    CheckResult r;
    if (!data || size < kHeaderSize || size > kMaxSize)
        return r;
    if (CalcCrc16(size - 16, data + 16) != U16(data + 8))
        return r;
    r.ok = true;

    const size_t areaStart = std::min<size_t>(size_t(U16(data + 4)) * 16, size);
    const size_t areaEnd = std::min<size_t>(areaStart + size_t(U16(data + 22)) * 16, size);
    Walk(data + areaStart, data + areaEnd, [&](const uint8_t* record, size_t length) {
        if (record[0] != 'C' || length <= 20)
            return false;
        return Walk(record + 20, record + length, [&](const uint8_t* sub, size_t subLength) {
            if (sub[0] != 12)
                return false;
            r.name = NameOf(sub, subLength);
            return true;
        });
    });
    return r;
}

int ProgressPercent(uint64_t sent, uint64_t total)
{
    if (total == 0)
        return 0;
    return static_cast<int>(std::min(sent, total) * 100 / total);
}

int ProgressWidth(uint64_t sent, uint64_t total, int width)
{
    if (total == 0 || width <= 0)
        return 0;
    return static_cast<int>(std::min(sent, total) * static_cast<uint64_t>(width) / total);
}

} // namespace FirmwareImage
