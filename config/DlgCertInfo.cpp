#include "config/DlgCertInfo.h"

#include "config/AnsiText.h"
#include "config/CertText.h"
#include "resources/resource.h"

CDlgCertInfo::CDlgCertInfo(HWND parent) : CDialog(IDD_CERT_INFO, parent) {}

BOOL CDlgCertInfo::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CDlgCertInfo::OnInitDialog() {
    CDialog::OnInitDialog();
    m_font.CreateSimple("Arial", -12, FW_NORMAL);
    HWND edit = GetDlgItem(IDC_CERT_TEXT);
    ::SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), FALSE);
    // Wine keeps only 30,000 characters unless told otherwise.
    ::SendMessageA(edit, EM_LIMITTEXT, 0x7FFFFFFE, 0);
    ::SetWindowTextA(edit, Utf8ToAnsi(CCertText::Format(m_cert)).c_str());
    if (m_mode != kAsk) ::ShowWindow(GetDlgItem(IDC_CERT_QUESTION), SW_HIDE);
    // The focus on OK: given to the edit, the dialog would select the whole
    // text and show its end rather than the issuer.
    ::SetFocus(GetDlgItem(IDOK));
    return FALSE;
}
