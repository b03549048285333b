// The pane under the editor: the "Output", "FW Log" and "Debugger Log" tabs.
// This stand-in shows each log in a read-only edit control until the real
// pane (logs, watch list, resource view) replaces it file for file; the
// member functions are the ones the main window and the link call.
#pragma once

#include "framework/Controls.h"

#include <string>

class CWndBottom : public CWnd {
public:
    static constexpr UINT kLeftTabId = 1014;
    // A log keeps at most this many characters; past it the first kCut go.
    static constexpr int kLogLimit = 8192;
    static constexpr int kLogCut = 2048;

    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, OwnClassName(), "", style, rc, parent, id);
    }

    void AddOutput(const char* text, size_t length);
    void AddFirmwareLog(const char* text, size_t length);
    // One line: CR and LF removed, a new line when the log is not empty.
    void AddDebuggerLog(const char* text);
    void SetLogFont(const LOGFONTA& font);
    void SetAutoScroll(bool on) { m_autoScroll = on; }
    // The split between logs and watch list ("BottomX"); the stand-in has
    // no watch list and keeps the value for the registry.
    int GetSplitPos() const { return m_split; }
    void SetSplitPos(int split) { m_split = split; }
    // Watch rows arrive with the watch list.
    int GetWatchCount() const { return 0; }

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnSize(UINT type, int cx, int cy);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnTabChange(NMHDR*, LRESULT* result);
    void Append(CEdit& log, const char* text, size_t length, bool scroll);
    void ShowTab(int tab);

    CTabCtrl m_tabs;
    // Created in this order: output, debugger log, firmware log.
    CEdit m_output, m_debugger, m_firmware;
    CFont m_tabFont, m_logFont;
    bool m_debuggerTab = false;
    bool m_autoScroll = true;
    int m_split = 0;
};
