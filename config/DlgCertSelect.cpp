#include "config/DlgCertSelect.h"

#include "framework/CommonDialogs.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"

#include <commdlg.h>

CDlgCertSelect::CDlgCertSelect(HWND parent) : CDialog(IDD_CERT_SELECT, parent) {}

BEGIN_MESSAGE_MAP(CDlgCertSelect, CDialog)
    ON_BN_CLICKED(IDC_CERT_OPEN, OnOpen)
END_MESSAGE_MAP()

BOOL CDlgCertSelect::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_mode == kRsaKey) {
        SetDlgItemText(IDC_CERT_MSG1, CResources::LoadString(IDS_NO_RSA_KEY_IN_CERT));
        SetDlgItemText(IDC_CERT_MSG2, CResources::LoadString(IDS_SELECT_RSA_KEY));
    } else {
        SetDlgItemText(IDC_CERT_MSG1, "");
        SetDlgItemText(IDC_CERT_MSG2, CResources::LoadString(IDS_SELECT_CERT));
    }
    SetPath(m_path);
    return TRUE;
}

void CDlgCertSelect::SetPath(const char* path) {
    m_path = path;
    SetDlgItemText(IDC_CERT_PATH, path);
}

void CDlgCertSelect::OnOpen() {
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.lpstrDefExt = "Select File";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (commondlg::GetOpenFileName(&ofn)) SetPath(file);
}

void CDlgCertSelect::OnOK() {
    if (m_path.IsEmpty()) {
        ShowMessage(m_hWnd, m_mode == kRsaKey ? IDS_SELECT_RSA_KEY : IDS_SELECT_CERT, MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDOK);
}
