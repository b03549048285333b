// Buttons, keys and menus. Every one asks the rules table, whichever road
// it came by; device commands whose link service is not built yet stop at
// a marked hook.
#include "workbench/main/ZarvoDDlg.h"

#include "framework/CommonDialogs.h"
#include "framework/Menu.h"
#include "framework/Resources.h"
#include "link/codecs/Crc16.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "workbench/bottom/WndBottom.h"
#include "workbench/files/WndFileList.h"
#include "ui/kit/PngButton.h"

#include <commdlg.h>
#include <shlobj.h>

using cmdrules::Command;

namespace {
struct MenuRow {
    UINT id;
    Command command;
};
const MenuRow kMenuRows[] = {
    {ID_FILE_OPEN_KBX, Command::OpenKbx},          {ID_FILE_SAVE_SELECTED, Command::SaveSelected},
    {ID_FILE_SAVE_KBX, Command::SaveKbx},          {ID_EDIT_UNDO, Command::Undo},
    {ID_EDIT_REDO, Command::Redo},                 {ID_EDIT_CUT, Command::Cut},
    {ID_EDIT_COPY, Command::Copy},                 {ID_EDIT_PASTE, Command::Paste},
    {ID_EDIT_SELECT_ALL, Command::SelectAll},      {ID_EDIT_FIND, Command::Find},
    {ID_EDIT_FIND_NEXT, Command::FindNext},        {ID_EDIT_FIND_PREVIOUS, Command::FindPrevious},
    {ID_EDIT_CHANGE, Command::Change},             {ID_EDIT_PREFERENCES, Command::Preferences},
    {ID_FUNC_PRODUCT_INFO, Command::ProductInfo},  {ID_FUNC_NETWORK_INFO, Command::NetworkInfo},
    {ID_FUNC_PHP_ERROR_LOG, Command::PhpErrorLog}, {ID_FUNC_FW_ERROR_LOG, Command::FirmwareErrorLog},
    {ID_FUNC_UPGRADE_FIRMWARE, Command::UpgradeFirmware}, {ID_FUNC_REBOOT, Command::Reboot},
    {ID_FUNC_FW_DEBUG_MODE, Command::FirmwareDebugMode},  {ID_FUNC_PHP_DEBUG_MODE, Command::PhpDebugMode},
    {ID_FUNC_FONT, Command::Font},                 {ID_FUNC_LANG_KOREAN, Command::LanguageKorean},
    {ID_FUNC_LANG_ENGLISH, Command::LanguageEnglish}, {ID_FUNC_ABOUT, Command::About},
};

bool CommandFor(UINT id, Command& command) {
    for (const MenuRow& r : kMenuRows)
        if (r.id == id) {
            command = r.command;
            return true;
        }
    return false;
}

bool KeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }
}  // namespace

cmdrules::State CZarvoDDlg::CommandState() {
    cmdrules::State s;
    s.connected = m_link.Session().IsConnected();
    s.isp = m_link.Session().IsIspMode();
    s.boardKnown = BoardKnown();
    s.jobRunning = m_link.Session().IsJobRunning() || m_waitBox != nullptr;
    s.transferBusy = m_link.Session().GetTransferType() != CLinkSession::kTransferNone;
    s.uploadsRefused = m_link.Identity().DeviceInfo().uploadsRefused != 0;
    s.taskState = m_taskState;
    s.phpDebug = m_phpDebug != 0;
    s.firmwareLog = m_firmwareLog != 0;
    s.pauseShown = m_pauseShown;
    s.editorVisible = m_editor.m_hWnd && m_editor.IsWindowVisible();
    s.editorReadOnly = m_editor.IsReadOnly();
    s.editorHasText = m_editor.HasText();
    s.editorSelection = m_editor.HasSelection();
    s.canUndo = m_editor.CanUndo();
    s.canRedo = m_editor.CanRedo();
    s.clipboardText = ::IsClipboardFormatAvailable(CF_TEXT) != 0;
    s.findReady = m_editor.IsFindReady();
    s.selectedFiles = m_fileList ? m_fileList->CountSelectedFiles() : 0;
    s.entryCount = static_cast<int>(m_link.Files().Entries().Count());
    s.language = m_language;
    return s;
}

