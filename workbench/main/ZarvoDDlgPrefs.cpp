// Preferences: the main window's sections of Init.ini and the dialog.
#include "workbench/main/ZarvoDDlg.h"

#include "resources/resource.h"
#include "workbench/bottom/WndBottom.h"
#include "workbench/files/WndFileList.h"
#include "workbench/main/DlgPreference.h"
#include "workbench/main/IniFile.h"

#include <shlobj.h>

namespace {
std::string BackupDefault() {
    char documents[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(nullptr, documents, CSIDL_PERSONAL, TRUE);
    return std::string(documents) + "\\ZarvoD";
}
}  // namespace

void CZarvoDDlg::CreateLogFont() {
    LOGFONTA font = m_editor.GetEditorFont();
    if (!CIniFile::Exists()) {
        font = LOGFONTA{};
        font.lfHeight = -12;
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
    }
    font.lfHeight = prefs::LogFontHeight(font.lfHeight);
    if (m_bottom) m_bottom->SetLogFont(font);
}

void CZarvoDDlg::LoadPreferences() {
    const std::string backup = BackupDefault();
    if (!CIniFile::Exists()) {
        ::CreateDirectoryA(backup.c_str(), nullptr);
        m_prefs = PreferenceBlock();
        m_prefs.backupPath = backup;
        m_phpDebug = m_firmwareLog = 1;
        return;
    }
    PreferenceBlock& p = m_prefs;
    p.margin = CIniFile::GetInt("Preference", "Margin", 1);
    p.lineNumbers = CIniFile::GetInt("Preference", "ViewLineNum", 1);
    p.currentLine = CIniFile::GetInt("Preference", "ViewLine", 1);
    p.autoScroll = CIniFile::GetInt("Preference", "AutoScroll", 1);
    p.addFile = CIniFile::GetInt("Preference", "AddFile", 0);
    p.lineGap = CIniFile::GetInt("Preference", "LineGap", 120);
    p.tabSize = CIniFile::GetInt("Preference", "TabSize", 4);
    p.backupPath = CIniFile::GetString("Preference", "BackupPath", "", prefs::kMaxPath).str();
    if (p.backupPath.empty()) p.backupPath = backup;
    prefs::Sanitize(p);
    m_phpDebug = CIniFile::GetInt("Mode", "Debug", 1) != 0;
    m_firmwareLog = CIniFile::GetInt("Mode", "FWLog", 1) != 0;
    m_firmwarePath = CIniFile::GetString("FWPath", "Path", "", prefs::kMaxPath);
    ApplyPreferences();
}

void CZarvoDDlg::ApplyPreferences() {
    m_editor.ApplyPreferences(m_prefs.margin ? 40 : 0, m_prefs.lineNumbers != 0, m_prefs.currentLine ? 3 : 0,
                              m_prefs.lineGap, m_prefs.tabSize);
    if (m_bottom) m_bottom->SetAutoScroll(m_prefs.autoScroll != 0);
    if (m_fileList) m_fileList->SetAddFileAction(m_prefs.addFile);
}

void CZarvoDDlg::SavePreferences() {
    ::CreateDirectoryA(CIniFile::Folder(), nullptr);
    const PreferenceBlock& p = m_prefs;
    CIniFile::WriteInt("Preference", "Margin", p.margin);
    CIniFile::WriteInt("Preference", "ViewLineNum", p.lineNumbers);
    CIniFile::WriteInt("Preference", "ViewLine", p.currentLine);
    CIniFile::WriteInt("Preference", "AutoScroll", p.autoScroll);
    CIniFile::WriteInt("Preference", "AddFile", p.addFile);
    CIniFile::WriteInt("Preference", "LineGap", p.lineGap);
    CIniFile::WriteInt("Preference", "TabSize", p.tabSize);
    CIniFile::WriteString("Preference", "BackupPath", p.backupPath.c_str());
    CIniFile::WriteInt("Mode", "Debug", m_phpDebug);
    CIniFile::WriteInt("Mode", "FWLog", m_firmwareLog);
    CIniFile::WriteString("FWPath", "Path", m_firmwarePath);
}

void CZarvoDDlg::OnPreferences() {
    CDlgPreference dlg(&m_prefs, m_hWnd);
    const unsigned serial = m_linkSerial;
    if (dlg.DoModal() != IDOK) return;
    prefs::Sanitize(m_prefs);
    ApplyPreferences();
    if (!dlg.m_initMode) return;
    if (!AskYesNo(IDS_RESET_MODE_WARNING)) return;
    // Decided on the state after the answer, for the link the user chose it
    // on: a job may have started or ended meanwhile. A confirmed wipe that
    // cannot be done now is said, never dropped, and nothing is sent.
    const bool connected = m_link.Session().IsConnected();
    if (serial != m_linkSerial || (connected && !IsCommandEnabled(cmdrules::Command::Reboot))) {
        ShowMessage(LoadText(IDS_RESET_MODE_NOT_NOW,
                             "The product did not go into initialization mode:\r\nit is busy with another job, or "
                             "its connection changed meanwhile.\r\nNothing was deleted. Apply it again when the job has ended."),
                    CLinkDialogs::kStyleWarning);
        return;
    }
    if (!connected) {
        if (m_portCombo.GetCount() < 1 || m_portCombo.GetCurSel() < 0) {
            ShowMessage(LoadText(IDS_SELECT_COM_PORT, "Select a COM port."), CLinkDialogs::kStyleWarning);
            return;
        }
        m_link.Session().SetResetMode(true);
        OnConnect();
    } else if (!m_link.Session().IsIspMode()) {
        m_link.Commands().SendSystemCommand(5, 200);
        // The board wipes itself and answers nothing more: the link closes
        // whatever the answer would be (the changed files stay in the list).
        m_link.Session().Disconnect(false);
    } else {
        // The boot loader restarts the board; the reset follows the reconnect.
        m_link.Session().SetResetMode(true);
        m_link.BootLoader().SendIspReset();
    }
}
