#include "ui/boxes/WaitLogic.h"

#include "ui/WindowMessages.h"

namespace waitbox {

ModeInfo InfoForMode(int mode) {
    switch (mode) {
    case 0: return {119, false, true, WM_USER_START_UPLOAD, false};
    case 1: return {120, false, true, WM_USER_START_IDENTIFY, false};
    case 2: return {120, true, false, WM_USER_START_IDENTIFY, true};
    case 3: return {120, false, true, 0, false};
    case 4: return {121, false, true, 0, false};
    default: return {0, true, false, 0, false};
    }
}

void AdvanceDots(CString& text, int& counter) {
    if (counter % 5 == 0) text.Remove('.');
    text += '.';
    ++counter;
}

int BarFill(int barWidth, long long done, long long total) {
    // The bar starts one pixel inside the frame, whose inside is two pixels narrower
    // than the bar width: a full bar of the whole width would paint over the frame's
    // right side.
    const int inside = barWidth - 2;
    if (inside <= 0 || total <= 0 || done <= 0) return 0;
    if (done >= total) return inside;
    const long long fill = static_cast<long long>(barWidth) * done / total;
    return fill < inside ? static_cast<int>(fill) : inside;
}

}  // namespace waitbox
