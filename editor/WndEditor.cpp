#include "editor/WndEditor.h"

#include "editor/CodePage949.h"
#include "editor/DlgChange.h"
#include "editor/DlgSearch.h"
#include "editor/TextSearch.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "workbench/DlgMessage.h"
#include "workbench/WindowMessages.h"
#include "workbench/kit/GdiPlusUtil.h"

#include <shlobj.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

namespace {

constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr COLORREF kGutterBack = 0xC0C0C0;
constexpr COLORREF kGutterRule = 0xA0A0A0;
constexpr COLORREF kLineNumber = 0x000000;
constexpr COLORREF kBookmark = 0xFFFF00;

CString (*g_readIniPath)() = nullptr;
CString (*g_writeIniPath)() = nullptr;

bool KeyDown(int vk)
{
    return ::GetKeyState(vk) < 0;
}

void Fill(HDC dc, int l, int t, int r, int b, COLORREF c)
{
    if (r <= l || b <= t)
        return;
    RECT rc{l, t, r, b};
    ::SetBkColor(dc, c);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

} // namespace

// The layout measures with the window's font.
class CWndEditor::CGdiMetrics : public CTextMetrics
{
public:
    explicit CGdiMetrics(HDC dc) : m_dc(dc) { ::GetTextMetricsA(dc, &m_tm); }
    int TextWidth(const char* bytes, int count) const override
    {
        SIZE s{};
        ::GetTextExtentPoint32A(m_dc, bytes, count, &s);
        return s.cx;
    }
    int CharHeight() const override { return m_tm.tmHeight; }
    int AveCharWidth() const override { return m_tm.tmAveCharWidth; }

private:
    HDC m_dc;
    TEXTMETRICA m_tm{};
};

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
    m_cursorBeam = ::LoadCursorA(nullptr, IDC_IBEAM);
    m_cursorArrow = ::LoadCursorA(nullptr, IDC_ARROW);
    m_cursorHand = ::LoadCursorA(nullptr, IDC_HAND);
    m_cursorNo = ::LoadCursorA(nullptr, IDC_NO);
    m_cursorCopy = ::LoadCursorA(CResources::GetModule(), MAKEINTRESOURCEA(IDCUR_DRAG_COPY));
    m_cursorMove = ::LoadCursorA(CResources::GetModule(), MAKEINTRESOURCEA(IDCUR_DRAG_MOVE));
    if (!m_cursorCopy)
        m_cursorCopy = m_cursorArrow;
    if (!m_cursorMove)
        m_cursorMove = m_cursorArrow;
    m_numberFont.CreateFont(12, 0, 0, 0, 0, FALSE, FALSE, FALSE, HANGUL_CHARSET, OUT_STROKE_PRECIS,
                            CLIP_STROKE_PRECIS, DRAFT_QUALITY, 0x32, "Arial");
    m_breakpointImage = CGdiPlusUtil::LoadPng(IDP_BREAKPOINT);
    m_executionImage = CGdiPlusUtil::LoadPng(IDP_EXECUTION_LINE);
    ResetText();
    LoadFontSettings();
    SetEditorFont(m_logFont);
    return 0;
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

// ---- Find and replace -------------------------------------------------------

void CWndEditor::ShowFindDialog()
{
    EndComposition();
    if (m_replace && m_replace->m_hWnd && m_replace->IsWindowVisible())
        m_replace->ShowWindow(SW_HIDE);
    if (!m_find)
        m_find = std::make_unique<CDlgSearch>(this);
    if (!m_find->m_hWnd && !m_find->CreateModeless())
        return;
    m_find->SetFindText(m_find->m_findText);
    m_find->ShowWindow(SW_SHOW);
    ::SetFocus(m_find->GetDlgItem(IDC_FIND_TEXT));
}

void CWndEditor::ShowReplaceDialog()
{
    EndComposition();
    if (m_find && m_find->m_hWnd && m_find->IsWindowVisible())
        m_find->ShowWindow(SW_HIDE);
    if (!m_replace)
        m_replace = std::make_unique<CDlgChange>(this);
    if (!m_replace->m_hWnd && !m_replace->CreateModeless())
        return;
    m_replace->SetFindText(m_replace->m_findText);
    m_replace->ShowWindow(SW_SHOW);
    ::SetFocus(m_replace->GetDlgItem(IDC_FIND_TEXT));
}

bool CWndEditor::CanFindNext() const
{
    return m_find && !m_find->m_findText.IsEmpty();
}

bool CWndEditor::Search(int start, const char* text, unsigned flags)
{
    EndComposition();
    int row = m_core.CaretRow();
    bool found = m_core.Search(start, text ? text : "", flags);
    if (found)
        Refresh(row, true);
    return found;
}

int CWndEditor::Replace(int start, unsigned flags, const char* replacement, const char* text)
{
    if (IsReadOnly())
        return 0;
    EndComposition();
    int r = m_core.Replace(start, flags, replacement ? replacement : "", text ? text : "");
    Refresh(0, true);
    return r;
}

void CWndEditor::FindWith(bool backward)
{
    if (!CanFindNext())
        return;
    unsigned flags = (m_find->m_flags & ~kSearchUp) | (backward ? unsigned(kSearchUp) : 0u);
    CString text = m_find->m_findText;
    if (!Search(-1, text, flags))
        ShowResult(m_hWnd, CResources::LoadString(IDS_STRING_NOT_FOUND));
}

void CWndEditor::FindNext()
{
    FindWith(false);
}

void CWndEditor::FindPrevious()
{
    FindWith(true);
}

void CWndEditor::ShowResult(HWND owner, const char* text)
{
    HWND self = m_hWnd;
    HWND root = ::GetAncestor(self, GA_ROOT);
    bool disable = root && root != owner && ::IsWindowEnabled(root);
    if (disable)
        ::EnableWindow(root, FALSE);
    ShowMessageText(owner, text, MB_ICONWARNING);
    if (disable && ::IsWindow(root))
        ::EnableWindow(root, TRUE);
    if (::IsWindow(self) && ::GetFocus() == nullptr)
        ::SetFocus(owner);
}

LRESULT CWndEditor::OnFindReplace(WPARAM wParam, LPARAM)
{
    CString notFound = CResources::LoadString(IDS_STRING_NOT_FOUND);
    if ((wParam == 1 && m_find) || (wParam == 2 && m_replace)) {
        CDialog* dlg = wParam == 1 ? static_cast<CDialog*>(m_find.get()) : m_replace.get();
        CString text = wParam == 1 ? m_find->m_findText : m_replace->m_findText;
        unsigned flags = wParam == 1 ? m_find->m_flags : m_replace->m_flags;
        if (!Search(-1, text, flags))
            ShowResult(dlg->m_hWnd, notFound);
        return 1;
    }
    if (!m_replace || (wParam != 3 && wParam != 4))
        return 0;
    if (IsReadOnly()) {
        ::MessageBeep(MB_ICONWARNING);
        return 0;
    }
    // Copies: the box below runs a message loop, and nothing held across it
    // may point into the dialog.
    CString find = m_replace->m_findText;
    CString with = m_replace->m_replaceText;
    unsigned flags = m_replace->m_flags;
    HWND dlg = m_replace->m_hWnd;
    if (wParam == 3) {
        if (Replace(-1, flags, with, find) == 0)
            ShowResult(dlg, notFound);
        return 1;
    }
    EndComposition();
    int count = m_core.ReplaceAll(flags & ~kSearchWrap, with.str(), find.str());
    // One repaint at the end of the run.
    Refresh(0, true);
    UpdateWindow();
    if (count == 0) {
        ShowResult(dlg, notFound);
    } else {
        CString msg;
        msg.Format(CResources::LoadString(IDS_REPLACED_COUNT), count, find.c_str(), with.c_str());
        ShowResult(dlg, msg);
    }
    return 1;
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

// ---- Font and layout ----------------------------------------------------------

void CWndEditor::SetIniPaths(CString (*readPath)(), CString (*writePath)())
{
    g_readIniPath = readPath;
    g_writeIniPath = writePath;
}

CString CWndEditor::IniPath(bool write) const
{
    if (!m_iniPath.IsEmpty())
        return m_iniPath;
    if (CString (*path)() = write ? g_writeIniPath : g_readIniPath)
        return path();
    char folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder)))
        return CString();
    return CString(folder) + "\\ZarvoD\\Init.ini";
}

