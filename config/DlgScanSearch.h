// What the access-point and channel searches share: the board scans when
// the dialog opens and on "Search", the list animates its text meanwhile,
// and the results arrive as WM_USER_SCAN_DONE from the main window.
#pragma once

#include "config/ScanListRules.h"
#include "config/WndScanList.h"
#include "framework/Dialog.h"

class CDlgScanSearch : public CDialog {
public:
    enum Timer : UINT_PTR { kTimerStart = 1, kTimerAnimate = 2 };

    CDlgScanSearch(UINT templateId, HWND parent, CWndScanList& list, const char* searchingText);

    // The main window that runs the scan; by default the dialog's parent's
    // parent (the search is opened from a page of the Settings dialog).
    HWND m_hMainWnd = nullptr;
    CString m_strSearching;
    int m_nDotCount = 0;
    CString m_strMessage;
    bool IsSearching() const { return m_searching; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCT cs);
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnSearch();
    LRESULT OnScanDone(WPARAM wParam, LPARAM);
    void EnterSearching();
    void StartScan();
    HWND MainWnd() const;

    CWndScanList& m_list;
    ScanListRules::CSearchAnimation m_dots;
    bool m_searching = false;
};
