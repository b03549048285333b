#include "WinTestSupport.h"

#include "ui/boxes/DlgMessage.h"
#include "ui/kit/GdiPlus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

std::map<UINT_PTR, std::function<void()>>& Pending() {
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    auto it = Pending().find(id);
    if (it == Pending().end()) return;
    std::function<void()> action = std::move(it->second);
    Pending().erase(it);
    action();
}

// What the test waits for: a window to show, or a polled condition.
struct Expectation {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> run;
    bool polled;
    bool optional = false;
};
std::vector<Expectation> g_expected;
std::vector<std::string> g_awaiting;  // the loops of Await, innermost last
// Their names, for the watchdog's thread.
CRITICAL_SECTION g_namesLock;
std::vector<std::string> g_names;
HWND g_probe = nullptr;  // the UI thread's message-only window
HHOOK g_hook = nullptr;
UINT_PTR g_pollTimer = 0;
bool g_checkPosted = false;
std::map<std::pair<HWND, UINT_PTR>, UINT> g_timers;  // this test's, by window and id
HANDLE g_looped = nullptr;  // set when the probe's posted kLoop is handled
constexpr UINT kCheck = WM_APP + 1, kDescribe = WM_APP + 2, kLoop = WM_APP + 3;

void PublishNames() {
    ::EnterCriticalSection(&g_namesLock);
    g_names.clear();
    for (const Expectation& e : g_expected) g_names.push_back(e.what);
    for (const std::string& a : g_awaiting) g_names.push_back(a + " (awaited)");
    ::LeaveCriticalSection(&g_namesLock);
}

void CALLBACK PollTimer(HWND, UINT, UINT_PTR, DWORD);

void PostCheck() {
    if (g_checkPosted || !g_probe) return;
    g_checkPosted = ::PostMessageA(g_probe, kCheck, 0, 0) != FALSE;
}

void Expect(Expectation e) {
    if (e.polled && !g_pollTimer) g_pollTimer = ::SetTimer(nullptr, 0, 20, &PollTimer);
    g_expected.push_back(std::move(e));
    PublishNames();
    PostCheck();
}

// Runs the first expectation that is ready; true when one ran.
bool RunOneReady(bool polledToo) {
    for (size_t i = 0; i < g_expected.size(); ++i) {
        if ((g_expected[i].polled && !polledToo) || !g_expected[i].ready()) continue;
        std::function<void()> run = std::move(g_expected[i].run);
        g_expected.erase(g_expected.begin() + static_cast<std::ptrdiff_t>(i));
        PublishNames();
        run();  // may wait for more, or run a loop of its own
        return true;
    }
    return false;
}

void CALLBACK PollTimer(HWND, UINT, UINT_PTR, DWORD) {
    const bool anyPolled = std::any_of(g_expected.begin(), g_expected.end(), [](const Expectation& e) { return e.polled; });
    if (!anyPolled) {
        ::KillTimer(nullptr, g_pollTimer);
        g_pollTimer = 0;
        return;
    }
    if (RunOneReady(true)) PostCheck();
}

// A window of the thread made, activated or gone: look again once the loop runs
// (a dialog is shown by then). A CBT hook, not one on every message: under Wine
// each hooked message costs a call to the server, which made the suites slower
// by half.
LRESULT CALLBACK WindowEvents(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND || code == HCBT_ACTIVATE || code == HCBT_DESTROYWND) PostCheck();
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

BOOL CALLBACK DescribeWindow(HWND h, LPARAM lp) {
    if (!::IsWindowVisible(h)) return TRUE;
    char title[128] = {};
    ::GetWindowTextA(h, title, sizeof title);
    auto* d = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(h));
    char line[256];
    snprintf(line, sizeof line, "  shown: \"%s\"%s%s\n", title, d ? " template " : "", d ? std::to_string(d->m_nIDTemplate).c_str() : "");
    *reinterpret_cast<std::string*>(lp) += line;
    return TRUE;
}

LRESULT CALLBACK ProbeProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCheck) {
        g_checkPosted = false;
        if (RunOneReady(false)) PostCheck();  // what ran may have made another ready
        return 0;
    }
    if (message == kLoop) {
        ::SetEvent(g_looped);
        return 0;
    }
    if (message == kDescribe) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &DescribeWindow, static_cast<LPARAM>(wParam));
        return 1;
    }
    return ::DefWindowProcA(wnd, message, wParam, lParam);
}

