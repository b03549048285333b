#include "config/DlgUserPW.h"

#include "config/UserDialogsModel.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"

BEGIN_MESSAGE_MAP(CDlgUserPW, CDialog)
ON_BN_CLICKED(IDC_UPW_DELETE, OnDelete)
END_MESSAGE_MAP()

CDlgUserPW::CDlgUserPW(HWND parent) : CDialog(IDD_USER_PW, parent) {}

BOOL CDlgUserPW::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

void CDlgUserPW::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_UPW_PASSWORD, m_editPassword);
    DDX_Control(dx, IDC_UPW_ID, m_editId);
    DDX_Control(dx, IDC_UPW_RETYPE, m_editRetype);
}

BOOL CDlgUserPW::OnInitDialog() {
    CDialog::OnInitDialog();
    for (CEdit* e : {&m_editPassword, &m_editId, &m_editRetype}) e->SetLimitText(32);
    m_editId.SetWindowText("Admin");
    m_editPassword.SetWindowText(m_password);
    m_editPassword.SendMessage(EM_SETPASSWORDCHAR, '*');
    m_editRetype.SendMessage(EM_SETPASSWORDCHAR, '*');
    HWND deleteButton = GetDlgItem(IDC_UPW_DELETE);
    if (m_mode == kModeSet) {
        if (!m_passwordGiven) ::ShowWindow(deleteButton, SW_HIDE);
        SetDlgItemText(IDOK, CResources::LoadString(IDS_CHANGE));
    } else {
        ::ShowWindow(m_editRetype.m_hWnd, SW_HIDE);
        ::ShowWindow(GetDlgItem(IDC_UPW_RETYPE_LABEL), SW_HIDE);
        // The login offers OK and Cancel only: resetting the board is the
        // reset-mode command's, with its own warning.
        SetDlgItemText(IDC_UPW_DELETE, CResources::LoadString(IDS_INITIALIZE));
        ::ShowWindow(deleteButton, SW_HIDE);
    }
    m_editPassword.SetFocus();
    return FALSE;
}

void CDlgUserPW::OnOK() {
    const std::string password = m_editPassword.GetWindowText().str();
    const std::string retype = m_editRetype.GetWindowText().str();
    const unsigned refused = UserDialogsModel::CheckPassword(m_mode, password, retype);
    if (refused) {
        HWND self = m_hWnd;
        ShowMessage(m_hWnd, refused, MB_ICONEXCLAMATION);
        if (::IsWindow(self)) m_editPassword.SetFocus();
        return;
    }
    m_id = m_editId.GetWindowText();
    m_password = password.c_str();
    m_passwordGiven = 1;
    EndDialog(IDOK);
}

void CDlgUserPW::OnDelete() {
    if (m_mode == kModeSet || m_mode == kModeLogin) {
        m_id = "";
        m_password = "";
        m_deleteRequested = 1;
    }
    m_passwordGiven = 0;
    EndDialog(IDOK);
}
