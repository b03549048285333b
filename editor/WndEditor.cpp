// The editor window: creation and routing, the document, caret and
// selection, undo and the clipboard, the editing aids and the debugger's
// marks. Drawing, input and find and replace have files of their own.
#include "editor/WndEditor.h"

#include "editor/CodePage949.h"
#include "editor/DlgChange.h"
#include "editor/DlgSearch.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"
#include "ui/kit/GdiPlusUtil.h"

#include <algorithm>
#include <cstring>

CWndEditor::CWndEditor()
{
    m_core.Store().SetHost(this);
    m_core.Store().SetUndoLimits(102400, 100);
}

CWndEditor::~CWndEditor()
{
    if (m_hWnd)
        DestroyWindow();
    delete m_breakpointImage;
    delete m_executionImage;
}

bool CWndEditor::Create(DWORD style, const RECT& rc, HWND parent, UINT id)
{
    return CreateEx(0, OwnClassName(), "", style | WS_VSCROLL | WS_HSCROLL, rc, parent, id);
}

BEGIN_MESSAGE_MAP(CWndEditor, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_VSCROLL, OnVScroll)
    ON_MESSAGE(WM_HSCROLL, OnHScroll)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheel)
    ON_MESSAGE(WM_SETFOCUS, OnSetFocus)
    ON_MESSAGE(WM_KILLFOCUS, OnKillFocusMsg)
    ON_MESSAGE(WM_CHAR, OnCharMsg)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDownMsg)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursorMsg)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_CANCELMODE, OnCancelMode)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMsg)
    ON_MESSAGE(WM_USER_FIND_REPLACE, OnFindReplace)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
    ON_MESSAGE(EM_GETSEL, OnGetSel)
    ON_MESSAGE(EM_SETSEL, OnSetSel)
    ON_COMMAND(ID_EDITOR_CUT, OnCmdCut)
    ON_COMMAND(ID_EDITOR_COPY, OnCmdCopy)
    ON_COMMAND(ID_EDITOR_PASTE, OnCmdPaste)
    ON_COMMAND(ID_EDITOR_SELECT_ALL, OnCmdSelectAll)
    ON_COMMAND(ID_EDITOR_TOGGLE_BREAKPOINT, OnCmdToggleBreakpoint)
    ON_COMMAND(ID_EDITOR_RUN_TO_LINE, OnCmdRunToLine)
    ON_COMMAND(ID_EDITOR_REMOVE_BREAKPOINTS, OnCmdRemoveBreakpoints)
    ON_COMMAND(ID_EDITOR_STEP_INTO, OnCmdStepInto)
    ON_COMMAND(ID_EDITOR_STEP_OVER, OnCmdStepOver)
END_MESSAGE_MAP()

LRESULT CWndEditor::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_IME_STARTCOMPOSITION:
        return 0; // no composition window of the IME's own: the text shows it
    case WM_IME_COMPOSITION:
        if (OnImeComposition(lParam))
            return 0;
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_IME_CHAR:
        // Not passed on: the default would send the same character again as WM_CHAR.
        OnImeChar(wParam);
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

int CWndEditor::OnCreate(LPCREATESTRUCT)
{
    m_colours.window = static_cast<int32_t>(::GetSysColor(COLOR_WINDOW));
    m_colours.windowText = static_cast<int32_t>(::GetSysColor(COLOR_WINDOWTEXT));
    m_colours.highlight = static_cast<int32_t>(::GetSysColor(COLOR_HIGHLIGHT));
    m_colours.highlightText = static_cast<int32_t>(::GetSysColor(COLOR_HIGHLIGHTTEXT));
    // Digits only: a Hangul charset makes a machine without Korean fonts (Wine
    // in an English locale) pick a face that draws them as boxes.
    m_numberFont.CreateFont(12, 0, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_STROKE_PRECIS,
                            CLIP_STROKE_PRECIS, DRAFT_QUALITY, 0x32, "Arial");
    ResetText();
    LoadFontSettings();
    SetEditorFont(m_logFont);
    return 0;
}

