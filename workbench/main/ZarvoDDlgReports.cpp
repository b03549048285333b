// The board's dialogs: product and network information, the error logs, the
// firmware upgrade, the wireless searches and the certificate blocks. Every
// dialog runs from a timer or a posted message, never inside a reply
// handler; the main window keeps only the windows of the dialogs that wait
// for a result, never their objects, since a message loop may end them.
#include "workbench/main/ZarvoDDlg.h"

#include "workbench/files/FileListModel.h"

#include "config/DlgFWInfo.h"
#include "config/DlgFWUpgrade.h"
#include "config/DlgNetInfo.h"
#include "config/DlgSetting.h"
#include "config/UpgradeModel.h"
#include "framework/WinApp.h"
#include "link/codecs/Crc16.h"
#include "resources/resource.h"
#include "workbench/bottom/DlgViewLog.h"
#include "ui/WindowMessages.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/boxes/DlgProgress.h"

using cmdrules::Command;

bool CZarvoDDlg::DeviceIdle() {
    return BoardKnown() && !m_link.Session().IsIspMode() && !m_link.Session().IsJobRunning() &&
           m_link.Session().GetTransferType() == CLinkSession::kTransferNone;
}

bool CZarvoDDlg::BoardKnown() {
    // The boot loader is known once it answered; the script firmware once
    // identified (the ISP flag of an earlier connection holds until then).
    const CLinkSession& session = m_link.Session();
    return session.HasAnswered() && (session.IsIspMode() || m_link.Identity().IsIdentified());
}

// ---- commands

void CZarvoDDlg::OnProductInfoCommand() {
    if (!IsCommandEnabled(Command::ProductInfo)) return;
    m_fwInfoPending = true;
    m_upgradePending = false;
    if (m_link.Queries().RequestProductInfo() != CBoardQueriesService::Start::kStarted) m_fwInfoPending = false;
}

void CZarvoDDlg::OnNetworkInfoCommand() {
    if (!IsCommandEnabled(Command::NetworkInfo)) return;
    if (!m_link.Identity().DeviceInfo().wiredPresent && !m_link.Identity().DeviceInfo().wirelessPresent) {
        ShowMessage(LoadText(IDS_NOT_SUPPORTED, "It doesn't support."), CLinkDialogs::kStyleWarning);
        return;
    }
    m_link.Queries().ResetNetworkInfo();
    m_link.Queries().RequestNetworkInfo();
}

void CZarvoDDlg::OnErrorLogCommand(bool firmware) {
    if (!IsCommandEnabled(firmware ? Command::FirmwareErrorLog : Command::PhpErrorLog)) return;
    m_link.Queries().RequestErrorLog(firmware);
}

void CZarvoDDlg::OnUpgradeFirmware() {
    if (!IsCommandEnabled(Command::UpgradeFirmware) || m_upgradeDlg) return;
    if (m_link.Settings().Record().FirmwareNameText().empty() && !m_link.Session().IsIspMode()) {
        // The board's firmware name comes with the settings block: read it first.
        m_fwInfoPending = false;
        m_upgradePending = true;
        if (!m_link.Settings().RequestSettingsBlock()) m_upgradePending = false;
        return;
    }
    RunUpgradeDialog();
}

// ---- reports (each from the link's report timer)

void CZarvoDDlg::OnNetworkInfo(const NetworkInfo& info) {
    m_netInfo = info;
    CWnd::SetTimer(kTimerNetInfoDlg, 10);
}

void CZarvoDDlg::OnProductInfo(const std::string& uptime, const std::string&) {
    // The information block stays in the device record; the dialog opens
    // once the settings block that follows is in.
    m_uptime = uptime;
}

void CZarvoDDlg::OnSettingsRead() {
    if (m_fwInfoPending) CWnd::SetTimer(kTimerFwInfoDlg, 10);
    else if (m_upgradePending) CWnd::SetTimer(kTimerUpgradeDlg, 10);
    else CWnd::SetTimer(kTimerSettingsDlg, 10);
}

