// Geometry of the window kit: picture-button cells and stretching, the
// tooltip's placement. Portable.
#pragma once

namespace kit {

struct ButtonState {
    bool checkMode;
    bool checked;
    bool hover;
    bool pressed;
    bool enabled;
    int cellCount;
};
// Which cell of the strip shows the state: 0 normal, 1 hover, 2 pressed, 3 disabled,
// 4 checked, 5 checked hover, 6 checked pressed, 7 checked disabled (8-cell strips).
int SelectCell(const ButtonState& s);

struct CellSize {
    int cx;
    int cy;
};
// A strip imageWidth x imageHeight cut into cellCount cells; a caption of
// textWidth (when hasText) widens the cell to textWidth + 15.
CellSize CellSizeFor(int imageWidth, int imageHeight, int cellCount, bool hasText, int textWidth);

// A PNG's width and height from its header, without decoding it (a window
// can be laid out while its pictures still decode). False for anything that
// is not a PNG header or gives a size of 0 or past 65535.
bool PngSize(const unsigned char* data, unsigned long size, int& width, int& height);

// How a button wider than its strip is drawn: the strip at x = 0, the strip again
// ending at the right edge, then the one-pixel column srcColumn stretched over
// [stretchLeft, stretchRight).
struct StretchPlan {
    bool stretched;
    int leftX;
    int rightX;
    int srcColumn;
    int stretchLeft;
    int stretchRight;
};
StretchPlan PlanStretch(int imageWidth, int buttonWidth);

struct Box {
    int left;
    int top;
    int right;
    int bottom;
};
// Top-left corner of a tip w x h that belongs at (x, y): below the point, or
// above it when it would pass the bottom of the monitor or of its work area;
// left of the point when it would pass their right edge.
void PlaceTip(int x, int y, int w, int h, const Box& monitor, const Box& work, int* left, int* top);

}  // namespace kit
