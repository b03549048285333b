#include "config/DlgSetting.h"

#include "config/CertFlow.h"
#include "config/DlgSettingRTC.h"
#include "config/DlgUserPW.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/boxes/DlgProgress.h"
#include "ui/WindowMessages.h"

#include <commctrl.h>

#include <cstring>

namespace {
// Replies arrive inside the main window's receive path: what they show is
// shown once that has returned.
constexpr UINT kShowDeferred = WM_APP + 20;
enum Deferred : WPARAM { kWriteResult, kSaveResult };
constexpr size_t kDateMax = 64;
}  // namespace

BEGIN_MESSAGE_MAP(CDlgSetting, CDialog)
ON_WM_DESTROY()
ON_WM_TIMER()
ON_NOTIFY(TCN_SELCHANGE, IDC_SET_TAB, OnTabChange)
ON_BN_CLICKED(IDC_SET_WRITE, OnWrite)
ON_BN_CLICKED(IDC_SET_CERT, OnCertificate)
ON_BN_CLICKED(IDC_SET_PASSWORD, OnPassword)
ON_BN_CLICKED(IDC_SET_TIME, OnTime)
ON_MESSAGE(WM_USER_SETTINGS_WRITTEN, OnSettingsWritten)
ON_MESSAGE(WM_USER_PASSWORD_DONE, OnPasswordDone)
ON_MESSAGE(WM_USER_RTC_DATE, OnRtcDate)
ON_MESSAGE(WM_USER_SAVE_RESULT, OnSaveResult)
ON_MESSAGE(kShowDeferred, OnShowDeferred)
END_MESSAGE_MAP()

CDlgSetting::CDlgSetting(HWND parent) : CDialog(IDD_SETTING, parent), m_network(nullptr), m_wlan(nullptr) {
    // Windows registers these classes only when asked (Wine always does).
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_INTERNET_CLASSES | ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&icc);
}

CDlgSetting::~CDlgSetting() { EndWaitBox(); }

BOOL CDlgSetting::PreTranslateMessage(MSG* msg) {
    if (IsEnter(msg)) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

void CDlgSetting::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_SET_TAB, m_tab); }

LRESULT CDlgSetting::AskParent(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND parent = GetParent();
    return parent ? ::SendMessageA(parent, message, wParam, lParam) : 0;
}

bool CDlgSetting::EndIfNotSent(LRESULT answer, CSettingsDialogModel::Job job) {
    if (answer != 0 && answer != kAnswerLinkBusy) return false;
    Finish(job);
    if (answer == kAnswerLinkBusy) ShowMessage(m_hWnd, IDS_LINK_BUSY, MB_ICONEXCLAMATION);
    return true;
}

BOOL CDlgSetting::OnInitDialog() {
    CDialog::OnInitDialog();
    m_model.reset(new CSettingsDialogModel(m_wired != 0, m_hasWlan != 0, m_firmwareHeader.str()));
    const std::string name = m_pSettings ? m_pSettings->FirmwareNameText() : std::string();
    SetWindowText(CSettingsDialogModel::Title(GetWindowText().str(), name).c_str());

    RECT client{};
    ::GetClientRect(m_tab.m_hWnd, &client);
    const int w = client.right - 6, h = client.bottom - 25;
    // A Write that the board refuses, or Cancel, leaves the board's record as read.
    if (m_pSettings) m_edit = *m_pSettings;
    if (m_pSettings && (m_wired || m_hasWlan)) {
        m_tab.InsertItem(0, CResources::LoadString(IDS_NETWORK));
        m_network.m_pSettings = &m_edit;
        m_network.m_wired = m_wired;
        m_network.Create(IDD_SETTING_NETWORK, m_tab.m_hWnd);
        m_network.SetWindowPos(nullptr, 2, 22, w, h, SWP_NOZORDER | SWP_SHOWWINDOW);
        m_network.m_wlanOn = (m_edit.flags & 1) ? 1 : 0;
        m_network.Fill();
        m_shown = &m_network;
    }
    if (m_pSettings && m_hasWlan) {
        m_tab.InsertItem(1, CResources::LoadString(IDS_WIRELESS_LAN));
        m_wlan.m_pSettings = &m_edit;
        m_wlan.Create(IDD_SETTING_WLAN, m_tab.m_hWnd);
        m_wlan.SetWindowPos(nullptr, 2, 22, w, h, SWP_NOZORDER);
        m_wlan.m_mac = m_mac;
        m_wlan.Fill();
    }
    // Absent pages are skipped: a board with neither interface has none.
    if (m_network.m_hWnd) m_network.ApplyEnabling(m_wlan.m_hWnd ? m_wlan.m_topology : 0);

    UpdateButtons();
    Start(CSettingsDialogModel::kCertRead);
    HWND self = m_hWnd;
    const LRESULT sent = AskParent(WM_USER_READ_CERT_BLOCK, reinterpret_cast<WPARAM>(this), 0);
    if (::IsWindow(self) && !sent) Finish(CSettingsDialogModel::kCertRead);
    return TRUE;
}