void CZarvoDDlg::OnSettingsReadFailed() {
    // The link has said why; the upgrade, which needed the block, says it
    // cannot start, once the link's handler has returned.
    const bool upgrade = m_upgradePending;
    m_fwInfoPending = m_upgradePending = false;
    if (upgrade) PostMessage(kUpgradeRefusedMessage);
}

LRESULT CZarvoDDlg::OnUpgradeRefused(WPARAM, LPARAM) {
    ShowMessage(LoadText(IDS_UPGRADE_NEEDS_SETTINGS,
                         "The firmware upgrade cannot start: it needs the product's settings, which could not be read."),
                CLinkDialogs::kStyleWarning);
    return 0;
}

void CZarvoDDlg::OnErrorLog(bool, const std::string& text) {
    m_errorLog = text;
    PostMessage(kShowErrorLogMessage);
}

void CZarvoDDlg::OnScanDone(const std::vector<ScanRecord>* records) {
    HWND requester = m_scanRequester;
    m_scanRequester = nullptr;
    // The dialog copies the list while it handles the notice.
    if (requester && ::IsWindow(requester))
        ::SendMessageA(requester, WM_USER_SCAN_DONE, reinterpret_cast<WPARAM>(records), 0);
}

void CZarvoDDlg::OnBoardDialogTimer(UINT id) {
    CWnd::KillTimer(id);
    // Only one of these at a time: a second report while one is shown waits
    // for no one and is dropped.
    if (m_infoShowing) return;
    switch (id) {
    case kTimerSettingsDlg: RunSettingsDialog(); break;
    case kTimerFwInfoDlg: m_fwInfoPending = false; RunFwInfoDialog(); break;
    case kTimerNetInfoDlg: RunNetInfoDialog(); break;
    case kTimerUpgradeDlg:
        m_upgradePending = false;
        if (m_link.Session().IsConnected() && !m_upgradeDlg) RunUpgradeDialog();
        break;
    default: break;
    }
}

void CZarvoDDlg::RunFwInfoDialog() {
    const CDeviceInfo& info = m_link.Identity().DeviceInfo();
    CDlgFWInfo dlg(m_hWnd);
    dlg.m_strMAC = info.macAddress;
    dlg.m_strFirmwareName = info.infoBlock;
    dlg.m_strFirmwareHeader = info.firmwareHeader;
    dlg.m_strProductName = m_link.Settings().Record().firmwareName;
    dlg.m_strUptime = m_uptime;
    m_infoShowing = true;
    dlg.DoModal();
    m_infoShowing = false;
}

void CZarvoDDlg::RunNetInfoDialog() {
    CDlgNetInfo dlg(m_hWnd);
    dlg.m_info = m_netInfo;
    // The wireless record and the tables are read only from a wireless board.
    const bool wlan = m_link.Identity().DeviceInfo().wirelessPresent;
    dlg.m_hasWlanStatus = dlg.m_hasArpList = dlg.m_hasNeighbourList = wlan;
    dlg.m_langId = static_cast<LANGID>(m_language);
    m_infoShowing = true;
    dlg.DoModal();
    m_infoShowing = false;
}

LRESULT CZarvoDDlg::OnShowErrorLog(WPARAM, LPARAM) {
    if (m_errorLogShowing) return 0;
    m_errorLogShowing = true;
    CDlgViewLog dlg(m_hWnd);
    dlg.m_text = m_errorLog.c_str();
    dlg.DoModal();
    m_errorLogShowing = false;
    return 0;
}

// ---- firmware upgrade

void CZarvoDDlg::RunUpgradeDialog() {
    CDlgFWUpgrade dlg(m_hWnd);
    dlg.m_strFolder = m_firmwarePath;
    if (!m_link.Session().IsIspMode()) dlg.m_strBoardFwName = m_link.Settings().Record().FirmwareNameText();
    // Its window is known once it exists: each of its requests names it.
    m_upgradeDlg = kUpgradePending;
    dlg.DoModal();
    m_upgradeDlg = nullptr;
    if (!dlg.m_strFolder.IsEmpty()) m_firmwarePath = dlg.m_strFolder;
    if (!m_link.BootLoader().IsStreaming()) m_link.BootLoader().ForgetUpgrade();
}