void CWndEditor::LoadFontSettings()
{
    LOGFONTA lf{};
    lf.lfHeight = -14;
    lf.lfWeight = 400;
    strcpy(lf.lfFaceName, "Arial");
    CString path = IniPath(false);
    if (!path.IsEmpty() && ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        auto num = [&](const char* key, int def) { return static_cast<int>(::GetPrivateProfileIntA("Font", key, def, path)); };
        lf.lfHeight = num("lfHeight", -14);
        lf.lfWidth = num("lfWidth", 0);
        lf.lfEscapement = num("lfEscapement", 0);
        lf.lfOrientation = num("lfOrientation", 0);
        lf.lfWeight = num("lfWeight", 400);
        lf.lfItalic = static_cast<BYTE>(num("lfItalic", 0));
        lf.lfUnderline = static_cast<BYTE>(num("lfUnderline", 0));
        lf.lfStrikeOut = static_cast<BYTE>(num("lfStrikeOut", 0));
        lf.lfCharSet = static_cast<BYTE>(num("lfCharSet", 0));
        lf.lfOutPrecision = static_cast<BYTE>(num("lfOutPrecision", 0));
        lf.lfClipPrecision = static_cast<BYTE>(num("lfClipPrecision", 0));
        lf.lfQuality = static_cast<BYTE>(num("lfQuality", 0));
        lf.lfPitchAndFamily = static_cast<BYTE>(num("lfPitchAndFamily", 0));
        ::GetPrivateProfileStringA("Font", "lfFaceName", "Arial", lf.lfFaceName, LF_FACESIZE, path);
    }
    // A font from the file must give a usable line: heights and weights out
    // of reason fall back to the defaults.
    if (lf.lfHeight == 0 || lf.lfHeight < -200 || lf.lfHeight > 200)
        lf.lfHeight = -14;
    if (lf.lfWidth < 0 || lf.lfWidth > 200)
        lf.lfWidth = 0;
    if (lf.lfWeight < 0 || lf.lfWeight > 1000)
        lf.lfWeight = 400;
    lf.lfEscapement = lf.lfOrientation = 0;
    m_logFont = lf;
}

