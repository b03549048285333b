#include "editor/CodePage949.h"
#include "editor/CodePageConverter.h"
#include "editor/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Byte strings made on the build machine with `iconv -f UTF-8 -t CP949`.
const char kHangulCp949[] = "\xc7\xd1\xb1\xdb \xc5\xd8\xbd\xba\xc6\xae"; // 한글 텍스트
const char16_t kHangul16[] = u"\uD55C\uAE00 \uD14D\uC2A4\uD2B8";
const char kHangulUtf8[] = "\xed\x95\x9c\xea\xb8\x80 \xed\x85\x8d\xec\x8a\xa4\xed\x8a\xb8";

std::unique_ptr<CCodePageConverter> Cp949()
{
    auto c = CreateCodePageConverter(949);
    EXPECT_NE(c, nullptr);
    return c;
}

std::string Utf16File(const std::u16string& units, bool bigEndian, bool signature = true)
{
    std::string out;
    std::u16string all = signature ? u"\uFEFF" + units : units;
    for (char16_t u : all) {
        char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

DecodedText Decode(const std::string& bytes)
{
    auto c = Cp949();
    return DecodeFileText(bytes.data(), bytes.size(), *c);
}

} // namespace

TEST(CodePage949, CharacterLengthStopsAtTheRowEnd)
{
    // {start, row end, length}: a UHC extension trail byte 0x52 counts; a lead byte
    // last in its row, a CR or a blank never trails; 0x80 leads nothing.
    const char* t = "a\xc7\xd1\xc6\x52\xc7\r\n\x80x\xb0 ";
    const int cases[][3] = {{0, 9, 1}, {1, 9, 2}, {3, 9, 2}, {5, 6, 1}, {5, 9, 1}, {8, 12, 1}, {10, 12, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(CharLength949(t, c[0], c[1]), c[2]) << c[0] << "," << c[1];
    EXPECT_EQ(PrevCharStart949(t, 0, 5), 3);
    EXPECT_EQ(PrevCharStart949(t, 0, 3), 1);
    EXPECT_EQ(PrevCharStart949(t, 0, 1), 0);
}

// The same pinned bytes must come out of iconv natively and out of
// WideCharToMultiByte under Wine.
TEST(CodePageConverter, AgreesWithIconvOnCodePage949AndReportsUnmappable)
{
    auto c = Cp949();
    std::string out;
    ASSERT_TRUE(c->FromUtf16(kHangul16, 6, out));
    EXPECT_EQ(out, kHangulCp949);

    const char16_t more[] = u"\uAC00\uAC01\uD7A3\u24D0\u2460\u3260\uFF04\uFFE6";
    ASSERT_TRUE(c->FromUtf16(more, 8, out));
    EXPECT_EQ(out, "\xb0\xa1\xb0\xa2\xc6\x52\xa8\xcd\xa8\xe7\xa8\xb1\xa3\xa4\xa3\xdc");

    EXPECT_TRUE(c->FromUtf16(u"", 0, out));
    EXPECT_EQ(out, "");

    // U+0151 and U+1F600 (a surrogate pair) have no form in code page 949.
    const char16_t text[] = u"a\u0151b\U0001F600c";
    EXPECT_FALSE(c->FromUtf16(text, 6, out));
    EXPECT_EQ(out.front(), 'a');
    EXPECT_EQ(out.back(), 'c');
    EXPECT_NE(out.find('?'), std::string::npos);
}

TEST(TextEncoding, DetectsEachSignatureAndLineEndMode)
{
    auto detect = [](const std::string& s) { return DetectTextEncoding(s.data(), s.size()); };
    EXPECT_EQ(detect("\xEF\xBB\xBFx\r\ny"), kEncodingUtf8Sig | kLineEndCrLf);
    EXPECT_EQ(detect(Utf16File(u"a\nb", false)), kEncodingUtf16Le | kLineEndLf);
    EXPECT_EQ(detect(Utf16File(u"a\rb\r\n", true)), kEncodingUtf16Be | kLineEndLoneCr);
    EXPECT_EQ(detect(std::string(kHangulUtf8) + "\n"), kEncodingUtf8 | kLineEndLf);
    EXPECT_EQ(detect("a\rb\r\n"), kEncodingAnsi | kLineEndLoneCr);
    EXPECT_EQ(detect("no line end"), kEncodingAnsi | kLineEndCrLf);
    EXPECT_EQ(detect("ends in CR\r"), kEncodingAnsi | kLineEndLoneCr);
    EXPECT_EQ(detect(kHangulCp949), kEncodingAnsi | kLineEndCrLf); // not UTF-8
    EXPECT_EQ(detect(std::string("a\0b\n", 4)), kEncodingNul);
    // Only the first length - 1 bytes are searched for a NUL.
    EXPECT_EQ(detect(std::string("ab\0", 3)), kEncodingAnsi | kLineEndCrLf);

    // UTF-8 needs whole sequences, and at least one of them.
    EXPECT_FALSE(IsUtf8Text("ascii only", 10));
    EXPECT_FALSE(IsUtf8Text("caf\xc3", 4));       // cut at the end
    EXPECT_FALSE(IsUtf8Text("\xe4\xb8x", 3));     // bad continuation
    EXPECT_FALSE(IsUtf8Text("\x80", 1));          // stray continuation
    EXPECT_TRUE(IsUtf8Text("\xf0\x9f\x98\x80", 4));
}

TEST(TextEncoding, LoadsEachEncodingIntoCodePage949)
{
    std::u16string text = std::u16string(kHangul16) + u"\r\nx";
    std::string want = std::string(kHangulCp949) + "\r\nx";
    const struct
    {
        std::string file;
        unsigned encoding;
    } cases[] = {
        {Utf16File(text, false), kEncodingUtf16Le | kLineEndCrLf},
        {Utf16File(text, true), kEncodingUtf16Be | kLineEndCrLf},
        {"\xEF\xBB\xBF" + std::string(kHangulUtf8) + "\r\nx", kEncodingUtf8Sig | kLineEndCrLf},
        {std::string(kHangulUtf8) + "\r\nx", kEncodingUtf8 | kLineEndCrLf},
        {want, kEncodingAnsi | kLineEndCrLf},
    };
    for (const auto& c : cases) {
        DecodedText d = Decode(c.file);
        EXPECT_EQ(d.encoding, c.encoding);
        EXPECT_EQ(d.text, want) << c.encoding;
        EXPECT_EQ(d.problems, 0u) << c.encoding;
    }
}

TEST(TextEncoding, LineEndsBecomeCrLf)
{
    EXPECT_EQ(Decode("a\nb\nc").text, "a\r\nb\r\nc");
    EXPECT_EQ(Decode("a\rb\rc\r").text, "a\r\nb\r\nc\r\n");
    // A lone CR first keeps the later LF line ends as line ends.
    EXPECT_EQ(Decode("a\rb\nc\r\nd").text, "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(Decode("\na\r\n\n").text, "\r\na\r\n\r\n");
    EXPECT_EQ(Decode(Utf16File(u"a\nb", false)).text, "a\r\nb");
    EXPECT_TRUE(HasOnlyCrLf("a\r\nb\r\n"));
    EXPECT_FALSE(HasOnlyCrLf("\nb"));
    EXPECT_FALSE(HasOnlyCrLf("a\n\r\n"));
}

TEST(TextEncoding, WhatCannotBeHeldIsReported)
{
    const struct
    {
        std::string file, text;
        unsigned problems;
    } cases[] = {
        {std::string("first\nsec\0ond", 13), "first\r\nsec", kLoadCutAtNul},
        // UTF-16 without a signature is NUL data: cut at its first NUL, and said so.
        {Utf16File(u"ab\ncd", false, false), "a", kLoadCutAtNul},
        {std::string("abc\0", 4), "abc", kLoadCutAtNul}, // a NUL as the last byte
        {Utf16File(std::u16string(u"ab\0cd", 5), false), "ab", kLoadCutAtNul},
        {"\xEF\xBB\xBFx\xc5\x91y", "x?y", kLoadUnconvertible}, // U+0151 is not in 949
        {Utf16File(u"ab", false) + "z", "ab", kLoadUnconvertible}, // half a unit left over
        {Utf16File(u"a\xD800" u"b", false), "a?b", kLoadUnconvertible},
        // Overlong forms pass the structural UTF-8 test but convert to '?'.
        {"\xEF\xBB\xBF" "a\xc0\xafz", "a?z", kLoadUnconvertible},
    };
    for (const auto& c : cases) {
        DecodedText d = Decode(c.file);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.problems, c.problems) << c.text;
    }
    EXPECT_EQ(Decode(std::string("first\nsec\0ond", 13)).encoding, kEncodingNul);
    EXPECT_EQ(Decode(Utf16File(u"ab\ncd", false, false)).encoding, kEncodingNul);
}
