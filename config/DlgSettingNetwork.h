// The Settings dialog's "Network" page: a borderless child over CNetworkPageModel.
#pragma once

#include "config/NetworkPageModel.h"
#include "framework/Dialog.h"

#include <memory>

class CDlgSettingNetwork : public CDialog {
public:
    explicit CDlgSettingNetwork(HWND parent);

    SettingsRecord* m_pSettings = nullptr;  // set before Create; not owned
    int m_wired = 1;
    int m_wlanOn = 0;

    void Fill();
    void ApplyEnabling(int topology);
    // 1 stored, 0 refused (the message was shown and the edit has the focus).
    int Store();
    CNetworkPageModel* Model() { return m_model.get(); }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void OnStatic();
    void OnDhcp();
    void OnDnsAuto();
    void ReadControls();
    void WriteControls();

    std::unique_ptr<CNetworkPageModel> m_model;
};
