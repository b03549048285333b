#include "ui/boxes/WaitLogic.h"

#include <gtest/gtest.h>

TEST(WaitBoxTest, ModesTable) {
    // Each mode's text and state; an unknown mode can always be closed.
    struct Row {
        int mode, text;
        bool cancel, disabled;
        unsigned notice;
        bool asks;
    };
    const Row rows[] = {
        {0, 119, false, true, 0x46A, false}, {1, 120, false, true, 0x484, false},
        {2, 120, true, false, 0x484, true},  {3, 120, false, true, 0, false},
        {4, 121, false, true, 0, false},     {-1, 0, true, false, 0, false},
    };
    for (const Row& r : rows) {
        waitbox::ModeInfo m = waitbox::InfoForMode(r.mode);
        EXPECT_EQ(m.textId, r.text) << r.mode;
        EXPECT_EQ(m.cancelShown, r.cancel) << r.mode;
        EXPECT_EQ(m.boxDisabled, r.disabled) << r.mode;
        EXPECT_EQ(m.notice, r.notice) << r.mode;
        EXPECT_EQ(m.asksToEnd, r.asks) << r.mode;
    }
}

TEST(WaitBoxTest, BarFillIsBoundedAndDoesNotOverflow) {
    // {bar width, done, total, fill}. 400 x 6,000,000 passes 2^31; a full bar stops
    // inside the frame (width - 2).
    const int cases[][4] = {{406, 100, 0, 0},         {400, 512, 1024, 200}, {400, 6000000, 8000000, 300},
                            {400, 9000, 8000, 398},   {2, 1, 1, 0},          {400, -5, 8000, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(waitbox::BarFill(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << "/" << c[2];
}
