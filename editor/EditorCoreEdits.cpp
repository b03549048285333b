// The editing aids and find and replace of CEditorCore.
#include "editor/EditorCore.h"

#include "editor/TextSearch.h"

#include <algorithm>
#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Indent strings are built in a buffer of this many bytes, NUL included.
constexpr size_t kIndentMax = 4095;

} // namespace

std::string CEditorCore::IndentOf(int row) const
{
    const char* text = Text();
    int s = RowStart(row), e = RowEnd(row), p = s;
    while (p < e && IsBlank(text[p]))
        ++p;
    return std::string(text + s, static_cast<size_t>(p - s));
}

int CEditorCore::PrevNonBlankRow(int row) const
{
    const char* text = Text();
    for (int r = row - 1; r >= 0; --r)
        for (int p = RowStart(r); p < RowEnd(r); ++p)
            if (!IsBlank(text[p]))
                return r;
    return 0;
}

bool CEditorCore::EndsWithOpener(int row) const
{
    const char* text = Text();
    const char* opener = m_store.Parser().GetInfo(5).text;
    int s = RowStart(row), e = RowEnd(row);
    while (e > s && IsBlank(text[e - 1]))
        --e;
    return opener && e > s && text[e - 1] == opener[0];
}

int CEditorCore::IndentColumns(std::string_view indent) const
{
    int cols = 0;
    for (char c : indent)
        cols += c == '\t' ? m_layout.TabSize() : 1;
    return cols;
}

void CEditorCore::AutoIndent(char typed)
{
    if (!Editable() || HasSelection())
        return;
    const char* text = Text();
    int row = CaretRow();
    if (typed == '\r') {
        if (row == 0)
            return;
        int prev = PrevNonBlankRow(row);
        std::string indent = (EndsWithOpener(prev) ? "\t" : "") + IndentOf(prev);
        if (indent.size() > kIndentMax)
            indent.resize(kIndentMax);
        int e = m_caret;
        while (e < Length() && IsBlank(text[e]))
            ++e;
        if (indent.empty() && e == m_caret)
            return;
        m_store.BeginUndoGroup();
        if (e > m_caret)
            m_store.DeleteText(m_caret, e - m_caret, true);
        if (m_store.InsertText(indent, m_caret, true))
            m_caret += static_cast<int>(indent.size());
        m_store.EndUndoGroup();
        ClearSelection();
        return;
    }
    const char* closer = m_store.Parser().GetInfo(6).text;
    if (!closer || typed != closer[0] || m_caret < 1 || text[m_caret - 1] != closer[0])
        return;
    int s = RowStart(row);
    for (int p = s; p < m_caret - 1; ++p)
        if (!IsBlank(text[p]))
            return;
    int prev = PrevNonBlankRow(row);
    int units = IndentColumns(IndentOf(prev)) / m_layout.TabSize();
    if (!EndsWithOpener(prev))
        units = std::max(units - 1, 0);
    std::string tabs(std::min<size_t>(static_cast<size_t>(units), kIndentMax), '\t');
    if (std::string_view(text + s, static_cast<size_t>(m_caret - 1 - s)) == tabs)
        return;
    m_store.BeginUndoGroup();
    if (m_caret - 1 > s)
        m_store.DeleteText(s, m_caret - 1 - s, true);
    if (!tabs.empty())
        m_store.InsertText(tabs, s, true);
    m_store.EndUndoGroup();
    MoveCaret(s + static_cast<int>(tabs.size()) + 1, false);
}

void CEditorCore::BlockRows(int& first, int& last, bool caretLineWithoutSelection) const
{
    const CDisplayLines& lines = m_store.Lines();
    if (!HasSelection()) {
        first = last = caretLineWithoutSelection ? CaretRow() : -1;
        return;
    }
    first = lines.PosToLine(SelStart());
    last = lines.PosToLine(SelEnd());
    if (last > first && SelEnd() == RowStart(last))
        --last;
}

// Changes only the leading part of each line of rows first..last, from the
// last line up, in one undo group: line ends and bookmarks stay, and each
// end of the selection stays in its own line. mode: 0 indent, 1 outdent,
// 2 comment, 3 uncomment.
bool CEditorCore::EditLeads(int first, int last, int mode)
{
    struct Change
    {
        int row;
        int oldLength;
        std::string lead;
    };
    const char* text = Text();
    std::vector<Change> changes;
    for (int row = first; row <= last; ++row) {
        int s = RowStart(row), e = RowEnd(row);
        std::string indent = IndentOf(row);
        switch (mode) {
        case 0:
            if (static_cast<int>(indent.size()) < e - s)
                changes.push_back({row, 0, "\t"});
            break;
        case 1: {
            int units = std::max(IndentColumns(indent) / m_layout.TabSize() - 1, 0);
            std::string lead(static_cast<size_t>(units), '\t');
            if (lead != indent)
                changes.push_back({row, static_cast<int>(indent.size()), lead});
            break;
        }
        case 2:
            changes.push_back({row, 0, "//"});
            break;
        default:
            if (e - s >= 2 && text[s] == '/' && text[s + 1] == '/')
                changes.push_back({row, 2, ""});
            break;
        }
    }
    if (changes.empty())
        return false;

    auto map = [&](int pos) {
        int row = m_store.Lines().PosToLine(pos);
        int column = pos - RowStart(row);
        int shift = 0;
        for (const Change& c : changes) {
            int n = static_cast<int>(c.lead.size());
            if (c.row < row) {
                shift += n - c.oldLength;
            } else if (c.row == row) {
                column = column >= c.oldLength ? column - c.oldLength + n : std::min(column, n);
            }
        }
        return RowStart(row) + shift + column;
    };
    int anchor = map(m_anchor), end = map(m_selEnd), caret = map(m_caret);
    bool hadSelection = HasSelection();

    m_store.BeginUndoGroup();
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        int s = RowStart(it->row);
        if (it->oldLength > 0)
            m_store.DeleteText(s, it->oldLength, true);
        if (!it->lead.empty())
            m_store.InsertText(it->lead, s, true);
    }
    m_store.EndUndoGroup();
    if (hadSelection) {
        m_anchor = ClampPosition(anchor);
        m_selEnd = ClampPosition(end);
        m_caret = m_selEnd;
    } else {
        MoveCaret(caret, false);
    }
    return true;
}

