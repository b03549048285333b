#include "editor/CodePageConverter.h"
#include "editor/TextStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct RecordingHost : CTextStoreHost
{
    int modifiedNotices = 0;
    void OnDocModified() override { ++modifiedNotices; }
};

class TextStoreTest : public ::testing::Test
{
protected:
    TextStoreTest() : converter(CreateCodePageConverter(949)), store(converter.get())
    {
        store.SetHost(&host);
    }
    void Load(const std::string& text) { store.SetText(text.data(), text.size()); }
    void Type(const std::string& keys)
    {
        for (char c : keys) {
            std::string t = c == '\r' ? "\r\n" : std::string(1, c);
            caret += store.InsertText(t, caret, true) ? static_cast<int>(t.size()) : 0;
        }
    }
    std::string Text() const { return store.Text(); }
    std::string UndoText()
    {
        store.Undo();
        return Text();
    }
    std::string RedoText()
    {
        store.Redo();
        return Text();
    }

    std::unique_ptr<CCodePageConverter> converter;
    CTextStore store;
    RecordingHost host;
    int caret = 0;
};

} // namespace

TEST_F(TextStoreTest, InsertAndDeleteKeepRowsAndRefuseBadInput)
{
    Load("one\r\ntwo");
    EXPECT_TRUE(store.InsertText("X\r\nY", 3, false));
    EXPECT_EQ(Text(), "oneX\r\nY\r\ntwo");
    EXPECT_EQ(store.Lines().Count(), 3);
    EXPECT_FALSE(store.InsertText("", 0, true));         // empty: nothing, no record
    EXPECT_FALSE(store.History().CanUndo());
    EXPECT_FALSE(store.InsertText("z", -1, true)); // refused: nothing recorded
    EXPECT_FALSE(store.InsertText("z", store.Length() + 1, true));
    EXPECT_FALSE(store.History().CanUndo());
    EXPECT_EQ(store.InsertText(std::string("ab\0cd", 5), 0, false), true); // a NUL ends the text
    EXPECT_EQ(Text().substr(0, 3), "abo");
    EXPECT_FALSE(store.DeleteText(0, 0, true));
    EXPECT_FALSE(store.DeleteText(store.Length() - 1, 2, true));
    EXPECT_TRUE(store.DeleteText(0, 2, false));
    store.SetReadOnly(true);
    EXPECT_FALSE(store.InsertText("q", 0, true));
    EXPECT_FALSE(store.DeleteText(0, 1, true));
    EXPECT_EQ(Text(), "oneX\r\nY\r\ntwo");

    // Bytes of the store's own text, inserted so that the buffer must grow.
    store.SetReadOnly(false);
    std::string big(4000, 'b');
    Load(big + "\r\nend");
    store.InsertText(std::string_view(store.Text(), store.Length()), store.Length(), true);
    EXPECT_EQ(Text(), big + "\r\nend" + big + "\r\nend");
    // Undo and redo do nothing while read-only, so text and history stay in step.
    store.SetReadOnly(true);
    EXPECT_EQ(store.Undo(), -1);
    EXPECT_EQ(store.Length(), 2 * 4005);
    store.SetReadOnly(false);
    EXPECT_EQ(UndoText(), big + "\r\nend");
    store.SetReadOnly(true);
    EXPECT_EQ(store.Redo(), -1);
    EXPECT_EQ(store.Length(), 4005);
}

