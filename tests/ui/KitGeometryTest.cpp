#include "ui/kit/KitGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(PngButtonCellsTest, CellForStatesTheWin32SuiteCannotHold) {
    struct Case {
        bool checkMode, checked, hover, pressed, enabled;
        int count, cell;
    } cases[] = {
        {false, false, true, true, true, 4, 1},   // hover wins over pressed
        {false, false, true, true, false, 4, 3},  // disabled whatever the mouse does
        {false, true, false, false, true, 4, 0},  // checked means nothing outside check mode
        {true, true, false, true, true, 7, 6},
        {true, false, false, false, false, 8, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kit::SelectCell({c.checkMode, c.checked, c.hover, c.pressed, c.enabled, c.count}), c.cell)
            << c.hover << c.pressed << c.enabled;
}

TEST(TipPlacementTest, BelowRightOrFlippedAtTheEdges) {
    const kit::Box screen{0, 0, 1280, 1024};
    const kit::Box work{0, 0, 1280, 984};  // a task bar at the bottom
    const int cases[][4] = {{100, 100, 100, 123}, {1250, 1000, 1170, 977}, {100, 950, 100, 927}};
    for (const auto& c : cases) {
        int l, t;
        kit::PlaceTip(c[0], c[1], 80, 20, screen, work, &l, &t);
        EXPECT_EQ(l, c[2]) << c[0] << "," << c[1];
        EXPECT_EQ(t, c[3]) << c[0] << "," << c[1];
    }
}

TEST(PngSizeTest, ReadsTheHeaderAndRefusesWhatIsNotOne) {
    unsigned char png[24] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                             0, 0, 1, 0x2C, 0, 0, 0, 30};
    int w = -1, h = -1;
    ASSERT_TRUE(kit::PngSize(png, sizeof png, w, h));
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 30);
    EXPECT_FALSE(kit::PngSize(png, 23, w, h));  // cut inside the height
    EXPECT_FALSE(kit::PngSize(nullptr, 24, w, h));
    unsigned char bad[24];
    std::copy(png, png + 24, bad);
    bad[1] = 'J';  // another format
    EXPECT_FALSE(kit::PngSize(bad, sizeof bad, w, h));
    std::copy(png, png + 24, bad);
    bad[12] = 'X';  // another first chunk
    EXPECT_FALSE(kit::PngSize(bad, sizeof bad, w, h));
    std::copy(png, png + 24, bad);
    bad[16] = 0x80;  // a width no picture has
    EXPECT_FALSE(kit::PngSize(bad, sizeof bad, w, h));
    std::copy(png, png + 24, bad);
    bad[22] = bad[23] = 0;  // no rows
    EXPECT_FALSE(kit::PngSize(bad, sizeof bad, w, h));
    EXPECT_EQ(w, 300);  // a refused header leaves the size alone
}
