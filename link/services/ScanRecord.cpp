#include "link/services/ScanRecord.h"

#include "link/codecs/FrameItemReader.h"
#include "link/codecs/TextHelpers.h"

#include <algorithm>
#include <cstdlib>

bool ScanRecord::Parse(const FrameItem& item, ScanRecord& out)
{
    out = ScanRecord();
    const char* text = reinterpret_cast<const char*>(item.data);
    size_t begin = 0;
    int field = 0;
    for (size_t i = 0; i < item.length; ++i) {
        if (text[i] != ' ')
            continue;
        // The numbers are short; anything longer is cut, never read past.
        std::string value(text + begin, std::min<size_t>(i - begin, 16));
        ++field;
        if (field == 1)
            out.channel = static_cast<uint8_t>(std::strtol(value.c_str(), nullptr, 10));
        else if (field == 2)
            out.signal = static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10));
        else if (field == 3)
            out.flags = static_cast<uint8_t>(std::strtoul(value.c_str(), nullptr, 16));
        begin = i + 1;
    }
    // The SSID hex runs to the end of the text (a NUL ends it early).
    size_t end = begin;
    while (end < item.length && text[end] != 0)
        ++end;
    const size_t n = end - begin;
    if (n > kMaxSsidHex)
        return false;
    out.ssidHex.assign(text + begin, n);
    out.ssidHexLength = static_cast<uint32_t>(n);
    return HexToAscii(out.ssidHex.data(), n, out.ssid);
}