TEST_F(TextStoreTest, ModifiedNoticeOnFirstChangeOnly)
{
    // Loading is silent, and a load cut at a NUL says so but leaves a sound document.
    std::string nul("abc\0def", 7);
    EXPECT_EQ(store.SetText(nul.data(), nul.size()).problems, kLoadCutAtNul);
    EXPECT_EQ(Text(), "abc");
    EXPECT_FALSE(store.IsModified());
    EXPECT_FALSE(store.CanUndo());
    EXPECT_EQ(host.modifiedNotices, 0);
    store.InsertText("x", 0, true, true);
    EXPECT_FALSE(store.IsModified());
    Type("12");
    EXPECT_TRUE(store.IsModified());
    EXPECT_EQ(host.modifiedNotices, 1);
    // Undo back to the loaded state clears the flag; the next edit notifies again.
    store.Undo();
    EXPECT_EQ(UndoText(), "abc");
    EXPECT_FALSE(store.IsModified());
    caret = 0;
    Type("z");
    EXPECT_EQ(host.modifiedNotices, 2);
}

TEST_F(TextStoreTest, TypingBackspaceAndDeleteMergeIntoRuns)
{
    Type("ab cd\rx"); // a blank ends a run, Enter closes the one it ends
    EXPECT_EQ(UndoText(), "ab cd\r\n");
    EXPECT_EQ(UndoText(), "ab ");
    EXPECT_EQ(store.Undo(), 0);
    EXPECT_FALSE(store.CanUndo());
    EXPECT_EQ(store.Redo(), 3);
    EXPECT_EQ(store.Redo(), 7);

    Load("abc def");
    for (int at = 2; at >= 0; --at)
        store.DeleteText(at, 1, true); // Backspace
    ASSERT_EQ(Text(), " def");
    EXPECT_EQ(store.Undo(), 3);
    EXPECT_EQ(Text(), "abc def");
    for (int i = 0; i < 3; ++i)
        store.DeleteText(4, 1, true); // the Delete key
    EXPECT_EQ(UndoText(), "abc def");
}

TEST_F(TextStoreTest, GroupsUndoAndRedoAsOne)
{
    Load("hello world");
    store.InsertText("!", 0, true);
    store.BeginUndoGroup();
    store.DeleteText(1, 5, true);
    store.BeginUndoGroup(); // nested groups share the outer id
    store.InsertText("HELLO", 1, true);
    store.EndUndoGroup();
    store.EndUndoGroup();
    store.BeginUndoGroup();
    store.InsertText("<", 0, true);
    store.InsertText(">", store.Length(), true);
    store.EndUndoGroup();
    store.EndUndoGroup(); // one too many: harmless
    ASSERT_EQ(Text(), "<!HELLO world>");
    EXPECT_EQ(UndoText(), "!HELLO world");
    EXPECT_EQ(UndoText(), "!hello world");
    EXPECT_EQ(UndoText(), "hello world");
    store.Redo();
    EXPECT_EQ(RedoText(), "!HELLO world");
    EXPECT_EQ(RedoText(), "<!HELLO world>");
}

TEST_F(TextStoreTest, SavePointAndDiscardedRedo)
{
    Load("base");
    caret = 4;
    Type(" one two");
    store.MarkSavePoint();
    EXPECT_FALSE(store.CanRedo());
    store.SetModified(false);
    Type(" three");
    EXPECT_TRUE(store.IsModified());
    store.Undo();
    EXPECT_FALSE(store.IsModified()); // back at the save point
    store.Undo();
    EXPECT_TRUE(store.IsModified());
    store.Redo();
    EXPECT_FALSE(store.IsModified());

    // A new edit after undoing past the save point makes it unreachable.
    store.Undo();
    store.Undo();
    caret = store.Length();
    Type("X");
    EXPECT_EQ(store.History().SavePoint(), -1);
    store.Undo();
    EXPECT_TRUE(store.IsModified());
}

