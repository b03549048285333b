// The editor's portable rules on code page 949 text, without a window.
#include "editor/CodePageConverter.h"
#include "editor/EditorCore.h"
#include "editor/TextSearch.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class EditorCoreTest : public ::testing::Test
{
protected:
    EditorCoreTest() : converter(CreateCodePageConverter(949)), core(converter.get()) {}
    // Loads ANSI text as it stands (the tests use CR LF and code page 949 bytes).
    void Load(const std::string& text)
    {
        core.ResetText();
        core.Store().InsertText(text, 0, false, true);
    }
    std::string Text() const { return core.Text(); }

    std::unique_ptr<CCodePageConverter> converter;
    CEditorCore core;
};

const std::string kHaeng = "\xC1\x64"; // a syllable whose trail byte is 'd'
const std::string kHap = "\xC1\x44";   // the same lead, trail 'D'

TEST(TextSearchTest, MatchesOnlyWholeCharacters)
{
    struct Case
    {
        std::string text, needle;
        bool matchCase;
        int from;
        int forward;
    } cases[] = {
        {"\xC1\x64\x64", "d", true, 0, 2},          // not the trail byte at 1
        {kHaeng + " " + kHaeng, kHap, false, 0, -1}, // trail bytes never fold
        {"Abc abc", "ABC", false, 1, 4},
        {"x\xB0\r\nd", "d", true, 0, 4},            // a lone lead byte before CR LF
    };
    for (const Case& c : cases) {
        int n = static_cast<int>(c.text.size());
        EXPECT_EQ(FindForward949(c.text.c_str(), n, c.needle, c.from, c.matchCase), c.forward) << c.text;
    }
    const std::string t = "ab" + kHaeng + "dab";
    EXPECT_EQ(FindBackward949(t.c_str(), 7, "ab", 7, true), 5);
    EXPECT_EQ(FindBackward949(t.c_str(), 7, "ab", 6, true), 0);
    EXPECT_EQ(FindBackward949(t.c_str(), 7, "d", 7, true), 4);
}

// The dialogs, their boxes and read-only text: the Win32 suite.
TEST_F(EditorCoreTest, ReplaceAllMatchesWholeCharactersAndEnds)
{
    Load(kHaeng + " " + kHaeng);
    EXPECT_EQ(core.ReplaceAll(0, "X", kHap), 0);
    EXPECT_EQ(Text(), kHaeng + " " + kHaeng);

    struct Case
    {
        std::string text, find, with;
        unsigned flags;
        int count;
        std::string result;
    } cases[] = {
        {"a a a", "a", "", 0, 3, "  "},            // an empty replacement ends too
        {"a a a", "A", "aa", kSearchUp, 3, "aa aa aa"}, // upwards, never its own text
        {"a a a", "a", "aa", 0, 3, "aa aa aa"},
    };
    for (const Case& c : cases) {
        Load(c.text);
        core.MoveCaret(core.Length(), false);
        EXPECT_EQ(core.ReplaceAll(c.flags, c.with, c.find), c.count) << c.with;
        EXPECT_EQ(Text(), c.result);
        core.Undo();
        EXPECT_EQ(Text(), c.text) << "one undo restores all";
    }
}

TEST_F(EditorCoreTest, PositionsFromOutsideAreClampedAndStrayBytesAreOneStep)
{
    Load("ab\r\n" + kHaeng + "c");
    struct
    {
        int in, out;
    } cases[] = {{-5, 0}, {3, 2}, {5, 4}, {6, 6}, {99, 7}};
    for (auto c : cases)
        EXPECT_EQ(core.ClampPosition(c.in), c.out) << c.in;
    core.SetSelection(3, 99);
    EXPECT_EQ(core.SelStart(), 2);
    EXPECT_EQ(core.SelEnd(), 7);
    core.GoToLine(1000);
    EXPECT_EQ(core.Caret(), 4);
    EXPECT_FALSE(core.DropSelection(99, false));

    // The two-byte rule on stray bytes.
    Load("a\xB0\r\nb");
    core.MoveCaret(1, false);
    EXPECT_TRUE(core.Delete());
    EXPECT_EQ(Text(), "a\r\nb");
    Load("a" + kHaeng + "\r\n");
    core.MoveCaret(3, false);
    EXPECT_TRUE(core.Backspace(false));
    EXPECT_EQ(Text(), "a\r\n");
    core.Right(false, false);
    EXPECT_EQ(core.Caret(), 3); // CR LF is one step
}