void CWndEditor::SaveFontSettings()
{
    CString path = IniPath(true);
    if (path.IsEmpty())
        return;
    int slash = path.ReverseFind('\\');
    if (slash > 0)
        ::CreateDirectoryA(path.Left(slash), nullptr);
    const LOGFONTA& lf = m_logFont;
    auto put = [&](const char* key, long value) {
        char buf[16];
        snprintf(buf, sizeof buf, "%ld", value);
        ::WritePrivateProfileStringA("Font", key, buf, path);
    };
    put("lfHeight", lf.lfHeight);
    put("lfWidth", lf.lfWidth);
    put("lfEscapement", lf.lfEscapement);
    put("lfOrientation", lf.lfOrientation);
    put("lfWeight", lf.lfWeight);
    put("lfItalic", lf.lfItalic);
    put("lfUnderline", lf.lfUnderline);
    put("lfStrikeOut", lf.lfStrikeOut);
    put("lfCharSet", lf.lfCharSet);
    put("lfOutPrecision", lf.lfOutPrecision);
    put("lfClipPrecision", lf.lfClipPrecision);
    put("lfQuality", lf.lfQuality);
    put("lfPitchAndFamily", lf.lfPitchAndFamily);
    ::WritePrivateProfileStringA("Font", "lfFaceName", lf.lfFaceName, path);
}

