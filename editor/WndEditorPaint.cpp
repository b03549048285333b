// The editor window's drawing: font and Init.ini, layout preferences,
// scroll bars and scrolling, painting rows into one reused row bitmap.
#include "editor/WndEditor.h"

#include "framework/Profile.h"
#include "resources/resource.h"
#include "ui/kit/GdiPlusUtil.h"

#include <shlobj.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr COLORREF kGutterBack = 0xC0C0C0;
constexpr COLORREF kGutterRule = 0xA0A0A0;
constexpr COLORREF kLineNumber = 0x000000;
constexpr COLORREF kBookmark = 0xFFFF00;

CString (*g_readIniPath)() = nullptr;
CString (*g_writeIniPath)() = nullptr;

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
        auto num = [&](const char* key, int def) { return static_cast<int>(profile::GetInt("Font", key, def, path)); };
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
        profile::GetString("Font", "lfFaceName", "Arial", lf.lfFaceName, LF_FACESIZE, path);
        if (!lf.lfFaceName[0])
            strcpy(lf.lfFaceName, "Arial");
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
        profile::WriteString("Font", key, buf, path);
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
    profile::WriteString("Font", "lfFaceName", lf.lfFaceName, path);
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
    // A hidden editor (the start, before the window shows) is drawn whole
    // when it shows: its bars need no drawing now.
    const BOOL redraw = ::IsWindowVisible(m_hWnd);
    if (!m_scrollsSet || !same(v, m_vScroll)) {
        SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL, 0, v.max, static_cast<UINT>(v.page), v.pos, 0};
        ::SetScrollInfo(m_hWnd, SB_VERT, &si, redraw);
    }
    if (!m_scrollsSet || !same(h, m_hScroll)) {
        SCROLLINFO sh{sizeof sh, SIF_ALL | SIF_DISABLENOSCROLL, 0, h.max, static_cast<UINT>(h.page), h.pos, 0};
        ::SetScrollInfo(m_hWnd, SB_HORZ, &sh, redraw);
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
        layout.SplitRow(row, m_core.SelStart(), m_core.SelEnd(), m_focus, highlight, m_colours, width);
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
        if (!m_markImagesLoaded) {
            // With the first mark drawn, not at start.
            m_markImagesLoaded = true;
            m_breakpointImage = CGdiPlusUtil::LoadPng(IDP_BREAKPOINT);
            m_executionImage = CGdiPlusUtil::LoadPng(IDP_EXECUTION_LINE);
        }
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

