#include "editor/EditorCore.h"

#include "editor/CodePage949.h"
#include "editor/TextSearch.h"

#include <algorithm>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

CEditorCore::CEditorCore(const CCodePageConverter* converter) : m_store(converter), m_layout(m_store)
{
}

void CEditorCore::ResetText()
{
    m_compStart = -1;
    m_compLength = 0;
    m_imeGroup = false;
    m_store.ResetText();
    m_caret = m_anchor = m_selEnd = m_column = 0;
    m_overwrite = false;
}

LoadResult CEditorCore::SetText(const char* data, size_t length)
{
    ResetText();
    LoadResult r = m_store.SetText(data, length);
    m_caret = m_anchor = m_selEnd = 0;
    return r;
}

int CEditorCore::ClampPosition(int position) const
{
    const char* text = Text();
    int p = std::clamp(position, 0, Length());
    if (p > 0 && text[p - 1] == '\r' && text[p] == '\n')
        --p;
    return CharStartAt949(text, p);
}

void CEditorCore::SetCaretOnly(int position)
{
    m_caret = ClampPosition(position);
}

// A position given while a composition stands, in the text without it.
static int OutsideComposition(int position, int start, int length)
{
    if (start < 0 || position <= start)
        return position;
    return position >= start + length ? position - length : start;
}

void CEditorCore::MoveCaret(int position, bool extend)
{
    if (Composing()) {
        position = OutsideComposition(position, m_compStart, m_compLength);
        CancelComposition();
    }
    int p = ClampPosition(position);
    if (extend) {
        if (!HasSelection())
            m_anchor = m_caret;
        m_selEnd = p;
    } else {
        m_anchor = m_selEnd = p;
    }
    m_caret = p;
}

void CEditorCore::SetSelection(int start, int end)
{
    if (Composing()) {
        start = OutsideComposition(start, m_compStart, m_compLength);
        end = OutsideComposition(end, m_compStart, m_compLength);
        CancelComposition();
    }
    m_anchor = ClampPosition(start < 0 ? Length() : start);
    m_selEnd = ClampPosition(end < 0 ? Length() : end);
    m_caret = m_selEnd;
}

void CEditorCore::ClearSelection()
{
    m_anchor = m_selEnd = m_caret;
}

bool CEditorCore::DeleteSelection()
{
    if (!HasSelection() || !Editable())
        return false;
    int a = SelStart(), b = SelEnd();
    if (!m_store.DeleteText(a, b - a, true))
        return false;
    m_caret = m_anchor = m_selEnd = a;
    return true;
}

int CEditorCore::CaretRow() const
{
    return m_store.Lines().PosToLine(std::clamp(m_caret, 0, Length()));
}

void CEditorCore::UpdateColumn()
{
    int y;
    m_layout.PosToXY(m_caret, m_column, y);
}

int CEditorCore::NextCharPos(int position) const
{
    const char* text = Text();
    if (position >= Length())
        return Length();
    if (text[position] == '\r' && text[position + 1] == '\n')
        return position + 2;
    return position + CharLength949(text, position, Length());
}

int CEditorCore::PrevCharPos(int position) const
{
    const char* text = Text();
    if (position <= 0)
        return 0;
    if (position >= 2 && text[position - 1] == '\n' && text[position - 2] == '\r')
        return position - 2;
    return CharStartAt949(text, position - 1);
}

bool CEditorCore::TypeChar(char c, int repeat)
{
    if (!Editable())
        return false;
    if (c == '\t' && HasSelection())
        return BlockIndent(false);
    CancelComposition();
    std::string text = c == '\r' ? std::string("\r\n") : std::string(1, c);
    bool group = HasSelection();
    if (group)
        m_store.BeginUndoGroup();
    bool deleted = DeleteSelection();
    for (int i = 0; i < std::clamp(repeat, 1, 1024); ++i) {
        // An overwritten character is one step: its delete and the insert
        // share a group, or one undo would leave it deleted.
        bool over = m_overwrite && !deleted && c != '\r' && m_caret < Length() && Text()[m_caret] != '\r';
        if (over) {
            m_store.BeginUndoGroup();
            m_store.DeleteText(m_caret, NextCharPos(m_caret) - m_caret, true);
        }
        if (m_store.InsertText(text, m_caret, true))
            m_caret += static_cast<int>(text.size());
        if (over)
            m_store.EndUndoGroup();
    }
    if (group)
        m_store.EndUndoGroup();
    ClearSelection();
    AutoIndent(c);
    return true;
}

bool CEditorCore::TypeText(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    if (!Editable() || text.empty())
        return false;
    CancelComposition();
    bool group = HasSelection() || m_overwrite;
    if (group)
        m_store.BeginUndoGroup();
    bool deleted = DeleteSelection();
    if (m_overwrite && !deleted && m_caret < Length() && Text()[m_caret] != '\r')
        m_store.DeleteText(m_caret, NextCharPos(m_caret) - m_caret, true);
    if (m_store.InsertText(text, m_caret, true))
        m_caret += static_cast<int>(text.size());
    if (group)
        m_store.EndUndoGroup();
    ClearSelection();
    return true;
}

