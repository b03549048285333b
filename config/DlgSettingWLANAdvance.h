// "Advanced Settings" of the wireless page: phy mode and its options.
#pragma once

#include "config/WlanPageModel.h"
#include "framework/Dialog.h"

class CDlgSettingWLANAdvance : public CDialog {
public:
    explicit CDlgSettingWLANAdvance(HWND parent);

    int m_topology = 0;
    WlanAdvancedState m_state;  // in: from the record; out after IDOK

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnPhy(UINT id);
    void SaveChecks();
    void ApplyRules();
};
