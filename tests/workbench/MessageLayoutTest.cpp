#include "workbench/MessageLayout.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

// 8 pixels a byte: 50 bytes fill the 400-pixel line exactly.
int EightPerByte(const CString& s) { return 8 * s.GetLength(); }

std::vector<std::string> Lines(const CStringArray& a) {
    std::vector<std::string> v;
    for (int i = 0; i < a.GetSize(); ++i) v.push_back(a[i].str());
    return v;
}

}  // namespace

TEST(MessageLinesTest, SplitDropsBlankLinesAndKeepsTheLastPiece) {
    EXPECT_EQ(Lines(msgbox::SplitLines("It is in the ISP mode.\r\nIt doesn't run the PHP code in the ISP mode.")),
              (std::vector<std::string>{"It is in the ISP mode.", "It doesn't run the PHP code in the ISP mode."}));
    EXPECT_EQ(Lines(msgbox::SplitLines("First.\r\n\r\nSecond.")), (std::vector<std::string>{"First.", "Second."}));
    // A trailing LF leaves an empty last line, which still counts in the height.
    EXPECT_EQ(Lines(msgbox::SplitLines("Text\n")), (std::vector<std::string>{"Text", ""}));
    EXPECT_EQ(Lines(msgbox::SplitLines("")), (std::vector<std::string>{""}));
}

TEST(MessageLinesTest, WrapsIn5ByteStepsToAtMost400Pixels) {
    CStringArray lines;
    lines.Add(CString('a', 75));  // 600 pixels
    lines.Add("short");
    msgbox::WrapLines(lines, EightPerByte);
    ASSERT_EQ(lines.GetSize(), 3);
    EXPECT_EQ(lines[0].GetLength(), 50);
    EXPECT_EQ(lines[1].GetLength(), 25);
    EXPECT_EQ(lines[2], "short");
    EXPECT_EQ(msgbox::TextWidth(lines, EightPerByte), 400);

    // An overflow piece that is itself too wide is wrapped in its turn.
    CStringArray longer;
    longer.Add(CString('b', 130));
    msgbox::WrapLines(longer, EightPerByte);
    EXPECT_EQ(Lines(longer), (std::vector<std::string>{std::string(50, 'b'), std::string(50, 'b'), std::string(30, 'b')}));

    // 8 KB in one line: the text measured stays a small multiple of the text (re-measuring
    // the whole rest at every 5-byte step measured gigabytes).
    long measured = 0;
    CStringArray big;
    big.Add(CString('c', 8192));
    msgbox::WrapLines(big, [&](const CString& s) { measured += s.GetLength(); return EightPerByte(s); });
    ASSERT_EQ(big.GetSize(), 164);
    EXPECT_EQ(big[0].GetLength(), 47);  // the steps count from the end: 8192 - 5k
    EXPECT_EQ(big[1].GetLength(), 50);
    EXPECT_EQ(big[163].GetLength(), 8192 - 47 - 162 * 50);
    EXPECT_LT(measured, 16 * 8192);
}

TEST(MessageLinesTest, WrapNeverCutsACodePage949Character) {
    // 'a' then 40 x "가" (B0 A1): the 5-byte steps would land inside characters.
    CString text("a");
    for (int i = 0; i < 40; ++i) text += "\xB0\xA1";
    CStringArray lines;
    lines.Add(text);
    msgbox::WrapLines(lines, EightPerByte);
    ASSERT_GE(lines.GetSize(), 2);
    CString joined;
    for (int i = 0; i < lines.GetSize(); ++i) {
        EXPECT_LE(EightPerByte(lines[i]), msgbox::kWrapWidth);
        joined += lines[i];
#ifndef _WIN32
        // Every line must be valid code page 949 on its own (checked with iconv, not our own decoder).
        iconv_t cd = iconv_open("UTF-8", "CP949");
        ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
        std::string in = lines[i].str();
        char out[512];
        char* ip = &in[0];
        char* op = out;
        size_t il = in.size(), ol = sizeof out;
        EXPECT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<size_t>(-1)) << "line " << i << " is cut";
        EXPECT_EQ(il, 0u);
        iconv_close(cd);
#endif
    }
    EXPECT_EQ(joined, text);  // nothing lost or doubled
    // Each step backs off to the character boundary: 81, 75, 69, 63, 57, 51 (408 px), 45.
    EXPECT_EQ(lines[0].GetLength(), 45);

    // Mixed text: ASCII and Korean ("한글" C7 D1 B1 DB).
    CString mixed;
    for (int i = 0; i < 30; ++i) mixed += "x\xC7\xD1\xB1\xDB";
    CStringArray m;
    m.Add(mixed);
    msgbox::WrapLines(m, EightPerByte);
    for (int i = 0; i < m.GetSize(); ++i)
        EXPECT_EQ(msgbox::Cp949BoundaryAtOrBefore(m[i], m[i].GetLength()), m[i].GetLength());
}

TEST(MessageLinesTest, ALineThatCannotShrinkStopsWrapping) {
    // One glyph wider than the box: the line stays (no empty lines, no endless loop).
    CStringArray lines;
    lines.Add("\xB0\xA1");
    lines.Add("W");
    msgbox::WrapLines(lines, [](const CString& s) { return s.IsEmpty() ? 0 : 500; });
    EXPECT_EQ(Lines(lines), (std::vector<std::string>{"\xB0\xA1", "W"}));
}

TEST(MessageButtonsTest, UnknownTypesAndIconBits) {
    struct Row {
        unsigned style;
        int count;
        int captions[3];
        int results[3];
    };
    // IDOK 1, IDYES 6, IDNO 7. The seven real types are checked with real boxes by the
    // Win32 suite (captions and results per button); here only what it cannot open.
    const Row rows[] = {
        {0x07, 1, {113, 0, 0}, {1, 0, 0}},
        {0x0F, 1, {113, 0, 0}, {1, 0, 0}},
        {0x34, 2, {114, 115, 0}, {7, 6, 0}},  // the icon bits do not change the buttons
    };
    for (const Row& r : rows) {
        msgbox::ButtonSet b = msgbox::ButtonsForStyle(r.style);
        EXPECT_EQ(b.count, r.count) << "style " << r.style;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(b.captionIds[i], r.captions[i]) << "style " << r.style << " button " << i;
            EXPECT_EQ(b.results[i], r.results[i]) << "style " << r.style << " button " << i;
        }
    }
    const unsigned icons[][2] = {{0x00, 0},   {0x10, 135}, {0x20, 136}, {0x30, 134},
                                 {0x40, 137}, {0x50, 134}, {0x70, 134}, {0x1044, 137}};
    for (const auto& i : icons) EXPECT_EQ(msgbox::IconForStyle(i[0]), static_cast<int>(i[1])) << i[0];
}

TEST(MessageSizeTest, ThreeWideButtonsWidenTheBox) {
    // The places of the buttons in a real box are checked by the Win32 suite; three
    // buttons of 70 pixels need more than the 194-pixel client of a 200-pixel box.
    EXPECT_EQ(msgbox::MinClientWidthForButtons(3, 70), 234);
    EXPECT_EQ(msgbox::MinClientWidthForButtons(0, 60), 0);
    msgbox::ButtonLayout wide = msgbox::LayoutButtons(3, 234, 100, 70, 23);
    EXPECT_EQ(wide.buttons[2].x, 8);
    EXPECT_EQ(wide.buttons[0].x + 70, 234 - 8);
}
