#include "config/DlgSettingWLANIDPW.h"

#include "resources/resource.h"

CDlgSettingWLANIDPW::CDlgSettingWLANIDPW(HWND parent) : CDialog(IDD_WLAN_IDPW, parent) {}

BOOL CDlgSettingWLANIDPW::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CDlgSettingWLANIDPW::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_mode == kPasswordOnly) {
        ::ShowWindow(GetDlgItem(IDC_IDPW_ID_LABEL), SW_HIDE);
        ::ShowWindow(GetDlgItem(IDC_IDPW_ID), SW_HIDE);
        ::SetFocus(GetDlgItem(IDC_IDPW_PW));
    } else if (m_mode == kIdOnly) {
        ::ShowWindow(GetDlgItem(IDC_IDPW_PW_LABEL), SW_HIDE);
        ::ShowWindow(GetDlgItem(IDC_IDPW_PW), SW_HIDE);
    }
    ::SendMessageA(GetDlgItem(IDC_IDPW_ID), EM_LIMITTEXT, static_cast<WPARAM>(m_idLimit), 0);
    ::SendMessageA(GetDlgItem(IDC_IDPW_PW), EM_LIMITTEXT, static_cast<WPARAM>(m_passwordLimit), 0);
    SetDlgItemText(IDC_IDPW_ID, m_id);
    SetDlgItemText(IDC_IDPW_PW, m_password);
    return m_mode != kPasswordOnly;  // FALSE: the focus was set here
}

void CDlgSettingWLANIDPW::OnOK() {
    m_id = GetDlgItemText(IDC_IDPW_ID);
    m_password = GetDlgItemText(IDC_IDPW_PW);
    EndDialog(IDOK);
}
