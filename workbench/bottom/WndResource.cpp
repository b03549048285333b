#include "workbench/bottom/WndResource.h"

#include "resources/resource.h"
#include "ui/kit/Memdc.h"

BEGIN_MESSAGE_MAP(CWndResource, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_CBN_SELCHANGE(IDC_RESOURCE_TASK, OnTaskChange)
END_MESSAGE_MAP()

int CWndResource::OnCreate(LPCREATESTRUCT cs)
{
    if (CWnd::OnCreate(cs) < 0)
        return -1;
    m_font.CreateSimple("Arial", -12, FW_BOLD);
    m_comboFont.CreateSimple("Arial", -12, FW_NORMAL);
    m_skin.Load(false);
    m_combo.CreateEx(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, CRect(), m_hWnd,
                     IDC_RESOURCE_TASK);
    m_combo.SetFont(m_comboFont);
    for (int k = 0; k < gauge::kTaskItems; ++k)
        m_combo.AddString(gauge::TaskItemName(k));
    m_combo.SetCurSel(0);
    return 0;
}

void CWndResource::OnSize(UINT, int cx, int)
{
    m_barWidth = cx - 10;
    // The height given to a drop-down list is that of the open list too.
    m_combo.MoveWindow(5, 105, 60, 120);
}

void CWndResource::OnTaskChange()
{
    const int sel = m_combo.GetCurSel();
    m_task = sel >= 0 && sel < gauge::kTaskItems ? sel : 0;
    Invalidate();
}

gauge::BarTexts CWndResource::TextSpans(int row) const
{
    const int record = gauge::ResourceRecordOfRow(row, m_task);
    const int x = row < 4 ? kGlobalX : kTaskX;
    const uint32_t total = m_rows ? static_cast<uint32_t>(m_rows[record][0]) : 0;
    const uint32_t used = m_rows ? static_cast<uint32_t>(m_rows[record][1]) : 0;
    const std::string left = total != 0 ? gauge::ResourceUsedText(record, used) : std::string();
    const std::string right = total != 0 ? gauge::ResourceFreeText(record, used, total) : std::string();
    const std::string name = gauge::ResourceRecordName(record);
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(m_font);
    auto width = [&](const std::string& s) {
        return s.empty() ? 0 : dc.MeasureText(s.c_str(), static_cast<int>(s.size())).cx;
    };
    const gauge::BarTexts t =
        gauge::PlaceBarTexts(x + 6, kGlobalX + m_barWidth - 6, width(left), width(name), width(right));
    dc.SelectObject(old);
    return t;
}

void CWndResource::OnPaint()
{
    CPaintDC paint(m_hWnd);
    const CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(255, 255, 255));
    dc.FillSolidRect(CRect(0, 100, client.right, 155), RGB(210, 210, 210));
    dc.SetTextColor(RGB(230, 230, 230));
    dc.SetBkMode(TRANSPARENT);
    HGDIOBJ old = dc.SelectObject(m_font);
    const int right = kGlobalX + m_barWidth;
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    for (int row = 0; row < gauge::kResourceRows; ++row) {
        const int record = gauge::ResourceRecordOfRow(row, m_task);
        const int x = row < 4 ? kGlobalX : kTaskX;
        const int y = kRowTop + kRowStep * row;
        const uint32_t total = m_rows ? static_cast<uint32_t>(m_rows[record][0]) : 0;
        const uint32_t used = m_rows ? static_cast<uint32_t>(m_rows[record][1]) : 0;
        // Each text in its own span: on a narrow pane or with long counts the
        // name is cut between the numbers instead of running into them.
        const gauge::BarTexts spans = TextSpans(row);
        auto draw = [&](const std::string& s, const gauge::TextSpan& span, UINT align) {
            CRect text(span.left, y, span.right, y + 20);
            if (!s.empty() && span.Width() > 0)
                dc.DrawText(s.c_str(), -1, &text, format | align);
        };
        if (total == 0) {
            dc.SetTextColor(RGB(96, 96, 96));
            draw(gauge::ResourceRecordName(record), spans.title, DT_CENTER);
            dc.SetTextColor(RGB(230, 230, 230));
            continue;
        }
        {
            Gdiplus::Graphics g(dc.GetSafeHdc());
            m_skin.DrawTrack(g, x, right, y);
            m_skin.DrawFill(g, gauge::PlanFill(x, right, used, total, m_skin.Widths(), false), y + 1);
        }
        draw(gauge::ResourceUsedText(record, used), spans.used, DT_LEFT);
        draw(gauge::ResourceRecordName(record), spans.title, DT_CENTER);
        draw(gauge::ResourceFreeText(record, used, total), spans.free, DT_RIGHT);
    }
    dc.SelectObject(old);
}
