#include "framework/Dialog.h"

#include "framework/KeyMenuGuard.h"
#include "framework/Resources.h"
#include "framework/WinApp.h"

#include <vector>

CDialog::CDialog(UINT templateId, HWND parent) : m_nIDTemplate(templateId), m_hParentWnd(parent) {}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_MESSAGE(WM_SYSCOMMAND, HandleSysCommand)
    ON_COMMAND(IDOK, HandleOk)
    ON_COMMAND(IDCANCEL, HandleCancel)
END_MESSAGE_MAP()

INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT, WPARAM, LPARAM) {
    // Everything is routed by the subclass procedure before it gets here;
    // what arrives here gets the dialog manager's default processing.
    return FALSE;
}

HWND CDialog::CreateFromTemplate(HWND owner) {
    const DLGTEMPLATE* tmpl = CResources::LoadDialog(m_nIDTemplate);
    if (!tmpl || m_hWnd) return nullptr;
    m_ended = false;
    HookWindowCreate(this);
    HWND wnd = ::CreateDialogIndirectParamA(CResources::GetModule(), tmpl, owner, &CDialog::DialogProc, 0);
    bool attached = UnhookWindowCreate();
    if (wnd && (!attached || m_hWnd != wnd)) {
        ::DestroyWindow(wnd);
        return nullptr;
    }
    return wnd;
}

namespace {

// What a modal loop changes outside its box, undone however the loop ends
// (an exception included).
class ModalScope {
public:
    explicit ModalScope(HWND owner) : m_previousActive(::GetActiveWindow()), m_previousFocus(::GetFocus()) {
        // A box owned by a modeless dialog must hold off the dialog's owners too
        // (the main window), or they stay usable under the box.
        for (HWND w = owner; w; w = ::GetWindow(w, GW_OWNER)) {
            if (::IsWindowEnabled(w)) {
                ::EnableWindow(w, FALSE);
                m_disabled.push_back(w);
            }
        }
        m_owner = owner;
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    void SetBox(HWND box) { m_box = box; }
    ~ModalScope() {
        for (auto it = m_disabled.rbegin(); it != m_disabled.rend(); ++it)
            if (::IsWindow(*it)) ::EnableWindow(*it, TRUE);
        const HWND active = ::GetActiveWindow();
        // Also when nothing is active: a box shown over this one after it had
        // ended (its owner then still disabled) leaves the activation nowhere.
        if (m_box && (active == m_box || !active)) {
            // Back to the window that was active before, not simply the owner: in
            // nested boxes the owner may still be disabled by the outer box, which
            // would then get no keys.
            HWND back = m_previousActive;
            if (!Usable(back) || back == m_box) back = m_owner;
            // An owner that is a disabled box (a wait box) hands on to its own owner.
            while (back && !Usable(back)) back = ::GetWindow(back, GW_OWNER);
            if (back) ::SetActiveWindow(back);
        }
        // Activation gives a window its own focus: the control that had the
        // keyboard before the box gets it back, if it is still there to take it.
        const HWND now = ::GetActiveWindow();
        if (now && now != m_box && Usable(m_previousFocus) && ::IsWindowVisible(m_previousFocus) &&
            ::GetAncestor(m_previousFocus, GA_ROOT) == now && ::GetFocus() != m_previousFocus)
            ::SetFocus(m_previousFocus);
        if (m_box && ::IsWindow(m_box)) {
            ::SetWindowPos(m_box, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
            ::DestroyWindow(m_box);
        }
    }

private:
    static bool Usable(HWND w) { return w && ::IsWindow(w) && ::IsWindowEnabled(w); }

    HWND m_previousActive;
    HWND m_previousFocus;
    HWND m_owner = nullptr;
    HWND m_box = nullptr;
    std::vector<HWND> m_disabled;
};

}  // namespace

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;  // one window per object
    HWND owner = m_hParentWnd;
    if (!owner) {
        // Callers often pass the active window, which is null while another program
        // is in front: such a box belongs to the main window (above its newest popup)
        // rather than floating free with the main window still usable.
        CWinApp* app = CWinApp::GetApp();
        HWND main = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
        if (main && ::IsWindow(main)) owner = ::GetLastActivePopup(main);
    }
    if (owner && (::GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetAncestor(owner, GA_ROOT);
    struct ModalFlag {
        bool& flag;
        ~ModalFlag() { flag = false; }
    } modalFlag{m_modal};
    ModalScope scope(owner);
    m_modal = true;
    m_result = -1;
    HWND wnd = CreateFromTemplate(owner);
    if (!wnd) return -1;
    scope.SetBox(wnd);
    CenterOnOwner();
    CWinApp::RegisterDialog(wnd);
    if (!m_ended) ::ShowWindow(wnd, SW_SHOW);
    MSG msg;
    // A box destroyed from outside (its owner went first) ends the loop too.
    while (!m_ended && m_hWnd == wnd) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // WM_QUIT belongs to the outer loop.
            ::PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
            if (!m_ended) m_result = IDABORT;
            break;
        }
        CWinApp::PumpMessage(msg);
    }
    return m_result;
}

bool CDialog::Create(UINT templateId, HWND parent) {
    if (m_hWnd) return false;  // one window per object
    m_nIDTemplate = templateId;
    m_hParentWnd = parent;
    m_modal = false;
    HWND wnd = CreateFromTemplate(parent);
    if (!wnd) return false;
    // Without an owner it is a main window: it places itself.
    if (parent) CenterOnOwner();
    CWinApp::RegisterDialog(wnd);
    return true;
}

void CDialog::EndDialog(int result) {
    if (!m_hWnd) return;
    if (m_modal) {
        m_result = result;
        m_ended = true;
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wake the loop
    } else {
        m_result = result;
        m_ended = true;
        ::DestroyWindow(m_hWnd);
    }
}

void CDialog::CenterOnOwner() {
    // Once OnInitDialog has sized it. DS_CENTER centres on the work area under
    // Wine, and a template without it opens at the owner's client corner (the
    // top-left of the screen for a box owned by a maximised window).
    if (m_hWnd && !(GetStyle() & WS_CHILD)) CenterWindow();
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

LRESULT CDialog::HandleSysCommand(WPARAM wParam, LPARAM lParam) {
    // No dialog of ours has a menu bar: F10 or Alt alone would only start a
    // loop on the window menu that nothing shows (see CKeyMenuGuard).
    if (CKeyMenuGuard::IsKeyMenuAlone(wParam, lParam)) return 0;
    return Default();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return !dx.m_failed;
}

bool CDialog::IsEnterOrEsc(const MSG* msg) {
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) && !IsForOpenList(msg);
}

bool CDialog::IsEnter(const MSG* msg) {
    return msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && !IsForOpenList(msg);
}

bool CDialog::IsForOpenList(const MSG* msg) {
    // The key goes to the combo box itself, or to the edit inside a drop-down one.
    for (HWND h : {msg->hwnd, msg->hwnd ? ::GetParent(msg->hwnd) : nullptr}) {
        char cls[16] = {};
        if (h && ::GetClassNameA(h, cls, sizeof cls) && ::lstrcmpiA(cls, "ComboBox") == 0)
            return ::SendMessageA(h, CB_GETDROPPEDSTATE, 0, 0) != 0;
    }
    return false;
}

void CDataExchange::Fail(int id) {
    if (!m_failed) {
        if (HWND item = Item(id)) ::SetFocus(item);
    }
    m_failed = true;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!control.m_hWnd) control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd->m_hWnd);
}
