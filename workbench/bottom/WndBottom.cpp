#include "workbench/bottom/WndBottom.h"

#include "workbench/app/Registry.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CWndBottom, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_NOTIFY(TCN_SELCHANGE, kLeftTabId, OnTabChange)
END_MESSAGE_MAP()

int CWndBottom::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) < 0) return -1;
    m_tabFont.CreateSimple("Arial", -12, FW_NORMAL);
    m_tabs.CreateEx(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CRect(),
                    m_hWnd, kLeftTabId);
    m_tabs.SetFont(m_tabFont);
    m_tabs.InsertItem(0, "Output");
    m_tabs.InsertItem(1, "FW Log");
    CRegistry key;
    DWORD log = 0;
    if (key.Open() && key.ReadDword("Log", log) && log != 0) {
        m_tabs.InsertItem(2, "Debugger Log");
        m_debuggerTab = true;
    }
    const DWORD style = WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY;
    CEdit* logs[3] = {&m_output, &m_debugger, &m_firmware};
    for (CEdit* e : logs) {
        e->Create(style | (e == &m_output ? WS_VISIBLE : 0), CRect(), m_tabs, 0);
        e->SetLimitText(0x7FFFFFFE);
    }
    return 0;
}

void CWndBottom::OnSize(UINT, int cx, int cy) {
    if (!m_tabs.m_hWnd) return;
    m_tabs.MoveWindow(10, 2, cx - 20 > 0 ? cx - 20 : 0, cy - 4 > 0 ? cy - 4 : 0);
    CEdit* logs[3] = {&m_output, &m_debugger, &m_firmware};
    for (CEdit* e : logs) e->MoveWindow(1, 23, cx - 24 > 0 ? cx - 24 : 0, cy - 29 > 0 ? cy - 29 : 0);
}

BOOL CWndBottom::OnEraseBkgnd(CDC* dc) {
    dc->FillSolidRect(GetClientRect(), RGB(240, 240, 240));
    return TRUE;
}

void CWndBottom::OnTabChange(NMHDR*, LRESULT* result) {
    ShowTab(m_tabs.GetCurSel());
    *result = 0;
}

void CWndBottom::ShowTab(int tab) {
    m_output.ShowWindow(tab == 0 ? SW_SHOW : SW_HIDE);
    m_firmware.ShowWindow(tab == 1 ? SW_SHOW : SW_HIDE);
    m_debugger.ShowWindow(tab == 2 ? SW_SHOW : SW_HIDE);
}

void CWndBottom::Append(CEdit& log, const char* text, size_t length, bool scroll) {
    if (!log.m_hWnd || length == 0) return;
    const int held = log.GetWindowTextLength();
    if (held > kLogLimit) {
        log.SetSel(0, kLogCut);
        log.ReplaceSel("");
    }
    const int end = log.GetWindowTextLength();
    log.SetSel(end, end);
    log.ReplaceSel(std::string(text, length).c_str());
    if (scroll) log.SendMessage(EM_SCROLLCARET);
}

void CWndBottom::AddOutput(const char* text, size_t length) { Append(m_output, text, length, m_autoScroll); }

void CWndBottom::AddFirmwareLog(const char* text, size_t length) { Append(m_firmware, text, length, true); }

void CWndBottom::AddDebuggerLog(const char* text) {
    std::string line;
    for (const char* p = text; p && *p; ++p)
        if (*p != '\r' && *p != '\n') line += *p;
    if (m_debugger.GetWindowTextLength() > 0) line.insert(0, "\r\n");
    Append(m_debugger, line.data(), line.size(), true);
}

void CWndBottom::SetLogFont(const LOGFONTA& font) {
    m_logFont.CreateFontIndirect(&font);
    CEdit* logs[3] = {&m_output, &m_debugger, &m_firmware};
    for (CEdit* e : logs) e->SetFont(m_logFont);
}
