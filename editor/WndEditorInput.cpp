// The editor window's input: focus, keys, characters, the IME, the mouse
// with text drags and auto-scroll.
#include "editor/WndEditor.h"

#include "editor/CodePage949.h"
#include "editor/DlgSearch.h"
#include "editor/TextSearch.h"
#include "resources/resource.h"

#include <algorithm>

namespace {

constexpr UINT_PTR kAutoScrollTimer = 1;

bool KeyDown(int vk)
{
    return ::GetKeyState(vk) < 0;
}

} // namespace

// ---- Focus and keys -----------------------------------------------------------------

LRESULT CWndEditor::OnSetFocus(WPARAM, LPARAM)
{
    m_focus = true;
    SetCaret(false, false);
    if (m_core.HasSelection())
        Invalidate(FALSE);
    return 0;
}

LRESULT CWndEditor::OnKillFocusMsg(WPARAM, LPARAM)
{
    m_focus = false;
    ::DestroyCaret();
    m_caretSize = CSize();
    Invalidate(FALSE);
    return 0;
}

BOOL CWndEditor::PreTranslateMessage(MSG* msg)
{
    if (msg->hwnd != m_hWnd)
        return FALSE;
    if (msg->message == WM_KEYUP && m_draggingText) {
        if (msg->wParam == VK_CONTROL)
            ::SetCursor(Cursors().move);
        return TRUE;
    }
    if (msg->message == WM_KEYDOWN)
        return HandleKey(static_cast<UINT>(msg->wParam));
    return FALSE;
}

LRESULT CWndEditor::OnKeyDownMsg(WPARAM wParam, LPARAM)
{
    if (!HandleKey(static_cast<UINT>(wParam)))
        return Default();
    return 0;
}

bool CWndEditor::HandleKey(UINT key)
{
    if (m_draggingText) {
        if (key == VK_CONTROL)
            ::SetCursor(Cursors().copy);
        return true;
    }
    if (key != VK_SHIFT && key != VK_CONTROL)
        m_pendingLead = 0;
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    return HandleCommandKey(key, ctrl, shift) || HandleNavigationKey(key, ctrl, shift);
}

bool CWndEditor::HandleCommandKey(UINT key, bool ctrl, bool shift)
{
    const int row = m_core.CaretRow();
    switch (key) {
    case 'F':
    case 'H':
    case 'M':
        if (!ctrl)
            return false;
        if (key == 'F')
            ShowFindDialog();
        else if (key == 'H')
            ShowReplaceDialog();
        else
            CommentLines(shift);
        return true;
    case VK_F3:
        if (ctrl) {
            // The selection becomes the find text: 1 to 254 bytes only.
            int n = m_core.SelEnd() - m_core.SelStart();
            if (n < 1 || n > 254)
                return true;
            if (!m_find)
                m_find = std::make_unique<CDlgSearch>(this);
            if (!m_find->m_hWnd)
                m_find->CreateModeless();
            m_find->SetFindText(m_core.SelectedText().c_str());
            SetFocus();
        }
        if (shift)
            FindPrevious();
        else
            FindNext();
        return true;
    case VK_F2:
        if (ctrl)
            ToggleBookmark();
        else
            GotoBookmark(shift ? 11 : 10);
        return true;
    case VK_TAB:
        if (shift && m_core.HasSelection())
            BlockIndent(true);
        else
            SendMessage(WM_CHAR, '\t', 1);
        return true;
    case VK_RETURN:
        SendMessage(WM_CHAR, '\r', 1);
        return true;
    case VK_INSERT:
        m_core.SetOverwrite(!m_core.Overwrite());
        SetCaret(false, false);
        return true;
    case VK_BACK:
        if (!(ctrl && shift) && m_core.Backspace(ctrl))
            Refresh(row, true);
        return true;
    case VK_DELETE:
        if (m_core.Delete())
            Refresh(row, true);
        return true;
    default:
        return false;
    }
}