bool CZarvoDDlg::StillAllowed(unsigned serial, Command c) {
    return serial == m_linkSerial && IsCommandEnabled(c);
}

void CZarvoDDlg::SetButtonEnabled(Button b, bool enabled) {
    CPngButton* button = m_buttons[b];
    // Called on every port event: only a change is drawn.
    if (!button || !button->m_hWnd || (button->IsWindowEnabled() != FALSE) == enabled) return;
    const bool hadFocus = !enabled && ::GetFocus() == button->m_hWnd;
    button->EnableButton(enabled ? TRUE : FALSE);
    // A disabled button drops the focus and every key after it is lost: it
    // goes where the user goes on, the port list after a Disconnect, else the editor.
    if (hadFocus) {
        if (m_portCombo.IsWindowEnabled()) m_portCombo.SetFocus();
        else if (m_editor.IsWindowVisible()) m_editor.SetFocus();
        else if (m_fileList) m_fileList->SetFocus();
    }
}

void CZarvoDDlg::UpdateCommandStates() {
    const cmdrules::State s = CommandState();
    m_portCombo.EnableWindow(cmdrules::Enabled(Command::PortList, s));
    SetButtonEnabled(kBtnConnect, cmdrules::Enabled(Command::Connect, s));
    SetButtonEnabled(kBtnDisconnect, cmdrules::Enabled(Command::Disconnect, s));
    SetButtonEnabled(kBtnSettings, cmdrules::Enabled(Command::Settings, s));
    SetButtonEnabled(kBtnUpload, cmdrules::Enabled(Command::Upload, s));
    UpdateButtonStates(m_taskState);
}

void CZarvoDDlg::UpdateButtonStates(int taskState) {
    m_taskState = taskState;
    cmdrules::State s = CommandState();
    m_pauseShown = cmdrules::PauseShown(s);
    s.pauseShown = m_pauseShown;
    const struct { Button b; Command c; } rows[] = {
        {kBtnRun, Command::Run}, {kBtnStop, Command::Stop}, {kBtnPause, Command::Pause},
        {kBtnStepIn, Command::StepIn}, {kBtnStepOver, Command::StepOver}};
    for (const auto& r : rows) {
        const cmdrules::Decision d = cmdrules::Decide(r.c, s);
        SetButtonEnabled(r.b, d.enabled);
        if (m_buttons[r.b] && m_buttons[r.b]->m_hWnd) m_buttons[r.b]->ShowWindow(d.visible ? SW_SHOW : SW_HIDE);
    }
}

bool CZarvoDDlg::AskYesNo(UINT stringId) {
    return ShowMessage(LoadText(stringId, ""), CLinkDialogs::kStyleQuestion) == CLinkDialogs::kIdYes;
}

// ---- buttons

void CZarvoDDlg::OnConnect() {
    if (!IsCommandEnabled(Command::Connect)) return;
    const int sel = m_portCombo.GetCurSel();
    const std::string port = sel >= 0 ? m_portCombo.GetLBText(sel).str() : std::string();
    m_link.Session().Connect(port);
}

void CZarvoDDlg::OnDisconnect() {
    if (!IsCommandEnabled(Command::Disconnect)) return;
    m_link.Session().Disconnect();
}

void CZarvoDDlg::OnSettingsButton() {
    if (!IsCommandEnabled(Command::Settings)) return;
    // The block's reply opens the dialog (timer 5).
    m_fwInfoPending = m_upgradePending = false;
    m_link.Settings().RequestSettingsBlock();
}