CDlgFWUpgrade* CZarvoDDlg::UpgradeDialog(HWND wnd) {
    if (!m_upgradeDlg || !wnd || !::IsWindow(wnd)) return nullptr;
    CDlgFWUpgrade* dlg = dynamic_cast<CDlgFWUpgrade*>(CWnd::FromHandlePermanent(wnd));
    if (dlg) m_upgradeDlg = wnd;
    return dlg;
}

LRESULT CZarvoDDlg::OnUpgradeEnterIsp(WPARAM wParam, LPARAM) {
    CDlgFWUpgrade* dlg = reinterpret_cast<CDlgFWUpgrade*>(wParam);
    if (!dlg || !UpgradeDialog(dlg->m_hWnd)) return 0;
    if (RefuseWithoutPort()) return CUpgradeModel::kEnterIspNotConnected;
    if (m_link.Session().IsJobRunning()) return 0;
    return m_link.BootLoader().OnUpgradeRestartIsp();
}

LRESULT CZarvoDDlg::OnUpgradeReadEnv(WPARAM wParam, LPARAM) {
    CDlgFWUpgrade* dlg = reinterpret_cast<CDlgFWUpgrade*>(wParam);
    if (!dlg || !UpgradeDialog(dlg->m_hWnd)) return 0;
    return m_link.BootLoader().OnIspDumpEnv();
}

LRESULT CZarvoDDlg::OnUpgradeSendTest(WPARAM, LPARAM lParam) {
    CDlgFWUpgrade* dlg = reinterpret_cast<CDlgFWUpgrade*>(lParam);
    if (!dlg || !UpgradeDialog(dlg->m_hWnd)) return 0;
    // The bytes the dialog checked, never the file read again.
    const std::vector<uint8_t>& image = dlg->GetImage();
    if (image.empty()) return 0;
    return m_link.BootLoader().OnIspTestFirmware(image.data(), image.size());
}

LRESULT CZarvoDDlg::OnUpgradeStart(WPARAM, LPARAM lParam) {
    CDlgFWUpgrade* dlg = reinterpret_cast<CDlgFWUpgrade*>(lParam);
    if (!dlg || !UpgradeDialog(dlg->m_hWnd)) return 0;
    const std::vector<uint8_t>& image = dlg->GetImage();
    if (image.empty()) return 0;
    return m_link.BootLoader().OnStartUpgrade(image.data(), image.size());
}

HWND CZarvoDDlg::UpgradeWindow() const {
    return m_upgradeDlg && m_upgradeDlg != kUpgradePending && ::IsWindow(m_upgradeDlg) ? m_upgradeDlg : nullptr;
}

// The link reports from its handlers: the dialog hears them posted, so its
// boxes and its next request run after the link's call has returned.
void CZarvoDDlg::PostToUpgrade(UINT message, WPARAM wParam, LPARAM lParam) {
    if (HWND wnd = UpgradeWindow()) ::PostMessageA(wnd, message, wParam, lParam);
}

void CZarvoDDlg::OnIspConnected() { PostToUpgrade(WM_USER_ISP_CONNECTED, 1, 0); }

void CZarvoDDlg::OnUpgradeEnvName(bool read, const std::string& name) {
    // Posted with a text the main window owns until the next dump.
    m_upgradeEnvName = name;
    PostToUpgrade(WM_USER_UPGRADE_ENV_NAME,
                  read ? reinterpret_cast<WPARAM>(m_upgradeEnvName.c_str()) : 0, read ? 1 : 0);
}

void CZarvoDDlg::OnUpgradeTestOk() { PostToUpgrade(WM_USER_UPGRADE_TEST_OK, 1, 0); }

void CZarvoDDlg::OnUpgradeProgress(uint64_t sent, uint64_t) {
    PostToUpgrade(WM_USER_UPGRADE_PROGRESS, static_cast<WPARAM>(sent), 0);
}

bool CZarvoDDlg::OnUpgradeResult(bool ok) {
    if (!ok) {
        PostToUpgrade(WM_USER_UPGRADE_RESULT, 0, 0);
        return false;
    }
    // A confirmed image: the dialog's success box runs before the boot flag,
    // and only its answer writes the flag; with no dialog there is no answer.
    // (The link queues what the board sends while the box is up.)
    const HWND wnd = UpgradeWindow();
    return wnd && ::SendMessageA(wnd, WM_USER_UPGRADE_RESULT, 1, 0) != 0;
}

