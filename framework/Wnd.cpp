#include "framework/Wnd.h"

#include "framework/WinApp.h"

#include <unordered_map>

namespace {

// Code 0 is a menu item or a button's BN_CLICKED; code 1 is an accelerator only
// without a control (a combo box's or list box's selection change also sends 1).
bool IsMenuOrAccelerator(UINT code, LPARAM lParam) { return code == 0 || (code == 1 && lParam == 0); }

// An attached window's object and the procedure it had before ours. Kept here,
// not in window properties: under Wine every property read is a round trip to
// the server, and the common controls' subclass helper reads one several times
// per message (about 160 us a message, against under 1 us here), which made most
// of what the start-up spent. Only the thread that owns the windows touches
// this, as only it runs their procedures and loops. A window whose object went
// while another procedure sat on top of ours stays here with no object: ours
// then only forwards.
struct Link {
    CWnd* self;
    WNDPROC super;
    bool unicode;  // the window's own form, kept: ANSI windows get ANSI text
};

std::unordered_map<HWND, Link>& Links() {
    static std::unordered_map<HWND, Link> links;
    return links;
}

}  // namespace

// The routing procedure and the creation hook share this state.
struct WndRouting {
    // Installed in the window's own character form (as the common controls'
    // subclass helper did): the handlers see text messages as they always did.
    static LRESULT CALLBACK RoutingProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static bool Attach(CWnd* self, HWND wnd);
    static void Release(HWND wnd);
    static LRESULT CallSuper(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    static CWnd* s_pending;
    static HHOOK s_hook;
    static int s_hookDepth;
};

CWnd* WndRouting::s_pending = nullptr;
HHOOK WndRouting::s_hook = nullptr;
int WndRouting::s_hookDepth = 0;

bool WndRouting::Attach(CWnd* self, HWND wnd) {
    auto it = Links().find(wnd);
    if (it != Links().end()) {
        // Ours is still in the chain from an object that went: take it over.
        if (it->second.self) return false;
        it->second.self = self;
    } else {
        const bool unicode = ::IsWindowUnicode(wnd) != FALSE;
        const LONG_PTR proc = reinterpret_cast<LONG_PTR>(&RoutingProc);
        ::SetLastError(0);
        const LONG_PTR previous = unicode ? ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, proc)
                                          : ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, proc);
        if (!previous && ::GetLastError() != 0) return false;
        Links()[wnd] = Link{self, reinterpret_cast<WNDPROC>(previous), unicode};
    }
    self->m_hWnd = wnd;
    return true;
}

void WndRouting::Release(HWND wnd) {
    auto it = Links().find(wnd);
    if (it == Links().end()) return;
    // Only when ours is on top: putting the old procedure back under another
    // one would cut that one out of the chain.
    const Link& link = it->second;
    const LONG_PTR proc = reinterpret_cast<LONG_PTR>(&RoutingProc);
    const LONG_PTR super = reinterpret_cast<LONG_PTR>(link.super);
    if (link.unicode ? ::GetWindowLongPtrW(wnd, GWLP_WNDPROC) == proc : ::GetWindowLongPtrA(wnd, GWLP_WNDPROC) == proc) {
        if (link.unicode) ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, super);
        else ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, super);
        Links().erase(it);
    } else {
        it->second.self = nullptr;
    }
}

LRESULT WndRouting::CallSuper(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto it = Links().find(wnd);
    if (it == Links().end()) return ::DefWindowProcA(wnd, message, wParam, lParam);
    const Link& link = it->second;
    return link.unicode ? ::CallWindowProcW(link.super, wnd, message, wParam, lParam)
                        : ::CallWindowProcA(link.super, wnd, message, wParam, lParam);
}