bool CWndEditor::HandleNavigationKey(UINT key, bool ctrl, bool shift)
{
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
        break;
    default:
        return false;
    }
    const int row = m_core.CaretRow();
    const bool hadSelection = m_core.HasSelection();
    EndComposition();
    switch (key) {
    case VK_LEFT:
        m_core.Left(ctrl, shift);
        break;
    case VK_RIGHT:
        m_core.Right(ctrl, shift);
        break;
    case VK_HOME:
        m_core.Home(ctrl, shift);
        break;
    case VK_END:
        m_core.End(ctrl, shift);
        break;
    case VK_UP:
    case VK_DOWN:
        if (ctrl && shift)
            return true;
        if (ctrl) {
            // Scroll a line; the caret moves only to stay in view.
            const CTextLayout& l = m_core.Layout();
            SendMessage(WM_VSCROLL, key == VK_UP ? SB_LINEUP : SB_LINEDOWN, 0);
            int top = l.VOffset() / l.LineHeight();
            int bottom = top + std::max(l.RowsPerPage(), 1) - 1;
            if (row < top)
                m_core.GoToLine(top);
            else if (row > bottom)
                m_core.GoToLine(bottom);
            break;
        }
        if (key == VK_UP)
            m_core.Up(shift);
        else
            m_core.Down(shift);
        // The remembered column stays: it is what Up and Down aim for.
        SetCaret(false, true);
        if (hadSelection || m_core.HasSelection() || m_currentLine == 3)
            Invalidate(FALSE);
        return true;
    case VK_PRIOR:
    case VK_NEXT:
        if (key == VK_PRIOR)
            m_core.PageUp(shift);
        else
            m_core.PageDown(shift);
        SyncScrollPositions();
        SetCaret(false, true);
        Invalidate(FALSE);
        return true;
    }
    Refresh(row, hadSelection || m_core.HasSelection());
    return true;
}

LRESULT CWndEditor::OnCharMsg(WPARAM wParam, LPARAM lParam)
{
    OnChar(static_cast<UINT>(wParam), LOWORD(lParam));
    return 0;
}

void CWndEditor::OnChar(UINT ch, UINT repeat)
{
    switch (ch) {
    case 1:
        SendMessage(WM_COMMAND, ID_EDITOR_SELECT_ALL);
        return;
    case 3:
        SendMessage(WM_COMMAND, ID_EDITOR_COPY);
        return;
    case 0x16:
        SendMessage(WM_COMMAND, ID_EDITOR_PASTE);
        return;
    case 0x18:
        SendMessage(WM_COMMAND, ID_EDITOR_CUT);
        return;
    case 0x19:
        if (m_core.Store().CanRedo())
            Redo();
        return;
    case 0x1A:
        if (CanUndo())
            Undo();
        return;
    default:
        break;
    }
    if ((ch < 0x20 && ch != '\r' && ch != '\t') || ch == 0x7F || ch > 0xFF)
        return;
    if (IsReadOnly() || m_buttonDown)
        return;
    int row = m_core.CaretRow();
    // An ANSI window gets a two-byte character as two WM_CHARs: keep the lead byte for its trail.
    if (m_pendingLead) {
        char two[2] = {static_cast<char>(m_pendingLead), static_cast<char>(ch)};
        m_pendingLead = 0;
        if (IsLeadByte949(two[0]) && IsTrailByte949(static_cast<unsigned char>(ch))) {
            m_core.TypeText(std::string_view(two, 2));
            Refresh(row, true);
            return;
        }
        m_core.TypeText(std::string_view(two, 1));
    }
    if (IsLeadByte949(static_cast<unsigned char>(ch)) && ::IsDBCSLeadByte(static_cast<BYTE>(ch))) {
        m_pendingLead = ch;
        return;
    }
    m_core.TypeChar(static_cast<char>(ch), static_cast<int>(repeat ? repeat : 1));
    Refresh(row, true);
}

bool CWndEditor::OnImeComposition(LPARAM flags)
{
    if (IsReadOnly())
        return false;
    int row = m_core.CaretRow();
    bool took = false;
    // A Korean IME finishes one syllable and starts the next in one message:
    // the result goes in first, then the new composition follows it.
    std::string text;
    if ((flags & GCS_RESULTSTR) && m_ime->GetResult(m_hWnd, text)) {
        m_core.CommitComposition(text);
        took = true;
    }
    if (flags & GCS_COMPSTR) {
        m_ime->GetComposition(m_hWnd, text);
        m_core.Compose(text);
    }
    Refresh(row, true);
    return took;
}