// ---- wireless searches

LRESULT CZarvoDDlg::OnStartScan(WPARAM wParam, LPARAM) {
    CWnd* requester = reinterpret_cast<CWnd*>(wParam);
    if (!requester || !::IsWindow(requester->m_hWnd)) return 0;
    // A second search replaces the first requester.
    m_scanRequester = requester->m_hWnd;
    const bool started = !RefuseWithoutPort() && ::IsWindow(m_scanRequester) && DeviceIdle() &&
                         m_link.Queries().StartScan() == CBoardQueriesService::Start::kStarted;
    if (!started) {
        // Refused: the dialog hears it at once so it does not wait forever.
        HWND wnd = m_scanRequester;
        m_scanRequester = nullptr;
        if (::IsWindow(wnd)) ::PostMessageA(wnd, WM_USER_SCAN_DONE, 0, 0);
    }
    return started ? 1 : 0;
}

LRESULT CZarvoDDlg::OnCancelScan(WPARAM wParam, LPARAM) {
    CWnd* requester = reinterpret_cast<CWnd*>(wParam);
    if (requester && requester->m_hWnd == m_scanRequester) m_scanRequester = nullptr;
    return 1;
}

// ---- certificate blocks

bool CZarvoDDlg::WriteBlockAndWait(BlockKind kind, const uint8_t* block, size_t length) {
    if (!block || length == 0 || m_blockWrite == 1 || RefuseWithoutPort() || !DeviceIdle()) return false;
    const std::vector<uint8_t> bytes(block, block + length);
    m_blockWrite = 1;
    const bool started =
        kind == kKeyBlock ? m_link.Commands().WriteKeyBlock(bytes) : m_link.Commands().WriteCertBlock(bytes);
    if (!started) {
        m_blockWrite = 0;
        return false;
    }
    // The sender waits for the answer: the messages run meanwhile, and a
    // disconnect or the link's own write watchdog ends the wait.
    const unsigned serial = m_linkSerial;
    MSG msg;
    while (m_blockWrite == 1 && serial == m_linkSerial && m_link.Session().IsConnected() && ::IsWindow(m_hWnd)) {
        if (!::GetMessageA(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        CWinApp::PumpMessage(msg);
    }
    const bool ok = m_blockWrite == 2;
    m_blockWrite = 0;
    return ok;
}

void CZarvoDDlg::OnBlockWritten(BlockKind, bool ok) {
    if (m_blockWrite == 1) m_blockWrite = ok ? 2 : 3;
}

LRESULT CZarvoDDlg::OnWriteKeyBlock(WPARAM wParam, LPARAM lParam) {
    return WriteBlockAndWait(kKeyBlock, reinterpret_cast<const uint8_t*>(wParam), static_cast<size_t>(lParam & 0xFFFF))
               ? 1 : 0;
}

LRESULT CZarvoDDlg::OnWriteCertBlock(WPARAM wParam, LPARAM lParam) {
    return WriteBlockAndWait(kCertBlock, reinterpret_cast<const uint8_t*>(wParam), static_cast<size_t>(lParam & 0xFFFF))
               ? 1 : 0;
}

LRESULT CZarvoDDlg::OnReadCertBlock(WPARAM wParam, LPARAM) {
    CWnd* requester = reinterpret_cast<CWnd*>(wParam);
    if (!requester || !::IsWindow(requester->m_hWnd)) return 0;
    // The Settings dialog's first request: from here a removal closes it.
    SettingsDialog(wParam);
    if (RefuseWithoutPort() || !DeviceIdle()) return 0;
    m_certRequester = requester->m_hWnd;
    if (m_link.Commands().ReadCertBlock()) return 1;
    m_certRequester = nullptr;
    return 0;
}

LRESULT CZarvoDDlg::OnChangeFirmware(WPARAM wParam, LPARAM) {
    const char* name = reinterpret_cast<const char*>(wParam);
    if (RefuseWithoutPort()) return 0;
    // Only a packed file the list holds, and only when the board takes
    // requests: the command may come by another road than the menu.
    const FileEntry* entry = name ? m_link.Files().Entries().Find(name) : nullptr;
    if (!entry || !CFileListModel::CanBeFirmware(*entry) || !IsCommandEnabled(Command::ChangeFirmware)) return 0;
    // The board answers 05/60 but starts the file only at its next restart:
    // there is nothing to wait for.
    m_link.Commands().ChangeFirmwareFile(entry->name);
    return 1;
}

void CZarvoDDlg::OnCertBlockRead(bool present, const uint8_t* records, size_t length) {
    HWND requester = m_certRequester;
    m_certRequester = nullptr;
    if (!requester || !::IsWindow(requester)) return;
    // Only copied here: the dialog shows nothing while the link's handler runs.
    if (auto* dlg = dynamic_cast<CDlgSetting*>(CWnd::FromHandlePermanent(requester)))
        dlg->OnCertBlockRead(present, records, length);
}

// ---- the board went away

void CZarvoDDlg::CloseLinkDialogs() {
    // A search waiting for its scan ends with nothing found.
    if (m_scanRequester && ::IsWindow(m_scanRequester)) ::PostMessageA(m_scanRequester, WM_USER_SCAN_DONE, 0, 0);
    m_scanRequester = nullptr;
    m_certRequester = nullptr;
    if (m_blockWrite == 1) m_blockWrite = 3;
    // The Settings dialog's own jobs end now; the dialog closes after the question.
    if (m_settingsDlg && ::IsWindow(m_settingsDlg)) {
        if (auto* dlg = dynamic_cast<CDlgSetting*>(CWnd::FromHandlePermanent(m_settingsDlg))) dlg->OnLinkLost();
    }
    // Reports of the lost board still on their way do not reach the upgrade
    // dialog any more (its next request names its window again).
    if (m_upgradeDlg) m_upgradeDlg = kUpgradePending;
}

int CZarvoDDlg::AskAboutLostBoard(const std::string& text) {
    const HWND self = m_hWnd;
    QuestionScope question(*this);
    const HWND over = question.Over();
    CDlgMessage box(text.c_str(), over, CLinkDialogs::kStyleQuestion);
    const int answer = static_cast<int>(box.DoModal());
    // Whatever was open on the lost board closes, whatever the answer.
    if (over != self && ::IsWindow(self)) CloseBoardWindow(over);
    return answer;
}

namespace {
// Ends the modal dialogs and closes the other dialog windows that the board
// dialog owns, directly or through one another.
BOOL CALLBACK CloseOwnedBy(HWND wnd, LPARAM board) {
    for (HWND owner = ::GetWindow(wnd, GW_OWNER); owner; owner = ::GetWindow(owner, GW_OWNER)) {
        if (owner != reinterpret_cast<HWND>(board)) continue;
        if (auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(wnd))) {
            if (dlg->IsModalRunning()) dlg->EndDialog(IDCANCEL);
        } else {
            char cls[16] = {};
            ::GetClassNameA(wnd, cls, sizeof cls);
            if (std::string(cls) == "#32770") ::PostMessageA(wnd, WM_CLOSE, 0, 0);  // a common dialog
        }
        break;
    }
    return TRUE;
}
}  // namespace

void CZarvoDDlg::CloseBoardWindow(HWND w) {
    if (!w || !::IsWindow(w)) return;
    HWND board = w;
    for (HWND owner; (owner = ::GetWindow(board, GW_OWNER)) != nullptr && owner != m_hWnd;) board = owner;
    if (board == m_hWnd || ::GetWindow(board, GW_OWNER) != m_hWnd) return;
    // A modeless tool window of ours (the editor's Find) works on no board.
    auto* boardDlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(board));
    if (boardDlg && !boardDlg->IsModalRunning()) return;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CloseOwnedBy, reinterpret_cast<LPARAM>(board));
    ::SendMessageA(board, WM_CLOSE, 0, 0);
    // The dialog manager only posts its Cancel for WM_CLOSE (and not at all
    // while Cancel is disabled): a dialog of ours ends here.
    if (auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(board)))
        if (dlg->IsModalRunning()) dlg->EndDialog(IDCANCEL);
}
