// "Search channel": channels 1 to 13 with the access points on each; Select
// returns the chosen row (channel - 1).
#pragma once

#include "config/DlgScanSearch.h"
#include "config/WndCHList.h"

class CDlgSearchCh : public CDlgScanSearch {
public:
    explicit CDlgSearchCh(HWND parent);

    CWndCHList m_wndList;
    int m_nSelect = -1;  // result: 0..12

protected:
    void OnOK() override;
};