bool CEditorCore::Backspace(bool ctrl)
{
    if (!Editable())
        return false;
    CancelComposition();
    if (HasSelection())
        return DeleteSelection();
    if (m_caret <= 0)
        return false;
    int from = ctrl ? WordStart(m_caret) : PrevCharPos(m_caret);
    if (from >= m_caret)
        from = PrevCharPos(m_caret);
    if (!m_store.DeleteText(from, m_caret - from, true))
        return false;
    MoveCaret(from, false);
    return true;
}

bool CEditorCore::Delete()
{
    if (!Editable())
        return false;
    CancelComposition();
    if (HasSelection())
        return DeleteSelection();
    int to = NextCharPos(m_caret);
    if (to <= m_caret || !m_store.DeleteText(m_caret, to - m_caret, true))
        return false;
    ClearSelection();
    return true;
}

// Word boundaries are the colouring's delimiters; a two-byte character is
// part of a word.
int CEditorCore::WordStart(int position) const
{
    const char* text = Text();
    auto delimBefore = [&](int p) {
        return CParseHtml::IsDelimiter(static_cast<unsigned char>(text[PrevCharPos(p)]));
    };
    int p = position;
    while (p > 0 && delimBefore(p) && IsBlank(text[p - 1]))
        p = PrevCharPos(p);
    while (p > 0 && !delimBefore(p))
        p = PrevCharPos(p);
    return p;
}

int CEditorCore::WordEnd(int position) const
{
    const char* text = Text();
    int p = position;
    if (p < Length() && !CParseHtml::IsDelimiter(static_cast<unsigned char>(text[p]))) {
        while (p < Length() && !CParseHtml::IsDelimiter(static_cast<unsigned char>(text[p])))
            p = NextCharPos(p);
    } else if (p < Length()) {
        p = NextCharPos(p);
    }
    while (p < Length() && IsBlank(text[p]))
        ++p;
    return p;
}

void CEditorCore::SelectWordAt(int position)
{
    CancelComposition();
    const char* text = Text();
    int p = ClampPosition(position);
    auto delim = [&](int q) { return CParseHtml::IsDelimiter(static_cast<unsigned char>(text[q])); };
    int s = p, e = p;
    while (s > 0 && !delim(PrevCharPos(s)))
        s = PrevCharPos(s);
    while (e < Length() && !delim(e))
        e = NextCharPos(e);
    if (s == e && e < Length() && text[e] != '\r')
        e = NextCharPos(e);
    SetSelection(s, e);
}

void CEditorCore::SelectRows(int from, int to)
{
    CancelComposition();
    int count = m_store.Lines().Count();
    from = std::clamp(from, 0, count - 1);
    to = std::clamp(to, 0, count - 1);
    int a = std::min(from, to), b = std::max(from, to);
    int start = RowStart(a);
    int end = NextCharPos(RowEnd(b));
    if (to >= from)
        SetSelection(start, end);
    else
        SetSelection(end, start);
}

void CEditorCore::GoToLine(int row)
{
    CancelComposition();
    row = std::clamp(row, 0, m_store.Lines().Count() - 1);
    MoveCaret(RowStart(row), false);
}

void CEditorCore::Left(bool ctrl, bool shift)
{
    CancelComposition();
    if (!shift && HasSelection()) {
        MoveCaret(SelStart(), false);
        return;
    }
    MoveCaret(ctrl ? WordStart(m_caret) : PrevCharPos(m_caret), shift);
}

void CEditorCore::Right(bool ctrl, bool shift)
{
    CancelComposition();
    if (!shift && HasSelection()) {
        MoveCaret(SelEnd(), false);
        return;
    }
    MoveCaret(ctrl ? WordEnd(m_caret) : NextCharPos(m_caret), shift);
}

void CEditorCore::Up(bool shift)
{
    CancelComposition();
    if (!shift && HasSelection())
        MoveCaret(SelStart(), false);
    int row = CaretRow();
    if (row > 0)
        MoveCaret(m_layout.XToPos(row - 1, m_column), shift);
}

void CEditorCore::Down(bool shift)
{
    CancelComposition();
    if (!shift && HasSelection())
        MoveCaret(SelEnd(), false);
    int row = CaretRow();
    if (row + 1 < m_store.Lines().Count())
        MoveCaret(m_layout.XToPos(row + 1, m_column), shift);
}

void CEditorCore::PageUp(bool shift)
{
    CancelComposition();
    int rows = std::max(m_layout.RowsPerPage(), 1);
    int row = std::max(CaretRow() - rows, 0);
    m_layout.SetOffsets(m_layout.HOffset(), m_layout.VOffset() - rows * m_layout.LineHeight());
    MoveCaret(m_layout.XToPos(row, m_column), shift);
}

