#include "workbench/bottom/WndProgress.h"

#include "ui/kit/Memdc.h"

BEGIN_MESSAGE_MAP(CWndProgress, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

int CWndProgress::OnCreate(LPCREATESTRUCT cs)
{
    if (CWnd::OnCreate(cs) < 0)
        return -1;
    m_font.CreateSimple("Arial", -11, FW_BOLD);
    m_skin.Load(true);
    m_barWidth = GetClientRect().Width() - 6;
    return 0;
}

void CWndProgress::OnSize(UINT, int cx, int)
{
    m_barWidth = cx - 6;
}

void CWndProgress::OnPaint()
{
    CPaintDC paint(m_hWnd);
    const CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(240, 240, 240));
    {
        Gdiplus::Graphics g(dc.GetSafeHdc());
        m_skin.DrawTrack(g, kTrackLeft, m_barWidth, kTrackTop);
        m_skin.DrawFill(g, gauge::PlanFill(kTrackLeft, m_barWidth, m_used, m_total, m_skin.Widths(), true), kFillTop);
    }
    dc.SetTextColor(RGB(230, 230, 230));
    dc.SetBkMode(TRANSPARENT);
    HGDIOBJ old = dc.SelectObject(m_font);
    CRect text(client.left + 10, client.top + 10, client.right - 10, client.bottom);
    const UINT format = DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
    if (m_total != 0) {
        dc.DrawText(gauge::FlashUsedText(m_used).c_str(), -1, &text, format | DT_LEFT);
        dc.DrawText(gauge::FlashFreeText(m_used, m_total).c_str(), -1, &text, format | DT_RIGHT);
    }
    dc.DrawText("Flash Memory", -1, &text, format | DT_CENTER);
    dc.SelectObject(old);
}
