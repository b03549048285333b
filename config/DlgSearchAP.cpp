#include "config/DlgSearchAP.h"

#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"

CDlgSearchAP::CDlgSearchAP(HWND parent) : CDlgScanSearch(IDD_SEARCH_AP, parent, m_wndList, "Searching AP") {}

void CDlgSearchAP::OnOK() {
    if (IsSearching()) return;
    m_strSSID = m_wndList.GetSelectedSSID();
    const ScanRecord* r = m_wndList.GetSelectedRecord();
    if (!r || m_strSSID.IsEmpty()) {
        ShowMessage(m_hWnd, IDS_SELECT_AP, MB_ICONWARNING | MB_OK);
        return;
    }
    m_nSecure = r->IsSecured() ? 1 : 0;
    CDialog::OnOK();
}
