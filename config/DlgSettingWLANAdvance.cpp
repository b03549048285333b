#include "config/DlgSettingWLANAdvance.h"

#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CDlgSettingWLANAdvance, CDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_ADV_PHY_AUTO, IDC_ADV_PHY_11BG, OnPhy)
END_MESSAGE_MAP()

CDlgSettingWLANAdvance::CDlgSettingWLANAdvance(HWND parent) : CDialog(IDD_WLAN_ADVANCE, parent) {}

BOOL CDlgSettingWLANAdvance::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CDlgSettingWLANAdvance::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_state.phy >= 0 && m_state.phy <= 3)
        ::CheckRadioButton(m_hWnd, IDC_ADV_PHY_AUTO, IDC_ADV_PHY_11BG, IDC_ADV_PHY_AUTO + m_state.phy);
    ::EnableWindow(GetDlgItem(IDC_ADV_BGSCAN), FALSE);
    ::CheckDlgButton(m_hWnd, IDC_ADV_PREAMBLE, m_state.shortPreamble ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, IDC_ADV_SLOT, m_state.shortSlot ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, IDC_ADV_CTS, m_state.cts ? BST_CHECKED : BST_UNCHECKED);
    ApplyRules();
    return TRUE;
}

void CDlgSettingWLANAdvance::SaveChecks() {
    m_state.shortPreamble = ::IsDlgButtonChecked(m_hWnd, IDC_ADV_PREAMBLE) == BST_CHECKED;
    m_state.shortSlot = ::IsDlgButtonChecked(m_hWnd, IDC_ADV_SLOT) == BST_CHECKED;
    m_state.cts = ::IsDlgButtonChecked(m_hWnd, IDC_ADV_CTS) == BST_CHECKED;
    m_state.phy = -1;
    for (int i = 0; i < 4; ++i)
        if (::IsDlgButtonChecked(m_hWnd, IDC_ADV_PHY_AUTO + i) == BST_CHECKED) m_state.phy = i;
}

void CDlgSettingWLANAdvance::ApplyRules() {
    SaveChecks();
    CWlanPageModel::ApplyPhyRules(m_state, m_topology);
    // A disabled box keeps its check.
    ::EnableWindow(GetDlgItem(IDC_ADV_PREAMBLE), m_state.preambleEnabled);
    ::EnableWindow(GetDlgItem(IDC_ADV_SLOT), m_state.slotEnabled);
    ::EnableWindow(GetDlgItem(IDC_ADV_CTS), m_state.ctsEnabled);
}

void CDlgSettingWLANAdvance::OnPhy(UINT) { ApplyRules(); }

void CDlgSettingWLANAdvance::OnOK() {
    SaveChecks();
    EndDialog(IDOK);
}
