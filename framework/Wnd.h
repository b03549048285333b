// CWnd: a C++ object that owns one HWND and routes its messages through a
// message map. Windows are attached at creation (a creation hook subclasses
// the new window before WM_NCCREATE) or later (SubclassWindow), by putting the
// routing procedure in front of the window's own; they are detached at
// WM_NCDESTROY.
#pragma once

#include "framework/Gdi.h"
#include "framework/String.h"
#include "framework/Types.h"

#include <commctrl.h>

class CWnd;

using MsgThunk = LRESULT (*)(CWnd* self, WPARAM wParam, LPARAM lParam);

struct MsgMapEntry {
    UINT message;  // window message; WM_COMMAND and WM_NOTIFY also match code and id range
    UINT code;     // notification code (kAnyCommand: menu, accelerator or BN_CLICKED)
    UINT idFirst;
    UINT idLast;
    MsgThunk thunk;
};

struct MsgMap {
    const MsgMap* (*base)();
    const MsgMapEntry* entries;
};

constexpr UINT kAnyCommand = 0xFFFFFFFFu;

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to a window, or null.
    static CWnd* FromHandlePermanent(HWND wnd);

    // Creation with the program's own window class ("ZarvoWnd") or a system class.
    bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rc,
                  HWND parent, UINT id, void* param = nullptr);
    bool Create(const char* className, const char* title, DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, className, title, style, rc, parent, id);
    }
    static const char* OwnClassName();
    bool DestroyWindow();

    // Attaching existing windows (controls of a dialog).
    bool SubclassWindow(HWND wnd);
    bool SubclassDlgItem(UINT id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id))); }
    HWND UnsubclassWindow();

    // Routing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }
    virtual const MsgMap* GetMessageMap() const { return GetThisMessageMap(); }
    static const MsgMap* GetThisMessageMap();
    // The default processing of the message being handled.
    LRESULT Default();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Owner-drawn controls get WM_DRAWITEM and WM_MEASUREITEM reflected from their parent.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
    // Called after the window is gone and the object detached.
    virtual void PostNcDestroy() {}

    // Window helpers.
    LRESULT SendMessage(UINT m, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageA(m_hWnd, m, w, l); }
    BOOL PostMessage(UINT m, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageA(m_hWnd, m, w, l); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    CString GetWindowText() const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetDlgItemText(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text); }
    CString GetDlgItemText(int id) const;
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
    void MoveWindow(const RECT& rc, BOOL repaint = TRUE) {
        MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, repaint);
    }
    BOOL SetWindowPos(HWND after, int x, int y, int w, int h, UINT flags) {
        return ::SetWindowPos(m_hWnd, after, x, y, w, h, flags);
    }
    CRect GetClientRect() const;
    CRect GetWindowRect() const;
    // The window's rectangle in its parent's client coordinates.
    CRect GetRectInParent() const;
    // Moves the window to target (parent coordinates) unless it is there
    // already: under Wine every move costs about half a millisecond even when
    // nothing changes. A drop-down list reports its closed height although
    // its window is as high as its open list: dropList compares without the
    // height. True when it moved.
    bool PlaceAt(const CRect& target, bool dropList = false);
    void ScreenToClient(POINT* p) const { ::ScreenToClient(m_hWnd, p); }
    void ClientToScreen(POINT* p) const { ::ClientToScreen(m_hWnd, p); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rc, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rc, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR id, UINT ms) {
        if (s_timerSet) s_timerSet(m_hWnd, id, ms);
        return ::SetTimer(m_hWnd, id, ms, nullptr);
    }
    // Told of every window timer set, with its period: the system's clock runs
    // the timers, so tests check the periods asked for rather than time passing.
    static void (*s_timerSet)(HWND wnd, UINT_PTR id, UINT ms);
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    LONG GetStyle() const { return static_cast<LONG>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    LONG GetExStyle() const { return static_cast<LONG>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    void ModifyStyle(DWORD remove, DWORD add);
    void ModifyStyleEx(DWORD remove, DWORD add);
    // Centres the window over its owner (or parent), or the work area without one.
    void CenterWindow(HWND alternateOwner = nullptr);
    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }

protected:
    // Standard handlers: the default processing (what a handler calls to chain to its base).
    int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnPaint() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnMouseHover(UINT, CPoint) { Default(); }
    void OnMouseLeave() { Default(); }
    void OnEnable(BOOL) { Default(); }
    void OnKillFocus(HWND) { Default(); }

    // Looks the message up in the maps of this class and its bases.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    friend struct WndRouting;
    UINT m_curMsg = 0;
    WPARAM m_curWParam = 0;
    LPARAM m_curLParam = 0;
};