void CDlgSetting::OnDestroy() {
    KillTimer(kTimerOpenTime);
    KillTimer(kTimerCloseAfterReboot);
    EndWaitBox();
    Default();
}

void CDlgSetting::Start(CSettingsDialogModel::Job job) {
    m_model->Start(job);
    UpdateButtons();
}

void CDlgSetting::Finish(CSettingsDialogModel::Job job) {
    m_model->Finish(job);
    UpdateButtons();
}

void CDlgSetting::UpdateButtons() {
    if (!m_hWnd || !m_model) return;
    ::EnableWindow(GetDlgItem(IDC_SET_WRITE), m_model->WriteEnabled());
    ::EnableWindow(GetDlgItem(IDC_SET_CERT), m_model->CertificateEnabled());
    ::EnableWindow(GetDlgItem(IDC_SET_TIME), m_model->OtherButtonsEnabled());
    ::EnableWindow(GetDlgItem(IDC_SET_PASSWORD), m_model->OtherButtonsEnabled());
}

void CDlgSetting::OnCertBlockRead(bool present, const uint8_t* records, size_t length) {
    if (present && records && length <= 65536) {
        m_certBlock.records.assign(65536, 0);
        std::memcpy(m_certBlock.records.data(), records, length);
        m_certBlock.length = static_cast<int>(length);
    } else {
        m_certBlock.records.clear();
        m_certBlock.length = -1;
    }
    ++m_certReads;
    if (m_hWnd && m_model) Finish(CSettingsDialogModel::kCertRead);
}

namespace {
// Ends every modal dialog that this one owns, directly or through another.
BOOL CALLBACK EndOwnedModal(HWND wnd, LPARAM settings) {
    for (HWND owner = ::GetWindow(wnd, GW_OWNER); owner; owner = ::GetWindow(owner, GW_OWNER)) {
        if (owner != reinterpret_cast<HWND>(settings)) continue;
        auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(wnd));
        if (dlg && dlg->IsModalRunning()) dlg->EndDialog(IDCANCEL);
        break;
    }
    return TRUE;
}
}  // namespace

void CDlgSetting::CloseForLinkLoss() {
    OnLinkLost();
    if (!m_hWnd) return;
    // A question or a form open over the dialog ends too: its answer would
    // go to a board that is gone.
    ::EnumThreadWindows(::GetCurrentThreadId(), &EndOwnedModal, reinterpret_cast<LPARAM>(m_hWnd));
    EndDialog(IDCANCEL);
    // Off the screen at once: the main window's question about the lost board
    // comes next, and the ended dialog would stay up behind it, looking
    // usable, until that question is answered (our modal loop ends it only
    // when it gets control back).
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
}

void CDlgSetting::OnLinkLost() {
    m_linkLost = true;
    EndWaitBox();
}

void CDlgSetting::EndWaitBox() {
    if (!m_waitBox) return;
    CDlgProgress* box = m_waitBox;
    m_waitBox = nullptr;
    if (box->m_hWnd) box->DestroyWindow();
    delete box;
}

void CDlgSetting::OnTabChange(NMHDR*, LRESULT* result) {
    *result = 0;
    if (m_shown && m_shown->m_hWnd) m_shown->ShowWindow(SW_HIDE);
    const int sel = m_tab.GetCurSel();
    if (sel == 0 && m_network.m_hWnd) {
        m_network.m_wlanOn = m_wlan.m_hWnd ? (m_wlan.GetWlanSel() == 1 ? 1 : 0) : m_network.m_wlanOn;
        m_network.ShowWindow(SW_SHOW);
        m_network.ApplyEnabling(m_wlan.m_hWnd ? m_wlan.m_topology : 0);
        m_shown = &m_network;
    } else if (sel == 1 && m_wlan.m_hWnd) {
        m_wlan.ShowWindow(SW_SHOW);
        m_shown = &m_wlan;
    }
}