void CWndEditor::SetEditorFont(const LOGFONTA& font)
{
    LOGFONTA lf = font;
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    m_logFont = lf;
    // A stored charset of 0 would pick a Latin font for Korean text.
    if (lf.lfCharSet == ANSI_CHARSET)
        lf.lfCharSet = DEFAULT_CHARSET;
    if (!m_font.CreateFontIndirect(&lf))
        return;
    if (!m_hWnd)
        return;
    {
        CClientDC dc(m_hWnd);
        HGDIOBJ old = dc.SelectObject(m_font);
        CGdiMetrics metrics(dc);
        m_core.Layout().SetMetrics(metrics);
        dc.SelectObject(old);
    }
    if (m_oldRowBitmap)
        m_rowDC.SelectObject(m_oldRowBitmap);
    m_oldRowBitmap = nullptr;
    m_rowBitmap.DeleteObject();
    m_rowSize = CSize();
    UpdateLines(-1, -1);
    UpdateScrollBars();
    SetCaret(true, false);
    Invalidate(FALSE);
}

void CWndEditor::ApplyLayout(int lineGap)
{
    // A gap that would make rows overlap or vanish is held to a sane range.
    m_core.Layout().ApplyLayout(std::clamp(lineGap, 50, 400));
    if (m_oldRowBitmap)
        m_rowDC.SelectObject(m_oldRowBitmap);
    m_oldRowBitmap = nullptr;
    m_rowBitmap.DeleteObject();
    m_rowSize = CSize();
    UpdateScrollBars();
    Invalidate(FALSE);
    SetCaret(false, false);
}

void CWndEditor::SetTabSize(int tabSize)
{
    m_core.Layout().SetTabSize(std::clamp(tabSize, 1, 32));
    UpdateScrollBars();
    Invalidate(FALSE);
    SetCaret(false, false);
}

void CWndEditor::SetMargin(bool on)
{
    m_core.Layout().SetGutterWidth(on ? 40 : 0);
    CRect rc = GetClientRect();
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.Width(), rc.Height()));
    Invalidate(FALSE);
}

void CWndEditor::ApplyPreferences(int marginWidth, bool lineNumbers, int caretLineHighlight, int lineGap,
                                  int tabSize)
{
    m_lineNumbers = lineNumbers;
    m_currentLine = caretLineHighlight == 3 ? 3 : 0;
    m_core.Layout().SetTabSize(std::clamp(tabSize, 1, 32));
    m_core.Layout().ApplyLayout(std::clamp(lineGap, 50, 400));
    SetMargin(marginWidth > 0);
    UpdateLines(-1, -1);
    UpdateScrollBars();
    SetCaret(false, false);
}

void CWndEditor::SetLineNumbers(bool on)
{
    m_lineNumbers = on;
    Invalidate(FALSE);
}

void CWndEditor::SetCurrentLineHighlight(int mode)
{
    m_currentLine = mode == 3 ? 3 : 0;
    Invalidate(FALSE);
}

void CWndEditor::UpdateLines(int position, int delta)
{
    if (position < 0)
        m_core.Store().Lines().UpdateLines(m_core.Text(), -1, -1);
    else
        m_core.Store().Lines().UpdateLines(m_core.Text(), position, delta);
    m_core.Store().Parser().InvalidateFrom(0);
}

void CWndEditor::UpdateScrollBars()
{
    if (!m_hWnd)
        return;
    ScrollRange v, h;
    bool reset = false;
    if (!m_core.Layout().UpdateScrollBars(v, h, reset))
        return;
    // Only what changed: setting a scroll bar redraws it (several ms under
    // Wine). Ranges past a page move in steps of half a page, so typing at
    // the end of the longest row does not redraw a bar on every key; the
    // layout still clamps scrolling to the exact range.
    for (ScrollRange* r : {&v, &h}) {
        int step = std::max(r->page / 2, 1);
        if (r->max > r->page && r->max <= INT_MAX - step)
            r->max = (r->max + step - 1) / step * step;
    }
    auto same = [](const ScrollRange& a, const ScrollRange& b) {
        return a.max == b.max && a.page == b.page && a.pos == b.pos;
    };
    if (!m_scrollsSet || !same(v, m_vScroll)) {
        SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, v.max, static_cast<UINT>(v.page), v.pos, 0};
        ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    }
    if (!m_scrollsSet || !same(h, m_hScroll)) {
        SCROLLINFO sh{sizeof sh, SIF_ALL | SIF_DISABLENOSCROLL, 0, h.max, static_cast<UINT>(h.page), h.pos, 0};
        ::SetScrollInfo(m_hWnd, SB_HORZ, &sh, TRUE);
    }
    m_vScroll = v;
    m_hScroll = h;
    m_scrollsSet = true;
    if (reset)
        Invalidate(FALSE);
}