const CWndEditor::CursorSet& CWndEditor::Cursors()
{
    // Loaded once: the arrow is never missing after.
    if (!m_cursors.arrow) {
        CursorSet& c = m_cursors;
        c.beam = ::LoadCursorA(nullptr, IDC_IBEAM);
        c.arrow = ::LoadCursorA(nullptr, IDC_ARROW);
        c.hand = ::LoadCursorA(nullptr, IDC_HAND);
        c.no = ::LoadCursorA(nullptr, IDC_NO);
        c.copy = ::LoadCursorA(CResources::GetModule(), MAKEINTRESOURCEA(IDCUR_DRAG_COPY));
        c.move = ::LoadCursorA(CResources::GetModule(), MAKEINTRESOURCEA(IDCUR_DRAG_MOVE));
        if (!c.copy)
            c.copy = c.arrow;
        if (!c.move)
            c.move = c.arrow;
    }
    return m_cursors;
}

void CWndEditor::OnDestroy()
{
    CancelDrag();
    SaveFontSettings();
    if (m_find && m_find->m_hWnd)
        m_find->DestroyWindow();
    if (m_replace && m_replace->m_hWnd)
        m_replace->DestroyWindow();
    m_find.reset();
    m_replace.reset();
    if (m_oldRowBitmap)
        m_rowDC.SelectObject(m_oldRowBitmap);
    m_oldRowBitmap = nullptr;
    m_rowDC.DeleteDC();
    m_rowBitmap.DeleteObject();
    Default();
}

// ---- Document -------------------------------------------------------------

void CWndEditor::ResetText()
{
    CancelDrag();
    EndComposition();
    m_core.ResetText();
    m_executionLine = -1;
    if (m_hWnd) {
        UpdateScrollBars();
        Invalidate(FALSE);
        if (m_focus)
            SetCaret(true, false);
    }
}

LoadResult CWndEditor::SetText(const char* data, size_t length)
{
    CancelDrag();
    EndComposition();
    LoadResult r = m_core.SetText(data, length);
    m_executionLine = -1;
    if (m_hWnd) {
        m_core.Layout().SetOffsets(0, 0);
        UpdateScrollBars();
        Invalidate(FALSE);
        SetCaret(true, false);
    }
    return r;
}

bool CWndEditor::InsertText(const char* text, int position, bool undo, bool silent)
{
    EndComposition();
    int caret = m_core.Caret();
    if (!m_core.Store().InsertText(text ? text : "", m_core.ClampPosition(position), undo, silent))
        return false;
    m_core.MoveCaret(caret, false); // the same offset, at a character start
    Refresh(0, true);
    return true;
}

bool CWndEditor::DeleteText(int position, int count, bool undo)
{
    EndComposition();
    if (!m_core.Store().DeleteText(position, count, undo))
        return false;
    m_core.MoveCaret(std::min(m_core.Caret(), m_core.Length()), false);
    Refresh(0, true);
    return true;
}

void CWndEditor::SetModified(bool modified)
{
    m_core.Store().SetModified(modified);
    if (m_hWnd)
        Invalidate(FALSE); // breakpoint marks show only while unmodified
}

void CWndEditor::SetReadOnly(bool readOnly)
{
    EndComposition();
    if (readOnly)
        CancelDrag();
    m_core.Store().SetReadOnly(readOnly);
    // Shown in the style as an edit control shows it, for tools that look.
    if (m_hWnd)
        ModifyStyle(readOnly ? 0 : ES_READONLY, readOnly ? ES_READONLY : 0);
}

// The text and selection for tools outside the program (test drivers,
// screen readers), as an edit control answers them.
LRESULT CWndEditor::OnGetText(WPARAM wParam, LPARAM lParam)
{
    char* out = reinterpret_cast<char*>(lParam);
    if (!out || wParam == 0)
        return 0;
    size_t n = std::min<size_t>(static_cast<size_t>(m_core.Length()), wParam - 1);
    memcpy(out, m_core.Text(), n);
    out[n] = 0;
    return static_cast<LRESULT>(n);
}

