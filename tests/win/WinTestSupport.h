// Helpers of the Win32 suites: answering windows when they show (modal loops
// never wait for a person), a recording top-level window. Every suite runs on a
// UI thread in a single-threaded apartment with OLE up, as the program's does,
// under a watchdog that ends a test that never ends.
#pragma once

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "resources/resource.h"

#include <functional>
#include <string>
#include <vector>

// Handles what is queued, then runs the message loop for about ms milliseconds.
void Pump(int ms);
// Runs action once, ms milliseconds from now, from inside whatever loop is running.
void After(int ms, std::function<void()> action);
// Runs action once find() names a shown window of this thread: checked whenever
// a window of the thread is made, activated or destroyed, and at once. It runs
// from inside whatever loop is running. A test that ends without it fails,
// naming `what`; the watchdog names it too.
void OnShown(std::string what, std::function<HWND()> find, std::function<void(HWND)> action);
// The same for one window object (shown, and not a modal box already ended).
void OnShown(const CWnd& wnd, std::function<void()> action);
// The same for a window that may show: its absence fails nothing.
void IfShown(std::string what, std::function<HWND()> find, std::function<void(HWND)> action);
// Runs the message loop until done() holds; the watchdog ends a wait that
// never does, naming `what`.
void Await(std::string what, std::function<bool()> done);
// The period a window last asked for its timer id (CWnd::SetTimer) during this
// test, 0 if none: a timing the program promises, checked without waiting.
UINT TimerPeriod(HWND wnd, UINT_PTR id);
// For states no window event marks: polls check (no give-up), then runs action.
void When(std::string what, std::function<bool()> check, std::function<void()> action);
inline void When(std::function<bool()> check, std::function<void()> action) {
    When("a condition of the test", std::move(check), std::move(action));
}
// A visible top-level window that records what its children tell it.
class CRecorder : public CWnd {
public:
    struct Record {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    bool Create(int w = 400, int h = 300);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int Count(UINT message) const;
    std::vector<Record> records;
    // Answers to give, by message (default: the default processing).
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)> answer;
};
// Posts a key press to the focused window of the thread (or the given one).
void PostKey(HWND target, UINT key, bool alt = false);
// The colour of a window's pixel on the screen.
COLORREF ScreenPixel(HWND wnd, int x, int y);
// A UTF-16 text as this process's ANSI code page shows it (Korean needs code page 949).
std::string InAnsiCodePage(const wchar_t* text);
// The shown dialog of this thread made from a template (not a modal box already
// ended), or null.
CDialog* Showing(UINT templateId);
// Acts on a dialog once it shows (OnShown, named after the template).
void OnDialogNamed(const char* name, UINT templateId, std::function<void(CDialog*)> action);
#define OnDialog(templateId, ...) OnDialogNamed(#templateId, templateId, __VA_ARGS__)
// Clicks a dialog's button.
void Click(HWND dialog, int id);
inline void Click(const CWnd* dialog, int id) { Click(dialog->m_hWnd, id); }
// Holds a key down (or lets it go) in the thread's keyboard state.
void SetKey(int vk, bool down);
// Takes the next message box's text, presses one of its buttons (the first: OK,
// or No of No/Yes), then runs then.
void TakeMessage(std::string* text, std::function<void()> then = {}, int button = IDC_MSG_BUTTON1);
// A window's text, a dialog item's text, whether a dialog item is enabled.
std::string WindowText(HWND wnd);
inline std::string ItemText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }
inline bool ItemEnabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
// A folder of the given name in the temporary folder, made if missing (no final backslash).
std::string TempFolder(const char* leaf);
// The suites' own test dialog template (WinTests.rc).
constexpr UINT kTestDialog = 950;
// A file holding exactly these bytes; false when it could not be written.
bool WriteBytes(const std::string& path, const std::string& bytes);
