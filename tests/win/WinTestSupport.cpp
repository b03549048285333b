#include "WinTestSupport.h"

#include "ui/boxes/DlgMessage.h"
#include "ui/kit/GdiPlus.h"

#include <gtest/gtest.h>

#include <cstdio>
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

// GDI+ and the common controls for the whole suite.
class WinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, 0xFF};
        ::InitCommonControlsEx(&icc);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

// A test that leaves a modal loop running would wait forever: a watchdog ends
// the process when one test takes more than a minute.
volatile LONG g_testSerial = 0;

DWORD WINAPI Watchdog(void*) {
    LONG seen = -1;
    DWORD since = ::GetTickCount();
    for (;;) {
        ::Sleep(1000);
        LONG now = g_testSerial;
        if (now != seen) {
            seen = now;
            since = ::GetTickCount();
        } else if (::GetTickCount() - since > 60000) {
            const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
            fprintf(stderr, "win_tests: %s.%s hung (a modal loop never ended)\n", t ? t->test_suite_name() : "?",
                    t ? t->name() : "?");
            fflush(stderr);
            ::ExitProcess(3);
        }
    }
}

class WatchdogListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { ::InterlockedIncrement(&g_testSerial); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        ::InterlockedIncrement(&g_testSerial);
        // A safety-net action of a finished test refers to its dead locals: it must
        // not run inside the next test's loop.
        for (auto& p : Pending()) ::KillTimer(nullptr, p.first);
        Pending().clear();
    }
};

bool StartWatchdog() {
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
    while (static_cast<int>(end - ::GetTickCount()) > 0) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            CWinApp::PumpMessage(msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void After(int ms, std::function<void()> action) {
    UINT_PTR id = ::SetTimer(nullptr, 0, static_cast<UINT>(ms), &TimerProc);
    Pending()[id] = std::move(action);
}

void When(std::function<bool()> check, std::function<void()> action) {
    auto start = std::make_shared<DWORD>(::GetTickCount());
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [check, action, start, poll]() {
        if (check() || ::GetTickCount() - *start > 5000) {
            action();
            *poll = nullptr;  // break the cycle
        } else {
            After(20, *poll);
        }
    };
    After(20, *poll);
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
    if (d && d->m_nIDTemplate == c->id && ::IsWindowVisible(h)) {
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

void OnDialog(UINT templateId, std::function<void(CDialog*)> action) {
    When([templateId] { return Showing(templateId) != nullptr; }, [templateId, action] {
        if (CDialog* d = Showing(templateId)) action(d);
    });
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