TEST_F(EditorCoreTest, LeadingEditsKeepSelectionEndsInTheirLines)
{
    struct Case
    {
        const char* name;
        std::string text;
        int selStart, selEnd;
        int mode; // 0 indent, 1 outdent, 2 comment, 3 uncomment
        std::string result;
        int newStart, newEnd;
    } cases[] = {
        {"indent", "a\r\n\r\nb\r\nc", 0, 8, 0, "\ta\r\n\r\n\tb\r\nc", 1, 10},
        {"outdent 6 and 8 blanks", "      x\r\n        y", 0, 18, 1, "x\r\n\ty", 0, 5},
        {"end inside the lead", "        y\r\nz", 0, 3, 1, "\ty\r\nz", 0, 1},
        {"comment", "a\r\nb\r\nc", 1, 7, 2, "//a\r\n//b\r\n//c", 3, 13},
        {"uncomment at column 0 only", "//a\r\n  //b", 0, 10, 3, "a\r\n  //b", 0, 8},
        {"uncomment start inside the prefix", "//a\r\n//b", 1, 8, 3, "a\r\nb", 0, 4},
    };
    for (const Case& c : cases) {
        Load(c.text);
        core.Store().ToggleBookmark(1);
        core.SetSelection(c.selStart, c.selEnd);
        bool changed = c.mode < 2 ? core.BlockIndent(c.mode == 1) : core.CommentLines(c.mode == 3);
        EXPECT_TRUE(changed) << c.name;
        EXPECT_EQ(Text(), c.result) << c.name;
        EXPECT_EQ(core.SelStart(), c.newStart) << c.name;
        EXPECT_EQ(core.SelEnd(), c.newEnd) << c.name;
        EXPECT_TRUE(core.Store().HasBookmark(1)) << c.name;
        core.Undo();
        EXPECT_EQ(Text(), c.text) << c.name << ": one undo";
    }
}

TEST_F(EditorCoreTest, CompositionStaysOutOfTheHistory)
{
    Load("ab");
    core.MoveCaret(2, false);
    core.TypeChar('c');
    const std::string ga = "\xB0\xA1", gak = "\xB0\xA2";
    core.Compose(ga);
    core.Compose(gak);
    EXPECT_EQ(Text(), "abc" + gak);
    EXPECT_EQ(core.CompositionStart(), 3);
    // Undo mid-composition removes it first; the typed "c" goes as recorded.
    core.Undo();
    EXPECT_EQ(Text(), "ab");
    EXPECT_FALSE(core.Composing());

    core.MoveCaret(0, false);
    core.Compose(ga);
    core.MoveCaret(4, false); // a click: the composition goes, positions stay true
    EXPECT_EQ(Text(), "ab");
    core.Compose(ga);
    core.CommitComposition(gak);
    EXPECT_EQ(Text(), "ab" + gak);
    core.Undo();
    EXPECT_EQ(Text(), "ab");

    // Over a selection: one undo step brings the selection back.
    core.SetSelection(0, 2);
    core.Compose(ga);
    core.CommitComposition(ga);
    EXPECT_EQ(Text(), ga);
    core.Undo();
    EXPECT_EQ(Text(), "ab");
}

// Overwrite mode: each overwritten character is one undo step, whichever
// road it came by (a key, a repeated key, a committed IME syllable), so an
// odd number of undos never leaves a character deleted and not put back.
TEST_F(EditorCoreTest, OverwriteTypingIsOneUndoStepPerCharacter)
{
    const std::string ga = "\xB0\xA1";
    struct Case
    {
        const char* name;
        std::string text;
        int caret;
        std::function<void(CEditorCore&)> type;
        std::vector<std::string> states; // after typing, then after each undo
    } cases[] = {
        {"keys", "abcd\r\n", 0, [](CEditorCore& c) { c.TypeChar('x'); c.TypeChar('y'); c.TypeChar('z'); },
         {"xyzd\r\n", "xycd\r\n", "xbcd\r\n", "abcd\r\n"}},
        {"a repeated key", "abcd\r\n", 1, [](CEditorCore& c) { c.TypeChar('q', 3); },
         {"aqqq\r\n", "aqqd\r\n", "aqcd\r\n", "abcd\r\n"}},
        {"a two-byte character, then the line end", "ab" + ga + "\r\n", 2,
         [](CEditorCore& c) { c.TypeChar('x'); c.TypeChar('y'); },
         {"abxy\r\n", "abx\r\n", "ab" + ga + "\r\n"}},
        {"IME syllables", "abcd\r\n", 0,
         [&](CEditorCore& c) { c.Compose(ga); c.CommitComposition(ga); c.CommitComposition(ga); },
         {ga + ga + "cd\r\n", ga + "bcd\r\n", "abcd\r\n"}},
    };
    for (const Case& c : cases) {
        Load(c.text);
        core.SetOverwrite(true);
        core.MoveCaret(c.caret, false);
        c.type(core);
        EXPECT_EQ(Text(), c.states[0]) << c.name;
        for (size_t i = 1; i < c.states.size(); ++i) {
            core.Undo();
            EXPECT_EQ(Text(), c.states[i]) << c.name << ": undo " << i;
        }
        EXPECT_FALSE(core.Store().CanUndo()) << c.name;
        for (size_t i = c.states.size() - 1; i-- > 0;) {
            core.Redo();
            EXPECT_EQ(Text(), c.states[i]) << c.name << ": redo to " << i;
        }
        EXPECT_FALSE(core.Store().CanRedo()) << c.name;
    }
}

} // namespace
