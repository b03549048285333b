#include "config/DlgNetInfo.h"

#include "config/NetInfoReport.h"
#include "framework/Resources.h"
#include "resources/resource.h"

CDlgNetInfo::CDlgNetInfo(HWND parent) : CDialog(IDD_NET_INFO, parent) {}

BEGIN_MESSAGE_MAP(CDlgNetInfo, CDialog)
    ON_NOTIFY(TCN_SELCHANGE, IDC_NETINFO_TAB, OnTcnSelchangeTab)
END_MESSAGE_MAP()

BOOL CDlgNetInfo::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CDlgNetInfo::OnInitDialog() {
    CDialog::OnInitDialog();
    m_tab.SubclassDlgItem(IDC_NETINFO_TAB, m_hWnd);
    m_tab.InsertItem(0, CResources::LoadString(IDS_NETWORK));
    m_tab.InsertItem(1, CResources::LoadString(IDS_WIRELESS_LAN));

    m_page.Create(IDD_NET_INFO_DETAIL, m_tab.m_hWnd);
    const CRect tab = m_tab.GetClientRect();
    m_page.SetWindowPos(nullptr, 2, 22, tab.Width() - 6, tab.Height() - 25, SWP_NOZORDER | SWP_SHOWWINDOW);

    const bool korean = m_langId == 0x412;
    m_tab.InsertItem(2, NetInfoReport::NeighbourTabText(korean));
    CString timeFormat = CResources::LoadString(IDS_UPTIME_FORMAT);
    if (timeFormat.IsEmpty()) timeFormat = "%I64ddays / %02d:%02d:%02d";
    m_strNetwork = NetInfoReport::Network(m_info, korean, timeFormat.str());
    m_strWireless = NetInfoReport::Wireless(m_hasWlanStatus ? &m_info.wlan : nullptr, korean);
    m_strNeighbour = NetInfoReport::Neighbours(m_hasArpList ? &m_info.arp : nullptr,
                                               m_hasNeighbourList ? &m_info.neighbours : nullptr, korean);
    m_page.SetReportText(m_strNetwork);
    return TRUE;
}

void CDlgNetInfo::OnTcnSelchangeTab(NMHDR*, LRESULT* result) {
    const int sel = m_tab.GetCurSel();
    m_page.SetReportText(sel == 1 ? m_strWireless : sel == 2 ? m_strNeighbour : m_strNetwork);
    *result = 0;
}
