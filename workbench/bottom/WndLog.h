// One log of the bottom pane: a plain child window around a read-only edit.
// Kind 0 (output, firmware log) queues what arrives and shows it every
// 50 ms in one insertion; kind 1 (debugger log) shows each line at once.
// Either way the text stays bounded (CLogTrim), cut at a line start.
#pragma once

#include "workbench/bottom/EditLog.h"

#include <string>

class CWndLog : public CWnd {
public:
    static constexpr UINT_PTR kFlushTimer = 1;
    static constexpr UINT kFlushMs = 50;

    // Set by the owner before Create; 0 queued, 1 immediate.
    void SetKind(int kind) { m_kind = kind; }
    int GetKind() const { return m_kind; }
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(WS_EX_CONTROLPARENT, OwnClassName(), "", style, rc, parent, id);
    }

    // Kind 0: queued until the next flush; no line break added.
    void AddText(const char* text, size_t length);
    // Kind 1: a new line at once (none before the first); an empty text does nothing.
    void AddLine(const char* text);
    void SetLogFont(const LOGFONTA& font);
    void SetAutoScroll(bool on) { Edit().m_autoScroll = on ? 1 : 0; }
    // Shows the queued text now (the timer's work).
    void Flush();

    CEditLog& Edit() { return m_kind == 0 ? m_queued : m_immediate; }
    const std::string& Pending() const { return m_pending; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void Show(const std::string& text);

    CFont m_font;
    int m_kind = 0;
    std::string m_pending;
    CEditLog m_queued;
    CEditLog m_immediate;
};
