#include "ui/kit/PngButton.h"

#include "ui/WindowMessages.h"
#include "ui/kit/GdiPlusUtil.h"
#include "ui/kit/KitGeometry.h"

BEGIN_MESSAGE_MAP(CPngButton, CButton)
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_ENABLE()
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSEHOVER()
    ON_WM_MOUSELEAVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CPngButton::~CPngButton() {
    if (m_bkOld) m_bkDC.SelectObject(m_bkOld);
    if (m_stripPixels) ::DeleteObject(m_stripPixels);
    delete m_strip;
    delete m_icon;
    delete m_background;
}

void CPngButton::SetImage(HMODULE module, UINT id) {
    delete m_strip;
    m_strip = CGdiPlusUtil::LoadPng(id, module);
    MakeStripPixels();
    if (!m_strip) return;
    int textWidth = 0;
    CString text = GetWindowText();
    if (!text.IsEmpty() && m_hWnd) {
        CClientDC dc(m_hWnd);
        HGDIOBJ old = dc.SelectObject(GetFont());
        textWidth = dc.GetTextExtent(text, text.GetLength()).cx;
        dc.SelectObject(old);
    }
    kit::CellSize cell = kit::CellSizeFor(static_cast<int>(m_strip->GetWidth()), static_cast<int>(m_strip->GetHeight()),
                                          m_cellCount, !text.IsEmpty(), textWidth);
    m_cellWidth = cell.cx;
    m_cellHeight = cell.cy;
    m_checkMode = m_cellCount >= 7;
    m_checked = 0;
    if (m_hWnd) SetWindowPos(nullptr, 0, 0, m_cellWidth, m_cellHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPngButton::MakeStripPixels() {
    if (m_stripPixels) ::DeleteObject(m_stripPixels);
    m_stripPixels = nullptr;
    if (!m_strip) return;
    const int w = static_cast<int>(m_strip->GetWidth()), h = static_cast<int>(m_strip->GetHeight());
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down, as GDI+ hands the rows out
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) ::DeleteObject(dib);
        return;
    }
    Gdiplus::BitmapData data{};
    Gdiplus::Rect all(0, 0, w, h);
    // Into the section directly, converted to the premultiplied form GDI blends.
    data.Width = static_cast<UINT>(w);
    data.Height = static_cast<UINT>(h);
    data.Stride = w * 4;
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = bits;
    if (m_strip->LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat32bppPARGB,
                          &data) != Gdiplus::Ok) {
        ::DeleteObject(dib);
        return;
    }
    m_strip->UnlockBits(&data);
    m_stripPixels = dib;
}

void CPngButton::EnableButton(BOOL enable) {
    m_enabled = enable ? 1 : 0;
    Invalidate(FALSE);
    EnableWindow(enable);
}

void CPngButton::SetIconImage(Gdiplus::Bitmap* icon) {
    delete m_icon;
    m_icon = icon;
}

void CPngButton::SetBackgroundImage(Gdiplus::Bitmap* image, int offsetX, int offsetY) {
    delete m_background;
    m_background = image;
    m_bkOffsetX = offsetX;
    m_bkOffsetY = offsetY;
}

void CPngButton::SetTextColors(COLORREF normal, COLORREF hover, COLORREF pressed, COLORREF disabled,
                               COLORREF checkedHover, COLORREF checkedPressed, COLORREF checked) {
    m_colorNormal = normal;
    m_colorHover = hover;
    m_colorPressed = pressed;
    m_colorDisabled = disabled;
    m_colorCheckedHover = checkedHover;
    m_colorCheckedPressed = checkedPressed;
    m_colorChecked = checked;
}

void CPngButton::SetTooltipText(const char* text) {
    if (!text || !*text) return;
    // The tip's window comes with the first mouse message (PreTranslateMessage).
    m_tip.AddToolEx(m_hWnd, text);
}

int CPngButton::CurrentCell() const {
    return kit::SelectCell({m_checkMode != 0, m_checked != 0, m_hover != 0, m_pressed != 0, m_enabled != 0, m_cellCount});
}