// The creation hook: the next window this thread creates is attached to self.
// UnhookWindowCreate tells whether that happened.
void HookWindowCreate(CWnd* self);
bool UnhookWindowCreate();

// ---- Message maps ---------------------------------------------------------
// DECLARE_MESSAGE_MAP() in the class; BEGIN_MESSAGE_MAP(Class, Base) ... END_MESSAGE_MAP()
// in its source file. Handlers may be private: the thunks live in the class's scope.

#define DECLARE_MESSAGE_MAP()                                      \
public:                                                            \
    static const MsgMap* GetThisMessageMap();                      \
    const MsgMap* GetMessageMap() const override { return GetThisMessageMap(); } \
protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                     \
    const MsgMap* theClass::GetThisMessageMap() {                  \
        using ThisClass = theClass;                                \
        using TheBase = baseClass;                                 \
        static const MsgMapEntry entries[] = {

#define END_MESSAGE_MAP()                                          \
            {0, 0, 0, 0, nullptr}};                                \
        static const MsgMap map = {&TheBase::GetThisMessageMap, entries}; \
        return &map;                                               \
    }

#define ZV_SELF static_cast<ThisClass*>(self)
#define ZV_THUNK(body) [](CWnd* self, WPARAM wParam, LPARAM lParam) -> LRESULT { (void)self; (void)wParam; (void)lParam; body }

// Handler: LRESULT fn(WPARAM, LPARAM); its result is the message result.
#define ON_MESSAGE(msg, fn) {msg, 0, 0, 0, ZV_THUNK(return ZV_SELF->fn(wParam, lParam);)},
// Handler: void fn(). Menu items, accelerators and button clicks of the id.
#define ON_COMMAND(id, fn) {WM_COMMAND, kAnyCommand, id, id, ZV_THUNK(ZV_SELF->fn(); return 0;)},
// Handler: void fn(UINT id).
#define ON_COMMAND_RANGE(first, last, fn) \
    {WM_COMMAND, kAnyCommand, first, last, ZV_THUNK(ZV_SELF->fn(LOWORD(wParam)); return 0;)},
#define ON_CONTROL(code, id, fn) {WM_COMMAND, code, id, id, ZV_THUNK(ZV_SELF->fn(); return 0;)},
#define ON_CONTROL_RANGE(code, first, last, fn) \
    {WM_COMMAND, code, first, last, ZV_THUNK(ZV_SELF->fn(LOWORD(wParam)); return 0;)},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
// Handler: void fn(NMHDR*, LRESULT* result).
#define ON_NOTIFY(code, id, fn) \
    {WM_NOTIFY, static_cast<UINT>(code), id, id, \
     ZV_THUNK(LRESULT r = 0; ZV_SELF->fn(reinterpret_cast<NMHDR*>(lParam), &r); return r;)},

#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, ZV_THUNK(return ZV_SELF->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, ZV_THUNK(ZV_SELF->OnDestroy(); return 0;)},
#define ON_WM_SIZE() \
    {WM_SIZE, 0, 0, 0, ZV_THUNK(ZV_SELF->OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, ZV_THUNK(ZV_SELF->OnPaint(); return 0;)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, ZV_THUNK(ZV_SELF->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)},
#define ON_WM_ERASEBKGND() \
    {WM_ERASEBKGND, 0, 0, 0, ZV_THUNK(CDC dc; dc.Attach(reinterpret_cast<HDC>(wParam)); \
                                     LRESULT r = ZV_SELF->OnEraseBkgnd(&dc); dc.Detach(); return r;)},
#define ZV_MOUSE(msg, fn) {msg, 0, 0, 0, ZV_THUNK(ZV_SELF->fn(static_cast<UINT>(wParam), CPoint(lParam)); return 0;)},
#define ON_WM_MOUSEMOVE() ZV_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() ZV_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() ZV_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() ZV_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_MOUSEHOVER() ZV_MOUSE(WM_MOUSEHOVER, OnMouseHover)
#define ON_WM_MOUSELEAVE() {WM_MOUSELEAVE, 0, 0, 0, ZV_THUNK(ZV_SELF->OnMouseLeave(); return 0;)},
#define ON_WM_ENABLE() {WM_ENABLE, 0, 0, 0, ZV_THUNK(ZV_SELF->OnEnable(static_cast<BOOL>(wParam)); return 0;)},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, 0, ZV_THUNK(ZV_SELF->OnKillFocus(reinterpret_cast<HWND>(wParam)); return 0;)},
