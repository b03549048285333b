// F10 or Alt pressed alone asks the window for its keyboard menu (the window
// menu when it has no menu bar). Nothing on screen shows that loop, and it
// holds every key and posted message of the thread until a click or Esc ends
// it: under Wine, clicks posted meanwhile run a common dialog's clean-up while
// its own handler still waits, and the dialog then calls a released object.
// No dialog has a menu bar to offer: the request is refused (Alt+Space still
// opens the window menu). Our dialogs refuse it themselves (the main window,
// whose menu bar has keys of its own, refuses every keyboard menu); while a
// guard lives, so do the windows of this thread that are not ours (the common
// dialogs, the folder browser, the boxes they raise).
#pragma once

#include <windows.h>

class CKeyMenuGuard {
public:
    CKeyMenuGuard();
    ~CKeyMenuGuard();
    CKeyMenuGuard(const CKeyMenuGuard&) = delete;
    CKeyMenuGuard& operator=(const CKeyMenuGuard&) = delete;

    // WM_SYSCOMMAND's keyboard menu from F10 or Alt alone (no character).
    static bool IsKeyMenuAlone(WPARAM command, LPARAM key) { return (command & 0xFFF0) == SC_KEYMENU && key == 0; }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hook;
};
