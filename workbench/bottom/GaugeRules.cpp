#include "workbench/bottom/GaugeRules.h"

#include <cstdio>

namespace gauge {

int FillWidth(int trackWidth, uint32_t used, uint32_t total)
{
    if (trackWidth <= 0 || used == 0 || total == 0)
        return 0;
    const uint64_t shown = used < total ? used : total;
    return static_cast<int>(static_cast<uint64_t>(trackWidth) * shown / total);
}

std::vector<Part> PlanFill(int left, int right, uint32_t used, uint32_t total, const FillImages& images,
                           bool overFullAllowed)
{
    std::vector<Part> parts;
    const int track = right - left;
    if (used == 0 || total == 0 || track <= 0)
        return parts;
    if (used > total && overFullAllowed) {
        const int end = right - images.overRight;
        parts.push_back({Piece::OverLeft, left, images.overLeft});
        const int middle = left + images.overLeft;
        if (end > middle)
            parts.push_back({Piece::OverMiddle, middle, end - middle});
        parts.push_back({Piece::OverRight, end, images.overRight});
        return parts;
    }
    int f = FillWidth(track, used, total);
    if (f < images.fillLeft) {
        f = f < 5 ? 5 : f;
        parts.push_back({Piece::FillLeft, left, f < track ? f : track});
        return parts;
    }
    parts.push_back({Piece::FillLeft, left, images.fillLeft});
    const int middle = left + images.fillLeft;
    const int rightEnd = right - images.fillRight;
    const int end = left + f;
    if (end <= rightEnd) {
        if (end > middle)
            parts.push_back({Piece::FillMiddle, middle, end - middle});
        return parts;
    }
    if (rightEnd > middle)
        parts.push_back({Piece::FillMiddle, middle, rightEnd - middle});
    parts.push_back({Piece::FillRight, rightEnd, end - rightEnd});
    return parts;
}

namespace {
std::string Text(const char* format, unsigned long long value)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}
}  // namespace

std::string FlashUsedText(uint32_t used) { return Text("%lluKB", used / 1024u); }

std::string FlashFreeText(uint32_t used, uint32_t total)
{
    return used > total ? "0KB" : Text("%lluKB", (total - used) / 1024u);
}

int ResourceRecordOfRow(int row, int taskItem)
{
    if (taskItem < 0 || taskItem >= kTaskItems)
        taskItem = 0;
    if (row < 4)
        return row;
    return 4 + 2 * taskItem + (row - 4);
}

const char* ResourceRecordName(int record)
{
    static const char* const global[4] = {"Variable Buffer", "String Buffer", "Expression Tree", "System Memory"};
    if (record < 0 || record >= kResourceRecords)
        return "";
    return record < 4 ? global[record] : (record % 2 == 0 ? "Name Space" : "Task Stack");
}

const char* TaskItemName(int taskItem)
{
    static const char* const names[kTaskItems] = {"Task 0", "Task 1", "Task 2", "Task 7"};
    return taskItem >= 0 && taskItem < kTaskItems ? names[taskItem] : "";
}

std::string ResourceUsedText(int record, uint32_t used) { return Text(record == 3 ? "%lluKB" : "%llu", used); }

std::string ResourceFreeText(int record, uint32_t used, uint32_t total)
{
    return Text(record == 3 ? "%lluKB" : "%llu", used > total ? 0 : total - used);
}

}  // namespace gauge

namespace gauge {

BarTexts PlaceBarTexts(int left, int right, int usedWidth, int titleWidth, int freeWidth)
{
    BarTexts t;
    t.used = {left, left + usedWidth};
    t.free = {right - freeWidth, right};
    t.title.left = left + (right - left - titleWidth) / 2;
    t.title.right = t.title.left + titleWidth;
    // Centred on the bar when it clears both figures; otherwise centred in
    // the room between them, and cut to it.
    const int roomLeft = usedWidth > 0 ? t.used.right + kBarTextGap : left;
    const int roomRight = freeWidth > 0 ? t.free.left - kBarTextGap : right;
    if (t.title.left >= roomLeft && t.title.right <= roomRight)
        return t;
    const int room = roomRight > roomLeft ? roomRight - roomLeft : 0;
    const int width = titleWidth < room ? titleWidth : room;
    t.title.left = roomLeft + (room - width) / 2;
    t.title.right = t.title.left + width;
    t.titleCut = width < titleWidth;
    return t;
}

}  // namespace gauge
