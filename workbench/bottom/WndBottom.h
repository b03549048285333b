// The pane under the editor: on the left the "Output", "FW Log" and
// "Debugger Log" tabs, on the right the watch list and the resource view,
// split by a vertical bar. The main window feeds the logs and the watch
// rows from the board link; the pane keeps the watched names in Init.ini
// (section "Watch") and asks the main window to read their values.
#pragma once

#include "framework/Controls.h"
#include "workbench/bottom/WatchList.h"

#include <cstdint>
#include <memory>

class CWndLog;
class CWndResource;
class CSkinListCtrl;
class CSplitter;

class CWndBottom : public CWnd {
public:
    static constexpr int kMinSide = 195;  // least width left of the bar, and right of it

    CWndBottom();
    ~CWndBottom() override;
    // The dialog manager's Tab reaches the logs and the watch list inside.
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(WS_EX_CONTROLPARENT, OwnClassName(), "", style, rc, parent, id);
    }

    // Logs (ANSI text). Output and firmware log are shown at the next 50 ms
    // tick, as they come; the debugger log gets one line at once, its CR and
    // LF removed, shown or not.
    void AddOutput(const char* text, size_t length);
    void AddFirmwareLog(const char* text, size_t length);
    void AddDebuggerLog(const char* text);
    void SetLogFont(const LOGFONTA& font);
    // The output log's auto scroll (the "AutoScroll" preference).
    void SetAutoScroll(bool on);

    // The bar's x in the pane ("BottomX"): set before creation and before
    // WM_SIZE, read at exit.
    int GetSplitPos() const { return m_split; }
    void SetSplitPos(int split) {
        m_split = split;
        m_splitChosen = true;
    }

    // Watch rows, for the link. GetWatchName also remembers which row the
    // link asked for: SetWatchValue stores a value only in that row, and
    // only while it still holds the name that was asked for.
    int GetWatchCount() const { return m_watches.Count(); }
    CString GetWatchName(int row);
    void SetWatchValue(int row, const CString& type, const CString& value, const CString& fullValue);
    CString GetWatchFullValue(int row) const { return CString(m_watches.FullValue(row)); }

    // Where Init.ini is read, and where the section goes at shut-down (the
    // main window's gathered write); without them, the application-data file.
    static void SetIniPaths(CString (*readPath)(), CString (*writePath)());

    // The resource view draws the main window's twelve records {total, used, -}.
    void SetResourceRows(const int32_t (*rows)[3]);
    void RedrawResourceView();

    BOOL PreTranslateMessage(MSG* msg) override;

    // The parts, for the owner's tests.
    CWndLog* OutputPane() const { return m_output.get(); }
    // The hidden logs are made when first asked for.
    CWndLog* DebuggerPane() { return LogPane(m_debugger); }
    CWndLog* FirmwarePane() { return LogPane(m_firmware); }
    CSkinListCtrl* WatchListCtrl() const { return m_list.get(); }
    CWndResource* ResourceView() const { return m_resource.get(); }
    CTabCtrl* LogTabs() const { return m_logTabs.get(); }
    CTabCtrl* WatchTabs() const { return m_watchTabs.get(); }
    CSplitter* Splitter() const { return m_splitter.get(); }
    const CWatchList& Watches() const { return m_watches; }

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    LRESULT OnSplitterMoved(WPARAM splitter, LPARAM);
    LRESULT OnContextMenu(WPARAM, LPARAM pos);
    void OnLogTabChange(NMHDR*, LRESULT* result);
    void OnWatchTabChange(NMHDR*, LRESULT* result);
    void OnWatchDblClk(NMHDR* hdr, LRESULT* result);
    void OnAdd();
    void OnModify();
    void OnDelete();
    void OnDeleteAll();
    void OnDetail();
    void OnRefresh();

    bool ReadsDebuggerLog() const;
    CWndLog* LogPane(std::unique_ptr<CWndLog>& pane);
    // Where the panes go in a pane of this size, the bar at m_split.
    struct Arrangement {
        CRect logTabs, watchTabs, log, splitter, list;
    };
    static int ListFrame();
    static void BoundColumns(int w, int widths[3]);
    void SettleSplit(int w, const int widths[3]);
    Arrangement Arrange(int w, int h) const;
    void SaveWatchList();
    void InsertRow(int row);
    int FirstSelected() const;
    void ShowDetail(int row);
    void AskForValues();

    std::unique_ptr<CWndLog> m_output;
    std::unique_ptr<CWndLog> m_debugger;
    std::unique_ptr<CWndLog> m_firmware;
    std::unique_ptr<CSkinListCtrl> m_list;
    std::unique_ptr<CWndResource> m_resource;
    CFont m_tabFont;
    std::unique_ptr<CSplitter> m_splitter;
    int m_split = kMinSide;
    // Until a stored position or a drag places the bar, the watch list keeps
    // the width of its columns and the logs take the rest.
    bool m_splitChosen = false;
    bool m_columnsBounded = false;
    CWatchList m_watches;
    std::unique_ptr<CTabCtrl> m_logTabs;
    std::unique_ptr<CTabCtrl> m_watchTabs;
    const int32_t (*m_resourceRows)[3] = nullptr;
};
