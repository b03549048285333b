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

// Replace All as one delete and one insert per match, searching again after
// each replacement: slow, but plainly what Replace All means. The one-pass
// run must leave the same text, caret, rows and bookmarks.
int ReplaceOneByOne(CEditorCore& c, unsigned flags, const std::string& with, const std::string& find)
{
    const bool matchCase = (flags & kSearchMatchCase) != 0, up = (flags & kSearchUp) != 0;
    const int n = static_cast<int>(find.size()), r = static_cast<int>(with.size());
    bool selected = c.SelectionMatches(find, matchCase);
    int from = up ? (selected ? c.SelEnd() : c.HasSelection() ? c.SelStart() : c.Caret()) : (selected ? c.SelStart() : 0);
    int count = 0, last = -1;
    c.Store().BeginUndoGroup();
    for (;;) {
        int p = up ? FindBackward949(c.Text(), c.Length(), find, from, matchCase)
                   : FindForward949(c.Text(), c.Length(), find, from, matchCase);
        if (p < 0)
            break;
        c.Store().DeleteText(p, n, true);
        c.Store().InsertText(with, p, true);
        ++count;
        last = p + r;
        from = up ? p : p + r;
    }
    c.Store().EndUndoGroup();
    if (last >= 0)
        c.MoveCaret(last, false);
    return count;
}

// Rows, bookmarks and colouring state that must follow the text.
std::string Rows(const CTextStore& s)
{
    std::string out;
    for (int i = 0; i < s.Lines().Count(); ++i)
        out += std::to_string(s.Lines().Start(i)) + "-" + std::to_string(s.Lines().End(i)) + " ";
    return out;
}

std::string Bookmarks(const CTextStore& s)
{
    std::string out;
    for (int slot = CTextStore::kFirstUserBookmark; slot < CTextStore::kBookmarkSlots; ++slot)
        out += std::to_string(s.Bookmark(slot)) + " ";
    return out;
}

TEST_F(EditorCoreTest, ReplaceAllInOnePassAgreesWithOneByOne)
{
    const unsigned up = kSearchUp, exact = kSearchMatchCase;
    struct Case
    {
        const char* name;
        std::string text;
        int selStart, selEnd; // the caret at selEnd
        unsigned flags;
        std::string find, with;
        int count;
    } cases[] = {
        {"overlapping, from the left", "aaaaa", 0, 0, 0, "aa", "b", 2},
        {"overlapping, from the right", "aaaaa", 5, 5, up, "aa", "b", 2},
        {"adjacent, growing", "abab\r\nab", 0, 0, 0, "ab", "abab", 3},
        {"case folded", "Abc aBC\r\nabc", 0, 0, 0, "abc", "x", 3},
        {"case kept", "Abc aBC\r\nabc", 0, 0, exact, "abc", "x", 1},
        {"trail bytes never fold", kHaeng + "d" + kHap + "D", 0, 0, 0, "d", "_", 2},
        {"a match over line ends", "x\r\ny\r\nx\r\ny\r\nz", 0, 0, 0, "x\r\ny", "Q", 2},
        {"line ends added", "a;b\r\nc;d;\r\ne", 0, 0, 0, ";", "\r\n", 3},
        {"line ends added at line starts", ";a\r\n;b", 0, 0, 0, ";", "\r\n\r\n", 2},
        {"rows between matches shift", ";\r\n\r\n\r\n;", 0, 0, 0, ";", ";;;", 2},
        {"line ends swapped", "a\r\nb\r\nc", 0, 0, 0, "\r\n", "\r\n\r\n", 2},
        {"removed to nothing", "a\r\n\r\nb\r\n\r\nc", 0, 0, 0, "\r\n\r\n", "", 2},
        {"from a selected match on", "ab ab ab", 3, 5, 0, "AB", "c", 2},
        {"upwards from the caret", "ab ab ab", 4, 4, up, "ab", "ab ab", 1},
        {"upwards past a selected match", "ab\r\nab\r\nab", 4, 6, up, "ab", "[ab]", 2},
        {"nothing to find", "abc", 0, 0, 0, "abd", "x", 0},
    };
    for (const Case& c : cases) {
        CEditorCore one(converter.get());
        for (CEditorCore* e : {&core, &one}) {
            e->ResetText();
            e->Store().InsertText(c.text, 0, false, true);
            for (int line = 0; line < e->Store().Lines().Count(); ++line)
                e->Store().ToggleBookmark(line);
            e->SetSelection(c.selStart, c.selEnd);
        }
        EXPECT_EQ(core.ReplaceAll(c.flags, c.with, c.find), c.count) << c.name;
        EXPECT_EQ(ReplaceOneByOne(one, c.flags, c.with, c.find), c.count) << c.name;
        const std::string result = Text();
        EXPECT_EQ(result, one.Text()) << c.name;
        EXPECT_EQ(core.Caret(), one.Caret()) << c.name;
        EXPECT_EQ(Bookmarks(core.Store()), Bookmarks(one.Store())) << c.name;
        EXPECT_EQ(core.Store().IsModified(), c.count > 0) << c.name;
        // The rows are those of the same text loaded afresh.
        CEditorCore fresh(converter.get()), original(converter.get());
        fresh.Store().InsertText(result, 0, false, true);
        original.Store().InsertText(c.text, 0, false, true);
        EXPECT_EQ(Rows(core.Store()), Rows(fresh.Store())) << c.name;
        if (c.count == 0)
            continue;
        for (int round = 0; round < 2; ++round) {
            core.Undo();
            EXPECT_EQ(Text(), c.text) << c.name << ": one undo restores it all";
            EXPECT_FALSE(core.Store().CanUndo()) << c.name;
            EXPECT_FALSE(core.Store().IsModified()) << c.name;
            EXPECT_EQ(Rows(core.Store()), Rows(original.Store())) << c.name;
            core.Redo();
            EXPECT_EQ(Text(), result) << c.name << ": one redo";
            EXPECT_EQ(Rows(core.Store()), Rows(fresh.Store())) << c.name;
        }
    }
}

