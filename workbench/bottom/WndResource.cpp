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

BarLabels CWndResource::Labels(int row) const
{
    const int record = gauge::ResourceRecordOfRow(row, m_task);
    const uint32_t total = m_rows ? static_cast<uint32_t>(m_rows[record][0]) : 0;
    const uint32_t used = m_rows ? static_cast<uint32_t>(m_rows[record][1]) : 0;
    if (total == 0)
        return {std::string(), gauge::ResourceRecordName(record), std::string()};
    return {gauge::ResourceUsedText(record, used), gauge::ResourceRecordName(record),
            gauge::ResourceFreeText(record, used, total)};
}

gauge::BarTexts CWndResource::TextSpans(int row) const
{
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(m_font);
    const gauge::BarTexts t = MeasureBarTexts(dc, (row < 4 ? kGlobalX : kTaskX) + 6, kGlobalX + m_barWidth - 6, Labels(row));
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
        const BarLabels labels = Labels(row);
        if (total == 0) {
            dc.SetTextColor(RGB(96, 96, 96));
            DrawBarTexts(dc, x + 6, right - 6, y, y + 20, labels, format);
            dc.SetTextColor(RGB(230, 230, 230));
            continue;
        }
        {
            Gdiplus::Graphics g(dc.GetSafeHdc());
            m_skin.DrawTrack(g, x, right, y);
            m_skin.DrawFill(g, gauge::PlanFill(x, right, used, total, m_skin.Widths(), false), y + 1);
        }
        DrawBarTexts(dc, x + 6, right - 6, y, y + 20, labels, format);
    }
    dc.SelectObject(old);
}
