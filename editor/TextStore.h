#pragma once
#include "editor/DisplayLines.h"
#include "editor/ParseHtml.h"
#include "editor/TextEncoding.h"
#include "editor/UndoHistory.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CCodePageConverter;

// What the text store tells the window about.
class CTextStoreHost
{
public:
    // The first change after the document was unchanged (WM_USER_DOC_MODIFIED).
    virtual void OnDocModified() {}
    // Rows are rebuilt; scroll bars and painting follow.
    virtual void OnTextChanged(int position, int delta) {}

protected:
    ~CTextStoreHost() = default;
};

struct LoadResult
{
    uint32_t encoding = 0; // DetectTextEncoding's flags
    uint32_t problems = 0; // kLoad* flags of TextEncoding.h, or kLoadNoMemory
    bool ok() const { return problems == 0; }
};

enum : uint32_t
{
    kLoadNoMemory = 0x100, // the text could not be held: the document is empty
};

// The document: one NUL-terminated ANSI buffer with CR LF line ends, changed
// only through InsertText and DeleteText, which record undo, move the
// bookmarks, rebuild the rows and mark the colouring stale.
class CTextStore
{
public:
    enum
    {
        kBookmarkSlots = 100,
        kFirstUserBookmark = 10,
    };

    // converter: the ANSI code page files are converted into (not owned).
    explicit CTextStore(const CCodePageConverter* converter = nullptr);

    void SetHost(CTextStoreHost* host) { m_host = host; }
    void SetConverter(const CCodePageConverter* converter) { m_converter = converter; }

    const char* Text() const { return m_text.c_str(); }
    int Length() const { return static_cast<int>(m_text.size()); }
    std::string GetTextRange(int start, int end) const;

    // Cut at the first NUL of text. False when nothing changed (read-only,
    // empty text, position outside the text, no memory).
    bool InsertText(std::string_view text, int position, bool undo, bool silent = false);
    bool DeleteText(int position, int count, bool undo);
    void ResetText();
    // Loads raw file bytes. Problems are reported, never hidden: the text
    // before a NUL, or with '?' for what did not convert, is what is loaded.
    LoadResult SetText(const char* data, size_t length);

    // Replace All in one pass: the `length` bytes at each of `starts`
    // (ascending, apart, none parting a CR LF) become `with` (CR LF line
    // ends only). Text, rows and bookmarks change once, bookmarks as the
    // deletes and inserts one by one would move them, and the history gets
    // one record whose undo and redo are one pass too. False when nothing
    // changed (read-only, bad ranges, no memory).
    bool ReplaceRanges(const std::vector<int>& starts, int length, std::string_view with, bool undo);

    // Drag and drop: moves (or copies) length bytes from source to drop, a
    // position in the text before the move. Returns where the bytes now
    // start, or -1 when nothing was done (a move onto itself does nothing).
    int MoveText(int source, int length, int drop, bool copy);

    // Undo and redo return the caret position after the step, -1 when they
    // did nothing. Both do nothing while read-only, so text and history stay
    // in step.
    int Undo();
    int Redo();
    bool CanUndo() const { return m_undo.CanUndo(); }
    bool CanRedo() const { return m_undo.CanRedo(); }
    void BeginUndoGroup() { m_undo.BeginGroup(); }
    void EndUndoGroup() { m_undo.EndGroup(); }
    void MarkSavePoint() { m_undo.MarkSavePoint(); }
    void SetUndoLimits(size_t bytes, int records) { m_undo.SetLimits(bytes, records); }
    const CUndoHistory& History() const { return m_undo; }

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    bool IsReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Bookmark slots hold logical lines (-1 = empty) and follow edits.
    int Bookmark(int slot) const;
    bool HasBookmark(int line) const;
    // Removes the line's mark from slots 10-99, or sets it in the first free
    // one. False when all 90 are in use.
    bool ToggleBookmark(int line);
    // The nearest bookmarked line after (before) `line`, wrapping round;
    // -1 with no bookmarks.
    int FindBookmark(int line, bool next) const;

    // Breakpoint marks on rows: not while the document has unsaved changes,
    // nor on empty or blank rows, rows starting inside a comment, or rows
    // opening a script block.
    bool CanHaveBreakpoint(int row);
    // Toggles the first row from `fromRow` down that can hold a mark; the
    // row, or -1 when none qualifies. added: whether the mark is now set.
    int ToggleBreakpoint(int fromRow, bool& added);
    void RemoveAllBreakpoints() { m_lines.ClearBreakpoints(); }

    const CDisplayLines& Lines() const { return m_lines; }
    CDisplayLines& Lines() { return m_lines; }
    CParseHtml& Parser() { return m_parser; }
    const CParseHtml& Parser() const { return m_parser; }
    // Colours every row up to `lastRow` that is not yet coloured.
    void ParseUpTo(int lastRow) { m_parser.ParseUpTo(Text(), m_lines, lastRow); }

private:
    void Changed(int position, int delta);
    void NoticeModified();
    bool Splice(const std::vector<int>& starts, int oldLength, std::string_view pieces, int newLength, bool each,
                const std::function<void()>& record);
    int ApplyUndo(const UndoRecord& r);
    int ApplyRedo(const UndoRecord& r);
    void AfterUndoRedo();

    std::string m_text;
    CDisplayLines m_lines;
    CParseHtml m_parser;
    CUndoHistory m_undo;
    int m_bookmarks[kBookmarkSlots];
    bool m_modified = false;
    bool m_readOnly = false;
    const CCodePageConverter* m_converter;
    CTextStoreHost* m_host = nullptr;
};