TEST_F(EditorCoreTest, ReplaceAllKeepsLineEndsWhole)
{
    struct Case
    {
        std::string text, find, with;
        int count;
        std::string result;
    } cases[] = {
        {"a\r\nb", "", "x", 0, "a\r\nb"},          // nothing to find: nothing done
        {"a\r\nb", "\n", "x", 0, "a\r\nb"},        // would leave a lone CR
        {"a\r\nb\r\n", "a\r", "x", 0, "a\r\nb\r\n"}, // would leave a lone LF
        {"a,b", ",", "\n", 1, "a\r\nb"},           // a lone line end becomes CR LF
        {"a,b,c", ",", "1\r2", 2, "a1\r\n2b1\r\n2c"},
        {"a,b", ",", std::string("x\0y", 3), 1, "axb"},            // a NUL ends the replacement
    };
    for (const Case& c : cases) {
        Load(c.text);
        EXPECT_EQ(core.ReplaceAll(0, c.with, c.find), c.count) << c.find;
        EXPECT_EQ(Text(), c.result) << c.find;
        CEditorCore fresh(converter.get());
        fresh.Store().InsertText(c.result, 0, false, true);
        EXPECT_EQ(Rows(core.Store()), Rows(fresh.Store())) << c.find;
    }
    // Ranges handed to the store that part a CR LF, overlap or leave the
    // text are refused whole.
    Load("ab\r\ncd");
    const std::vector<std::vector<int>> bad = {{1}, {2, 3}, {0, 1}, {5}, {3}};
    for (const std::vector<int>& starts : bad)
        EXPECT_FALSE(core.Store().ReplaceRanges(starts, 2, "x", true)) << starts[0];
    EXPECT_FALSE(core.Store().ReplaceRanges({0}, 2, "x\n", true)) << "a lone LF in the replacement";
    EXPECT_EQ(Text(), "ab\r\ncd");
    EXPECT_FALSE(core.Store().CanUndo());
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