LRESULT CWndEditor::OnGetSel(WPARAM wParam, LPARAM lParam)
{
    int s = m_core.HasSelection() ? m_core.SelStart() : m_core.Caret();
    int e = m_core.HasSelection() ? m_core.SelEnd() : m_core.Caret();
    if (wParam)
        *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(s);
    if (lParam)
        *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(e);
    return MAKELRESULT(std::min(s, 0xFFFF), std::min(e, 0xFFFF));
}

LRESULT CWndEditor::OnSetSel(WPARAM wParam, LPARAM lParam)
{
    int s = static_cast<int>(wParam), e = static_cast<int>(lParam);
    if (s < 0)
        SetSelection(m_core.Caret(), m_core.Caret());
    else
        SetSelection(s, e);
    return 0;
}

void CWndEditor::OnDocModified()
{
    HWND parent = GetParent();
    if (parent)
        ::SendMessageA(parent, WM_USER_DOC_MODIFIED, 0, 0);
}

void CWndEditor::OnTextChanged(int position, int)
{
    if (m_hWnd)
        InvalidateLines(position, -1);
}

// ---- Caret, selection -------------------------------------------------------

int CWndEditor::GetFirstVisibleLine() const
{
    return m_core.Layout().VOffset() / std::max(m_core.Layout().LineHeight(), 1);
}

void CWndEditor::SetCaretPos(int position, int topRow)
{
    EndComposition();
    m_core.MoveCaret(position, false);
    int rows = GetLineCount();
    topRow = std::clamp(topRow, 0, std::max(rows - 1, 0));
    m_core.Layout().SetOffsets(0, topRow * m_core.Layout().LineHeight());
    UpdateScrollBars();
    SetCaret(true, true);
    Invalidate(FALSE);
}

void CWndEditor::SetCaret(bool updateColumn, bool scrollIntoView)
{
    if (!m_hWnd)
        return;
    const CTextLayout& layout = m_core.Layout();
    const char* text = m_core.Text();
    int shown = m_core.Composing() ? m_core.CompositionStart() : m_core.Caret();
    int width = 2;
    if (m_core.Composing()) {
        width = layout.TwoByteWidth();
    } else if (m_core.Overwrite()) {
        int p = m_core.Caret();
        unsigned char c = static_cast<unsigned char>(text[p]);
        if (c == '\r' || c == 0 || c == '\t')
            width = layout.ByteWidth(' ');
        else
            width = CharLength949(text, p, m_core.Length()) == 2 ? layout.TwoByteWidth() : layout.ByteWidth(c);
    }
    if (scrollIntoView && m_core.Layout().ScrollIntoView(shown, width)) {
        SyncScrollPositions();
        Invalidate(FALSE);
    }
    int x, y;
    layout.PosToXY(shown, x, y);
    if (m_focus) {
        // A new caret only when its size changes: creating one is not free.
        bool hidden = x - layout.HOffset() < layout.GutterWidth();
        if (m_caretSize.cx != width || m_caretSize.cy != layout.CharHeight()) {
            ::CreateCaret(m_hWnd, nullptr, width, layout.CharHeight());
            m_caretSize = CSize(width, layout.CharHeight());
            m_caretHidden = true;
        }
        ::SetCaretPos(x - layout.HOffset(), y - layout.VOffset());
        if (hidden && !m_caretHidden)
            ::HideCaret(m_hWnd);
        else if (!hidden && m_caretHidden)
            ::ShowCaret(m_hWnd);
        m_caretHidden = hidden;
    }
    if (updateColumn)
        m_core.UpdateColumn();
}

void CWndEditor::GetSelection(int& start, int& end) const
{
    start = m_core.SelStart();
    end = m_core.SelEnd();
}

