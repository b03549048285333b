#include "editor/CodePageConverter.h"
#include "editor/TextLayout.h"
#include "editor/TextMetrics.h"
#include "editor/TextStore.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Every byte 8 pixels, a two-byte character 16, 16 pixels high.
struct FixedMetrics : CTextMetrics
{
    int TextWidth(const char*, int count) const override { return 8 * count; }
    int CharHeight() const override { return 16; }
    int AveCharWidth() const override { return 8; }
};

bool SameRows(const CDisplayLines& a, const CDisplayLines& b)
{
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i)
        if (a.Start(i) != b.Start(i) || a.End(i) != b.End(i))
            return false;
    return true;
}

class LayoutTest : public ::testing::Test
{
protected:
    LayoutTest() : converter(CreateCodePageConverter(949)), store(converter.get()), layout(store)
    {
        layout.SetMetrics(metrics);
        layout.SetClientSize(400, 190);
    }
    void Load(const std::string& text) { store.SetText(text.data(), text.size()); }

    std::unique_ptr<CCodePageConverter> converter;
    CTextStore store;
    CTextLayout layout;
    FixedMetrics metrics;
};

} // namespace

TEST(DisplayLines, IncrementalUpdatesMatchAFullRebuild)
{
    std::mt19937 rng(6);
    std::string text = "<?php\r\n$a = 1;\r\n\r\necho $a;\r\n?>";
    CDisplayLines lines;
    lines.UpdateLines(text.c_str(), -1, -1);
    // Lone CRs and LFs too, anywhere: callers may split or pair a CR LF, and
    // the rows must still match the text.
    const char* pieces[] = {"x", "\r\n", "ab\r\ncd", "\r\n\r\n", "\t", "\xc7\xd1", "long line text", "\r", "\n"};
    for (int step = 0; step < 3000; ++step) {
        int pos = static_cast<int>(rng() % (text.size() + 1));
        int first;
        if (rng() % 2 && !text.empty()) {
            int count = static_cast<int>(rng() % std::min<size_t>(text.size() - pos + 1, 12));
            text.erase(pos, count);
            first = lines.UpdateLines(text.c_str(), pos, -count);
        } else {
            std::string piece = pieces[rng() % 9];
            text.insert(pos, piece);
            first = lines.UpdateLines(text.c_str(), pos, static_cast<int>(piece.size()));
        }
        CDisplayLines full;
        full.UpdateLines(text.c_str(), -1, -1);
        ASSERT_TRUE(SameRows(lines, full)) << "step " << step;
        EXPECT_LE(lines.Start(first), pos);
    }
}

TEST(DisplayLines, TypingTouchesOneRowAndRowsMapToPositions)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    CDisplayLines lines;
    lines.UpdateLines(text.c_str(), -1, -1);
    lines.SetBreakpoint(7, true);
    int at = lines.Start(5) + 2;
    text.insert(at, "x");
    EXPECT_EQ(lines.UpdateLines(text.c_str(), at, 1), 5);
    text.insert(at, "\r\n");
    lines.UpdateLines(text.c_str(), at, 2);
    EXPECT_EQ(lines.Row(700).line, 700);
    EXPECT_EQ(std::string(text.c_str() + lines.Start(700), 8), "line 699");
    EXPECT_TRUE(lines.Breakpoint(7)); // marks stay with the row index

    text = "ab\r\n\r\ncdef";
    lines.UpdateLines(text.c_str(), -1, -1);
    // At the CR: still row 0; the text's end: the last row.
    const int cases[][3] = {{2, 0, 2}, {4, 1, 0}, {10, 2, 4}};
    for (const auto& c : cases) {
        int row, col;
        lines.PosToLineCol(c[0], row, col);
        EXPECT_EQ(row, c[1]) << c[0];
        EXPECT_EQ(col, c[2]) << c[0];
    }
    EXPECT_EQ(lines.LineColToPos(0, 99), 2);
    EXPECT_EQ(lines.LineColToPos(3, 0), -1);
    lines.UpdateLines("", -1, -1); // an empty text still has one row
    ASSERT_EQ(lines.Count(), 1);
    EXPECT_EQ(lines.Start(1), -1);
}

