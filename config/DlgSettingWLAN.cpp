#include "config/DlgSettingWLAN.h"

#include "config/ComboInit.h"
#include "config/DlgSettingWLANAdvance.h"
#include "config/DlgSettingWLANIDPW.h"
#include "config/DlgSearchAP.h"
#include "config/DlgSearchCh.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"

#include <cstdio>

BEGIN_MESSAGE_MAP(CDlgSettingWLAN, CDialog)
ON_BN_CLICKED(IDC_WLAN_ADHOC, OnAdhoc)
ON_BN_CLICKED(IDC_WLAN_INFRA, OnInfra)
ON_BN_CLICKED(IDC_WLAN_SOFTAP, OnSoftAp)
ON_BN_CLICKED(IDC_WLAN_HIDE, OnHide)
ON_BN_CLICKED(IDC_WLAN_ADVANCED, OnAdvanced)
ON_BN_CLICKED(IDC_WLAN_IDPW, OnIdPassword)
ON_CBN_SELCHANGE(IDC_WLAN_ENABLE, OnWlanChanged)
ON_CBN_SELCHANGE(IDC_WLAN_DOT1X, OnDot1xChanged)
ON_CONTROL(CBN_SELENDCANCEL, IDC_WLAN_ENABLE, OnComboClosed)
ON_CONTROL(CBN_CLOSEUP, IDC_WLAN_ENABLE, OnComboClosed)
ON_CONTROL(CBN_SELENDCANCEL, IDC_WLAN_DOT1X, OnComboClosed)
ON_CONTROL(CBN_CLOSEUP, IDC_WLAN_DOT1X, OnComboClosed)
ON_BN_CLICKED(IDC_WLAN_SEARCH, OnSearch)
END_MESSAGE_MAP()

CDlgSettingWLAN::CDlgSettingWLAN(HWND parent) : CDialog(IDD_SETTING_WLAN, parent) {}

BOOL CDlgSettingWLAN::PreTranslateMessage(MSG* msg) {
    if (IsEnterOrEsc(msg)) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CDlgSettingWLAN::OnInitDialog() {
    CDialog::OnInitDialog();
    FillCombosFromResource(m_hWnd, IDD_SETTING_WLAN);
    if (m_pSettings) {
        m_model.reset(new CWlanPageModel(*m_pSettings, ""));
        m_model->Init();
        m_wlanAtOpen = m_model->WlanAtOpen() ? 1 : 0;
        WriteControls();
    }
    ::SendDlgItemMessageA(m_hWnd, IDC_WLAN_KEY, EM_SETPASSWORDCHAR, '*', 0);
    return TRUE;
}

int CDlgSettingWLAN::GetWlanSel() const {
    return static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_WLAN_ENABLE, CB_GETCURSEL, 0, 0));
}

void CDlgSettingWLAN::ReadControls() {
    // The WLAN choice is the one the page applied (OnWlanChanged), not what an open list shows.
    WlanPageState& s = m_model->State();
    s.topology = ::IsDlgButtonChecked(m_hWnd, IDC_WLAN_ADHOC) ? 0
                 : ::IsDlgButtonChecked(m_hWnd, IDC_WLAN_INFRA) ? 1
                 : ::IsDlgButtonChecked(m_hWnd, IDC_WLAN_SOFTAP) ? 2
                                                                  : -1;
    s.channelSel = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_WLAN_CHANNEL, CB_GETCURSEL, 0, 0));
    s.dot1xSel = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_WLAN_DOT1X, CB_GETCURSEL, 0, 0));
    s.ssid = GetDlgItemText(IDC_WLAN_SSID).str();
    s.key = GetDlgItemText(IDC_WLAN_KEY).str();
    s.hideChars = ::IsDlgButtonChecked(m_hWnd, IDC_WLAN_HIDE) == BST_CHECKED;
}