BOOL CPngButton::PreTranslateMessage(MSG* msg) {
    // Made when first needed: a window per button would slow the start.
    if (!m_tip.m_hWnd && m_tip.IsTool(m_hWnd) && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST)
        m_tip.Create(m_hWnd);
    if (m_tip.m_hWnd) m_tip.RelayEvent(msg);
    return CButton::PreTranslateMessage(msg);
}


void CPngButton::OnDestroy() {
    if (m_tip.m_hWnd) m_tip.DestroyWindow();
    CButton::OnDestroy();
}

void CPngButton::OnSize(UINT type, int cx, int cy) {
    CButton::OnSize(type, cx, cy);
    if (cx > m_cellWidth) m_cellWidth = cx;
    Invalidate(FALSE);
}

void CPngButton::OnEnable(BOOL enable) {
    m_enabled = enable ? 1 : 0;
    // A button that cannot be pressed explains nothing.
    if (!enable) m_tip.Hide();
    CButton::OnEnable(enable);
}

void CPngButton::OnMouseMove(UINT flags, CPoint pt) {
    if (!m_tracked) {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 1;
        m_tracked = ::TrackMouseEvent(&tme) ? 1 : 0;
    }
    CButton::OnMouseMove(flags, pt);
}

void CPngButton::OnMouseHover(UINT flags, CPoint pt) {
    m_hover = 1;
    Invalidate(FALSE);
    CButton::OnMouseHover(flags, pt);
}

void CPngButton::OnMouseLeave() {
    m_tracked = 0;
    m_hover = 0;
    Invalidate(FALSE);
    CButton::OnMouseLeave();
}

void CPngButton::OnLButtonDown(UINT flags, CPoint pt) {
    m_hover = 0;
    m_pressed = 1;
    Invalidate(FALSE);
    // Sent as a press also for the second click of a double click (see OnLButtonDblClk).
    DefWindowProc(WM_LBUTTONDOWN, flags, MAKELPARAM(pt.x, pt.y));
    if (::GetCapture() != m_hWnd) SetCapture();
}