bool CEditorCore::BlockIndent(bool outdent)
{
    if (!Editable() || !HasSelection())
        return false;
    CancelComposition();
    int first, last;
    BlockRows(first, last, false);
    return EditLeads(first, last, outdent ? 1 : 0);
}

bool CEditorCore::CommentLines(bool uncomment)
{
    if (!Editable())
        return false;
    CancelComposition();
    int first, last;
    BlockRows(first, last, true);
    return EditLeads(first, last, uncomment ? 3 : 2);
}

bool CEditorCore::ToggleBookmark()
{
    return m_store.ToggleBookmark(CaretRow());
}

bool CEditorCore::GotoBookmark(bool next)
{
    int line = m_store.FindBookmark(CaretRow(), next);
    if (line < 0 || line >= m_store.Lines().Count())
        return false;
    CancelComposition();
    MoveCaret(RowStart(line), false);
    return true;
}

int CEditorCore::ToggleBreakpoint(bool& added)
{
    return m_store.ToggleBreakpoint(CaretRow(), added);
}

bool CEditorCore::SelectionMatches(std::string_view text, bool matchCase) const
{
    return HasSelection() && SelEnd() - SelStart() == static_cast<int>(text.size()) &&
           MatchAt949(Text(), Length(), SelStart(), text, matchCase);
}

bool CEditorCore::Search(int start, std::string_view text, unsigned flags)
{
    if (text.empty())
        return false;
    CancelComposition();
    bool up = (flags & kSearchUp) != 0;
    bool matchCase = (flags & kSearchMatchCase) != 0;
    bool wrap = (flags & kSearchWrap) != 0;
    if (start < 0)
        start = !HasSelection() ? m_caret : up ? SelStart() : SelEnd();
    start = std::clamp(start, 0, Length());
    int p;
    if (up) {
        p = FindBackward949(Text(), Length(), text, start, matchCase);
        if (p < 0 && wrap)
            p = FindBackward949(Text(), Length(), text, Length(), matchCase);
    } else {
        p = FindForward949(Text(), Length(), text, start, matchCase);
        if (p < 0 && wrap)
            p = FindForward949(Text(), Length(), text, 0, matchCase);
    }
    if (p < 0)
        return false;
    SetSelection(p, p + static_cast<int>(text.size()));
    return true;
}

int CEditorCore::Replace(int start, unsigned flags, std::string_view replacement, std::string_view text)
{
    if (text.empty() || !Editable())
        return 0;
    CancelComposition();
    bool matchCase = (flags & kSearchMatchCase) != 0;
    if (!SelectionMatches(text, matchCase))
        return Search(start, text, flags) ? 1 : 0;
    int p = SelStart();
    m_store.BeginUndoGroup();
    DeleteSelection();
    int n = m_store.InsertText(replacement, p, true) ? static_cast<int>(replacement.size()) : 0;
    m_store.EndUndoGroup();
    MoveCaret(p + n, false);
    // Upwards the next search starts before the replacement, so it is never
    // found again.
    return Search((flags & kSearchUp) ? p : p + n, text, flags) ? 2 : 0;
}

int CEditorCore::ReplaceAll(unsigned flags, std::string_view replacement, std::string_view text)
{
    if (text.empty() || !Editable())
        return 0;
    CancelComposition();
    const bool matchCase = (flags & kSearchMatchCase) != 0;
    const bool up = (flags & kSearchUp) != 0;
    const int n = static_cast<int>(text.size());
    std::string own;
    replacement = TextToInsert(replacement, own);
    const int r = static_cast<int>(replacement.size());
    bool selected = SelectionMatches(text, matchCase);
    int from = up ? (selected ? SelEnd() : HasSelection() ? SelStart() : m_caret) : (selected ? SelStart() : 0);
    // All matches first, in the text as it stands, then one pass: what the
    // run inserts is never searched, and nothing is moved once per match.
    std::vector<int> starts = up ? FindAllBackward949(Text(), Length(), text, from, matchCase)
                                 : FindAllForward949(Text(), Length(), text, from, matchCase);
    if (starts.empty() || !m_store.ReplaceRanges(starts, n, replacement, true))
        return 0;
    const int count = static_cast<int>(starts.size());
    // The caret after the last replacement made: upwards the first one.
    MoveCaret(up ? starts.front() + r : starts.back() + (count - 1) * (r - n) + r, false);
    return count;
}