void CDlgSettingWLAN::WriteControls() {
    const WlanPageState& s = m_model->State();
    ::SendDlgItemMessageA(m_hWnd, IDC_WLAN_ENABLE, CB_SETCURSEL, static_cast<WPARAM>(s.wlanSel), 0);
    if (s.topology >= 0)
        ::CheckRadioButton(m_hWnd, IDC_WLAN_ADHOC, IDC_WLAN_SOFTAP, IDC_WLAN_ADHOC + s.topology);
    ::SendDlgItemMessageA(m_hWnd, IDC_WLAN_CHANNEL, CB_SETCURSEL, static_cast<WPARAM>(s.channelSel), 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_WLAN_DOT1X, CB_SETCURSEL, static_cast<WPARAM>(s.dot1xSel), 0);
    // Edits hold as many characters as their fields hold bytes; Store checks the bytes.
    ::SendDlgItemMessageA(m_hWnd, IDC_WLAN_SSID, EM_LIMITTEXT, CWlanPageModel::kSsidBytes, 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_WLAN_KEY, EM_LIMITTEXT, CWlanPageModel::kKeyBytes, 0);
    SetDlgItemText(IDC_WLAN_SSID, s.ssid.c_str());
    SetDlgItemText(IDC_WLAN_KEY, s.key.c_str());
    ::CheckDlgButton(m_hWnd, IDC_WLAN_HIDE, s.hideChars ? BST_CHECKED : BST_UNCHECKED);
    if (s.searchCaption) SetDlgItemText(IDC_WLAN_SEARCH, CResources::LoadString(s.searchCaption));
    if (s.idpwCaption) SetDlgItemText(IDC_WLAN_IDPW, CResources::LoadString(s.idpwCaption));
    for (int id : {IDC_WLAN_ADHOC, IDC_WLAN_INFRA, IDC_WLAN_SOFTAP, IDC_WLAN_SSID, IDC_WLAN_ADVANCED, IDC_WLAN_KEY,
                   IDC_WLAN_HIDE, IDC_WLAN_DOT1X})
        ::EnableWindow(GetDlgItem(id), s.controlsEnabled);
    ::EnableWindow(GetDlgItem(IDC_WLAN_CHANNEL), s.controlsEnabled && s.channelEnabled);
    ::EnableWindow(GetDlgItem(IDC_WLAN_IDPW), s.controlsEnabled && s.idpwEnabled);
    ::EnableWindow(GetDlgItem(IDC_WLAN_SEARCH), s.searchEnabled);
    // The antenna is not stored anywhere.
    ::EnableWindow(GetDlgItem(IDC_WLAN_ANT_INTERNAL), FALSE);
    ::EnableWindow(GetDlgItem(IDC_WLAN_ANT_EXTERNAL), FALSE);
    m_topology = s.topology >= 0 ? s.topology : m_topology;
}

void CDlgSettingWLAN::Fill() {
    if (!m_pSettings) return;
    // The MAC text arrives after creation: the model takes it, keeping its state.
    const WlanPageState keep = m_model ? m_model->State() : WlanPageState();
    const bool hadModel = m_model != nullptr;
    m_model.reset(new CWlanPageModel(*m_pSettings, m_mac.str()));
    m_model->Init();
    if (hadModel) m_model->State() = keep;
    m_wlanAtOpen = m_model->WlanAtOpen() ? 1 : 0;
    m_model->Fill();
    WriteControls();
    ::SendDlgItemMessageA(m_hWnd, IDC_WLAN_KEY, EM_SETPASSWORDCHAR, '*', 0);
}

void CDlgSettingWLAN::OnTopology(int topology) {
    if (!m_model) return;
    ReadControls();
    m_model->OnTopologyClicked(topology);
    WriteControls();
}

void CDlgSettingWLAN::OnHide() {
    HWND key = GetDlgItem(IDC_WLAN_KEY);
    const bool hide = ::IsDlgButtonChecked(m_hWnd, IDC_WLAN_HIDE) == BST_CHECKED;
    ::SendMessageA(key, EM_SETPASSWORDCHAR, hide ? '*' : 0, 0);
    ::InvalidateRect(key, nullptr, TRUE);
    ::SetFocus(key);
}

