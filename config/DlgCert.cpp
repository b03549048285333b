#include "config/DlgCert.h"

#include "resources/resource.h"

CDlgCert::CDlgCert(HWND parent) : CDialog(IDD_CERT, parent) {}

BOOL CDlgCert::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CDlgCert::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_productCert) {
        ::CheckRadioButton(m_hWnd, IDC_CERT_SELF, IDC_CERT_READ, IDC_CERT_READ);
    } else {
        ::CheckRadioButton(m_hWnd, IDC_CERT_SELF, IDC_CERT_READ, IDC_CERT_SELF);
        ::EnableWindow(GetDlgItem(IDC_CERT_READ), FALSE);
    }
    return TRUE;
}

void CDlgCert::OnOK() {
    for (int id = IDC_CERT_SELF; id <= IDC_CERT_READ; ++id)
        if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) m_choice = id - (IDC_CERT_SELF - 1);
    EndDialog(IDOK);
}
