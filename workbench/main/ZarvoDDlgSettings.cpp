// The Settings dialog and the login prompt: the dialog edits a copy of the
// link's settings record and asks the main window for every board job;
// each answer goes back to the dialog's window, if it still exists.
#include "workbench/main/ZarvoDDlg.h"

#include "config/DlgSetting.h"
#include "config/DlgUserPW.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"

CLinkDialogs::PasswordChoice CZarvoDDlg::AskLoginPassword(std::string& password) {
    QuestionScope question(*this);
    CDlgUserPW dlg(question.Over());
    dlg.m_mode = CDlgUserPW::kModeLogin;
    dlg.m_password = password.c_str();
    // The board asks: it has a password.
    m_passwordSet = 1;
    if (dlg.DoModal() != IDOK) return PasswordChoice::Cancel;
    if (dlg.m_deleteRequested) return PasswordChoice::Delete;
    password = dlg.m_password.str();
    return PasswordChoice::Ok;
}

CDlgSetting* CZarvoDDlg::SettingsDialog(WPARAM wParam) {
    CWnd* wnd = reinterpret_cast<CWnd*>(wParam);
    if (!wnd || !m_settingsShowing || !::IsWindow(wnd->m_hWnd)) return nullptr;
    CDlgSetting* dlg = dynamic_cast<CDlgSetting*>(CWnd::FromHandlePermanent(wnd->m_hWnd));
    if (dlg) m_settingsDlg = dlg->m_hWnd;
    return dlg;
}

void CZarvoDDlg::RunSettingsDialog() {
    if (m_settingsShowing || !m_link.Session().IsConnected()) return;
    const CDeviceInfo& info = m_link.Identity().DeviceInfo();
    CDlgSetting dlg(m_hWnd);
    dlg.m_pSettings = &m_link.Settings().Record();
    dlg.m_settingsGeneration = m_link.Settings().Generation();
    dlg.m_hasWlan = info.wirelessPresent;
    dlg.m_wired = info.wiredPresent;
    dlg.m_keyBlockPresent = info.envcHash.empty() ? 0 : 1;
    dlg.m_mcuId = info.mcuId;
    dlg.m_firmwareHeader = info.firmwareHeader;
    dlg.m_mac = info.macAddress;
    dlg.m_passwordSet = m_passwordSet;
    m_settingsShowing = true;
    dlg.DoModal();
    m_settingsShowing = false;
    m_settingsDlg = nullptr;
    m_passwordSet = dlg.m_passwordSet;
}

// A request the link cannot take now: busy is not the board's failure (nor "no clock").
LRESULT CZarvoDDlg::NotIdleAnswer() { return m_link.Session().IsConnected() && !m_link.Session().IsIspMode() ? kAnswerLinkBusy : 0; }

bool CZarvoDDlg::RefuseWithoutPort() {
    if (m_link.Session().IsConnected()) return false;
    ShowMessage(LoadText(IDS_OPEN_COM_PORT, "Open a COM port and try again."), CLinkDialogs::kStyleWarning);
    return true;
}

LRESULT CZarvoDDlg::OnWriteSettings(WPARAM wParam, LPARAM) {
    // Without a port the answer is the same whoever asks.
    if (RefuseWithoutPort()) return 0;
    CDlgSetting* dlg = SettingsDialog(wParam);
    if (!dlg) return 0;
    if (!DeviceIdle()) return NotIdleAnswer();
    // The dialog's copy; the link's record takes it once the board confirmed.
    // Copied before the question about a running task: the dialog may go
    // while it is open.
    const SettingsRecord edited = dlg->EditedRecord();
    const unsigned generation = dlg->m_settingsGeneration;
    // The board's last report, not the buttons' state: an edit turns the
    // buttons off but leaves the task where it was.
    return m_link.Settings().WriteSettings(generation, edited, m_link.Debugger().TaskState()) ? 1 : 0;
}

void CZarvoDDlg::OnSettingsWritten(bool ok) {
    if (m_settingsDlg && ::IsWindow(m_settingsDlg))
        ::PostMessageA(m_settingsDlg, WM_USER_SETTINGS_WRITTEN, ok ? 1 : 0, 0);
}

LRESULT CZarvoDDlg::OnRebootMessage(WPARAM, LPARAM) {
    if (RefuseWithoutPort() || !m_settingsShowing || !DeviceIdle()) return 0;
    m_link.Commands().RequestReboot(false);
    return 1;
}

LRESULT CZarvoDDlg::OnGetRtcDate(WPARAM wParam, LPARAM) {
    // Not "no clock": the dialog says nothing more.
    if (RefuseWithoutPort()) return kAnswerNotConnected;
    if (!SettingsDialog(wParam)) return 0;
    if (!DeviceIdle()) return NotIdleAnswer();
    return m_link.Queries().RequestRtcDate() == CBoardQueriesService::Start::kStarted ? 1 : 0;
}

void CZarvoDDlg::OnRtcDate(bool ok, const std::string& date) {
    m_rtcDate = date;
    if (m_settingsDlg && ::IsWindow(m_settingsDlg))
        ::PostMessageA(m_settingsDlg, WM_USER_RTC_DATE, ok ? reinterpret_cast<WPARAM>(m_rtcDate.c_str()) : 0, ok ? 1 : 0);
}

LRESULT CZarvoDDlg::OnSetRtcDate(WPARAM wParam, LPARAM lParam) {
    const char* date = reinterpret_cast<const char*>(lParam);
    if (RefuseWithoutPort() || !SettingsDialog(wParam) || !date) return 0;
    if (!DeviceIdle()) return NotIdleAnswer();
    return m_link.Queries().RequestRtcSet(date) == CBoardQueriesService::Start::kStarted ? 1 : 0;
}

void CZarvoDDlg::OnRtcSetResult(bool ok) {
    if (m_settingsDlg && ::IsWindow(m_settingsDlg)) ::PostMessageA(m_settingsDlg, WM_USER_SAVE_RESULT, 0, ok ? 1 : 0);
}

LRESULT CZarvoDDlg::OnSetPassword(WPARAM wParam, LPARAM lParam) {
    const char* hex = reinterpret_cast<const char*>(lParam);
    if (RefuseWithoutPort() || !SettingsDialog(wParam) || !hex) return 0;
    if (!DeviceIdle()) return NotIdleAnswer();
    return m_link.Commands().SetUserPassword(hex) ? 1 : 0;
}

void CZarvoDDlg::OnPasswordDone(bool ok) {
    if (m_settingsDlg && ::IsWindow(m_settingsDlg)) ::PostMessageA(m_settingsDlg, WM_USER_PASSWORD_DONE, ok ? 1 : 0, 0);
}
