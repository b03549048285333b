#include "workbench/bottom/WndProgress.h"

#include "workbench/kit/Memdc.h"

#include <cstdio>

BEGIN_MESSAGE_MAP(CWndProgress, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

int CWndProgress::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) < 0) return -1;
    m_font.CreateSimple("Arial", -11, FW_BOLD);
    return 0;
}

void CWndProgress::OnPaint() {
    CPaintDC paint(m_hWnd);
    const CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(240, 240, 240));
    CRect track(3, client.Height() - 17, client.Width() - 3, client.Height() - 5);
    dc.FillSolidRect(track, RGB(200, 200, 200));
    if (m_total > 0 && m_used > 0) {
        const long long fill = static_cast<long long>(track.Width()) * (m_used > m_total ? m_total : m_used) / m_total;
        CRect part = track;
        part.right = part.left + static_cast<int>(fill);
        dc.FillSolidRect(part, m_used > m_total ? RGB(220, 60, 40) : RGB(33, 143, 255));
    }
    char text[64];
    snprintf(text, sizeof text, "%u KB / %u KB", m_used / 1024, m_total / 1024);
    dc.SetBkMode(TRANSPARENT);
    HGDIOBJ old = dc.SelectObject(m_font);
    CRect line(3, 2, client.Width() - 3, client.Height() - 18);
    dc.DrawText(text, -1, &line, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    dc.SelectObject(old);
}