void CWndEditor::SyncScrollPositions()
{
    m_vScroll.pos = m_core.Layout().VOffset();
    m_hScroll.pos = m_core.Layout().HOffset();
    ::SetScrollPos(m_hWnd, SB_VERT, m_vScroll.pos, TRUE);
    ::SetScrollPos(m_hWnd, SB_HORZ, m_hScroll.pos, TRUE);
}

void CWndEditor::InvalidateLines(int first, int last)
{
    if (!m_hWnd)
        return;
    int top, bottom;
    m_core.Layout().InvalidateBand(first, last, top, bottom);
    CRect rc = GetClientRect();
    rc.top = std::max(top, 0);
    rc.bottom = std::min<LONG>(bottom, rc.bottom);
    if (rc.bottom > rc.top)
        InvalidateRect(&rc, FALSE);
}

void CWndEditor::OnSize(UINT type, int cx, int cy)
{
    if (type == SIZE_MINIMIZED)
        return;
    m_core.Layout().SetClientSize(cx, cy);
    UpdateScrollBars();
    if (m_focus)
        SetCaret(false, false);
    if (m_oldRowBitmap)
        m_rowDC.SelectObject(m_oldRowBitmap);
    m_oldRowBitmap = nullptr;
    m_rowBitmap.DeleteObject();
    m_rowSize = CSize();
    Invalidate(FALSE);
}

// ---- Painting -------------------------------------------------------------------

void CWndEditor::OnPaint()
{
    CPaintDC dc(m_hWnd);
    CRect client = GetClientRect();
    if (client.IsRectEmpty())
        return;
    CTextLayout& layout = m_core.Layout();
    const int lh = layout.LineHeight();
    const int width = client.Width();
    if (!m_rowDC.GetSafeHdc())
        m_rowDC.CreateCompatibleDC(dc);
    if (m_rowSize.cx != width || m_rowSize.cy != lh || !m_rowBitmap.GetSafeHandle()) {
        if (m_oldRowBitmap)
            m_rowDC.SelectObject(m_oldRowBitmap);
        m_rowBitmap.DeleteObject();
        m_rowBitmap.CreateCompatibleBitmap(dc, width, lh);
        m_oldRowBitmap = m_rowDC.SelectObject(m_rowBitmap);
        m_rowSize = CSize(width, lh);
    }
    int first, last;
    layout.PaintRows(dc.m_ps.rcPaint.top, dc.m_ps.rcPaint.bottom, first, last);
    m_core.Store().ParseUpTo(last);
    HGDIOBJ oldFont = m_rowDC.SelectObject(m_font);
    for (int row = first; row <= last; ++row) {
        DrawRow(m_rowDC, row, width);
        dc.BitBlt(0, row * lh - layout.VOffset(), width, lh, m_rowDC, 0, 0, SRCCOPY);
    }
    m_rowDC.SelectObject(oldFont);
    int below = std::max((last + 1) * lh - layout.VOffset(), 0);
    if (below < client.bottom) {
        int g = layout.GutterWidth();
        Fill(dc, std::max(g - 1, 0), below, width, client.bottom, static_cast<COLORREF>(m_colours.window));
        if (g > 0) {
            Fill(dc, 0, below, g - 1, client.bottom, kGutterBack);
            Fill(dc, g - 2, below, g - 1, client.bottom, kGutterRule);
        }
    }
}

