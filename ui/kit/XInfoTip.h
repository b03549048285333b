// The program's tooltip: a borderless white popup with a black frame, an
// optional icon and a Tahoma text, shown when the mouse rests on a registered
// tool window and hidden as soon as it moves on.
#pragma once

#include "framework/Wnd.h"

#include <map>

struct TipToolInfo {
    CString text;
    HICON icon = nullptr;
};

class CXInfoTip : public CWnd {
public:
    CXInfoTip();
    ~CXInfoTip() override;
    // Hides every tip of the program: a box is opening over them.
    static void HideAll();

    static constexpr UINT_PTR kShowTimer = 100;
    static constexpr UINT_PTR kWatchTimer = 101;

    bool Create(HWND parent);
    void AddTool(HWND tool, const char* text);
    BOOL AddToolEx(HWND tool, const char* text);
    void RelayEvent(const MSG* msg);
    // Shows text after the delay at point (the cursor when null).
    void Show(const char* text, const POINT* point = nullptr);
    void SetIcon(HICON icon);
    void Hide() { if (m_hWnd) ShowWindow(SW_HIDE); }
    bool IsTool(HWND wnd) const { return wnd && m_tools.count(wnd) != 0; }
    UINT GetShowDelay() const { return m_delay; }
    const CString& GetText() const { return m_text; }
    // The tip's size for a text (frame included).
    CSize MeasureTip(const char* text);

protected:
    DECLARE_MESSAGE_MAP()
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }

    // Tips show only while a window of this program has the focus, and never over the
    // input-method menu window.
    static bool MayShow();
    // The tool under the cursor can still be used: enabled, visible, and its
    // window not held off by a modal box.
    static bool Usable(HWND tool);

    HRGN m_rgn = nullptr;
    UINT m_delay = 500;
    POINT m_point{-1, -1};
    CString m_text;
    UINT_PTR m_timer = 0;
    HICON m_icon = nullptr;
    int m_iconWidth = 0;
    int m_iconHeight = 0;
    CFont m_font;
    std::map<HWND, TipToolInfo> m_tools;
};