void CEditorCore::PageDown(bool shift)
{
    CancelComposition();
    int rows = std::max(m_layout.RowsPerPage(), 1);
    int count = m_store.Lines().Count();
    int row = std::min(CaretRow() + rows, count - 1);
    int maxOffset = std::max((count - 1) * m_layout.LineHeight(), 0);
    m_layout.SetOffsets(m_layout.HOffset(),
                        std::min(m_layout.VOffset() + rows * m_layout.LineHeight(), maxOffset));
    MoveCaret(m_layout.XToPos(row, m_column), shift);
}

void CEditorCore::Home(bool ctrl, bool shift)
{
    CancelComposition();
    if (ctrl) {
        MoveCaret(0, shift);
        return;
    }
    int row = CaretRow();
    int s = RowStart(row), e = RowEnd(row);
    int f = s;
    while (f < e && IsBlank(Text()[f]))
        ++f;
    MoveCaret(m_caret == f || f == e ? s : f, shift);
}

void CEditorCore::End(bool ctrl, bool shift)
{
    CancelComposition();
    MoveCaret(ctrl ? Length() : RowEnd(CaretRow()), shift);
}

bool CEditorCore::Paste(std::string_view text)
{
    if (!Editable())
        return false;
    std::string own;
    text = TextToInsert(text, own);
    if (text.empty())
        return false;
    CancelComposition();
    bool group = HasSelection();
    if (group)
        m_store.BeginUndoGroup();
    DeleteSelection();
    bool done = m_store.InsertText(text, m_caret, true);
    if (done)
        m_caret += static_cast<int>(text.size());
    if (group)
        m_store.EndUndoGroup();
    ClearSelection();
    return done;
}

bool CEditorCore::DropSelection(int drop, bool copy)
{
    if (!HasSelection() || SelEnd() > Length() || drop < 0 || drop > Length())
        return false;
    CancelComposition();
    drop = ClampPosition(drop);
    int a = SelStart(), n = SelEnd() - a;
    if (drop >= a && drop <= a + n) {
        MoveCaret(drop, false);
        return true;
    }
    if (!Editable())
        return false;
    int at = m_store.MoveText(a, n, drop, copy);
    if (at < 0)
        return false;
    SetSelection(at, at + n);
    return true;
}

bool CEditorCore::Compose(std::string_view composition)
{
    composition = composition.substr(0, composition.find('\0'));
    if (!Editable())
        return false;
    bool deleted = false;
    if (HasSelection()) {
        OpenImeGroup();
        deleted = DeleteSelection();
    }
    if (Composing()) {
        m_store.DeleteText(m_compStart, m_compLength, false);
        m_caret = m_compStart;
    } else if (!composition.empty() && m_overwrite && !deleted && m_caret < Length() &&
               Text()[m_caret] != '\r') {
        // The overwritten character and the syllable committed over it are
        // one step: the group closes with the commit.
        OpenImeGroup();
        m_store.DeleteText(m_caret, NextCharPos(m_caret) - m_caret, true);
    }
    m_compStart = -1;
    m_compLength = 0;
    if (!composition.empty() && m_store.InsertText(composition, m_caret, false)) {
        m_compStart = m_caret;
        m_compLength = static_cast<int>(composition.size());
        m_caret += m_compLength;
    } else {
        CloseImeGroup();
    }
    ClearSelection();
    return true;
}

bool CEditorCore::CommitComposition(std::string_view result)
{
    result = result.substr(0, result.find('\0'));
    if (!Editable())
        return false;
    if (!Composing()) {
        bool typed = TypeText(result);
        CloseImeGroup();
        return typed;
    }
    m_store.DeleteText(m_compStart, m_compLength, false);
    m_caret = m_compStart;
    m_compStart = -1;
    m_compLength = 0;
    if (!result.empty() && m_store.InsertText(result, m_caret, true))
        m_caret += static_cast<int>(result.size());
    CloseImeGroup();
    ClearSelection();
    return true;
}

void CEditorCore::OpenImeGroup()
{
    if (!m_imeGroup) {
        m_store.BeginUndoGroup();
        m_imeGroup = true;
    }
}

void CEditorCore::CloseImeGroup()
{
    if (m_imeGroup) {
        m_store.EndUndoGroup();
        m_imeGroup = false;
    }
}

bool CEditorCore::CancelComposition()
{
    bool had = Composing();
    if (had) {
        // The composition's bytes were never recorded: they go the same way,
        // so the history stays in step with the text.
        bool ro = m_store.IsReadOnly();
        m_store.SetReadOnly(false);
        m_store.DeleteText(m_compStart, m_compLength, false);
        m_store.SetReadOnly(ro);
        m_caret = m_anchor = m_selEnd = m_compStart;
        m_compStart = -1;
        m_compLength = 0;
    }
    CloseImeGroup();
    return had;
}

int CEditorCore::Undo()
{
    CancelComposition();
    ClearSelection();
    int caret = m_store.Undo();
    if (caret >= 0)
        MoveCaret(caret, false);
    return caret;
}

int CEditorCore::Redo()
{
    CancelComposition();
    ClearSelection();
    int caret = m_store.Redo();
    if (caret >= 0)
        MoveCaret(caret, false);
    return caret;
}
