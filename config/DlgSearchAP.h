// "Search AP": the access points the board sees; Select returns the chosen
// SSID and whether it is secured.
#pragma once

#include "config/DlgScanSearch.h"
#include "config/WndAPList.h"

class CDlgSearchAP : public CDlgScanSearch {
public:
    explicit CDlgSearchAP(HWND parent);

    CWndAPList m_wndList;
    CString m_strSSID;  // result
    int m_nSecure = 0;  // result: 1 when the chosen access point is secured

protected:
    void OnOK() override;
};
