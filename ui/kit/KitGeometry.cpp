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
