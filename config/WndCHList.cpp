#include "config/WndCHList.h"

#include "config/ScanListRules.h"

BEGIN_MESSAGE_MAP(CWndCHList, CWndScanList)
    ON_WM_CREATE()
END_MESSAGE_MAP()

int CWndCHList::OnCreate(LPCREATESTRUCT cs) {
    m_boldFont.CreateSimple("Arial", -12, FW_BOLD);
    return CWndScanList::OnCreate(cs);
}

int CWndCHList::RowCount() const { return m_hasRecords && !m_records.empty() ? ScanListRules::kChannels : 0; }

void CWndCHList::DrawRows(CDC& dc, const CRect& client) {
    const int pos = GetScrollPosition(), h = m_nRowHeight;
    for (int row = pos / h, y = -(pos % h); row < RowCount() && y < client.bottom; ++row, y += h) {
        const ScanListRules::ChannelRow line = ScanListRules::Channel(m_records, row + 1);
        SelectRowColours(dc, CRect(0, y, client.right, y + h), row == m_nSelect);
        HGDIOBJ old = dc.SelectObject(m_boldFont);
        CRect top(3, y, client.right, y + h / 2);
        dc.DrawText(line.heading.c_str(), static_cast<int>(line.heading.size()), &top,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        dc.SelectObject(old);
        CRect bottom(6, y + h / 2, client.right, y + h);
        dc.DrawText(line.ssids.c_str(), static_cast<int>(line.ssids.size()), &bottom,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_WORD_ELLIPSIS);
    }
}
