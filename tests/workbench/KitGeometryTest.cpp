#include "workbench/kit/KitGeometry.h"

#include <gtest/gtest.h>

TEST(PngButtonCellsTest, CaptionWidensTheCell) {
    // Plain strips are measured on real buttons by the Win32 suite. A caption wider
    // than the strip widens the cell to text + 15.
    EXPECT_EQ(kit::CellSizeFor(80, 96, 4, true, 100).cx, 115);
    EXPECT_EQ(kit::CellSizeFor(80, 96, 4, true, 30).cx, 80);
}

TEST(PngButtonCellsTest, CellForEveryState) {
    auto cell = [](bool checkMode, bool checked, bool hover, bool pressed, bool enabled, int count) {
        return kit::SelectCell({checkMode, checked, hover, pressed, enabled, count});
    };
    // Normal, hover, disabled and checked cells are read from the screen by the Win32
    // suite; pressed states cannot be held there.
    EXPECT_EQ(cell(false, false, false, true, true, 4), 2);
    EXPECT_EQ(cell(false, false, true, true, true, 4), 1);   // hover wins over pressed
    EXPECT_EQ(cell(false, false, true, true, false, 4), 3);  // disabled whatever the mouse does
    EXPECT_EQ(cell(false, true, false, false, true, 4), 0);  // checked means nothing outside check mode
    EXPECT_EQ(cell(true, true, false, true, true, 7), 6);
    EXPECT_EQ(cell(true, false, false, false, false, 8), 3);
}

TEST(PngButtonCellsTest, StretchKeepsTheEnds) {
    kit::StretchPlan same = kit::PlanStretch(80, 80);
    EXPECT_FALSE(same.stretched);
    kit::StretchPlan p = kit::PlanStretch(80, 200);
    ASSERT_TRUE(p.stretched);
    EXPECT_EQ(p.leftX, 0);
    EXPECT_EQ(p.rightX, 120);
    EXPECT_EQ(p.srcColumn, 39);
    EXPECT_EQ(p.stretchLeft, 3);
    EXPECT_EQ(p.stretchRight, 200 - 39 - 3);
}

TEST(TipPlacementTest, BelowRightOrFlippedAtTheEdges) {
    const kit::Box screen{0, 0, 1280, 1024};
    const kit::Box work{0, 0, 1280, 984};  // a task bar at the bottom
    int l, t;
    kit::PlaceTip(100, 100, 80, 20, screen, work, &l, &t);
    EXPECT_EQ(l, 100);
    EXPECT_EQ(t, 123);
    // Near the bottom right: above and to the left of the point.
    kit::PlaceTip(1250, 1000, 80, 20, screen, work, &l, &t);
    EXPECT_EQ(l, 1170);
    EXPECT_EQ(t, 977);
    // Passing only the work area's bottom also flips it.
    kit::PlaceTip(100, 950, 80, 20, screen, work, &l, &t);
    EXPECT_EQ(t, 927);
}
