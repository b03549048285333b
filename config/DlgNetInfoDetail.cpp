#include "config/DlgNetInfoDetail.h"

#include "resources/resource.h"

CDlgNetInfoDetail::CDlgNetInfoDetail() : CDialog(IDD_NET_INFO_DETAIL, nullptr) {}

BEGIN_MESSAGE_MAP(CDlgNetInfoDetail, CDialog)
    ON_WM_CREATE()
    ON_WM_SIZE()
END_MESSAGE_MAP()

int CDlgNetInfoDetail::OnCreate(LPCREATESTRUCT cs) {
    m_font.CreateSimple("Arial", -12, FW_NORMAL);
    return CDialog::OnCreate(cs);
}

BOOL CDlgNetInfoDetail::OnInitDialog() {
    CDialog::OnInitDialog();
    m_edit.SubclassDlgItem(IDC_NETINFO_TEXT, m_hWnd);
    m_edit.SetFont(m_font, TRUE);
    // Wine keeps only 30,000 characters unless told otherwise; a long ARP
    // table must not be cut.
    m_edit.SetLimitText(0x7FFFFFFE);
    return TRUE;
}

void CDlgNetInfoDetail::SetReportText(const char* text) {
    if (m_edit.m_hWnd) m_edit.SetWindowText(text);
}

void CDlgNetInfoDetail::OnSize(UINT, int cx, int cy) {
    if (m_edit.m_hWnd) m_edit.MoveWindow(5, 5, cx - 10, cy - 10);
}

BOOL CDlgNetInfoDetail::PreTranslateMessage(MSG* msg) {
    return IsEnterOrEsc(msg) ? TRUE : CDialog::PreTranslateMessage(msg);
}
