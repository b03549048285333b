#include "ui/kit/Splitter.h"

#include "ui/WindowMessages.h"

BEGIN_MESSAGE_MAP(CSplitter, CStatic)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
END_MESSAGE_MAP()

bool CSplitter::Create(HWND parent, const RECT& rc, UINT id) {
    // SS_NOTIFY: a static control is transparent to the mouse without it.
    return CStatic::Create("", WS_CHILD | WS_VISIBLE | SS_NOTIFY, rc, parent, id);
}

void CSplitter::OnPaint() {
    CPaintDC dc(m_hWnd);
    COLORREF c = m_colour == static_cast<COLORREF>(-1) ? ::GetSysColor(COLOR_BTNFACE) : m_colour;
    dc.FillSolidRect(GetClientRect(), c);
}

void CSplitter::OnLButtonDown(UINT, CPoint) { m_dragging = 1; }

void CSplitter::DrawTracker(int x, int y) {
    CRect rc = GetClientRect();
    if (m_orientation == 0)
        rc.OffsetRect(x, 0);
    else
        rc.OffsetRect(0, y);
    // Drawn in the bar's own DC without clipping to the bar, so the tracker shows outside it too.
    HDC dc = ::GetDCEx(m_hWnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_PARENTCLIP);
    WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP bmp = ::CreateBitmap(8, 8, 1, 1, pattern);
    HBRUSH halftone = ::CreatePatternBrush(bmp);
    HGDIOBJ old = ::SelectObject(dc, halftone);
    ::PatBlt(dc, rc.left, rc.top, rc.Width(), rc.Height(), PATINVERT);
    ::SelectObject(dc, old);
    ::DeleteObject(halftone);
    ::DeleteObject(bmp);
    ::ReleaseDC(m_hWnd, dc);
}

void CSplitter::OnMouseMove(UINT, CPoint pt) {
    if (::GetCapture() != m_hWnd) SetCapture();
    if (m_dragging) {
        if (m_lastX != kNone && m_lastY != kNone) DrawTracker(m_lastX, m_lastY);
        DrawTracker(pt.x, pt.y);
        m_lastX = pt.x;
        m_lastY = pt.y;
        return;
    }
    if (GetClientRect().PtInRect(pt)) {
        ::SetCursor(::LoadCursorA(nullptr, m_orientation == 0 ? IDC_SIZEWE : IDC_SIZENS));
    } else {
        ::ReleaseCapture();
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    }
}

void CSplitter::OnLButtonUp(UINT, CPoint) {
    m_dragging = 0;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    if (m_lastX != kNone && m_lastY != kNone) {
        DrawTracker(m_lastX, m_lastY);
        ::SendMessageA(GetParent(), WM_USER_SPLITTER_MOVED, reinterpret_cast<WPARAM>(this), 0);
        m_lastX = m_lastY = kNone;
    }
}

LRESULT CSplitter::OnCaptureChanged(WPARAM, LPARAM) {
    // The mouse went elsewhere (another window took it, a box opened): the drag is
    // over without a move, and its tracker goes.
    if (m_dragging) {
        m_dragging = 0;
        if (m_lastX != kNone && m_lastY != kNone) DrawTracker(m_lastX, m_lastY);
        m_lastX = m_lastY = kNone;
    }
    return 0;
}
