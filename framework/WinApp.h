// The application object and the one message loop. Every loop of the program
// (Run, each modal dialog's) hands its messages to PumpMessage, so
// PreTranslateMessage, dialog keyboard navigation and accelerators work the
// same everywhere.
#pragma once

#include "framework/Wnd.h"

#include <vector>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    static CWinApp* GetApp() { return s_app; }

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return m_exitCode; }
    // InitInstance; when it returns TRUE the message loop until WM_QUIT; then ExitInstance.
    int Main(HINSTANCE instance);
    int Run();

    CWnd* m_pMainWnd = nullptr;

    // The loop.
    // One message: the PreTranslateMessage chain from the target window up to
    // its top-level window (stopping at the first that takes it), then dialog
    // navigation when that top-level window is a registered dialog, then the
    // accelerators; otherwise
    // translated and dispatched. False when it was WM_QUIT.
    static bool PumpMessage(MSG& msg);
    static bool PreTranslate(MSG* msg);
    // Top-level dialogs only: a child page is navigated by the dialog it sits in.
    static void RegisterDialog(HWND dialog);
    static void UnregisterDialog(HWND dialog);
    static bool IsRegisteredDialog(HWND dialog);
    static void SetAccelerators(HACCEL accel, HWND target) { s_accel = accel; s_accelTarget = target; }

protected:
    int m_exitCode = 0;

private:
    static CWinApp* s_app;
    static std::vector<HWND> s_dialogs;
    static HACCEL s_accel;
    static HWND s_accelTarget;
};