TEST_F(TextStoreTest, TrimmingNeedsBothLimitsAndDropsHalfTheBytes)
{
    // Inserts at 0 never merge: each one closes the record before it.
    std::string chunk(1000, 'x');
    for (int i = 0; i < 101; ++i)
        store.InsertText(chunk, 0, true);
    EXPECT_EQ(store.History().Index(), 100); // 100 closed records: not yet
    store.InsertText(chunk, 0, true);
    // 101 closed records of 1016 bytes pass 102,400; records 0..50 are the
    // first to pass 51,200 bytes and go in one step.
    EXPECT_EQ(store.History().Index(), 101 - 51);
    EXPECT_EQ(store.History().SavePoint(), -1);
    int undone = 0;
    while (store.CanUndo()) {
        store.Undo();
        ++undone;
    }
    EXPECT_EQ(undone, 51);
    EXPECT_EQ(store.Length(), 51 * 1000);

    // Many small records stay: the byte limit is not reached.
    CTextStore small(converter.get());
    for (int i = 0; i < 300; ++i)
        small.InsertText("ab ", 0, true);
    EXPECT_EQ(small.History().Index(), 299);
}

TEST_F(TextStoreTest, TrimmingDuringRedoIgnoresUndoneRecords)
{
    for (int i = 0; i < 100; ++i)
        store.InsertText("ab", 0, true);
    store.InsertText(std::string(200000, 'P'), 0, true); // record 100, open
    for (int i = 0; i < 11; ++i)
        store.Undo();
    ASSERT_EQ(store.History().Index(), 90);
    ASSERT_EQ(store.Length(), 180);
    // Redo closes records while the big undone one lies ahead; counting it
    // would trim past the index.
    while (store.CanRedo()) {
        store.Redo();
        ASSERT_GE(store.History().Index(), 0);
        ASSERT_LT(store.History().Index(), store.History().RecordCount());
    }
    EXPECT_EQ(store.Length(), 200200);
    // What history is left still matches the text.
    while (store.CanUndo())
        store.Undo();
    while (store.CanRedo())
        store.Redo();
    EXPECT_EQ(store.Length(), 200200);
}

TEST_F(TextStoreTest, MovesUndoAndRedo)
{
    struct Case
    {
        int from, length, to;
        bool copy;
        int caret;
        std::string moved;
        int undoCaret;
    } cases[] = {
        {1, 3, 8, false, 5, "0456712389", 4}, // "123" after "7"
        {6, 2, 1, false, 1, "0671234589", 8}, // "67" before "1"
        {2, 2, 3, true, 3, "012233456789", 3}, // a copy is an insert
        // Dropped inside its own range: nothing moves, nothing is recorded.
        {2, 4, 6, false, -1, "0123456789", -1},
    };
    for (const Case& c : cases) {
        Load("0123456789");
        EXPECT_EQ(store.MoveText(c.from, c.length, c.to, c.copy), c.caret) << c.moved;
        EXPECT_EQ(Text(), c.moved);
        EXPECT_EQ(store.Undo(), c.undoCaret) << c.moved;
        EXPECT_EQ(Text(), "0123456789");
        if (c.caret >= 0) {
            EXPECT_EQ(RedoText(), c.moved);
        }
    }
}

TEST_F(TextStoreTest, BookmarkSlotsAndSearch)
{
    Load("x");
    for (int line = 0; line < 90; ++line)
        EXPECT_TRUE(store.ToggleBookmark(line * 2));
    EXPECT_FALSE(store.ToggleBookmark(999)); // the 91st is refused
    EXPECT_EQ(store.FindBookmark(11, true), 12);
    EXPECT_EQ(store.FindBookmark(178, true), 0); // wraps to the first
    EXPECT_EQ(store.FindBookmark(0, false), 178);
    EXPECT_TRUE(store.ToggleBookmark(12));
    EXPECT_EQ(store.FindBookmark(10, true), 14);
    store.ResetText();
    EXPECT_EQ(store.FindBookmark(0, true), -1);
}