void CWndEditor::DrawRow(CDC& dc, int row, int width)
{
    const CTextLayout& layout = m_core.Layout();
    const CTextStore& store = m_core.Store();
    const char* text = m_core.Text();
    const int g = layout.GutterWidth();
    const int lh = layout.LineHeight();
    const int ch = layout.CharHeight();
    Fill(dc, std::max(g - 1, 0), 0, width, lh, static_cast<COLORREF>(m_colours.window));
    bool caretRow = row == m_core.CaretRow();
    bool highlight = caretRow && m_currentLine == 3;
    if (highlight)
        Fill(dc, g, 0, width, ch, EditorColours::kCurrentLine);
    std::vector<TextRun> runs =
        layout.SplitRow(row, m_core.SelStart(), m_core.SelEnd(), m_focus, highlight, m_colours);
    dc.SetBkMode(OPAQUE);
    for (const TextRun& run : runs) {
        if (run.x >= width)
            break; // the rest of the row is right of the window
        if (run.x + run.width + 1 < g)
            continue;
        if (run.tab) {
            Fill(dc, run.x, 0, run.x + run.width + 1, ch, static_cast<COLORREF>(run.background));
        } else {
            dc.SetTextColor(static_cast<COLORREF>(run.text));
            dc.SetBkColor(static_cast<COLORREF>(run.background));
            ::TextOutA(dc, run.x, 0, text + run.start, run.length);
        }
    }
    if (g <= 0)
        return;
    Fill(dc, 0, 0, g - 1, lh, kGutterBack);
    Fill(dc, g - 2, 0, g - 1, lh, kGutterRule);
    if ((!store.IsModified() && store.Lines().Breakpoint(row)) || row == m_executionLine) {
        Gdiplus::Graphics gr(dc);
        if (!store.IsModified() && store.Lines().Breakpoint(row) && m_breakpointImage)
            gr.DrawImage(m_breakpointImage, 2, 0, m_breakpointImage->GetWidth(), m_breakpointImage->GetHeight());
        if (row == m_executionLine && m_executionImage)
            gr.DrawImage(m_executionImage, 2, 0, m_executionImage->GetWidth(), m_executionImage->GetHeight());
    }
    if (m_lineNumbers) {
        char num[16];
        int n = snprintf(num, sizeof num, "%d", row + 1);
        HGDIOBJ old = dc.SelectObject(m_numberFont);
        int extra = ::SetTextCharacterExtra(dc, -1);
        UINT align = ::SetTextAlign(dc, TA_RIGHT | TA_TOP);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(kLineNumber);
        ::TextOutA(dc, g - 4, (ch - 10) / 2, num, n);
        ::SetTextAlign(dc, align);
        ::SetTextCharacterExtra(dc, extra);
        dc.SelectObject(old);
    }
    if (store.HasBookmark(row)) {
        CBrush brush(kBookmark);
        CPen pen;
        pen.CreatePen(PS_SOLID, 1, kBookmark);
        HGDIOBJ ob = dc.SelectObject(brush);
        HGDIOBJ op = dc.SelectObject(pen);
        ::RoundRect(dc, 0, 0, 10, ch, 2, 2);
        dc.SelectObject(ob);
        dc.SelectObject(op);
    }
}

// ---- Scrolling ------------------------------------------------------------------

static ScrollCode ToScrollCode(WORD code)
{
    switch (code) {
    case SB_LINEUP: return ScrollCode::LineUp;
    case SB_LINEDOWN: return ScrollCode::LineDown;
    case SB_PAGEUP: return ScrollCode::PageUp;
    case SB_PAGEDOWN: return ScrollCode::PageDown;
    case SB_THUMBTRACK: return ScrollCode::ThumbTrack;
    case SB_THUMBPOSITION: return ScrollCode::ThumbPosition;
    default: return ScrollCode::Other;
    }
}

void CWndEditor::ScrollBy(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    SyncScrollPositions();
    Invalidate(FALSE);
    SetCaret(false, false);
}