TEST_F(LayoutTest, PixelsAndPositionsWithTabsAndTwoByteCharacters)
{
    // Gutter 40, 8-pixel bytes, tab width 32, two-byte width 16, rows 19 high.
    Load("a\tb\r\n\xc7\xd1x\r\n\xc7");
    // After the tab: the next stop; after the two-byte character: 16 more; a
    // lone lead byte at the end: half a cell.
    const int xy[][3] = {{2, 72, 0}, {8, 64, 19}, {11, 48, 38}};
    int x, y;
    for (const auto& c : xy) {
        layout.PosToXY(c[0], x, y);
        EXPECT_EQ(x, c[1]) << c[0];
        EXPECT_EQ(y, c[2]) << c[0];
    }
    // Clicks round at half a character (the tab spans 48..72, half at 60; the
    // two-byte character's middle is 48); past the row end: the row end.
    const int clicks[][3] = {{60, 5, 1}, {61, 5, 2}, {999, 5, 3}, {48, 20, 5}, {49, 20, 7}, {-5, -5, 0}, {40, 999, 10}};
    for (const auto& c : clicks)
        EXPECT_EQ(layout.XYToPos(c[0], c[1]), c[2]) << c[0] << "," << c[1];
}

TEST_F(LayoutTest, ScrollLimitsAndLineGapKeepTheTopRow)
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += std::string(100, 'x') + "\r\n";
    Load(text);
    ScrollRange v, h;
    bool reset;
    ASSERT_TRUE(layout.UpdateScrollBars(v, h, reset));
    // 190 / 19 = 10 rows a page; 41 rows; the last row may reach mid-page.
    EXPECT_EQ(v.max, (5 + 41) * 19);
    layout.SetOffsets(0, 190);
    EXPECT_EQ(layout.Wheel(60, 3), -19); // a threshold is 40: one line, rest 20
    EXPECT_EQ(layout.Wheel(60, 3), -38); // 80 more: two lines

    layout.SetOffsets(0, 10 * 19 + 7);
    EXPECT_EQ(layout.VOffset(), 190);
    layout.ApplyLayout(200);
    EXPECT_EQ(layout.LineHeight(), 32);
    EXPECT_EQ(layout.VOffset(), 320);
    layout.ApplyLayout(0); // refused
    EXPECT_EQ(layout.LineHeight(), 32);

    // A short text forces the offset back to 0; a window of no size has no bars.
    Load("short");
    ASSERT_TRUE(layout.UpdateScrollBars(v, h, reset));
    EXPECT_TRUE(reset);
    EXPECT_EQ(layout.VOffset(), 0);
    layout.SetClientSize(0, 0);
    EXPECT_FALSE(layout.UpdateScrollBars(v, h, reset));
}

TEST_F(LayoutTest, RowsSplitIntoRunsThatTileTheRowUpToTheWindowEdge)
{
    Load("<b>x\ty</b>");
    store.ParseUpTo(0);
    EditorColours colours;
    auto runs = layout.SplitRow(0, 0, 0, true, false, colours);
    int covered = 0;
    for (const TextRun& r : runs) {
        EXPECT_EQ(r.start, covered); // runs tile the row
        covered += r.length;
    }
    EXPECT_EQ(covered, 10);
    // Runs right of the window are not cut at all.
    layout.SetOffsets(20, 0);
    size_t all = layout.SplitRow(0, 0, 0, true, false, colours).size();
    runs = layout.SplitRow(0, 0, 0, true, false, colours, 53);
    EXPECT_LT(runs.size(), all);
    EXPECT_LT(runs.back().x, 53);
}