// The suites' UI thread lives as the program's does: OLE up (a single-threaded
// apartment) before any window is made; then GDI+ and the common controls.
class WinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(::OleInitialize(nullptr), S_OK) << "the test thread must be a single-threaded apartment";
        m_ole = true;
        INITCOMMONCONTROLSEX icc{sizeof icc, 0xFF};
        ::InitCommonControlsEx(&icc);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
        WNDCLASSA wc{};
        wc.lpfnWndProc = &ProbeProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZarvoDTestProbe";
        ::RegisterClassA(&wc);
        CWnd::s_timerSet = [](HWND wnd, UINT_PTR id, UINT ms) { g_timers[{wnd, id}] = ms; };
        g_probe = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        g_hook = ::SetWindowsHookExA(WH_CBT, &WindowEvents, nullptr, ::GetCurrentThreadId());
        g_checkPosted = false;  // a check queued to the last run's probe went with it
        ASSERT_TRUE(g_probe && g_hook);
        // Without it drags, the clipboard and COM calls fail or wait far from here.
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        ASSERT_TRUE(::CoGetApartmentType(&type, &qualifier) == S_OK && (type == APTTYPE_STA || type == APTTYPE_MAINSTA))
            << "the UI thread is not a single-threaded apartment (OleInitialize on it before any test)";
    }
    void TearDown() override {
        if (g_hook) ::UnhookWindowsHookEx(g_hook);
        if (g_probe) ::DestroyWindow(g_probe);
        g_hook = nullptr;
        g_probe = nullptr;
        Gdiplus::GdiplusShutdown(m_token);
        if (m_ole) ::OleUninitialize();
    }

private:
    ULONG_PTR m_token = 0;
    bool m_ole = false;
};

// A test that never ends would hold the run for ever: a watchdog ends the
// process when one test takes longer than ZARVOD_WATCHDOG_SECONDS (60 by
// default; raise it on a slow machine), saying whether the UI thread still runs
// a message loop (one that never ended), is blocked in a call (an outgoing
// SendMessage or COM call answers sent messages, never posted ones) or in a
// wait (no messages at all), and what the test was waiting for.
volatile LONG g_testSerial = 0;

DWORD WatchdogLimitMs() {
    char value[16] = {};
    const DWORD n = ::GetEnvironmentVariableA("ZARVOD_WATCHDOG_SECONDS", value, sizeof value);
    const long seconds = n > 0 && n < sizeof value ? std::strtol(value, nullptr, 10) : 0;
    return seconds > 0 ? static_cast<DWORD>(seconds) * 1000 : 60000;
}

void Report(const char* what) {
    const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const char* name = std::strrchr(exe, '\\') ? std::strrchr(exe, '\\') + 1 : exe;
    fprintf(stderr, "%s: %s.%s hung: %s\n", name, t ? t->test_suite_name() : "?", t ? t->name() : "?", what);
}

DWORD WINAPI Watchdog(void*) {
    const DWORD limit = WatchdogLimitMs();
    LONG seen = -1;
    DWORD since = ::GetTickCount();
    for (;;) {
        ::Sleep(500);
        const LONG now = g_testSerial;
        if (now != seen) {
            seen = now;
            since = ::GetTickCount();
            continue;
        }
        if (::GetTickCount() - since <= limit) continue;
        // A loop takes the sent message first, then the posted one.
        ::PostMessageA(g_probe, kLoop, 0, 0);
        std::string shown;
        DWORD_PTR answered = 0;
        const bool sent = ::SendMessageTimeoutA(g_probe, kDescribe, reinterpret_cast<WPARAM>(&shown), 0, SMTO_NORMAL,
                                                10000, &answered) != 0;
        if (::WaitForSingleObject(g_looped, 1000) == WAIT_OBJECT_0)
            Report("its UI thread still runs a message loop: a loop never ended");
        else if (sent)
            Report("its UI thread answers sent messages only: blocked in a call (an outgoing SendMessage or COM call)");
        else
            Report("its UI thread handles no messages: blocked in a wait outside any loop");
        fputs(shown.c_str(), stderr);
        ::EnterCriticalSection(&g_namesLock);
        for (const std::string& n : g_names) fprintf(stderr, "  waiting for: %s\n", n.c_str());
        ::LeaveCriticalSection(&g_namesLock);
        fflush(stderr);
        ::ExitProcess(3);
    }
}

class WatchdogListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { ::InterlockedIncrement(&g_testSerial); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        ::InterlockedIncrement(&g_testSerial);
        // Runs before the result is printed: what the test waited for in vain fails it.
        for (const Expectation& e : g_expected)
            if (!e.optional) ADD_FAILURE() << "the test ended still waiting for " << e.what;
        g_expected.clear();
        PublishNames();
        g_timers.clear();
        if (g_pollTimer) ::KillTimer(nullptr, g_pollTimer);
        g_pollTimer = 0;
        // An action of a finished test refers to its dead locals: it must
        // not run inside the next test's loop.
        for (auto& p : Pending()) ::KillTimer(nullptr, p.first);
        Pending().clear();
    }
};

bool StartWatchdog() {
    ::InitializeCriticalSection(&g_namesLock);
    g_looped = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ::testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);
    HANDLE t = ::CreateThread(nullptr, 0, &Watchdog, nullptr, 0, nullptr);
    if (t) ::CloseHandle(t);
    return true;
}

const bool registered = (::testing::AddGlobalTestEnvironment(new WinEnvironment), true);
const bool watched = StartWatchdog();

}  // namespace

