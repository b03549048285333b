// The Settings dialog's "Wireless LAN" page: a borderless child over CWlanPageModel.
#pragma once

#include "config/WlanPageModel.h"
#include "framework/Dialog.h"

#include <memory>

class CDlgSettingWLAN : public CDialog {
public:
    explicit CDlgSettingWLAN(HWND parent);

    SettingsRecord* m_pSettings = nullptr;  // with the 802.1X buffers; set before Create, not owned
    CString m_mac;                          // hex digits, set before Fill
    int m_topology = 0;
    int m_wlanAtOpen = 0;

    void Fill();
    // 1 stored, 0 refused (the message was shown and the edit has the focus).
    int Store();
    // The "WLAN" combo: 0 off, 1 on.
    int GetWlanSel() const;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void OnAdhoc() { OnTopology(0); }
    void OnInfra() { OnTopology(1); }
    void OnSoftAp() { OnTopology(2); }
    void OnTopology(int topology);
    void OnHide();
    void OnWlanChanged();
    void OnDot1xChanged();
    void OnComboClosed();
    bool IsListOpen(int comboId) const;
    void OnAdvanced();
    void OnIdPassword();
    void OnSearch();
    void SelectKey();
    void ReadControls();
    void WriteControls();
    void Warn(const CWlanPageModel::StoreResult& r);

    std::unique_ptr<CWlanPageModel> m_model;
};