void CWndEditor::SetSelection(int start, int end)
{
    EndComposition();
    m_core.SetSelection(start, end);
    SetCaret(true, true);
    Invalidate(FALSE);
}

void CWndEditor::SelectAll()
{
    SetSelection(0, -1);
}

void CWndEditor::GoToLine(int row)
{
    EndComposition();
    m_core.GoToLine(row);
    SetCaret(true, true);
    Invalidate(FALSE);
}

void CWndEditor::Refresh(int oldCaretRow, bool repaintAll)
{
    UpdateScrollBars();
    SetCaret(true, true);
    if (repaintAll) {
        Invalidate(FALSE);
    } else if (m_currentLine == 3 && oldCaretRow != m_core.CaretRow()) {
        const CDisplayLines& lines = m_core.Store().Lines();
        InvalidateLines(lines.Start(std::min(oldCaretRow, lines.Count() - 1)), lines.Start(oldCaretRow));
        InvalidateLines(m_core.Caret(), m_core.Caret());
    }
}

void CWndEditor::EndComposition()
{
    if (m_core.Composing()) {
        m_ime->Cancel(m_hWnd);
        m_core.CancelComposition();
    }
}

// ---- Undo and clipboard -----------------------------------------------------

void CWndEditor::Undo()
{
    EndComposition();
    if (m_core.Undo() >= 0)
        Refresh(0, true);
}

void CWndEditor::Redo()
{
    EndComposition();
    if (m_core.Redo() >= 0)
        Refresh(0, true);
}

bool CWndEditor::Copy()
{
    if (!m_core.HasSelection())
        return false;
    std::string text = m_core.SelectedText();
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    if (!mem)
        return false;
    char* p = static_cast<char*>(::GlobalLock(mem));
    if (!p) {
        ::GlobalFree(mem);
        return false;
    }
    memcpy(p, text.data(), text.size());
    ::GlobalUnlock(mem);
    if (!::OpenClipboard(m_hWnd)) {
        ::GlobalFree(mem);
        return false;
    }
    bool ok = ::EmptyClipboard() && ::SetClipboardData(CF_TEXT, mem);
    if (!ok)
        ::GlobalFree(mem); // still ours: the clipboard took nothing
    ::CloseClipboard();
    return ok;
}

void CWndEditor::Cut()
{
    if (!m_core.HasSelection() || IsReadOnly() || m_buttonDown)
        return;
    EndComposition();
    // Deleted only once it is safely on the clipboard.
    if (!Copy())
        return;
    int row = m_core.CaretRow();
    m_core.DeleteSelection();
    Refresh(row, true);
}

bool CWndEditor::CanPaste()
{
    return ::IsClipboardFormatAvailable(CF_TEXT) || ::IsClipboardFormatAvailable(CF_UNICODETEXT);
}

void CWndEditor::Paste()
{
    if (IsReadOnly() || !CanPaste())
        return;
    EndComposition();
    if (!::OpenClipboard(m_hWnd))
        return;
    std::string text;
    // The clipboard's UTF-16 text converted to our code page: taken as it
    // is, never run through the file encoding detection (a Korean syllable
    // whose bytes happen to be valid UTF-8 would be turned into "?").
    if (HANDLE h = ::GetClipboardData(CF_UNICODETEXT)) {
        size_t units = ::GlobalSize(h) / sizeof(wchar_t);
        if (const wchar_t* w = static_cast<const wchar_t*>(::GlobalLock(h))) {
            size_t n = 0;
            while (n < units && w[n])
                ++n;
            int bytes = n ? ::WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(n), nullptr, 0, nullptr, nullptr) : 0;
            if (bytes > 0) {
                text.resize(static_cast<size_t>(bytes));
                ::WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(n), &text[0], bytes, nullptr, nullptr);
            }
            ::GlobalUnlock(h);
        }
    } else if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
        size_t size = ::GlobalSize(h);
        if (const char* a = static_cast<const char*>(::GlobalLock(h))) {
            size_t n = 0;
            while (n < size && a[n])
                ++n;
            text.assign(a, n);
            ::GlobalUnlock(h);
        }
    }
    ::CloseClipboard();
    if (m_core.Paste(text))
        Refresh(0, true);
}

