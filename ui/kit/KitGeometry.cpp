#include "ui/kit/KitGeometry.h"

#include <algorithm>

namespace kit {

int SelectCell(const ButtonState& s) {
    if (s.checkMode && s.checked) {
        if (!s.enabled) return s.cellCount >= 8 ? 7 : 3;
        if (s.hover) return 5;
        if (s.pressed) return 6;
        return 4;
    }
    if (!s.enabled) return 3;
    if (s.hover) return 1;
    if (s.pressed) return 2;
    return 0;
}

bool PngSize(const unsigned char* data, unsigned long size, int& width, int& height) {
    // The signature, then the first chunk: length 13, "IHDR", width, height (big-endian).
    static const unsigned char kHead[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (!data || size < 24 || !std::equal(kHead, kHead + 16, data)) return false;
    auto be32 = [data](int at) {
        return (static_cast<unsigned long>(data[at]) << 24) | (static_cast<unsigned long>(data[at + 1]) << 16) |
               (static_cast<unsigned long>(data[at + 2]) << 8) | data[at + 3];
    };
    const unsigned long w = be32(16), h = be32(20);
    if (w == 0 || h == 0 || w > 65535 || h > 65535) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

CellSize CellSizeFor(int imageWidth, int imageHeight, int cellCount, bool hasText, int textWidth) {
    CellSize c{imageWidth, cellCount > 0 ? imageHeight / cellCount : imageHeight};
    if (hasText) c.cx = std::max(c.cx, textWidth + 15);
    return c;
}

StretchPlan PlanStretch(int imageWidth, int buttonWidth) {
    StretchPlan p{};
    p.leftX = 0;
    if (buttonWidth <= imageWidth) return p;
    p.stretched = true;
    p.rightX = buttonWidth - imageWidth;
    p.srcColumn = imageWidth / 2 - 1;
    p.stretchLeft = 3;
    p.stretchRight = buttonWidth - (imageWidth / 2 - 1) - 3;
    return p;
}

void PlaceTip(int x, int y, int w, int h, const Box& monitor, const Box& work, int* left, int* top) {
    int t = y + h + 3;
    if (t + h > monitor.bottom || t + h > work.bottom) t = y - h - 3;
    int l = x;
    if (x + w > monitor.right || x + w > work.right) l = x - w;
    *left = l;
    *top = t;
}

}  // namespace kit
