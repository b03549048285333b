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

namespace {
const char kTitle[] = "Flash Memory";
}

BarLabels CWndProgress::Labels() const
{
    if (m_total == 0)
        return {std::string(), kTitle, std::string()};
    return {gauge::FlashUsedText(m_used), kTitle, gauge::FlashFreeText(m_used, m_total)};
}

gauge::BarTexts CWndProgress::TextSpans() const
{
    const CRect client = GetClientRect();
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(m_font);
    const gauge::BarTexts t = MeasureBarTexts(dc, client.left + 10, client.right - 10, Labels());
    dc.SelectObject(old);
    return t;
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
    DrawBarTexts(dc, client.left + 10, client.right - 10, client.top + 10, client.bottom, Labels(),
                 DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    dc.SelectObject(old);
}
