// The arithmetic of the skinned gauges (flash-usage bar, resource view):
// which fill images go where, and the texts over the bar. Board values are
// unsigned 32-bit and any of them may be huge; everything is worked out in
// 64 bits and the fill never leaves its track. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gauge {

enum class Piece { FillLeft, FillMiddle, FillRight, OverLeft, OverMiddle, OverRight };

struct Part {
    Piece piece;
    int x;      // left edge
    int width;  // drawn width (the image scaled or stretched to it)
};

struct FillImages {
    int fillLeft = 0;    // natural widths of the fill's end images
    int fillRight = 0;
    int overLeft = 0;    // and of the over-full end images (flash bar only)
    int overRight = 0;
};

// The fill of a track that runs from left to right (exclusive). Nothing when
// used or total is 0. used > total: the whole track over-full when allowed,
// else a full fill. A fill narrower than its left end is that image scaled,
// at least 5 pixels.
std::vector<Part> PlanFill(int left, int right, uint32_t used, uint32_t total, const FillImages& images,
                           bool overFullAllowed);

// Width of the fill: track width x used / total, used clamped to total.
int FillWidth(int trackWidth, uint32_t used, uint32_t total);

// The flash bar's texts: left used KB, right free KB ("0KB" when over full).
std::string FlashUsedText(uint32_t used);
std::string FlashFreeText(uint32_t used, uint32_t total);

// Where a gauge's three texts go, as [left, right) spans: the used figure
// at the left end, the free figure at the right end, the name centred on the
// bar when it clears both figures by kBarTextGap, else centred between them
// and cut (with an ellipsis) to the room there; no room at all leaves it out
// (an empty span). A figure of width 0 is absent.
constexpr int kBarTextGap = 6;
struct TextSpan {
    int left = 0;
    int right = 0;
    int Width() const { return right - left; }
};
struct BarTexts {
    TextSpan used, title, free;  // title: the bar's name
    bool titleCut = false;
};
BarTexts PlaceBarTexts(int left, int right, int usedWidth, int titleWidth, int freeWidth);

// The resource view: records 0-3 always, then the two records of the task
// chosen in the combo (item k: records 4 + 2k and 5 + 2k).
constexpr int kResourceRecords = 12;
constexpr int kResourceRows = 6;
constexpr int kTaskItems = 4;
int ResourceRecordOfRow(int row, int taskItem);
const char* ResourceRecordName(int record);
const char* TaskItemName(int taskItem);
// Left (used) and right (free) numbers of a record; "KB" after both for
// "System Memory". Free is 0 when used passes total.
std::string ResourceUsedText(int record, uint32_t used);
std::string ResourceFreeText(int record, uint32_t used, uint32_t total);

}  // namespace gauge
