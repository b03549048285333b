#include "config/DlgSearchCh.h"

#include "resources/resource.h"

CDlgSearchCh::CDlgSearchCh(HWND parent)
    : CDlgScanSearch(IDD_SEARCH_CH, parent, m_wndList, "Searching channel") {}

void CDlgSearchCh::OnOK() {
    if (IsSearching()) return;
    m_nSelect = m_wndList.m_nSelect;
    if (m_nSelect >= 0) CDialog::OnOK();
}
