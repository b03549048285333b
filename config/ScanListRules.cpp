#include "config/ScanListRules.h"

#include <algorithm>

namespace ScanListRules {

unsigned SignalImage(int signal) {
    if (signal <= 50) return kSignal1;
    if (signal <= 60) return kSignal2;
    if (signal <= 70) return kSignal3;
    return kSignal4;
}

ChannelRow Channel(const std::vector<ScanRecord>& records, int channel) {
    ChannelRow row;
    int count = 0;
    for (const ScanRecord& r : records) {
        if (r.channel != channel) continue;
        if (count++) row.ssids += ',';
        row.ssids += r.ssid;
    }
    row.heading = "Channel " + std::to_string(channel) + "(" + std::to_string(count) + ")";
    return row;
}

int RowAt(int pos, int y, int rowHeight, int rowCount) {
    if (rowHeight <= 0 || y < 0) return -1;
    const long long row = (static_cast<long long>(pos) + y) / rowHeight;
    return row < rowCount ? static_cast<int>(row) : -1;
}

int Scroll(int code, int pos, int thumb, int line, int page, int range) {
    enum { kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4, kThumbTrack = 5 };
    switch (code) {
    case kLineUp: pos -= line; break;
    case kLineDown: pos += line; break;
    case kPageUp: pos -= page; break;
    case kPageDown: pos += page; break;
    case kThumbPosition:
    case kThumbTrack: pos = thumb; break;
    default: return pos;
    }
    const int limit = std::max(0, range - page + 1);
    return std::clamp(pos, 0, limit);
}

std::string CSearchAnimation::Next() {
    ++m_dots;
    std::string text = m_base + std::string(static_cast<size_t>(m_dots), '.');
    if (m_dots > 5) m_dots = 0;
    return text;
}

} // namespace ScanListRules
