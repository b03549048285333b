#include "ui/kit/XInfoTip.h"

#include "ui/kit/KitGeometry.h"

#include <set>

BEGIN_MESSAGE_MAP(CXInfoTip, CWnd)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

namespace {
// Every tip of the program (UI thread only), for HideAll.
std::set<CXInfoTip*>& Tips() {
    static std::set<CXInfoTip*> tips;
    return tips;
}
}  // namespace

CXInfoTip::CXInfoTip() { Tips().insert(this); }

void CXInfoTip::HideAll() {
    for (CXInfoTip* tip : Tips()) {
        if (!tip->m_hWnd) continue;
        tip->KillTimer(kShowTimer);
        tip->KillTimer(kWatchTimer);
        tip->Hide();
    }
}

bool CXInfoTip::Usable(HWND tool) {
    return tool && ::IsWindowEnabled(tool) && ::IsWindowVisible(tool) && ::IsWindowEnabled(::GetAncestor(tool, GA_ROOT));
}

CXInfoTip::~CXInfoTip() {
    Tips().erase(this);
    m_tools.clear();
    if (m_hWnd) DestroyWindow();
}

bool CXInfoTip::Create(HWND parent) {
    if (!m_hWnd && !CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 0, 0), parent, 0)) return false;
    m_font.CreateFont(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 5, 1, 0, 0, "Tahoma");
    return true;
}

void CXInfoTip::AddTool(HWND tool, const char* text) {
    Hide();
    TipToolInfo info;
    info.text = text;
    m_tools[tool] = info;
}

BOOL CXInfoTip::AddToolEx(HWND tool, const char* text) {
    AddTool(tool, text);
    return TRUE;
}

void CXInfoTip::Show(const char* text, const POINT* point) {
    if (point)
        m_point = *point;
    else
        ::GetCursorPos(&m_point);
    m_text = text;
    if (m_hWnd) m_timer = SetTimer(kShowTimer, m_delay);
}

void CXInfoTip::SetIcon(HICON icon) {
    m_icon = icon;
    m_iconWidth = m_iconHeight = 0;
    ICONINFO ii{};
    if (icon && ::GetIconInfo(icon, &ii)) {
        m_iconWidth = 2 * static_cast<int>(ii.xHotspot & 0xFF);
        m_iconHeight = 2 * static_cast<int>(ii.yHotspot & 0xFF);
        if (ii.hbmMask) ::DeleteObject(ii.hbmMask);
        if (ii.hbmColor) ::DeleteObject(ii.hbmColor);
    }
    if (m_hWnd && ::IsWindow(m_hWnd)) Invalidate(FALSE);
}

void CXInfoTip::RelayEvent(const MSG* msg) {
    switch (msg->message) {
    case WM_MOUSEMOVE: {
        POINT pt;
        ::GetCursorPos(&pt);
        if ((pt.x != m_point.x || pt.y != m_point.y)) {
            auto it = m_tools.find(::WindowFromPoint(pt));
            if (it != m_tools.end()) {
                m_point = pt;
                SetIcon(it->second.icon);
                Show(it->second.text, &pt);
            }
        }
        if (pt.x != m_point.x || pt.y != m_point.y) Hide();
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Hide();
        break;
    default:
        break;
    }
}

bool CXInfoTip::MayShow() {
    HWND focus = ::GetFocus();
    if (!focus) return false;
    char caption[32] = {};
    ::GetWindowTextA(focus, caption, sizeof caption);
    return lstrcmpA(caption, "NPSTransMenu") != 0;
}

CSize CXInfoTip::MeasureTip(const char* text) {
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(m_font);
    CRect rc(0, 0, 0, 0);
    dc.DrawText(text, -1, &rc, DT_CALCRECT);
    dc.SelectObject(old);
    rc.InflateRect(5, 2);
    return rc.Size();
}

void CXInfoTip::OnTimer(UINT_PTR id) {
    if (id == kShowTimer) {
        KillTimer(kShowTimer);
        POINT pt;
        ::GetCursorPos(&pt);
        const HWND tool = ::WindowFromPoint(pt);
        if (!IsTool(tool) || !Usable(tool)) return;
        CSize size = MeasureTip(m_text);
        HRGN rgn = ::CreateRectRgn(0, 0, size.cx, size.cy);
        // The window owns the region once it is set.
        if (::SetWindowRgn(m_hWnd, rgn, TRUE))
            m_rgn = rgn;
        else
            ::DeleteObject(rgn);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        ::GetMonitorInfoA(::MonitorFromPoint(m_point, MONITOR_DEFAULTTONEAREST), &mi);
        int left = 0, top = 0;
        kit::PlaceTip(m_point.x, m_point.y, size.cx, size.cy,
                      {mi.rcMonitor.left, mi.rcMonitor.top, mi.rcMonitor.right, mi.rcMonitor.bottom},
                      {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom}, &left, &top);
        if (MayShow())
            SetWindowPos(HWND_TOPMOST, left, top, size.cx, size.cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        if (pt.x == m_point.x && pt.y == m_point.y)
            m_timer = SetTimer(kWatchTimer, 500);
        else
            Hide();
    } else if (id == kWatchTimer) {
        POINT pt;
        ::GetCursorPos(&pt);
        // A resting cursor keeps the tip only while its tool can be used: a
        // box opened over it (or a disabled button) would keep it for minutes.
        const HWND tool = ::WindowFromPoint(pt);
        if (pt.x != m_point.x || pt.y != m_point.y || !IsTool(tool) || !Usable(tool)) {
            KillTimer(kWatchTimer);
            Hide();
        }
    }
}

void CXInfoTip::OnPaint() {
    CPaintDC dc(m_hWnd);
    CRect rc = GetClientRect();
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    if (::GetWindowRgn(m_hWnd, rgn) == ERROR) {
        ::DeleteObject(rgn);
        rgn = ::CreateRectRgn(rc.left, rc.top, rc.right, rc.bottom);
    }
    CBrush white(RGB(255, 255, 255)), black(RGB(0, 0, 0));
    ::FillRgn(dc, rgn, white);
    ::FrameRgn(dc, rgn, black, 1, 1);
    ::DeleteObject(rgn);
    CRect text = rc;
    text.OffsetRect(0, 2);
    if (m_icon) text.left += m_iconWidth + 5;
    HGDIOBJ old = dc.SelectObject(m_font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.DrawText(m_text, &text, DT_CENTER | DT_VCENTER);
    dc.SelectObject(old);
    if (m_icon) ::DrawIconEx(dc, 12, 10, m_icon, m_iconWidth, m_iconHeight, 0, nullptr, DI_NORMAL);
}

void CXInfoTip::OnDestroy() {
    KillTimer(kShowTimer);
    KillTimer(kWatchTimer);
    CWnd::OnDestroy();
}