void CDlgSetting::OnWrite() {
    if (!m_model->WriteEnabled() || m_linkLost) return;
    HWND self = m_hWnd;
    if (m_network.m_hWnd && !m_network.Store()) return;
    if (!::IsWindow(self)) return;
    if (m_hasWlan && m_wlan.m_hWnd && !m_wlan.Store()) return;
    if (!::IsWindow(self)) return;
    Start(CSettingsDialogModel::kWrite);
    const LRESULT sent = AskParent(WM_USER_WRITE_SETTINGS, reinterpret_cast<WPARAM>(this), 0);
    if (::IsWindow(self)) EndIfNotSent(sent, CSettingsDialogModel::kWrite);
}

LRESULT CDlgSetting::OnSettingsWritten(WPARAM wParam, LPARAM) {
    if (m_model->Running() != CSettingsDialogModel::kWrite) return 1;
    Finish(CSettingsDialogModel::kWrite);
    PostMessage(kShowDeferred, kWriteResult, wParam == 1 ? 1 : 0);
    return 1;
}

LRESULT CDlgSetting::OnShowDeferred(WPARAM kind, LPARAM value) {
    if (m_linkLost) return 0;
    HWND self = m_hWnd;
    if (kind == kWriteResult) {
        if (!value) {
            ShowMessage(m_hWnd, IDS_SET_VALUE_FAILED, MB_ICONEXCLAMATION);
            return 0;
        }
        const CString text = CResources::LoadString(IDS_SET_VALUE_OK) + "\r\n\r\n" + CResources::LoadString(IDS_ASK_REBOOT);
        if (ShowMessageText(m_hWnd, text, MB_YESNO | MB_ICONQUESTION) != IDYES || !::IsWindow(self) || m_linkLost)
            return 0;
        Start(CSettingsDialogModel::kReboot);
        AskParent(WM_USER_REBOOT, 0, 0);
        if (::IsWindow(self)) SetTimer(kTimerCloseAfterReboot, 100);
    } else if (kind == kSaveResult) {
        ShowMessage(m_hWnd, value ? IDS_CERT_SAVED : IDS_CERT_SAVE_FAILED, MB_ICONEXCLAMATION);
    }
    return 0;
}

void CDlgSetting::OnTime() {
    if (!m_model->OtherButtonsEnabled() || m_linkLost) return;
    Start(CSettingsDialogModel::kTime);
    HWND self = m_hWnd;
    const LRESULT has = AskParent(WM_USER_GET_RTC_DATE, reinterpret_cast<WPARAM>(this), 0);
    if (!::IsWindow(self)) return;
    if (has == kAnswerLinkBusy) {
        EndIfNotSent(has, CSettingsDialogModel::kTime);
    } else if (has == kAnswerNotConnected) {
        Finish(CSettingsDialogModel::kTime);
    } else if (!has) {
        Finish(CSettingsDialogModel::kTime);
        ShowMessage(m_hWnd, IDS_NO_RTC, MB_ICONEXCLAMATION);
    }
}

LRESULT CDlgSetting::OnRtcDate(WPARAM wParam, LPARAM lParam) {
    // Only the answer to our own question, and only once.
    if (m_model->Running() != CSettingsDialogModel::kTime || m_timeDialogOpen) return 1;
    const char* text = reinterpret_cast<const char*>(wParam);
    if (!lParam || !text) {
        Finish(CSettingsDialogModel::kTime);
        return 1;
    }
    m_date = std::string(text, strnlen(text, kDateMax)).c_str();
    m_timeDialogOpen = true;
    SetTimer(kTimerOpenTime, 10);
    return 1;
}