void CZarvoDDlg::OnUploadButton() {
    if (!IsCommandEnabled(Command::Upload)) return;
    if (m_link.Identity().DeviceInfo().uploadsRefused) {
        ShowMessage(LoadText(IDS_UPLOAD_REFUSED, "It can't upload files to the product."), CLinkDialogs::kStyleWarning);
        return;
    }
    // Only a task the board last reported stopped is uploaded over without
    // asking. The board's report, not the buttons' state: an edit turns the
    // buttons off but leaves the task where it was.
    const int task = m_link.Debugger().TaskState();
    if (task != cmdrules::kTaskStopped) {
        const unsigned serial = m_linkSerial;
        if (!AskYesNo(task == cmdrules::kTaskRunning ? IDS_RUNNING_SAVE_FILE : IDS_DEBUGGING_SAVE_FILE)) return;
        if (!StillAllowed(serial, Command::Upload)) return;
        // The task may have ended while the question was up.
        if (m_link.Debugger().TaskState() != cmdrules::kTaskStopped) m_link.Debugger().StopTask();
    }
    m_link.Files().SetUploadStarted(true);
    m_link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
}

void CZarvoDDlg::OnRun() {
    if (!IsCommandEnabled(Command::Run)) return;
    m_link.Debugger().RunTask();
}

void CZarvoDDlg::OnStop() {
    if (!IsCommandEnabled(Command::Stop)) return;
    m_link.Debugger().StopTask();
}

void CZarvoDDlg::OnPause() {
    if (!IsCommandEnabled(Command::Pause)) return;
    m_link.Debugger().Pause();
}

void CZarvoDDlg::OnStepIn() {
    if (!IsCommandEnabled(Command::StepIn)) return;
    m_link.Debugger().StepIn();
}

void CZarvoDDlg::OnStepOver() {
    if (!IsCommandEnabled(Command::StepOver)) return;
    m_link.Debugger().StepOver();
}

// ---- keys

BOOL CZarvoDDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return FALSE;
    return HandleKey(msg) ? TRUE : FALSE;
}

bool CZarvoDDlg::HandleKey(const MSG* msg) {
    const WPARAM key = msg->wParam;
    if (msg->message == WM_SYSKEYDOWN) {
        if (key != VK_F10) return false;
        if (IsCommandEnabled(Command::StepOverKey)) m_link.Debugger().StepOver();
        return true;
    }
    const bool inEditor = m_editor.m_hWnd && (msg->hwnd == m_editor.m_hWnd || ::IsChild(m_editor, msg->hwnd));
    switch (key) {
    case VK_RETURN:
    case VK_ESCAPE:
        // The window never closes by Enter or Esc; the editor still takes
        // them, and an open list takes them to close.
        return !inEditor && IsEnterOrEsc(msg);
    case 'N':
    case 'I':
    case 'S': {
        // Ctrl+Alt is AltGr on many keyboards: that types a character.
        if (!KeyDown(VK_CONTROL) || KeyDown(VK_MENU)) return false;
        if (key == 'N') OnConnect();
        else if (key == 'I') OnDisconnect();
        else OnUploadButton();
        return true;
    }
    case VK_F5: OnRun(); return true;
    case VK_F6: OnPause(); return true;
    case VK_F7: OnStop(); return true;
    case VK_F11: OnStepIn(); return true;
    case VK_F9:
        if (IsCommandEnabled(Command::ToggleBreakpoint)) SyncBreakpoints(KeyDown(VK_SHIFT));
        return true;
    default:
        return false;
    }
}

// ---- port list

void CZarvoDDlg::OnPortListDropDown() {
    if (!IsCommandEnabled(Command::PortList)) return;
    const CString kept = m_portCombo.GetCurSel() >= 0 ? m_portCombo.GetLBText(m_portCombo.GetCurSel()) : CString();
    m_portCombo.ResetContent();
    std::vector<std::string> ports;
    EnumComPorts(ports);
    for (const std::string& p : ports) m_portCombo.AddString(p.c_str());
    if (!kept.IsEmpty()) m_portCombo.SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(kept.c_str()));
    if (ports.empty()) {
        ShowMessage(LoadText(IDS_NO_VIRTUAL_COM_PORT, ""), CLinkDialogs::kStyleWarning);
        CWnd::SetTimer(kTimerClosePortList, 10);
    }
}

