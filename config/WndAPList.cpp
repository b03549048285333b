#include "config/WndAPList.h"

#include "config/ScanListRules.h"
#include "ui/kit/GdiPlusUtil.h"

BEGIN_MESSAGE_MAP(CWndAPList, CWndScanList)
    ON_WM_CREATE()
END_MESSAGE_MAP()

CWndAPList::~CWndAPList() {
    for (Gdiplus::Bitmap*& b : m_images) delete b;
}

int CWndAPList::OnCreate(LPCREATESTRUCT cs) {
    for (unsigned i = 0; i < 5; ++i) m_images[i] = CGdiPlusUtil::LoadPng(ScanListRules::kLockImage + i);
    return CWndScanList::OnCreate(cs);
}

Gdiplus::Bitmap* CWndAPList::Image(unsigned id) {
    const unsigned i = id - ScanListRules::kLockImage;
    return i < 5 ? m_images[i] : nullptr;
}

const ScanRecord* CWndAPList::GetSelectedRecord() const {
    return m_nSelect >= 0 && m_nSelect < RowCount() ? &m_records[static_cast<size_t>(m_nSelect)] : nullptr;
}

CString CWndAPList::GetSelectedSSID() const {
    const ScanRecord* r = GetSelectedRecord();
    return r ? CString(r->ssid) : CString();
}

void CWndAPList::DrawRows(CDC& dc, const CRect& client) {
    const int pos = GetScrollPosition(), h = m_nRowHeight;
    Gdiplus::Graphics g(dc);
    for (int row = pos / h, y = -(pos % h); row < RowCount() && y < client.bottom; ++row, y += h) {
        const ScanRecord& r = m_records[static_cast<size_t>(row)];
        CRect rc(0, y, client.right, y + h);
        SelectRowColours(dc, rc, row == m_nSelect);
        for (unsigned id : {ScanListRules::SignalImage(r.signal), r.IsSecured() ? 0u + ScanListRules::kLockImage : 0u}) {
            Gdiplus::Bitmap* image = id ? Image(id) : nullptr;
            if (!image) continue;
            const int iw = static_cast<int>(image->GetWidth()), ih = static_cast<int>(image->GetHeight());
            g.DrawImage(image, 3, y + (h - ih) / 2, iw, ih);
        }
        CRect text(25, y, client.right, y + h);
        dc.DrawText(r.ssid.c_str(), static_cast<int>(r.ssid.size()), &text,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_WORD_ELLIPSIS);
    }
}