void CWndEditor::OnImeChar(WPARAM ch)
{
    if (IsReadOnly())
        return;
    char bytes[2];
    int n = 0;
    BYTE hi = static_cast<BYTE>((ch >> 8) & 0xFF);
    if (hi && ::IsDBCSLeadByte(hi))
        bytes[n++] = static_cast<char>(hi);
    bytes[n++] = static_cast<char>(ch & 0xFF);
    int row = m_core.CaretRow();
    m_core.CommitComposition(std::string_view(bytes, static_cast<size_t>(n)));
    Refresh(row, true);
}

// ---- Mouse ------------------------------------------------------------------------

int CWndEditor::PosFromPoint(CPoint pt) const
{
    const CTextLayout& l = m_core.Layout();
    return l.XYToPos(pt.x + l.HOffset(), pt.y + l.VOffset());
}

bool CWndEditor::PointInSelection(CPoint pt) const
{
    if (!m_core.HasSelection() || pt.x < m_core.Layout().GutterWidth())
        return false;
    const CTextLayout& l = m_core.Layout();
    int pos = PosFromPoint(pt);
    int row = m_core.Store().Lines().PosToLine(pos);
    int x, y;
    l.PosToXY(pos, x, y);
    // XYToPos rounds to the nearer edge: find the character under the point.
    if (x - l.HOffset() > pt.x && pos > m_core.Store().Lines().Start(row))
        pos = CharStartAt949(m_core.Text(), pos - 1);
    else if (pos >= m_core.Store().Lines().End(row))
        return false;
    return pos >= m_core.SelStart() && pos < m_core.SelEnd();
}

void CWndEditor::OnLButtonDown(UINT flags, CPoint pt)
{
    SetFocus();
    EndComposition();
    if (m_buttonDown)
        return;
    const bool shift = (flags & MK_SHIFT) != 0;
    const bool ctrl = (flags & MK_CONTROL) != 0;
    const CTextLayout& l = m_core.Layout();
    m_lineSelecting = m_draggingText = false;
    if (pt.x < l.GutterWidth()) {
        int row = std::clamp(static_cast<int>(pt.y + l.VOffset()) / l.LineHeight(), 0, GetLineCount() - 1);
        if (ctrl) {
            m_core.SelectAll();
        } else {
            int anchor = row;
            if (shift)
                anchor = m_core.HasSelection() ? m_core.Store().Lines().PosToLine(m_core.Anchor()) : m_core.CaretRow();
            m_lineAnchor = anchor;
            m_core.SelectRows(anchor, row);
            m_lineSelecting = true;
        }
    } else if (!IsReadOnly() && PointInSelection(pt)) {
        m_draggingText = true;
        m_dropPos = PosFromPoint(pt);
    } else {
        m_core.MoveCaret(PosFromPoint(pt), shift);
    }
    m_buttonDown = true;
    m_lastMouse = pt;
    SetCapture();
    Refresh(0, true);
}

void CWndEditor::OnMouseMove(UINT, CPoint pt)
{
    if (!m_buttonDown)
        return;
    m_lastMouse = pt;
    const CTextLayout& l = m_core.Layout();
    CRect client = GetClientRect();
    if (m_lineSelecting) {
        int row = std::clamp(static_cast<int>(pt.y + l.VOffset()) / l.LineHeight(), 0, GetLineCount() - 1);
        m_core.SelectRows(m_lineAnchor, row);
        Invalidate(FALSE);
    } else if (m_draggingText) {
        bool inside = client.PtInRect(pt) && pt.x >= l.GutterWidth();
        m_dropPos = PosFromPoint(pt);
        ::SetCursor(!inside ? Cursors().no : KeyDown(VK_CONTROL) ? Cursors().copy : Cursors().move);
        if (m_focus) {
            int x, y;
            l.PosToXY(m_dropPos, x, y);
            ::SetCaretPos(x - l.HOffset(), y - l.VOffset());
        }
    } else {
        int row = m_core.CaretRow();
        m_core.MoveCaret(PosFromPoint(pt), true);
        Invalidate(FALSE);
        SetCaret(true, false);
        (void)row;
    }
    AutoScroll(pt);
}