void CDlgSetting::OnTimer(UINT_PTR id) {
    if (id == kTimerCloseAfterReboot) {
        KillTimer(kTimerCloseAfterReboot);
        OnCancel();
        return;
    }
    if (id != kTimerOpenTime) return;
    KillTimer(kTimerOpenTime);
    HWND self = m_hWnd;
    CDlgSettingRTC dlg(m_hWnd);
    dlg.m_boardDate = m_date;
    const INT_PTR result = dlg.DoModal();
    if (!::IsWindow(self)) return;
    m_timeDialogOpen = false;
    if (result != IDOK || m_linkLost) {
        Finish(CSettingsDialogModel::kTime);
        return;
    }
    const std::string date = dlg.m_result.str();
    const LRESULT sent = AskParent(WM_USER_SET_RTC_DATE, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(date.c_str()));
    if (::IsWindow(self)) EndIfNotSent(sent, CSettingsDialogModel::kTime);
}

LRESULT CDlgSetting::OnSaveResult(WPARAM, LPARAM lParam) {
    // Also when the main window answered the set request with 0 although it sent it.
    const CSettingsDialogModel::Job job = m_model->Running();
    if ((job != CSettingsDialogModel::kTime && job != CSettingsDialogModel::kNoJob) || m_timeDialogOpen) return 1;
    Finish(CSettingsDialogModel::kTime);
    PostMessage(kShowDeferred, kSaveResult, lParam ? 1 : 0);
    return 1;
}

void CDlgSetting::OnPassword() {
    if (!m_model->OtherButtonsEnabled() || m_linkLost) return;
    Start(CSettingsDialogModel::kPassword);
    HWND self = m_hWnd;
    CDlgUserPW dlg(m_hWnd);
    dlg.m_mode = CDlgUserPW::kModeSet;
    dlg.m_passwordGiven = m_passwordSet;
    if (!m_passwordSet) ShowMessage(m_hWnd, IDS_NO_PASSWORD_RESTORE, MB_ICONEXCLAMATION);
    if (!::IsWindow(self)) return;
    if (m_linkLost || dlg.DoModal() != IDOK || !::IsWindow(self) || m_linkLost) {
        if (::IsWindow(self)) Finish(CSettingsDialogModel::kPassword);
        return;
    }
    const std::string request = CSettingsDialogModel::PasswordRequest(dlg.m_deleteRequested != 0, dlg.m_password.str(),
                                                                      m_mcuId.str());
    m_pendingPasswordGiven = dlg.m_passwordGiven;
    // Not connected: nothing was sent (the main window said so), nothing to wait for.
    const LRESULT sent = AskParent(WM_USER_SET_PASSWORD, reinterpret_cast<WPARAM>(this),
                                   reinterpret_cast<LPARAM>(request.c_str()));
    if (!::IsWindow(self) || EndIfNotSent(sent, CSettingsDialogModel::kPassword)) return;
    if (m_model->Running() != CSettingsDialogModel::kPassword) return;  // answered already
    m_waitBox = new CDlgProgress(m_hWnd);
    m_waitBox->m_mode = 4;
    m_waitBox->m_owner = m_hWnd;
    m_waitBox->Create(IDD_PROGRESS, m_hWnd);
    if (m_waitBox->m_hWnd) m_waitBox->ShowWindow(SW_SHOW);
}

LRESULT CDlgSetting::OnPasswordDone(WPARAM wParam, LPARAM) {
    if (m_model->Running() != CSettingsDialogModel::kPassword) return 1;
    EndWaitBox();
    // The board holds the new state only when it came back with it.
    if (wParam == 1) m_passwordSet = m_pendingPasswordGiven;
    Finish(CSettingsDialogModel::kPassword);
    return 1;
}

void CDlgSetting::OnCertificate() {
    if (!m_model->CertificateEnabled() || m_linkLost) return;
    Start(CSettingsDialogModel::kCertificate);
    HWND self = m_hWnd;
    uint32_t ipv4 = 0;
    if (m_pSettings) std::memcpy(&ipv4, m_pSettings->ipv4Address, 4);
    CCertFlow flow(*this, m_certBlock, m_keyBlockPresent != 0, ipv4);
    const unsigned reads = m_certReads;
    flow.Run();
    if (!::IsWindow(self)) return;
    Finish(CSettingsDialogModel::kCertificate);
    // Until the read-back of what was written comes, the copy of the board's
    // certificate is the old one: the button waits for it.
    if (flow.m_readBackStarted && m_certReads == reads) Start(CSettingsDialogModel::kCertRead);
}
