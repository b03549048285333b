// The wait box's rules: what each mode shows and sends, the growing dots, the
// progress bar's width. Portable.
#pragma once

#include "framework/String.h"

namespace waitbox {

struct ModeInfo {
    int textId;          // string-table id of the status text, 0 for none
    bool cancelShown;    // the Cancel button stays visible
    bool boxDisabled;    // the box takes no input; only its owner ends it
    unsigned notice;     // message posted to the owner 500 ms after opening, 0 for none
    bool asksToEnd;      // once a second the owner is asked whether the box may end
};
ModeInfo InfoForMode(int mode);

// One tick of the one-second timer: every fifth tick first removes all dots
// (the text's own too), then one dot is added and the counter advanced.
void AdvanceDots(CString& text, int& counter);

// Pixels of a bar barWidth wide for done of total: 0 without a total or with
// nothing done, never more than the frame's inside (barWidth - 2), and no
// overflow for large byte counts.
int BarFill(int barWidth, long long done, long long total);

constexpr int kFrames = 12;
constexpr int kFrameSize = 40;

}  // namespace waitbox