void Pump(int ms) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
    MSG msg;
    // What is queued is handled however late the thread got here.
    do {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            CWinApp::PumpMessage(msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (static_cast<int>(end - ::GetTickCount()) > 0);
}

void After(int ms, std::function<void()> action) {
    UINT_PTR id = ::SetTimer(nullptr, 0, static_cast<UINT>(ms), &TimerProc);
    Pending()[id] = std::move(action);
}

void OnShown(std::string what, std::function<HWND()> find, std::function<void(HWND)> action) {
    Expect({std::move(what), [find] { return find() != nullptr; },
            [find, action] {
                if (HWND h = find()) action(h);
            },
            false});
}

void IfShown(std::string what, std::function<HWND()> find, std::function<void(HWND)> action) {
    Expect({std::move(what), [find] { return find() != nullptr; },
            [find, action] {
                if (HWND h = find()) action(h);
            },
            false, true});
}

void Await(std::string what, std::function<bool()> done) {
    g_awaiting.push_back(std::move(what));
    PublishNames();
    MSG msg;
    while (!done()) {
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            CWinApp::PumpMessage(msg);
        } else {
            // What it waits for may come from another thread: look again now and then.
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    g_awaiting.pop_back();
    PublishNames();
}

void OnShown(const CWnd& wnd, std::function<void()> action) {
    const auto* dialog = dynamic_cast<const CDialog*>(&wnd);
    OnShown(
        dialog ? "the dialog from template " + std::to_string(dialog->m_nIDTemplate) + " to show" : "a window of the test to show",
        [&wnd]() -> HWND {
            const auto* d = dynamic_cast<const CDialog*>(&wnd);
            return wnd.m_hWnd && ::IsWindowVisible(wnd.m_hWnd) && !(d && d->HasEnded()) ? wnd.m_hWnd : nullptr;
        },
        [action](HWND) { action(); });
}

UINT TimerPeriod(HWND wnd, UINT_PTR id) {
    auto it = g_timers.find({wnd, id});
    return it == g_timers.end() ? 0 : it->second;
}

void When(std::string what, std::function<bool()> check, std::function<void()> action) {
    Expect({std::move(what), std::move(check), std::move(action), true});
}

bool CRecorder::Create(int w, int h) {
    if (!CreateEx(0, nullptr, "Recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, CRect(40, 40, 40 + w, 40 + h),
                  nullptr, 0))
        return false;
    ::SetForegroundWindow(m_hWnd);
    Pump(50);
    return true;
}

LRESULT CRecorder::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER || message == WM_COMMAND) records.push_back({message, wParam, lParam});
    LRESULT r = 0;
    if (answer && answer(message, wParam, lParam, &r)) return r;
    return CWnd::WindowProc(message, wParam, lParam);
}

int CRecorder::Count(UINT message) const {
    int n = 0;
    for (const Record& r : records) n += r.message == message;
    return n;
}

void PostKey(HWND target, UINT key, bool alt) {
    if (!target) target = ::GetFocus();
    LPARAM lp = 1 | (alt ? (1 << 29) : 0);
    ::PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, lp);
}

COLORREF ScreenPixel(HWND wnd, int x, int y) {
    HDC dc = ::GetDC(wnd);
    COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(wnd, dc);
    return c;
}

std::string InAnsiCodePage(const wchar_t* text) {
    char buf[256] = {};
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, buf, sizeof buf, nullptr, nullptr);
    return buf;
}

namespace {

struct Lookup {
    UINT id;
    CDialog* found;
};

BOOL CALLBACK FindShowing(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<Lookup*>(lp);
    auto* d = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(h));
    if (d && d->m_nIDTemplate == c->id && ::IsWindowVisible(h) && !d->HasEnded()) {
        c->found = d;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

CDialog* Showing(UINT templateId) {
    Lookup ctx{templateId, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindShowing, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

void OnDialogNamed(const char* name, UINT templateId, std::function<void(CDialog*)> action) {
    OnShown(
        std::string("the dialog ") + name + " to show",
        [templateId]() -> HWND {
            CDialog* d = Showing(templateId);
            return d ? d->m_hWnd : nullptr;
        },
        [action](HWND h) { action(dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(h))); });
}

void Click(HWND dialog, int id) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void SetKey(int vk, bool down) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[vk] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

void TakeMessage(std::string* text, std::function<void()> then, int button) {
    OnDialog(IDD_MESSAGE, [text, then, button](CDialog* d) {
        *text = static_cast<CDlgMessage*>(d)->m_text.str();
        Click(d, button);
        if (then) then();
    });
}

std::string WindowText(HWND wnd) {
    std::string s(static_cast<size_t>(::GetWindowTextLengthA(wnd)) + 1, '\0');
    s.resize(static_cast<size_t>(::GetWindowTextA(wnd, &s[0], static_cast<int>(s.size()))));
    return s;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool whole = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && whole;
}

std::string TempFolder(const char* leaf) {
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    const std::string folder = std::string(base) + leaf;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}
