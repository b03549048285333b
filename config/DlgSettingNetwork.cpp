#include "config/DlgSettingNetwork.h"

#include "config/ComboInit.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"

#include <commctrl.h>

namespace {
const int kIpv4Ids[NetworkPageState::kIpv4Count] = {IDC_NET_IP, IDC_NET_MASK, IDC_NET_GATEWAY, IDC_NET_DNS};
}

BEGIN_MESSAGE_MAP(CDlgSettingNetwork, CDialog)
ON_BN_CLICKED(IDC_NET_STATIC, OnStatic)
ON_BN_CLICKED(IDC_NET_DHCP, OnDhcp)
ON_BN_CLICKED(IDC_NET_DNS_AUTO, OnDnsAuto)
END_MESSAGE_MAP()

CDlgSettingNetwork::CDlgSettingNetwork(HWND parent) : CDialog(IDD_SETTING_NETWORK, parent) {}

BOOL CDlgSettingNetwork::PreTranslateMessage(MSG* msg) {
    if (IsEnterOrEsc(msg)) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CDlgSettingNetwork::OnInitDialog() {
    CDialog::OnInitDialog();
    FillCombosFromResource(m_hWnd, IDD_SETTING_NETWORK);
    ::SendDlgItemMessageA(m_hWnd, IDC_NET_PREFIX, EM_LIMITTEXT, 3, 0);
    return TRUE;
}

void CDlgSettingNetwork::ReadControls() {
    NetworkPageState& s = m_model->State();
    for (int i = 0; i < NetworkPageState::kIpv4Count; ++i) {
        DWORD value = 0;
        HWND ip = GetDlgItem(kIpv4Ids[i]);
        const bool blank = ::SendMessageA(ip, IPM_ISBLANK, 0, 0) != 0;
        if (!blank) ::SendMessageA(ip, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value));
        s.ipv4[i] = value;
        s.ipv4Shown[i] = !blank;
    }
    s.isStatic = ::IsDlgButtonChecked(m_hWnd, IDC_NET_STATIC) == BST_CHECKED;
    s.dnsAuto = ::IsDlgButtonChecked(m_hWnd, IDC_NET_DNS_AUTO) == BST_CHECKED;
    s.ipv6Sel = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_NET_IPV6, CB_GETCURSEL, 0, 0));
    s.euiSel = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_NET_EUI, CB_GETCURSEL, 0, 0));
    s.ipv6Static = ::IsDlgButtonChecked(m_hWnd, IDC_NET_IPV6_STATIC) == BST_CHECKED;
    s.ipv6Address = GetDlgItemText(IDC_NET_IPV6_IP).str();
    s.ipv6Prefix = GetDlgItemText(IDC_NET_PREFIX).str();
    s.ipv6Gateway = GetDlgItemText(IDC_NET_IPV6_GATEWAY).str();
    s.ipv6Dns = GetDlgItemText(IDC_NET_IPV6_DNS).str();
}

void CDlgSettingNetwork::WriteControls() {
    const NetworkPageState& s = m_model->State();
    for (int i = 0; i < NetworkPageState::kIpv4Count; ++i) {
        HWND ip = GetDlgItem(kIpv4Ids[i]);
        if (s.ipv4Shown[i])
            ::SendMessageA(ip, IPM_SETADDRESS, 0, static_cast<LPARAM>(s.ipv4[i]));
        else
            ::SendMessageA(ip, IPM_CLEARADDRESS, 0, 0);
        ::EnableWindow(ip, s.ipv4Enabled[i]);
    }
    ::CheckRadioButton(m_hWnd, IDC_NET_STATIC, IDC_NET_DHCP, s.isStatic ? IDC_NET_STATIC : IDC_NET_DHCP);
    ::EnableWindow(GetDlgItem(IDC_NET_STATIC), s.radiosEnabled);
    ::EnableWindow(GetDlgItem(IDC_NET_DHCP), s.radiosEnabled);
    ::CheckDlgButton(m_hWnd, IDC_NET_DNS_AUTO, s.dnsAuto ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(GetDlgItem(IDC_NET_DNS_AUTO), s.dnsAutoEnabled);
    ::SendDlgItemMessageA(m_hWnd, IDC_NET_IPV6, CB_SETCURSEL, static_cast<WPARAM>(s.ipv6Sel), 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_NET_EUI, CB_SETCURSEL, static_cast<WPARAM>(s.euiSel), 0);
    ::CheckRadioButton(m_hWnd, IDC_NET_IPV6_STATIC, IDC_NET_IPV6_AUTO,
                       s.ipv6Static ? IDC_NET_IPV6_STATIC : IDC_NET_IPV6_AUTO);
    SetDlgItemText(IDC_NET_IPV6_IP, s.ipv6Address.c_str());
    SetDlgItemText(IDC_NET_PREFIX, s.ipv6Prefix.c_str());
    SetDlgItemText(IDC_NET_IPV6_GATEWAY, s.ipv6Gateway.c_str());
    SetDlgItemText(IDC_NET_IPV6_DNS, s.ipv6Dns.c_str());
    for (int id : {IDC_NET_IPV6, IDC_NET_EUI, IDC_NET_IPV6_STATIC, IDC_NET_IPV6_AUTO, IDC_NET_IPV6_IP, IDC_NET_PREFIX,
                   IDC_NET_IPV6_GATEWAY, IDC_NET_IPV6_DNS})
        ::EnableWindow(GetDlgItem(id), !s.ipv6Locked);
}

void CDlgSettingNetwork::Fill() {
    if (!m_pSettings) return;
    m_model.reset(new CNetworkPageModel(*m_pSettings, m_wired != 0));
    m_model->SetWlanOn(m_wlanOn != 0);
    m_model->Fill();
    WriteControls();
}

void CDlgSettingNetwork::ApplyEnabling(int topology) {
    if (!m_model) return;
    ReadControls();
    m_model->SetWlanOn(m_wlanOn != 0);
    m_model->ApplyEnabling(topology);
    WriteControls();
}

void CDlgSettingNetwork::OnStatic() {
    if (!m_model) return;
    // The click has checked the radio already: the model goes from the state it last showed.
    const bool wasStatic = m_model->State().isStatic;
    ReadControls();
    m_model->State().isStatic = wasStatic;
    m_model->OnStaticClicked();
    WriteControls();
}

void CDlgSettingNetwork::OnDhcp() {
    if (!m_model) return;
    ReadControls();
    m_model->OnDhcpClicked();
    WriteControls();
}

void CDlgSettingNetwork::OnDnsAuto() {
    if (!m_model) return;
    ReadControls();
    m_model->OnDnsAutoClicked(m_model->State().dnsAuto);
    WriteControls();
}

int CDlgSettingNetwork::Store() {
    if (!m_model) return 1;
    ReadControls();
    const CNetworkPageModel::StoreResult r = m_model->Store();
    if (r.stored) return 1;
    ShowMessage(m_hWnd, r.messageId, MB_ICONEXCLAMATION);
    static const int focusIds[] = {0, IDC_NET_IPV6_IP, IDC_NET_IPV6_GATEWAY, IDC_NET_IPV6_DNS, IDC_NET_PREFIX};
    if (::IsWindow(m_hWnd)) ::SetFocus(GetDlgItem(focusIds[r.focus]));
    return 0;
}
