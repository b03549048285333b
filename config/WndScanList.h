// The self-drawn, vertically scrolling list of the access-point and channel
// searches: a message text while searching, then rows drawn from the
// records of the last scan. The list keeps its own copy of the records (the
// main window's list lives only as long as its notice).
#pragma once

#include "framework/Wnd.h"
#include "link/services/ScanRecord.h"

#include <vector>

class CWndScanList : public CWnd {
public:
    explicit CWndScanList(int rowHeight) : m_nRowHeight(rowHeight) {}

    enum { kModeMessage = 0, kModeRecords = 1 };
    int m_nMode = kModeMessage;
    int m_nRowHeight;
    int m_nSelect = -1;
    CString m_strMessage;

    bool CreateList(HWND parent);
    void SetMessageText(const char* text);
    // null: the scan failed (mode 1 then shows nothing).
    void SetRecords(const std::vector<ScanRecord>* records);
    bool HasRecords() const { return m_hasRecords; }
    const std::vector<ScanRecord>& Records() const { return m_records; }
    void UpdateScrollBar();
    int GetScrollPosition() const { return ::GetScrollPos(m_hWnd, SB_VERT); }

protected:
    DECLARE_MESSAGE_MAP()
    virtual int RowCount() const = 0;
    // Draws the rows of mode 1 (records present) into the off-screen DC.
    virtual void DrawRows(CDC& dc, const CRect& client) = 0;
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnLButtonDown(UINT flags, CPoint point);
    LRESULT OnVScroll(WPARAM wParam, LPARAM);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM);
    void SelectRowColours(CDC& dc, const CRect& row, bool selected);

    std::vector<ScanRecord> m_records;
    bool m_hasRecords = false;
    CFont m_font;
};
