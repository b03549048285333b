// Rules of the access-point and channel lists: icons, channel rows, rows
// under the mouse, scrolling, and the searching animation.
#pragma once

#include "link/services/ScanRecord.h"

#include <string>
#include <vector>

namespace ScanListRules {

// PNG resources of the access-point list.
enum : unsigned { kLockImage = 173, kSignal4 = 174, kSignal2 = 175, kSignal3 = 176, kSignal1 = 177 };
constexpr int kChannels = 13;

// The signal image of a record's signal value.
unsigned SignalImage(int signal);

// One row of the channel list: "Channel 6(2)" and the SSIDs joined by ",".
struct ChannelRow {
    std::string heading;
    std::string ssids;
};
ChannelRow Channel(const std::vector<ScanRecord>& records, int channel);

// Rows of rowHeight pixels scrolled by pos: the row at client y, or -1 past
// the last of rowCount rows.
int RowAt(int pos, int y, int rowHeight, int rowCount);

// A vertical scroll bar's new position (SB_* code, thumb position for
// SB_THUMBPOSITION / SB_THUMBTRACK), kept within 0 .. range - page + 1.
// SB_ENDSCROLL and unknown codes keep the position.
int Scroll(int code, int pos, int thumb, int line, int page, int range);

// The animated text: the base text with 1 to 6 dots in turn.
class CSearchAnimation {
public:
    explicit CSearchAnimation(std::string base = std::string()) : m_base(std::move(base)) {}
    void Reset() { m_dots = 0; }
    std::string Next();
private:
    std::string m_base;
    int m_dots = 0;
};

} // namespace ScanListRules