// ---- menus

LRESULT CZarvoDDlg::OnInitMenuPopup(WPARAM wParam, LPARAM) {
    HMENU menu = reinterpret_cast<HMENU>(wParam);
    const cmdrules::State s = CommandState();
    const int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        const UINT id = ::GetMenuItemID(menu, i);
        Command c;
        if (id == static_cast<UINT>(-1) || !CommandFor(id, c)) continue;
        const cmdrules::Decision d = cmdrules::Decide(c, s);
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (d.enabled ? MF_ENABLED : MF_GRAYED));
        ::CheckMenuItem(menu, id, MF_BYCOMMAND | (d.checked ? MF_CHECKED : MF_UNCHECKED));
    }
    return 0;
}

void CZarvoDDlg::OnMenuCommand(UINT id) {
    Command c;
    // A command posted or sent without its popup is refused just the same.
    if (!CommandFor(id, c) || !IsCommandEnabled(c)) return;
    if (id >= ID_FILE_OPEN_KBX && id <= ID_FILE_SAVE_KBX) OnFileCommand(id);
    else if (id >= ID_EDIT_PREFERENCES && id <= ID_EDIT_UNDO) OnEditCommand(id);
    else if (id == ID_EDIT_CUT || id == ID_EDIT_COPY || id == ID_EDIT_PASTE) OnEditCommand(id);
    else OnFunctionCommand(id);
}

void CZarvoDDlg::OnEditCommand(UINT id) {
    switch (id) {
    case ID_EDIT_UNDO: m_editor.Undo(); break;
    case ID_EDIT_REDO: m_editor.Redo(); break;
    case ID_EDIT_CUT: m_editor.Cut(); break;
    case ID_EDIT_COPY: m_editor.Copy(); break;
    case ID_EDIT_PASTE: m_editor.Paste(); break;
    case ID_EDIT_SELECT_ALL: m_editor.SelectAll(); break;
    case ID_EDIT_FIND: m_editor.ShowFindDialog(); break;
    case ID_EDIT_FIND_NEXT: m_editor.FindNext(); break;
    case ID_EDIT_FIND_PREVIOUS: m_editor.FindPrevious(); break;
    case ID_EDIT_CHANGE: m_editor.ShowReplaceDialog(); break;
    case ID_EDIT_PREFERENCES: OnPreferences(); break;
    default: break;
    }
}

void CZarvoDDlg::OnFunctionCommand(UINT id) {
    switch (id) {
    case ID_FUNC_REBOOT: OnRebootProduct(); break;
    case ID_FUNC_FW_DEBUG_MODE: OnFirmwareDebugMode(); break;
    case ID_FUNC_PHP_DEBUG_MODE: OnPhpDebugMode(); break;
    case ID_FUNC_FONT: OnFont(); break;
    case ID_FUNC_LANG_KOREAN: OnLanguage(1042); break;
    case ID_FUNC_LANG_ENGLISH: OnLanguage(1033); break;
    case ID_FUNC_ABOUT: OnAbout(); break;
    case ID_FUNC_PRODUCT_INFO: OnProductInfoCommand(); break;
    case ID_FUNC_NETWORK_INFO: OnNetworkInfoCommand(); break;
    case ID_FUNC_PHP_ERROR_LOG: OnErrorLogCommand(false); break;
    case ID_FUNC_FW_ERROR_LOG: OnErrorLogCommand(true); break;
    case ID_FUNC_UPGRADE_FIRMWARE: OnUpgradeFirmware(); break;
    default: break;
    }
}

void CZarvoDDlg::OnRebootProduct() {
    const unsigned serial = m_linkSerial;
    if (!AskYesNo(IDS_ASK_REBOOT) || !StillAllowed(serial, Command::Reboot)) return;
    if (m_link.Session().IsIspMode()) {
        m_link.BootLoader().SendIspReset();
        return;
    }
    m_link.Commands().SendSystemCommand(m_phpDebug ? 6 : 2, 200);
}

