#include "framework/KeyMenuGuard.h"

// A thread hook, not a subclass: the dialogs' windows are made inside the
// system's call, the boxes over them inside their handlers.
CKeyMenuGuard::CKeyMenuGuard() : m_hook(::SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId())) {}

CKeyMenuGuard::~CKeyMenuGuard() {
    if (m_hook) ::UnhookWindowsHookEx(m_hook);
}

LRESULT CALLBACK CKeyMenuGuard::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_SYSCOMMAND && IsKeyMenuAlone(wParam, lParam)) return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