bool CDlgSettingWLAN::IsListOpen(int comboId) const {
    return ::SendDlgItemMessageA(m_hWnd, comboId, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

// A choice only looked at in an open list (the arrow keys, Home) is taken when
// the list closes on it (OnComboClosed): one dropped there comes back without
// a change notice, and the page must not have acted on it.
void CDlgSettingWLAN::OnWlanChanged() {
    if (!m_model || IsListOpen(IDC_WLAN_ENABLE)) return;
    const int sel = GetWlanSel();
    ReadControls();
    m_model->OnWlanChanged(sel);
    WriteControls();
}

void CDlgSettingWLAN::OnDot1xChanged() {
    if (!m_model || IsListOpen(IDC_WLAN_DOT1X)) return;
    ReadControls();
    m_model->OnDot1xChanged(m_model->State().dot1xSel);
    WriteControls();
}

// The list closed: the page takes what the combo shows now where that is not
// what it last applied. Wine reverts a choice dropped by a click elsewhere but
// keeps one dropped with Esc; either way the combo shows the final choice.
void CDlgSettingWLAN::OnComboClosed() {
    if (!m_model) return;
    if (GetWlanSel() != m_model->State().wlanSel) OnWlanChanged();
    if (::SendDlgItemMessageA(m_hWnd, IDC_WLAN_DOT1X, CB_GETCURSEL, 0, 0) != m_model->State().dot1xSel) OnDot1xChanged();
}

void CDlgSettingWLAN::Warn(const CWlanPageModel::StoreResult& r) {
    char text[512];
    std::snprintf(text, sizeof text, CResources::LoadString(r.messageId).c_str(), r.limit);
    ShowMessageText(m_hWnd, text, MB_ICONEXCLAMATION);
}

int CDlgSettingWLAN::Store() {
    if (!m_model) return 1;
    ReadControls();
    const CWlanPageModel::StoreResult r = m_model->Store();
    if (r.stored) return 1;
    Warn(r);
    if (::IsWindow(m_hWnd)) {
        HWND edit = GetDlgItem(r.focus == CWlanPageModel::StoreResult::kSsid ? IDC_WLAN_SSID : IDC_WLAN_KEY);
        ::SetFocus(edit);
    }
    return 0;
}

void CDlgSettingWLAN::OnAdvanced() {
    if (!m_model) return;
    ReadControls();
    CDlgSettingWLANAdvance dlg(m_hWnd);
    dlg.m_state = m_model->AdvancedFromRecord();
    dlg.m_topology = m_model->State().topology;
    HWND self = m_hWnd;
    if (dlg.DoModal() != IDOK || !::IsWindow(self)) return;
    m_model->StoreAdvanced(dlg.m_state);
}

void CDlgSettingWLAN::OnIdPassword() {
    if (!m_model || !m_model->CredentialsPresent()) {
        ShowMessageText(m_hWnd, "ENV Error", MB_ICONEXCLAMATION);
        return;
    }
    ReadControls();
    SettingsRecord& record = *m_pSettings;
    CDlgSettingWLANIDPW dlg(m_hWnd);
    dlg.m_mode = m_model->CredentialMode();
    dlg.m_id = CWlanPageModel::BufferText(record.dot1xIdentity).c_str();
    dlg.m_idLimit = static_cast<int>(record.dot1xIdentity.size());
    if (dlg.m_mode == CDlgSettingWLANIDPW::kIdAndPassword) {
        dlg.m_password = CWlanPageModel::BufferText(record.dot1xPassword).c_str();
        dlg.m_passwordLimit = static_cast<int>(record.dot1xPassword.size());
    }
    HWND self = m_hWnd;
    if (dlg.DoModal() != IDOK || !::IsWindow(self)) return;
    // Both or neither: a text longer than its record (counted in bytes) is refused whole.
    const std::string id = dlg.m_id.str(), password = dlg.m_password.str();
    const bool withPassword = dlg.m_mode == CDlgSettingWLANIDPW::kIdAndPassword;
    if (id.size() > record.dot1xIdentity.size() || (withPassword && password.size() > record.dot1xPassword.size())) {
        CWlanPageModel::StoreResult r{false, IDS_TEXT_TOO_LONG,
                                      static_cast<int>(id.size() > record.dot1xIdentity.size()
                                                           ? record.dot1xIdentity.size()
                                                           : record.dot1xPassword.size()),
                                      CWlanPageModel::StoreResult::kNone};
        Warn(r);
        return;
    }
    CWlanPageModel::StoreBuffer(record.dot1xIdentity, id);
    if (withPassword) CWlanPageModel::StoreBuffer(record.dot1xPassword, password);
}

void CDlgSettingWLAN::SelectKey() {
    HWND key = GetDlgItem(IDC_WLAN_KEY);
    ::SetFocus(key);
    ::SendMessageA(key, EM_SETSEL, 0, ::GetWindowTextLengthA(key));
    ::SendMessageA(key, EM_SCROLLCARET, 0, 0);
}

void CDlgSettingWLAN::OnSearch() {
    HWND self = m_hWnd;
    // The scan runs in the main window, the Settings dialog's parent.
    HWND main = ::GetParent(::GetAncestor(m_hWnd, GA_ROOT));
    if (::IsDlgButtonChecked(m_hWnd, IDC_WLAN_INFRA) == BST_CHECKED) {
        CDlgSearchAP dlg(m_hWnd);
        dlg.m_hMainWnd = main;
        if (dlg.DoModal() != IDOK || !::IsWindow(self)) return;
        SetDlgItemText(IDC_WLAN_SSID, dlg.m_strSSID);
        if (dlg.m_nSecure) SelectKey();
        return;
    }
    CDlgSearchCh dlg(m_hWnd);
    dlg.m_hMainWnd = main;
    if (dlg.DoModal() != IDOK || !::IsWindow(self)) return;
    // Row 0 is channel 1; entry 0 of the combo is "Automatic".
    if (dlg.m_nSelect >= 0 && dlg.m_nSelect < 13)
        ::SendDlgItemMessageA(m_hWnd, IDC_WLAN_CHANNEL, CB_SETCURSEL, static_cast<WPARAM>(dlg.m_nSelect + 1), 0);
    SelectKey();
}
