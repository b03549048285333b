#include "ui/kit/SkinListCtrl.h"

#include "ui/kit/Memdc.h"

BEGIN_MESSAGE_MAP(CSkinListCtrl, CListCtrl)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CSkinListCtrl::OnPaint() {
    CPaintDC dc(m_hWnd);
    CRect rc = GetClientRect();
    if (HWND header = GetHeaderCtrl()) {
        if (::IsWindowVisible(header)) {
            CRect hr;
            ::GetWindowRect(header, &hr);
            rc.top += hr.Height();
        }
    }
    if (rc.IsRectEmpty()) return;
    // The header paints itself; the rows go through one off-screen bitmap.
    ::IntersectClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
    dc.SetBkColor(kGround);
    CMemdc mem(dc, rc);
    mem.FillSolidRect(rc, kGround);
    // Setting it only when it differs: the control repaints on some versions.
    if (static_cast<COLORREF>(SendMessage(LVM_GETTEXTBKCOLOR)) != kGround) SetTextBkColor(kGround);
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(mem.GetSafeHdc()), 0);
}