LRESULT CALLBACK WndRouting::RoutingProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto it = Links().find(wnd);
    CWnd* self = it == Links().end() ? nullptr : it->second.self;
    if (message == WM_NCDESTROY) {
        LRESULT r = CallSuper(wnd, message, wParam, lParam);
        // The window is gone: nothing of ours stays in its chain or in the map.
        Links().erase(wnd);
        if (!self) return r;
        // The object may hold another window by now: clear only what is going.
        if (self->m_hWnd == wnd) self->m_hWnd = nullptr;
        CWinApp::UnregisterDialog(wnd);
        try {
            self->PostNcDestroy();
        } catch (...) {
            ::OutputDebugStringA("ZarvoD: exception stopped after a window's destruction\n");
        }
        return r;
    }
    if (!self) return CallSuper(wnd, message, wParam, lParam);
    const UINT savedMsg = self->m_curMsg;
    const WPARAM savedW = self->m_curWParam;
    const LPARAM savedL = self->m_curLParam;
    self->m_curMsg = message;
    self->m_curWParam = wParam;
    self->m_curLParam = lParam;
    LRESULT result = 0;
    // 32-bit MinGW cannot unwind through user32's frames: nothing may escape.
    try {
        result = self->WindowProc(message, wParam, lParam);
    } catch (...) {
        ::OutputDebugStringA("ZarvoD: exception stopped at a window procedure\n");
        // A creation that failed half-way must fail, not leave a window without its set-up.
        result = message == WM_CREATE ? -1 : message == WM_NCCREATE ? FALSE : 0;
    }
    // The handler may have destroyed the window and with it the object ("delete this"
    // in PostNcDestroy): touch the object only while it is still attached.
    if (CWnd::FromHandlePermanent(wnd) == self) {
        self->m_curMsg = savedMsg;
        self->m_curWParam = savedW;
        self->m_curLParam = savedL;
    }
    return result;
}

LRESULT CALLBACK WndRouting::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && s_pending) {
        HWND wnd = reinterpret_cast<HWND>(wParam);
        char cls[32] = {};
        ::GetClassNameA(wnd, cls, sizeof cls);
        // The input-method windows of the thread may be created first; they are not ours.
        if (lstrcmpiA(cls, "IME") != 0 && lstrcmpiA(cls, "MSCTFIME UI") != 0) {
            CWnd* self = s_pending;
            s_pending = nullptr;
            Attach(self, wnd);
        }
    }
    return ::CallNextHookEx(s_hook, code, wParam, lParam);
}

void HookWindowCreate(CWnd* self) {
    if (WndRouting::s_hookDepth++ == 0)
        WndRouting::s_hook = ::SetWindowsHookExA(WH_CBT, &WndRouting::CbtHook, nullptr, ::GetCurrentThreadId());
    WndRouting::s_pending = self;
}

bool UnhookWindowCreate() {
    bool attached = WndRouting::s_pending == nullptr;
    WndRouting::s_pending = nullptr;
    if (--WndRouting::s_hookDepth == 0 && WndRouting::s_hook) {
        ::UnhookWindowsHookEx(WndRouting::s_hook);
        WndRouting::s_hook = nullptr;
    }
    return attached;
}

void (*CWnd::s_timerSet)(HWND, UINT_PTR, UINT) = nullptr;

