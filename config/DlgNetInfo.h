// "Network information": three text reports (network, wireless LAN,
// ARP/NDC tables) in tabs, built once from what the main window collected.
#pragma once

#include "config/DlgNetInfoDetail.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "link/services/NetworkInfo.h"

class CDlgNetInfo : public CDialog {
public:
    explicit CDlgNetInfo(HWND parent);

    // Set by the main window before DoModal: a copy of what the network
    // chain gathered (addresses, conflict, wireless record, tables).
    NetworkInfo m_info;
    // false: that report is left empty (the main window had none).
    bool m_hasWlanStatus = true;
    bool m_hasArpList = true;
    bool m_hasNeighbourList = true;
    // 0x412 selects the Korean texts.
    LANGID m_langId = 0;

    CTabCtrl m_tab;
    CDlgNetInfoDetail m_page;
    CString m_strNetwork, m_strWireless, m_strNeighbour;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnTcnSelchangeTab(NMHDR*, LRESULT* result);
};
