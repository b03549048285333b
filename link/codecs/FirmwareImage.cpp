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

enum class Walked { kDone, kFound, kBroken };

// Walks [begin, end) as records; calls take(record, length) for each one
// until it says found or broken. A length under 4 would not advance: the
// rest is no record (padding). A record longer than what is left is broken.
template <class Take>
Walked Walk(const uint8_t* begin, const uint8_t* end, Take take)
{
    const uint8_t* p = begin;
    while (end - p >= 4) {
        size_t length = U16(p + 2);
        if (length < 4)
            return Walked::kDone;
        if (length > static_cast<size_t>(end - p))
            return Walked::kBroken;
        Walked w = take(p, length);
        if (w != Walked::kDone)
            return w;
        p += length;
    }
    return Walked::kDone;
}

} // namespace

CheckResult Check(const uint8_t* data, size_t size)
{
    CheckResult r;
    if (!data || size < kHeaderSize || size > kMaxSize)
        return r;
    if (CalcCrc16(size - 16, data + 16) != U16(data + 8))
        return r;

    // The header's area must lie inside the file: a file cut short or with a
    // lying length would otherwise be flashed and refused by the board.
    const size_t areaStart = size_t(U16(data + 4)) * 16;
    const size_t areaLength = size_t(U16(data + 22)) * 16;
    if (areaStart > size || areaLength > size - areaStart)
        return r;
    std::string name;
    const Walked w = Walk(data + areaStart, data + areaStart + areaLength, [&](const uint8_t* record, size_t length) {
        if (record[0] != 'C' || length <= 20)
            return Walked::kDone;
        return Walk(record + 20, record + length, [&](const uint8_t* sub, size_t subLength) {
            if (sub[0] != 12)
                return Walked::kDone;
            name = NameOf(sub, subLength);
            return Walked::kFound;
        });
    });
    if (w == Walked::kBroken)
        return r;
    r.ok = true;
    r.name = name;
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
