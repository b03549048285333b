#include "ui/boxes/MessageLayout.h"

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

std::vector<std::string> Wrapped(const CString& text, int (*measure)(const CString&) = EightPerByte) {
    CStringArray lines;
    lines.Add(text);
    msgbox::WrapLines(lines, measure);
    return Lines(lines);
}

}  // namespace

TEST(MessageLinesTest, SplitDropsBlankLinesAndKeepsTheLastPiece) {
    EXPECT_EQ(Lines(msgbox::SplitLines("First.\r\n\r\nSecond.")), (std::vector<std::string>{"First.", "Second."}));
    // A trailing LF leaves an empty last line, which still counts in the height.
    EXPECT_EQ(Lines(msgbox::SplitLines("Text\n")), (std::vector<std::string>{"Text", ""}));
    EXPECT_EQ(Lines(msgbox::SplitLines("")), (std::vector<std::string>{""}));
}

TEST(MessageLinesTest, WrapsIn5ByteStepsToAtMost400Pixels) {
    // An overflow piece that is itself too wide is wrapped in its turn.
    EXPECT_EQ(Wrapped(CString('b', 130)),
              (std::vector<std::string>{std::string(50, 'b'), std::string(50, 'b'), std::string(30, 'b')}));
    // One glyph wider than the box: the line stays (no empty lines, no endless loop).
    EXPECT_EQ(Wrapped("\xB0\xA1", [](const CString& s) { return s.IsEmpty() ? 0 : 500; }),
              std::vector<std::string>{"\xB0\xA1"});

    // 8 KB in one line: the text measured stays a small multiple of the text (re-measuring
    // the whole rest at every 5-byte step measured gigabytes).
    static long measured = 0;
    const std::vector<std::string> big =
        Wrapped(CString('c', 8192), [](const CString& s) { measured += s.GetLength(); return EightPerByte(s); });
    ASSERT_EQ(big.size(), 164u);
    EXPECT_EQ(big[0].size(), 47u);  // the steps count from the end: 8192 - 5k
    EXPECT_EQ(big[1].size(), 50u);
    EXPECT_LT(measured, 16 * 8192);
}

TEST(MessageLinesTest, WrapNeverCutsACodePage949Character) {
    // 'a' then 40 x "가" (B0 A1): the 5-byte steps would land inside characters; then
    // mixed ASCII and Korean ("한글" C7 D1 B1 DB).
    CString korean("a"), mixed;
    for (int i = 0; i < 40; ++i) korean += "\xB0\xA1";
    for (int i = 0; i < 30; ++i) mixed += "x\xC7\xD1\xB1\xDB";
    for (const CString& text : {korean, mixed}) {
        const std::vector<std::string> lines = Wrapped(text);
        ASSERT_GE(lines.size(), 2u);
        std::string joined;
        for (const std::string& line : lines) {
            EXPECT_LE(8 * static_cast<int>(line.size()), msgbox::kWrapWidth);
            joined += line;
#ifndef _WIN32
            // Every line is whole code page 949 on its own (iconv, not our own decoder).
            iconv_t cd = iconv_open("UTF-8", "CP949");
            ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
            std::string in = line;
            char out[512];
            char *ip = &in[0], *op = out;
            size_t il = in.size(), ol = sizeof out;
            EXPECT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<size_t>(-1)) << line;
            iconv_close(cd);
#endif
        }
        EXPECT_EQ(joined, text.str());  // nothing lost or doubled
    }
    // Each step backs off to the character boundary: 81, 75, 69, 63, 57, 51 (408 px), 45.
    EXPECT_EQ(Wrapped(korean)[0].size(), 45u);
}

TEST(MessageButtonsTest, UnknownTypesAndIconBits) {
    // The seven real types are checked with real boxes by the Win32 suite; here only
    // what it cannot open. IDOK 1, IDYES 6, IDNO 7.
    for (unsigned style : {0x07u, 0x0Fu}) {
        const msgbox::ButtonSet b = msgbox::ButtonsForStyle(style);
        EXPECT_EQ(b.count, 1) << style;
        EXPECT_EQ(b.results[0], 1) << style;
    }
    const msgbox::ButtonSet yesNo = msgbox::ButtonsForStyle(0x34);  // the icon bits do not change the buttons
    EXPECT_EQ(yesNo.count, 2);
    EXPECT_EQ(yesNo.results[1], 6);
    // Undefined icon values fall back as 0x30 does; bits outside the icon mask are ignored.
    const unsigned icons[][2] = {{0x00, 0}, {0x50, 134}, {0x70, 134}, {0x1044, 137}};
    for (const auto& i : icons) EXPECT_EQ(msgbox::IconForStyle(i[0]), static_cast<int>(i[1])) << i[0];
}
