#include "link/codecs/FrameItemReader.h"

#include "link/codecs/LinkFrame.h"

#include <cstdio>

int32_t FrameItem::Int32() const
{
    return length >= 4 ? static_cast<int32_t>(LinkFrame::GetU32(data)) : 0;
}

std::string FrameItem::Text() const
{
    size_t n = 0;
    while (n < length && data[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(data), n);
}

std::string FrameItem::Hex() const
{
    std::string s;
    s.reserve(length * 2);
    char b[3];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(b, sizeof b, "%02x", data[i]);
        s += b;
    }
    return s;
}

bool FrameItemReader::Next(FrameItem& item)
{
    if (m_broken || m_left < 4)
        return false;
    item.type = m_p[1];
    item.field = LinkFrame::GetU16(m_p + 2);
    size_t area, length;
    if (item.type == LinkFrame::kItemText || item.type == LinkFrame::kItemBytes) {
        // Padded size in the upper bits, pad count in the low two.
        area = item.field & ~3u;
        size_t pad = item.field & 3u;
        if (pad > area) {
            m_broken = true;
            return false;
        }
        length = area - pad;
    } else {
        length = item.field;
        area = length + LinkFrame::Pad4(length);
    }
    if (area > m_left - 4) {
        m_broken = true;
        return false;
    }
    item.data = m_p + 4;
    item.length = length;
    m_p += 4 + area;
    m_left -= 4 + area;
    return true;
}