void CWndEditor::AutoScroll(CPoint pt)
{
    CTextLayout& l = m_core.Layout();
    CRect client = GetClientRect();
    int moved = 0;
    if (pt.y >= client.bottom)
        moved += l.VScroll(ScrollCode::LineDown, 0);
    else if (pt.y < 0)
        moved += l.VScroll(ScrollCode::LineUp, 0);
    const CDisplayLines& lines = m_core.Store().Lines();
    int end = m_core.SelEnd() == m_core.Caret() ? m_core.SelEnd() : m_core.SelStart();
    int row = lines.PosToLine(end);
    if (pt.x >= client.right && end != lines.End(row))
        moved += l.HScroll(ScrollCode::LineDown, 0);
    else if (pt.x < l.GutterWidth() && end != lines.Start(row))
        moved += l.HScroll(ScrollCode::LineUp, 0);
    if (moved != 0) {
        SyncScrollPositions();
        Invalidate(FALSE);
        SetTimer(kAutoScrollTimer, 100);
    } else {
        KillTimer(kAutoScrollTimer);
    }
}

void CWndEditor::OnTimer(UINT_PTR id)
{
    if (id != kAutoScrollTimer)
        return;
    if (!m_buttonDown || ::GetCapture() != m_hWnd) {
        KillTimer(kAutoScrollTimer);
        return;
    }
    CPoint pt;
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    OnMouseMove(MK_LBUTTON, pt);
}

void CWndEditor::CancelDrag()
{
    if (m_endingDrag)
        return;
    m_endingDrag = true;
    bool was = m_buttonDown;
    m_buttonDown = m_lineSelecting = m_draggingText = false;
    m_dropPos = -1;
    if (m_hWnd) {
        KillTimer(kAutoScrollTimer);
        if (::GetCapture() == m_hWnd)
            ::ReleaseCapture();
        if (was)
            SetCaret(false, false);
    }
    m_endingDrag = false;
}

LRESULT CWndEditor::OnCaptureChanged(WPARAM, LPARAM lParam)
{
    // Capture taken away (a modal box, another window): the drag ends with
    // nothing dropped, and the timer stops.
    if (reinterpret_cast<HWND>(lParam) != m_hWnd)
        CancelDrag();
    return 0;
}

LRESULT CWndEditor::OnCancelMode(WPARAM, LPARAM)
{
    CancelDrag();
    return Default();
}

void CWndEditor::OnLButtonUp(UINT flags, CPoint pt)
{
    if (!m_buttonDown)
        return;
    bool drag = m_draggingText;
    int drop = m_dropPos;
    CancelDrag();
    m_ime->Cancel(m_hWnd);
    if (drag) {
        const CTextLayout& l = m_core.Layout();
        CRect client = GetClientRect();
        bool inside = client.PtInRect(pt) && pt.x >= l.GutterWidth();
        // The drop position is checked against the text as it is now.
        if (inside && drop >= 0)
            m_core.DropSelection(PosFromPoint(pt), (flags & MK_CONTROL) != 0);
        else
            m_core.MoveCaret(m_core.Caret(), true);
    }
    Refresh(0, true);
}

void CWndEditor::OnLButtonDblClk(UINT, CPoint pt)
{
    EndComposition();
    const CTextLayout& l = m_core.Layout();
    if (pt.x < l.GutterWidth()) {
        int row = std::clamp(static_cast<int>(pt.y + l.VOffset()) / l.LineHeight(), 0, GetLineCount() - 1);
        m_core.SelectRows(row, row);
    } else {
        m_core.SelectWordAt(PosFromPoint(pt));
    }
    Refresh(0, true);
}

LRESULT CWndEditor::OnSetCursorMsg(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(lParam) != HTCLIENT)
        return Default();
    if (m_draggingText)
        return TRUE;
    CPoint pt;
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    if (pt.x < m_core.Layout().GutterWidth())
        ::SetCursor(Cursors().hand);
    else if (PointInSelection(pt))
        ::SetCursor(Cursors().arrow);
    else
        ::SetCursor(Cursors().beam);
    return TRUE;
}
