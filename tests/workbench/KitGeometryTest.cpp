#include "workbench/kit/KitGeometry.h"

#include <gtest/gtest.h>

TEST(PngButtonCellsTest, SizeAndCheckMode) {
    kit::CellSize c = kit::CellSizeFor(80, 96, 4, false, 0);
    EXPECT_EQ(c.cx, 80);
    EXPECT_EQ(c.cy, 24);
    // A caption wider than the strip widens the cell to text + 15.
    EXPECT_EQ(kit::CellSizeFor(80, 96, 4, true, 100).cx, 115);
    EXPECT_EQ(kit::CellSizeFor(80, 96, 4, true, 30).cx, 80);
    EXPECT_EQ(kit::CellSizeFor(24, 168, 7, false, 0).cy, 24);
}

TEST(PngButtonCellsTest, CellForEveryState) {
    auto cell = [](bool checkMode, bool checked, bool hover, bool pressed, bool enabled, int count) {
        return kit::SelectCell({checkMode, checked, hover, pressed, enabled, count});
    };
    EXPECT_EQ(cell(false, false, false, false, true, 4), 0);
    EXPECT_EQ(cell(false, false, true, false, true, 4), 1);
    EXPECT_EQ(cell(false, false, false, true, true, 4), 2);
    EXPECT_EQ(cell(false, false, true, true, true, 4), 1);   // hover wins over pressed
    EXPECT_EQ(cell(false, false, true, true, false, 4), 3);  // disabled whatever the mouse does
    EXPECT_EQ(cell(false, true, false, false, true, 4), 0);  // checked means nothing outside check mode
    EXPECT_EQ(cell(true, true, false, false, true, 7), 4);
    EXPECT_EQ(cell(true, true, true, false, true, 7), 5);
    EXPECT_EQ(cell(true, true, false, true, true, 7), 6);
    EXPECT_EQ(cell(true, true, false, false, false, 7), 3);
    EXPECT_EQ(cell(true, true, false, false, false, 8), 7);
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