CWnd::~CWnd() {
    // An object dying before its window: detach so the window never calls into freed memory.
    if (m_hWnd) {
        HWND wnd = m_hWnd;
        WndRouting::Release(wnd);
        m_hWnd = nullptr;
        // Detached, the window no longer unregisters itself at WM_NCDESTROY.
        CWinApp::UnregisterDialog(wnd);
        if (::IsWindow(wnd)) ::DestroyWindow(wnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND wnd) {
    if (!wnd) return nullptr;
    const auto it = Links().find(wnd);
    return it == Links().end() ? nullptr : it->second.self;
}

const char* CWnd::OwnClassName() {
    static bool registered = false;
    static const char kName[] = "ZarvoWnd";
    if (!registered) {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kName;
        registered = ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    return kName;
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rc,
                    HWND parent, UINT id, void* param) {
    if (m_hWnd) return false;
    if (!className) className = OwnClassName();
    HookWindowCreate(this);
    HWND wnd = ::CreateWindowExA(exStyle, className, title, style, rc.left, rc.top, rc.right - rc.left,
                                 rc.bottom - rc.top, parent,
                                 (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr,
                                 ::GetModuleHandleA(nullptr), param);
    UnhookWindowCreate();
    return wnd != nullptr && m_hWnd == wnd;
}

bool CWnd::DestroyWindow() {
    if (!m_hWnd) return false;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

bool CWnd::SubclassWindow(HWND wnd) {
    if (m_hWnd || !wnd || FromHandlePermanent(wnd)) return false;
    return WndRouting::Attach(this, wnd);
}

HWND CWnd::UnsubclassWindow() {
    HWND wnd = m_hWnd;
    if (wnd) WndRouting::Release(wnd);
    m_hWnd = nullptr;
    return wnd;
}

const MsgMap* CWnd::GetThisMessageMap() {
    static const MsgMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
    static const MsgMap map = {nullptr, entries};
    return &map;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    UINT code = 0, id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (message == WM_NOTIFY) {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (!hdr) return false;
        code = hdr->code;
        id = static_cast<UINT>(hdr->idFrom);
    }
    for (const MsgMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MsgMapEntry* e = map->entries; e->thunk; ++e) {
            if (e->message != message) continue;
            if (message == WM_COMMAND || message == WM_NOTIFY) {
                if (id < e->idFirst || id > e->idLast) continue;
                if (e->code == kAnyCommand ? !IsMenuOrAccelerator(code, lParam) : e->code != code) continue;
            }
            *result = e->thunk(this, wParam, lParam);
            return true;
        }
    }
    return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    // Owner-drawn controls draw and measure themselves.
    if (message == WM_DRAWITEM && lParam) {
        auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        if (dis->CtlType != ODT_MENU) {
            if (CWnd* item = FromHandlePermanent(dis->hwndItem)) {
                item->DrawItem(dis);
                return TRUE;
            }
        }
    } else if (message == WM_MEASUREITEM && lParam) {
        auto* mis = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
        if (mis->CtlType != ODT_MENU) {
            if (CWnd* item = FromHandlePermanent(::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID)))) {
                item->MeasureItem(mis);
                return TRUE;
            }
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default() { return WndRouting::CallSuper(m_hWnd, m_curMsg, m_curWParam, m_curLParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return WndRouting::CallSuper(m_hWnd, message, wParam, lParam);
}

CString CWnd::GetWindowText() const {
    int n = ::GetWindowTextLengthA(m_hWnd);
    if (n <= 0) return CString();
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    int got = ::GetWindowTextA(m_hWnd, &buf[0], n + 1);
    return CString(buf.c_str(), got);
}

CString CWnd::GetDlgItemText(int id) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (!item) return CString();
    int n = ::GetWindowTextLengthA(item);
    std::string buf(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    int got = ::GetWindowTextA(item, &buf[0], n + 1);
    return CString(buf.c_str(), got);
}

CRect CWnd::GetClientRect() const {
    CRect rc;
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

CRect CWnd::GetWindowRect() const {
    CRect rc;
    ::GetWindowRect(m_hWnd, &rc);
    return rc;
}

CRect CWnd::GetRectInParent() const {
    CRect rc = GetWindowRect();
    HWND parent = ::GetParent(m_hWnd);
    if (parent && (GetStyle() & WS_CHILD)) ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool CWnd::PlaceAt(const CRect& target, bool dropList) {
    if (!m_hWnd) return false;
    CRect now = GetRectInParent();
    if (dropList) now.bottom = target.bottom;
    if (now == target) return false;
    MoveWindow(target);
    return true;
}

void CWnd::ModifyStyle(DWORD remove, DWORD add) {
    DWORD s = static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>((s & ~remove) | add));
}

void CWnd::ModifyStyleEx(DWORD remove, DWORD add) {
    DWORD s = static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE));
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG>((s & ~remove) | add));
}

void CWnd::CenterWindow(HWND alternateOwner) {
    HWND owner = alternateOwner;
    if (!owner) owner = (GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
    CRect self = GetWindowRect();
    CRect area;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    HMONITOR mon = ::MonitorFromWindow(owner && ::IsWindowVisible(owner) ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    ::GetMonitorInfoA(mon, &mi);
    CRect work(mi.rcWork);
    if (GetStyle() & WS_CHILD) {
        area = CRect(0, 0, 0, 0);
        ::GetClientRect(owner, &area);
    } else if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        area = work;
    }
    int x = area.left + (area.Width() - self.Width()) / 2;
    int y = area.top + (area.Height() - self.Height()) / 2;
    if (!(GetStyle() & WS_CHILD)) {
        // Keep a top-level window on its monitor's work area.
        if (x + self.Width() > work.right) x = work.right - self.Width();
        if (y + self.Height() > work.bottom) y = work.bottom - self.Height();
        if (x < work.left) x = work.left;
        if (y < work.top) y = work.top;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
