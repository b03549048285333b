#include "workbench/WaitLogic.h"

#include <gtest/gtest.h>

TEST(WaitBoxTest, OnlyTheCancellableIdentifyAsksAndUnknownModesCanBeClosed) {
    for (int mode = -1; mode <= 5; ++mode) {
        const waitbox::ModeInfo m = waitbox::InfoForMode(mode);
        EXPECT_EQ(m.asksToEnd, mode == 2) << mode;
        // A box the user cannot close must end by itself: never without both.
        EXPECT_NE(m.cancelShown, m.boxDisabled) << mode;
    }
    EXPECT_TRUE(waitbox::InfoForMode(99).cancelShown);
}

TEST(WaitBoxTest, DotsGrowAndRestartEveryFifthSecond) {
    CString text("Connecting to product...");
    int counter = 1;
    std::vector<std::string> seen;
    for (int s = 1; s <= 6; ++s) {
        waitbox::AdvanceDots(text, counter);
        seen.push_back(text.str());
    }
    EXPECT_EQ(seen[0], "Connecting to product....");  // its own 3 + 1
    EXPECT_EQ(seen[4], "Connecting to product.");     // after 5 s: all removed, one added
    EXPECT_EQ(seen[5], "Connecting to product..");
}

TEST(WaitBoxTest, BarFillIsBoundedAndDoesNotOverflow) {
    // {bar width, done, total, fill}. 400 x 6,000,000 passes 2^31; a full bar stops
    // inside the frame (width - 2).
    const int cases[][4] = {{406, 100, 0, 0},       {406, 0, 1000, 0},     {400, 512, 1024, 200},
                            {400, 6000000, 8000000, 300}, {400, 1023, 1024, 398}, {400, 9000, 8000, 398},
                            {2, 1, 1, 0},           {400, -5, 8000, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(waitbox::BarFill(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << "/" << c[2];
}