void CPngButton::OnLButtonUp(UINT flags, CPoint pt) {
    if (m_checkMode && m_pressed && GetClientRect().PtInRect(pt)) m_checked = !m_checked;
    m_pressed = 0;
    m_hover = 1;
    Invalidate(FALSE);
    // The control's own processing first: it sends BN_CLICKED only while it still
    // holds the capture it took on the press.
    CButton::OnLButtonUp(flags, pt);
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

void CPngButton::OnLButtonDblClk(UINT flags, CPoint pt) {
    // The second click of a double click is a click of its own. An owner-drawn
    // button's own processing would only send BN_DOUBLECLICKED and take no
    // capture, so the release would bring no BN_CLICKED: press it instead.
    OnLButtonDown(flags, pt);
}

void CPngButton::DrawBackground(HDC dc, int w, int h) {
    if (m_useParentBitmap) {
        if (!m_parentBitmap.GetSafeHandle()) {
            HWND parent = GetParent();
            m_parentBitmap.Attach(reinterpret_cast<HBITMAP>(
                ::SendMessageA(parent, WM_USER_GET_BUTTON_BKGND, reinterpret_cast<WPARAM>(this), 0)));
        }
        if (m_parentBitmap.GetSafeHandle()) {
            CDC src;
            src.CreateCompatibleDC(dc);
            HGDIOBJ old = src.SelectObject(m_parentBitmap);
            ::BitBlt(dc, 0, 0, w, h, src, 0, 0, SRCCOPY);
            src.SelectObject(old);
            return;
        }
    }
    if (m_background) {
        Gdiplus::Graphics g(dc);
        g.DrawImage(m_background, -m_bkOffsetX, -m_bkOffsetY, static_cast<int>(m_background->GetWidth()),
                    static_cast<int>(m_background->GetHeight()));
        return;
    }
    if (!m_bkDC.GetSafeHdc()) {
        // The parent's pixels under the button, taken once.
        HWND parent = GetParent();
        CRect rc = GetRectInParent();
        CClientDC parentDC(parent);
        m_bkDC.CreateCompatibleDC(parentDC);
        m_bkBitmap.CreateCompatibleBitmap(parentDC, w, h);
        m_bkOld = m_bkDC.SelectObject(m_bkBitmap);
        m_bkDC.BitBlt(0, 0, w, h, parentDC, rc.left, rc.top, SRCCOPY);
    }
    ::BitBlt(dc, 0, 0, w, h, m_bkDC, 0, 0, SRCCOPY);
}

void CPngButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    CRect item(dis->rcItem);
    const int w = item.Width() > 0 ? item.Width() : 1;
    const int h = item.Height() > 0 ? item.Height() : 1;
    CDC mem;
    mem.CreateCompatibleDC(dis->hDC);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(dis->hDC, w, h);
    HGDIOBJ oldBmp = mem.SelectObject(bmp);

    const int cell = CurrentCell();
    DrawBackground(mem, w, h);
    if (m_strip && m_stripPixels) {  // without them (GDI out of memory) no picture
        const int iw = static_cast<int>(m_strip->GetWidth());
        const int srcY = cell * m_cellHeight;
        const kit::StretchPlan plan = kit::PlanStretch(iw, w);
        CDC src;
        src.CreateCompatibleDC(mem);
        HGDIOBJ old = src.SelectObject(m_stripPixels);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::GdiAlphaBlend(mem, plan.leftX, 0, iw, m_cellHeight, src, 0, srcY, iw, m_cellHeight, blend);
        if (plan.stretched) {
            ::GdiAlphaBlend(mem, plan.rightX, 0, iw, m_cellHeight, src, 0, srcY, iw, m_cellHeight, blend);
            if (plan.stretchRight > plan.stretchLeft)
                ::GdiAlphaBlend(mem, plan.stretchLeft, 0, plan.stretchRight - plan.stretchLeft, m_cellHeight, src,
                                plan.srcColumn, srcY, 1, m_cellHeight, blend);
        }
        src.SelectObject(old);
    }
    if (m_icon) {
        Gdiplus::Graphics g(mem.GetSafeHdc());
        g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        const int iw = static_cast<int>(m_icon->GetWidth()), ih = static_cast<int>(m_icon->GetHeight());
        const int x = m_iconX > 0 ? m_iconX : (w - iw) / 2;
        const int y = m_iconY > 0 ? m_iconY : (h - ih) / 2;
        g.DrawImage(m_icon, x, y, iw, ih);
    }
    CString text = GetWindowText();
    if (!text.IsEmpty()) {
        COLORREF colour;
        if (!m_enabled)
            colour = m_colorDisabled;
        else if (m_checkMode && m_checked)
            colour = m_pressed ? m_colorCheckedPressed : m_hover ? m_colorCheckedHover : m_colorChecked;
        else
            colour = m_pressed ? m_colorPressed : m_hover ? m_colorHover : m_colorNormal;
        HGDIOBJ oldFont = mem.SelectObject(GetFont());
        mem.SetBkMode(TRANSPARENT);
        mem.SetTextColor(colour);
        CRect rc(0, 0, w, h);
        rc.OffsetRect(m_textX, m_textY);
        mem.DrawText(text, &rc, m_textX <= 0 ? (DT_CENTER | DT_VCENTER | DT_SINGLELINE) : (DT_VCENTER | DT_SINGLELINE));
        mem.SelectObject(oldFont);
    }
    // The keyboard's place, unless the user works with the mouse only.
    if ((dis->itemState & ODS_FOCUS) && !(dis->itemState & ODS_NOFOCUSRECT)) {
        RECT focus{2, 2, w - 2, h - 2};
        ::DrawFocusRect(mem, &focus);
    }
    ::BitBlt(dis->hDC, item.left, item.top, w, h, mem, 0, 0, SRCCOPY);
    mem.SelectObject(oldBmp);
}