LRESULT CWndEditor::OnVScroll(WPARAM wParam, LPARAM)
{
    // The 32-bit track position: the one in wParam wraps past 65,535 pixels.
    SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    ::GetScrollInfo(m_hWnd, SB_VERT, &si);
    ScrollBy(0, m_core.Layout().VScroll(ToScrollCode(LOWORD(wParam)), si.nTrackPos));
    return 0;
}

LRESULT CWndEditor::OnHScroll(WPARAM wParam, LPARAM)
{
    SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    ::GetScrollInfo(m_hWnd, SB_HORZ, &si);
    ScrollBy(m_core.Layout().HScroll(ToScrollCode(LOWORD(wParam)), si.nTrackPos), 0);
    return 0;
}

LRESULT CWndEditor::OnMouseWheel(WPARAM wParam, LPARAM)
{
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int perNotch = lines == WHEEL_PAGESCROLL ? -1 : static_cast<int>(std::min<UINT>(lines, 1000));
    ScrollBy(0, m_core.Layout().Wheel(GET_WHEEL_DELTA_WPARAM(wParam), perNotch));
    return 0;
}

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
            ::SetCursor(m_cursorMove);
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
    const bool ctrl = KeyDown(VK_CONTROL);
    const bool shift = KeyDown(VK_SHIFT);
    if (m_draggingText) {
        if (key == VK_CONTROL)
            ::SetCursor(m_cursorCopy);
        return true;
    }
    if (key != VK_SHIFT && key != VK_CONTROL)
        m_pendingLead = 0;
    int row = m_core.CaretRow();
    bool repaint = m_core.HasSelection();
    switch (key) {
    case 'F':
        if (!ctrl)
            return false;
        ShowFindDialog();
        return true;
    case 'H':
        if (!ctrl)
            return false;
        ShowReplaceDialog();
        return true;
    case 'M':
        if (!ctrl)
            return false;
        CommentLines(shift);
        return true;
    case VK_F3:
        if (ctrl) {
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
        if (ctrl && shift)
            return true;
        if (m_core.Backspace(ctrl))
            Refresh(row, true);
        return true;
    case VK_DELETE:
        if (m_core.Delete())
            Refresh(row, true);
        return true;
    case VK_LEFT:
        EndComposition();
        m_core.Left(ctrl, shift);
        break;
    case VK_RIGHT:
        EndComposition();
        m_core.Right(ctrl, shift);
        break;
    case VK_UP:
    case VK_DOWN: {
        EndComposition();
        if (ctrl && shift)
            return true;
        if (ctrl) {
            const CTextLayout& l = m_core.Layout();
            SendMessage(WM_VSCROLL, key == VK_UP ? SB_LINEUP : SB_LINEDOWN, 0);
            int top = l.VOffset() / l.LineHeight();
            int bottom = top + std::max(l.RowsPerPage(), 1) - 1;
            if (row < top)
                m_core.GoToLine(top);
            else if (row > bottom)
                m_core.GoToLine(bottom);
            Refresh(row, true);
            return true;
        }
        if (key == VK_UP)
            m_core.Up(shift);
        else
            m_core.Down(shift);
        SetCaret(false, true);
        if (repaint || m_core.HasSelection())
            Invalidate(FALSE);
        else
            Refresh(row, false);
        return true;
    }
    case VK_PRIOR:
    case VK_NEXT:
        EndComposition();
        if (key == VK_PRIOR)
            m_core.PageUp(shift);
        else
            m_core.PageDown(shift);
        SyncScrollPositions();
        SetCaret(false, true);
        Invalidate(FALSE);
        return true;
    case VK_HOME:
        EndComposition();
        m_core.Home(ctrl, shift);
        break;
    case VK_END:
        EndComposition();
        m_core.End(ctrl, shift);
        break;
    default:
        return false;
    }
    Refresh(row, repaint || m_core.HasSelection());
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
        ::SetCursor(!inside ? m_cursorNo : KeyDown(VK_CONTROL) ? m_cursorCopy : m_cursorMove);
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
        ::SetCursor(m_cursorHand);
    else if (PointInSelection(pt))
        ::SetCursor(m_cursorArrow);
    else
        ::SetCursor(m_cursorBeam);
    return TRUE;
}
