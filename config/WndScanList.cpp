#include "config/WndScanList.h"

#include "config/ScanListRules.h"
#include "ui/kit/Memdc.h"

namespace {
constexpr COLORREF kSelected = 0xFF8F21;  // RGB(33, 143, 255)
}

BEGIN_MESSAGE_MAP(CWndScanList, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_MESSAGE(WM_VSCROLL, OnVScroll)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheel)
END_MESSAGE_MAP()

bool CWndScanList::CreateList(HWND parent) {
    if (!m_font.GetSafeHandle()) m_font.CreateSimple("Arial", -12, FW_NORMAL);
    return CreateEx(0, OwnClassName(), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER, CRect(0, 0, 10, 10),
                    parent, 0);
}

void CWndScanList::SetMessageText(const char* text) {
    m_strMessage = text;
    if (m_hWnd) Invalidate();
}

void CWndScanList::SetRecords(const std::vector<ScanRecord>* records) {
    m_hasRecords = records != nullptr;
    m_records = records ? *records : std::vector<ScanRecord>();
    if (m_nSelect >= RowCount()) m_nSelect = -1;
}

void CWndScanList::UpdateScrollBar() {
    if (!m_hWnd || !m_hasRecords) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMin = 0;
    si.nMax = RowCount() * m_nRowHeight;
    si.nPage = static_cast<UINT>(GetClientRect().Height() + 1);
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void CWndScanList::SelectRowColours(CDC& dc, const CRect& row, bool selected) {
    if (selected) dc.FillSolidRect(row, kSelected);
    dc.SetTextColor(selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
}

void CWndScanList::OnPaint() {
    CPaintDC paint(m_hWnd);
    const CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(255, 255, 255));
    dc.SetBkMode(TRANSPARENT);
    HGDIOBJ oldFont = dc.SelectObject(m_font);
    if (m_nMode == kModeMessage) {
        CRect rc = client;
        dc.DrawText(m_strMessage, &rc, DT_SINGLELINE | DT_NOPREFIX | DT_WORD_ELLIPSIS);
    } else if (m_hasRecords) {
        DrawRows(dc, client);
    }
    dc.SelectObject(oldFont);
}

void CWndScanList::OnLButtonDown(UINT, CPoint point) {
    SetFocus();
    if (m_nMode != kModeRecords || !m_hasRecords) return;
    m_nSelect = ScanListRules::RowAt(GetScrollPosition(), point.y, m_nRowHeight, RowCount());
    Invalidate();
}

LRESULT CWndScanList::OnVScroll(WPARAM wParam, LPARAM) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ::GetScrollInfo(m_hWnd, SB_VERT, &si);
    const int code = LOWORD(wParam);
    if (code == SB_ENDSCROLL) return 0;
    const int pos = ScanListRules::Scroll(code, si.nPos, si.nTrackPos, m_nRowHeight, static_cast<int>(si.nPage),
                                          si.nMax);
    ::SetScrollPos(m_hWnd, SB_VERT, pos, TRUE);
    Invalidate();
    return 0;
}

LRESULT CWndScanList::OnMouseWheel(WPARAM wParam, LPARAM) {
    const short delta = static_cast<short>(HIWORD(wParam));
    SendMessage(WM_VSCROLL, delta < 0 ? SB_LINEDOWN : SB_LINEUP);
    return 0;
}