void CZarvoDDlg::OnPhpDebugMode() {
    m_phpDebug = m_phpDebug ? 0 : 1;
    UpdateButtonStates(m_taskState);
}

void CZarvoDDlg::OnFirmwareDebugMode() {
    m_firmwareLog = m_firmwareLog ? 0 : 1;
    // The board hears of it now when it can; otherwise after the next image read.
    if (cmdrules::Enabled(Command::ProductInfo, CommandState())) m_link.Debugger().SetFirmwareLog(m_firmwareLog != 0);
}

void CZarvoDDlg::OnLanguage(DWORD language) {
    const bool changed = language != m_language;
    m_language = language;
    if (changed)
        ShowMessage(LoadText(IDS_RESTART_FOR_LANGUAGE, "Restart Zarvo Debugger to apply the changed language."), 0x40);
}

void CZarvoDDlg::OnFont() {
    LOGFONTA font = m_editor.GetEditorFont();
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = m_hWnd;
    cf.lpLogFont = &font;
    cf.Flags = CF_SCREENFONTS | CF_NOSCRIPTSEL | CF_NOVERTFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!commondlg::ChooseFont(&cf)) return;
    m_editor.SetEditorFont(font);
    font.lfHeight = prefs::LogFontHeight(font.lfHeight);
    if (m_bottom) m_bottom->SetLogFont(font);
}

void CZarvoDDlg::OnAbout() {
    CDialog about(IDD_ABOUTBOX, m_hWnd);
    about.DoModal();
}

// ---- file menu

namespace {
// The folder browser opens at the folder given as its data.
int CALLBACK StartInFolder(HWND wnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) ::SendMessageA(wnd, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}
}  // namespace

void CZarvoDDlg::OnFileCommand(UINT id) {
    if (id == ID_FILE_OPEN_KBX) {
        OnFileOpenPacked();
        return;
    }
    char path[MAX_PATH] = {};
    if (id == ID_FILE_SAVE_SELECTED) {
        BROWSEINFOA bi{};
        bi.hwndOwner = m_hWnd;
        const CString title = CResources::LoadString(IDS_SELECT_SAVE_FOLDER);
        bi.lpszTitle = title;
        bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
        // Where the last save of this run went.
        const std::string start = m_saveFolder;
        bi.lpfn = StartInFolder;
        bi.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
        LPITEMIDLIST chosen = commondlg::BrowseForFolder(&bi);
        if (!chosen) return;
        const bool ok = ::SHGetPathFromIDListA(chosen, path) != 0;
        ::CoTaskMemFree(chosen);
        if (ok) m_saveFolder = path;
        // The list may have changed while the browser ran.
        if (ok && IsCommandEnabled(Command::SaveSelected)) m_link.Files().SaveSelectedFiles(path);
        return;
    }
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "KBX File(*.kbx)\0*.kbx\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrDefExt = "KBX";
    // No overwrite prompt of the dialog's own: the writer asks, once.
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!commondlg::GetSaveFileName(&ofn) || !IsCommandEnabled(Command::SaveKbx)) return;
    m_link.Files().TakeEditorText();
    m_link.Files().WritePackedFile(path);
}

void CZarvoDDlg::OnFileOpenPacked() {
    std::vector<std::string> paths;
    std::string folder;
    const std::string start = m_fileList ? m_fileList->GetLastAddFolder().str() : std::string();
    if (!OpenFilesDialog(m_hWnd, "KBX File(*.kbx)|*.kbx|", nullptr, start.c_str(), paths, folder)) return;
    if (m_fileList) m_fileList->SetLastAddFolder(folder.c_str());
    for (const std::string& path : paths) {
        // Each file's questions run a message loop: the command must still be allowed after it.
        if (!IsCommandEnabled(Command::OpenKbx)) break;
        if (IsPackedFile(path)) m_link.Files().ReadPackedFile(path);
    }
    RefreshFileList();
    ComputeFlashUsage();
    UpdateButtonStates(m_taskState);
}
