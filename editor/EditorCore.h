#pragma once
#include "editor/TextLayout.h"
#include "editor/TextStore.h"

#include <string>
#include <string_view>

// Everything the editor window does that needs no window: the caret and the
// selection, typing, deleting and moving, the IME composition, drops,
// indentation and comments, bookmarks, find and replace. Every change of the
// text goes through the store's primitives. Positions that come from outside
// are clamped to a character start of the text, never between CR and LF.
class CEditorCore
{
public:
    explicit CEditorCore(const CCodePageConverter* converter = nullptr);

    CTextStore& Store() { return m_store; }
    const CTextStore& Store() const { return m_store; }
    CTextLayout& Layout() { return m_layout; }
    const CTextLayout& Layout() const { return m_layout; }
    const char* Text() const { return m_store.Text(); }
    int Length() const { return m_store.Length(); }

    // Documents. Both end a composition and clear caret and selection.
    void ResetText();
    LoadResult SetText(const char* data, size_t length);

    // Caret and selection.
    int Caret() const { return m_caret; }
    int Anchor() const { return m_anchor; }
    int SelStart() const { return m_anchor < m_selEnd ? m_anchor : m_selEnd; }
    int SelEnd() const { return m_anchor < m_selEnd ? m_selEnd : m_anchor; }
    bool HasSelection() const { return m_anchor != m_selEnd; }
    std::string SelectedText() const { return m_store.GetTextRange(SelStart(), SelEnd()); }
    int ClampPosition(int position) const;
    // The caret at a position (clamped); extend keeps or starts a selection.
    void MoveCaret(int position, bool extend);
    // start..end, -1 = the end of the text; the caret at end.
    void SetSelection(int start, int end);
    void SelectAll() { SetSelection(0, -1); }
    void ClearSelection();
    bool DeleteSelection();
    int CaretRow() const;
    // The remembered pixel column for Up and Down.
    void UpdateColumn();
    int Column() const { return m_column; }

    // Typing (WM_CHAR): CR types CR LF; Tab over a selection indents the
    // block. False when nothing was typed (read-only).
    bool TypeChar(char c, int repeat = 1);
    bool TypeText(std::string_view text);
    bool Backspace(bool ctrl);
    bool Delete();
    void SetOverwrite(bool on) { m_overwrite = on; }
    bool Overwrite() const { return m_overwrite; }

    // Navigation; shift extends the selection.
    void Left(bool ctrl, bool shift);
    void Right(bool ctrl, bool shift);
    void Up(bool shift);
    void Down(bool shift);
    void PageUp(bool shift);
    void PageDown(bool shift);
    void Home(bool ctrl, bool shift);
    void End(bool ctrl, bool shift);
    int WordStart(int position) const;
    int WordEnd(int position) const;
    void SelectWordAt(int position);
    // Whole rows from..to (either order), the last one with its line end.
    void SelectRows(int from, int to);
    void GoToLine(int row);

    // Clipboard text already in the editor's code page: line ends become
    // CR LF, a NUL ends it. Replaces the selection in one undo step.
    bool Paste(std::string_view text);

    // Drag and drop of the selection to a drop position of the current text.
    // A drop inside the selection only places the caret. False when the
    // selection or the drop position no longer fit the text.
    bool DropSelection(int drop, bool copy);

    // IME composition: the uncommitted bytes stand in the text without undo
    // from CompositionStart() for CompositionLength() bytes, the caret after
    // them. Anything else that moves the caret or reads the history removes
    // them first (CancelComposition).
    bool Compose(std::string_view composition);
    bool CommitComposition(std::string_view result);
    bool CancelComposition();
    bool Composing() const { return m_compStart >= 0; }
    int CompositionStart() const { return m_compStart; }
    int CompositionLength() const { return m_compLength; }

    int Undo();
    int Redo();

    // Editing aids.
    void AutoIndent(char typed);
    bool BlockIndent(bool outdent);
    bool CommentLines(bool uncomment);
    bool ToggleBookmark();
    bool GotoBookmark(bool next);
    int ToggleBreakpoint(bool& added);

    // Find and replace (flags: kSearch* of TextSearch.h). start -1 searches
    // from the caret or past the selection.
    bool Search(int start, std::string_view text, unsigned flags);
    // 0 nothing found, 1 found and selected, 2 replaced and the next found.
    int Replace(int start, unsigned flags, std::string_view replacement, std::string_view text);
    // Replaces every match from the selection (or the top) on in the
    // search's direction, never wrapping and never matching text it
    // inserted; one undo step. The number of replacements.
    int ReplaceAll(unsigned flags, std::string_view replacement, std::string_view text);
    // Whether the selection is a match of text.
    bool SelectionMatches(std::string_view text, bool matchCase) const;

private:
    struct LineEdit;
    bool Editable() const { return !m_store.IsReadOnly(); }
    void SetCaretOnly(int position);
    int RowStart(int row) const { return m_store.Lines().Start(row); }
    int RowEnd(int row) const { return m_store.Lines().End(row); }
    int NextCharPos(int position) const;
    int PrevCharPos(int position) const;
    void BlockRows(int& first, int& last, bool caretLineWithoutSelection) const;
    bool EditLeads(int first, int last, int mode);
    std::string IndentOf(int row) const;
    int PrevNonBlankRow(int row) const;
    bool EndsWithOpener(int row) const;
    int IndentColumns(std::string_view indent) const;

    CTextStore m_store;
    CTextLayout m_layout;
    int m_caret = 0;
    int m_anchor = 0;
    int m_selEnd = 0;
    int m_column = 0;
    bool m_overwrite = false;
    int m_compStart = -1;
    int m_compLength = 0;
    bool m_imeGroup = false;
    // The undo group a composition's edits share until it is committed or cancelled.
    void OpenImeGroup();
    void CloseImeGroup();
};
