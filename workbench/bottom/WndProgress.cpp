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

gauge::BarTexts CWndProgress::TextSpans() const
{
    const CRect client = GetClientRect();
    const std::string used = m_total != 0 ? gauge::FlashUsedText(m_used) : std::string();
    const std::string free = m_total != 0 ? gauge::FlashFreeText(m_used, m_total) : std::string();
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(m_font);
    auto width = [&](const std::string& s) { return s.empty() ? 0 : dc.MeasureText(s.c_str(), static_cast<int>(s.size())).cx; };
    const gauge::BarTexts t =
        gauge::PlaceBarTexts(client.left + 10, client.right - 10, width(used), width(kTitle), width(free));
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
    // Each text in its own span, so the title never runs into the figures
    // on a narrow bar or with wide numbers.
    const gauge::BarTexts spans = TextSpans();
    const UINT format = DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
    auto draw = [&](const std::string& s, const gauge::TextSpan& span, UINT align) {
        CRect text(span.left, client.top + 10, span.right, client.bottom);
        if (!s.empty() && span.Width() > 0)
            dc.DrawText(s.c_str(), -1, &text, format | align);
    };
    if (m_total != 0) {
        draw(gauge::FlashUsedText(m_used), spans.used, DT_LEFT);
        draw(gauge::FlashFreeText(m_used, m_total), spans.free, DT_RIGHT);
    }
    draw(kTitle, spans.title, DT_CENTER);
    dc.SelectObject(old);
}
