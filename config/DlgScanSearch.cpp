#include "config/DlgScanSearch.h"

#include "resources/resource.h"
#include "ui/WindowMessages.h"

#include <vector>

CDlgScanSearch::CDlgScanSearch(UINT templateId, HWND parent, CWndScanList& list, const char* searchingText)
    : CDialog(templateId, parent), m_strSearching(searchingText), m_list(list), m_dots(searchingText) {}

BEGIN_MESSAGE_MAP(CDlgScanSearch, CDialog)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_SEARCH_AGAIN, OnSearch)
    ON_MESSAGE(WM_USER_SCAN_DONE, OnScanDone)
END_MESSAGE_MAP()

HWND CDlgScanSearch::MainWnd() const {
    return m_hMainWnd ? m_hMainWnd : ::GetParent(GetParent());
}

int CDlgScanSearch::OnCreate(LPCREATESTRUCT cs) {
    const int r = CDialog::OnCreate(cs);
    m_list.CreateList(m_hWnd);
    return r;
}

void CDlgScanSearch::OnSize(UINT, int cx, int cy) {
    if (m_list.m_hWnd) m_list.MoveWindow(10, 10, cx - 20, cy - 60);
}

BOOL CDlgScanSearch::OnInitDialog() {
    CDialog::OnInitDialog();
    const CRect rc = GetClientRect();
    OnSize(0, rc.Width(), rc.Height());
    EnterSearching();
    SetTimer(kTimerStart, 100);
    return TRUE;
}

void CDlgScanSearch::EnterSearching() {
    m_searching = true;
    m_nDotCount = 0;
    m_dots.Reset();
    // Cancel stays usable: a scan that never reports its end must not hold
    // the dialog open.
    ::EnableWindow(GetDlgItem(IDC_SEARCH_AGAIN), FALSE);
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    // A new search: the old choice no longer refers to anything shown.
    m_list.m_nSelect = -1;
    m_list.m_nMode = CWndScanList::kModeMessage;
    m_strMessage = m_strSearching;
    m_list.SetMessageText(m_strMessage);
    SetTimer(kTimerAnimate, 200);
}

void CDlgScanSearch::StartScan() {
    ::SendMessageA(MainWnd(), WM_USER_START_SCAN, reinterpret_cast<WPARAM>(this), 0);
}

void CDlgScanSearch::OnTimer(UINT_PTR id) {
    if (id == kTimerStart) {
        KillTimer(kTimerStart);
        StartScan();
    } else if (id == kTimerAnimate) {
        m_strMessage = m_dots.Next().c_str();
        m_nDotCount = m_strMessage.GetLength() - m_strSearching.GetLength();
        m_list.SetMessageText(m_strMessage);
    }
}

LRESULT CDlgScanSearch::OnScanDone(WPARAM wParam, LPARAM) {
    KillTimer(kTimerStart);
    KillTimer(kTimerAnimate);
    m_searching = false;
    m_list.m_nMode = CWndScanList::kModeRecords;
    // The main window's list lives only as long as this notice: copied.
    m_list.SetRecords(reinterpret_cast<const std::vector<ScanRecord>*>(wParam));
    m_list.UpdateScrollBar();
    for (int id : {IDC_SEARCH_AGAIN, IDOK, IDCANCEL}) ::EnableWindow(GetDlgItem(id), TRUE);
    m_list.Invalidate();
    return 1;
}

void CDlgScanSearch::OnSearch() {
    KillTimer(kTimerStart);
    EnterSearching();
    StartScan();
}

void CDlgScanSearch::OnDestroy() {
    // Closed before its results came: the main window must not keep
    // reporting to a window that is gone.
    if (m_searching) ::SendMessageA(MainWnd(), WM_USER_CANCEL_SCAN, reinterpret_cast<WPARAM>(this), 0);
    m_searching = false;
    CDialog::OnDestroy();
}