// ---- Editing aids -------------------------------------------------------------

void CWndEditor::BlockIndent(bool outdent)
{
    EndComposition();
    if (m_core.BlockIndent(outdent))
        Refresh(0, true);
}

void CWndEditor::CommentLines(bool uncomment)
{
    EndComposition();
    if (m_core.CommentLines(uncomment))
        Refresh(0, true);
}

void CWndEditor::ToggleBookmark()
{
    m_core.ToggleBookmark();
    Invalidate(FALSE);
}

void CWndEditor::GotoBookmark(int direction)
{
    EndComposition();
    if (m_core.GotoBookmark(direction != 11))
        Refresh(0, true);
}

int CWndEditor::ToggleBreakpoint(int* added)
{
    bool on = false;
    int row = m_core.ToggleBreakpoint(on);
    if (added)
        *added = on ? 1 : 0;
    if (row >= 0 && m_hWnd)
        Invalidate(FALSE);
    return row;
}

void CWndEditor::RemoveAllBreakpoints()
{
    m_core.Store().RemoveAllBreakpoints();
    if (m_hWnd)
        Invalidate(FALSE);
}

bool CWndEditor::ToggleBreakpoint(int& line, bool& set)
{
    int added = 0;
    line = ToggleBreakpoint(&added);
    set = added != 0;
    return line >= 0;
}

void CWndEditor::SetBreakpoint(int row, bool on)
{
    if (row < 0 || row >= GetLineCount())
        return;
    m_core.Store().Lines().SetBreakpoint(row, on);
    if (m_hWnd)
        Invalidate(FALSE);
}

void CWndEditor::SetExecutionLine(int row)
{
    m_executionLine = row < 0 || row >= GetLineCount() ? -1 : row;
    if (m_hWnd)
        Invalidate(FALSE);
}

void CWndEditor::OnCmdToggleBreakpoint()
{
    ::SendMessageA(GetParent(), WM_USER_TOGGLE_BREAKPOINT, 0, 0);
}

void CWndEditor::OnCmdRunToLine()
{
    ::SendMessageA(GetParent(), WM_USER_TOGGLE_BREAKPOINT, 1, 0);
}

void CWndEditor::OnCmdRemoveBreakpoints()
{
    ::SendMessageA(GetParent(), WM_USER_REMOVE_BREAKPOINTS, 0, 0);
}

void CWndEditor::OnCmdStepInto()
{
    ::SendMessageA(GetParent(), WM_USER_STEP_INTO, 0, 0);
}

void CWndEditor::OnCmdStepOver()
{
    ::SendMessageA(GetParent(), WM_USER_STEP_OVER, 0, 0);
}

LRESULT CWndEditor::OnContextMenuMsg(WPARAM, LPARAM lParam)
{
    HMENU menu = CResources::LoadMenu(IDR_EDITOR_MENU);
    if (!menu)
        return 0;
    HMENU popup = ::GetSubMenu(menu, 0);
    auto enable = [&](UINT id, bool on) { ::EnableMenuItem(popup, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(ID_EDITOR_PASTE, ::IsClipboardFormatAvailable(CF_TEXT) != FALSE);
    enable(ID_EDITOR_CUT, m_core.HasSelection());
    enable(ID_EDITOR_COPY, m_core.HasSelection());
    enable(ID_EDITOR_RUN_TO_LINE, CanHaveBreakpoint(m_core.CaretRow()) != 0);
    CPoint pt(lParam);
    if (pt.x == -1 && pt.y == -1) { // from the keyboard: at the caret
        ::GetCaretPos(&pt);
        ClientToScreen(&pt);
    }
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    ::DestroyMenu(menu);
    return 0;
}