TEST_F(TextStoreTest, BreakpointMarksSkipCommentsBlanksAndOpeners)
{
    Load("<!-- x -->\r\n<?\r\n// note\r\n\r\n \t\r\n\t$a = 1;\r\n?>");
    bool added = false;
    EXPECT_EQ(store.ToggleBreakpoint(0, added), 5);
    EXPECT_TRUE(added);
    EXPECT_TRUE(store.Lines().Breakpoint(5));
    EXPECT_EQ(store.ToggleBreakpoint(1, added), 5);
    EXPECT_FALSE(added);
    EXPECT_TRUE(store.CanHaveBreakpoint(6));
    EXPECT_FALSE(store.CanHaveBreakpoint(7));
    store.ToggleBreakpoint(6, added);
    store.RemoveAllBreakpoints();
    EXPECT_FALSE(store.Lines().Breakpoint(6));
    // Unsaved changes: no mark can be set.
    store.InsertText("x", 0, true);
    EXPECT_EQ(store.ToggleBreakpoint(0, added), -1);
    EXPECT_FALSE(store.CanHaveBreakpoint(5));
}

TEST_F(TextStoreTest, AGroupNeverJoinsTheTypingBeforeIt)
{
    Load("xy");
    store.InsertText("a", 0, true);
    store.InsertText("b", 1, true); // an open typing record "ab"
    store.BeginUndoGroup();
    store.InsertText("cd", 2, true); // would extend "ab" without group ids
    store.DeleteText(4, 2, true);
    store.EndUndoGroup();
    ASSERT_EQ(Text(), "abcd");
    EXPECT_EQ(UndoText(), "abxy"); // the whole group, nothing of the typing
    EXPECT_EQ(UndoText(), "xy");
    EXPECT_EQ(RedoText(), "abxy");
    EXPECT_EQ(RedoText(), "abcd");

    // Deletes too: a group's first delete does not join an open delete record.
    Load("123456");
    store.DeleteText(5, 1, true);
    store.BeginUndoGroup();
    store.DeleteText(4, 1, true);
    store.InsertText("X", 4, true);
    store.EndUndoGroup();
    EXPECT_EQ(UndoText(), "12345");
}

// The done records' byte total is kept as edits, undo, redo and trims go,
// never recounted: it must always equal a recount.
TEST_F(TextStoreTest, TheHistoryByteTotalStaysExact)
{
    auto recount = [&] {
        size_t bytes = 0;
        const CUndoHistory& h = store.History();
        for (int i = 0; i < h.Index(); ++i)
            bytes += (h.Record(i).kind == UndoRecord::kMove ? 8 : h.Record(i).text.size()) + 16;
        return bytes;
    };
    std::string chunk(700, 'q');
    for (int round = 0; round < 4; ++round) {
        store.BeginUndoGroup();
        for (int i = 0; i < 30; ++i)
            store.InsertText(chunk, 0, true);
        store.EndUndoGroup();
        for (int i = 0; i < 50; ++i)
            store.InsertText("w ", 0, true);
        store.DeleteText(0, 3, true);
        ASSERT_EQ(store.History().DoneBytes(), recount()) << round;
        for (int i = 0; i < 7; ++i)
            store.Undo();
        ASSERT_EQ(store.History().DoneBytes(), recount()) << round;
        for (int i = 0; i < 3; ++i)
            store.Redo();
        ASSERT_EQ(store.History().DoneBytes(), recount()) << round;
    }
    // One long group past both limits (a Replace All): nothing can be
    // trimmed while it is open, and the run stays linear (bench: UndoGroup).
    // Line ends added at the end: two make one record, and rows stay cheap.
    Load("");
    store.BeginUndoGroup();
    for (int i = 0; i < 80000; ++i)
        store.InsertText("\r\n", store.Length(), true);
    store.EndUndoGroup();
    EXPECT_GT(store.History().Index(), 39990);
    store.InsertText("x", 0, true);
    store.InsertText("y", 0, true);
    EXPECT_EQ(store.History().DoneBytes(), recount());
    // Once the group ended it could go, and it went whole.
    store.Undo();
    store.Undo();
    EXPECT_EQ(store.Length(), 160000);
    EXPECT_FALSE(store.CanUndo());
}
