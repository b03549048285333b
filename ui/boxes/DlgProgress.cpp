#include "ui/boxes/DlgProgress.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/WaitLogic.h"
#include "ui/kit/XInfoTip.h"
#include "ui/WindowMessages.h"
#include "ui/kit/GdiPlusUtil.h"
#include "ui/kit/Memdc.h"

BEGIN_MESSAGE_MAP(CDlgProgress, CDialog)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CDlgProgress::CDlgProgress(HWND parent) : CDialog(IDD_PROGRESS, parent) {}

CDlgProgress::~CDlgProgress() { delete m_animation; }

int CDlgProgress::OnCreate(LPCREATESTRUCT cs) {
    int r = CDialog::OnCreate(cs);
    m_font.CreateSimple("Arial", -12, FW_BOLD);
    return r;
}

BOOL CDlgProgress::OnInitDialog() {
    CDialog::OnInitDialog();
    // No button tip stays over the box.
    CXInfoTip::HideAll();
    const waitbox::ModeInfo info = waitbox::InfoForMode(m_mode);
    m_status = info.textId ? CResources::LoadString(static_cast<UINT>(info.textId)) : CString();
    if (!info.cancelShown) {
        if (HWND cancel = GetDlgItem(IDCANCEL)) ::ShowWindow(cancel, SW_HIDE);
    }
    if (info.boxDisabled) EnableWindow(FALSE);

    CRect client = GetClientRect();
    {
        CClientDC dc(m_hWnd);
        HGDIOBJ old = dc.SelectObject(m_font);
        int textWidth = dc.MeasureText(m_status, m_status.GetLength()).cx;
        dc.SelectObject(old);
        // Centred once: the dots added later grow to the right without moving the text.
        m_statusRect.left = (client.Width() - textWidth) / 2;
        m_statusCentred = true;
    }
    m_animation = CGdiPlusUtil::LoadPng(IDP_WAIT_ANIMATION);
    SetTimer(kFrameTimer, 70);
    SetTimer(kNoticeTimer, 500);
    SetTimer(kDotTimer, 1000);
    if (!m_owner) m_owner = m_hParentWnd ? m_hParentWnd : GetParent();
    // An end asked for before the box existed is honoured now.
    if (m_endRequested) {
        m_endRequested = false;
        EndDialog(m_endResult);
    }
    return TRUE;
}

void CDlgProgress::End(int result) {
    if (m_hWnd && !m_ended) {
        EndDialog(result);
    } else if (!m_hWnd) {
        m_endRequested = true;
        m_endResult = result;
    }
}

void CDlgProgress::SetProgress(int done, int total) {
    m_progressDone = done;
    m_progressTotal = total;
    m_progressShown = 1;
    if (m_hWnd) Invalidate(FALSE);
}

void CDlgProgress::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    m_animRect.SetRect(cx / 2 - 21, 60, cx / 2 + 21, 102);
    const int left = m_statusRect.left;
    m_statusRect.SetRect(0, 20, cx, 50);
    if (m_statusCentred) m_statusRect.left = left;  // keep the centring of OnInitDialog
    m_barWidth = cx - 40;
}

void CDlgProgress::OnTimer(UINT_PTR id) {
    switch (id) {
    case kNoticeTimer: {
        KillTimer(kNoticeTimer);
        const UINT notice = waitbox::InfoForMode(m_mode).notice;
        if (notice && m_owner) ::PostMessageA(m_owner, notice, 0, 0);
        break;
    }
    case kFrameTimer:
        if (!m_progressShown) {
            m_frame = (m_frame + 1) % waitbox::kFrames;
            InvalidateRect(&m_animRect, FALSE);
        }
        break;
    case kDotTimer:
        waitbox::AdvanceDots(m_status, m_dotCounter);
        InvalidateRect(&m_statusRect, FALSE);
        if (waitbox::InfoForMode(m_mode).asksToEnd && m_owner &&
            ::SendMessageA(m_owner, WM_USER_QUERY_WAIT_END, 0, 0) != 0)
            OnOK();
        break;
    default:
        CDialog::OnTimer(id);
        break;
    }
}

void CDlgProgress::OnPaint() {
    CPaintDC paint(m_hWnd);
    CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(0xF0, 0xF0, 0xF0));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(0x171717);
    HGDIOBJ oldFont = dc.SelectObject(m_font);
    CRect status = m_statusRect;
    dc.DrawText(m_status, &status, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    dc.SelectObject(oldFont);
    if (m_progressShown) {
        CPen pen;
        pen.CreatePen(PS_SOLID, 1, 0x4E4E4E);
        CBrush brush(0xC8C8C8);
        HGDIOBJ oldPen = dc.SelectObject(pen), oldBrush = dc.SelectObject(brush);
        dc.Rectangle(20, 60, client.Width() - 20, 78);
        dc.SelectObject(oldPen);
        dc.SelectObject(oldBrush);
        const int fill = waitbox::BarFill(m_barWidth, m_progressDone, m_progressTotal);
        if (fill > 0) dc.FillSolidRect(CRect(21, 61, 21 + fill, 61 + 16), 0x828282);
    } else if (m_animation) {
        Gdiplus::Graphics g(dc.GetSafeHdc());
        g.DrawImage(m_animation, Gdiplus::Rect(m_animRect.left, m_animRect.top, waitbox::kFrameSize, waitbox::kFrameSize),
                    waitbox::kFrameSize * m_frame, 0, waitbox::kFrameSize, waitbox::kFrameSize, Gdiplus::UnitPixel);
    }
}

BOOL CDlgProgress::PreTranslateMessage(MSG* msg) {
    // Enter and Esc never close the wait box.
    if (IsEnterOrEsc(msg)) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

void CDlgProgress::OnDestroy() {
    CDialog::OnDestroy();
    KillTimer(kFrameTimer);
    KillTimer(kDotTimer);
    KillTimer(kNoticeTimer);
}
