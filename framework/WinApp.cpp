#include "framework/WinApp.h"

#include "framework/Resources.h"

#include <algorithm>

CWinApp* CWinApp::s_app = nullptr;
std::vector<HWND> CWinApp::s_dialogs;
HACCEL CWinApp::s_accel = nullptr;
HWND CWinApp::s_accelTarget = nullptr;

CWinApp::CWinApp() { s_app = this; }

CWinApp::~CWinApp() {
    if (s_app == this) s_app = nullptr;
}

int CWinApp::Main(HINSTANCE instance) {
    CResources::SetModule(instance);
    if (InitInstance()) Run();
    return ExitInstance();
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) PumpMessage(msg);
    m_exitCode = static_cast<int>(msg.wParam);
    return m_exitCode;
}

bool CWinApp::PreTranslate(MSG* msg) {
    // The target window, then its parents up to and including its top-level window.
    for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* w = CWnd::FromHandlePermanent(h)) {
            // Called from the loops, not from a window procedure: guard it as the
            // routing procedure guards handlers, or a modal loop unwinds past its clean-up.
            BOOL taken = FALSE;
            try {
                taken = w->PreTranslateMessage(msg);
            } catch (...) {
                ::OutputDebugStringA("ZarvoD: exception stopped at PreTranslateMessage\n");
            }
            if (taken) return true;
        }
        if (!(::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
    }
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
        // The top-level dialog navigates: its child pages are part of it.
        HWND root = msg->hwnd ? ::GetAncestor(msg->hwnd, GA_ROOT) : nullptr;
        if (root && IsRegisteredDialog(root) && ::IsDialogMessageA(root, msg)) return true;
        if (s_accel && s_accelTarget && ::IsWindowEnabled(s_accelTarget) &&
            (msg->hwnd == s_accelTarget || ::IsChild(s_accelTarget, msg->hwnd)) &&
            ::TranslateAcceleratorA(s_accelTarget, s_accel, msg))
            return true;
    }
    return false;
}

bool CWinApp::PumpMessage(MSG& msg) {
    if (msg.message == WM_QUIT) return false;
    if (!PreTranslate(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

void CWinApp::RegisterDialog(HWND dialog) {
    if (!dialog || (::GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD)) return;  // pages go with their dialog
    if (std::find(s_dialogs.begin(), s_dialogs.end(), dialog) == s_dialogs.end()) s_dialogs.push_back(dialog);
}

void CWinApp::UnregisterDialog(HWND dialog) {
    s_dialogs.erase(std::remove(s_dialogs.begin(), s_dialogs.end(), dialog), s_dialogs.end());
}

bool CWinApp::IsRegisteredDialog(HWND dialog) {
    return dialog && std::find(s_dialogs.begin(), s_dialogs.end(), dialog) != s_dialogs.end();
}
