// zarvodriver: drives ZarvoD.exe from another process in the same Wine
// prefix and display, the way a user would, and checks what shows.
//   zarvodriver register-port COMn      a PORTS device the port list finds
//   zarvodriver walk EXE PORT [--shots] the main road with its checks
//   zarvodriver bench EXE PORT RUNS     start-up and connect times (bench/)
//   zarvodriver minimal-dialog          the plain dialog the start-up is weighed against
// With --shots it prints "SHOT name" at each step and waits for a line on
// its input (the caller takes the screenshot meanwhile).
// Wine facts this relies on: BM_CLICK respects a disabled button; WM_GETTEXT
// and the list and combo box string messages are marshalled between
// processes; posted key messages carry no Ctrl state (SendInput after
// SetForegroundWindow does); menus cannot be read from another process.
#include <windows.h>
#include <dbt.h>
#include <setupapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kFriendlyPrefix[] = "STMicroelectronics Virtual COM Port";
enum : int {
    kCombo = 1000, kConnect = 1001, kDisconnect = 1002, kSettings = 1003, kUpload = 1004, kEditorPane = 1006,
    kFileListPane = 1007, kBottom = 1008, kStop = 1085, kRun = 1086, kPause = 1087, kStepIn = 1088,
    kStepOver = 1089, kLeftTab = 1014, kNameLabel = 1016, kPhpDebugMode = 32866, kPreferences = 32839,
    kFirmwareDebugMode = 32865, kProductInfo = 32859, kNetworkInfo = 32860, kUpgradeFirmware = 32821, kFwInfoProduct = 1106,
    kFwInfoName = 1108, kFwUpgradeSend = 1090,
    kRowHeight = 20, kIndexPhpRow = 3,  // the root view: lib, mmap, www, index.php
};

int g_failures = 0;
bool g_shots = false;
bool g_replug = false;  // the simulator unplugs at the next request after the upload

void Check(bool ok, const char* what, const std::string& detail = std::string()) {
    printf("CHECK %s %s%s%s\n", ok ? "ok  " : "FAIL", what, detail.empty() ? "" : ": ", detail.c_str());
    fflush(stdout);
    if (!ok) ++g_failures;
}

void Shot(const char* name) {
    if (!g_shots) return;
    ::Sleep(400);  // let the windows paint
    printf("SHOT %s\n", name);
    fflush(stdout);
    char line[64];
    if (!fgets(line, sizeof line, stdin)) g_shots = false;
}

template <class F>
bool WaitFor(F done, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(50);
    }
    return true;
}

std::string Text(HWND wnd) {
    DWORD_PTR n = 0;
    if (!wnd || !::SendMessageTimeoutA(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &n)) return std::string();
    std::string s(n + 1, '\0');
    DWORD_PTR got = 0;
    ::SendMessageTimeoutA(wnd, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(&s[0]), SMTO_ABORTIFHUNG, 5000, &got);
    s.resize(got);
    return s;
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// ---- the port

int RegisterPort(const char* port) {
    GUID guid;
    DWORD n = 0;
    if (!SetupDiClassGuidsFromNameA("PORTS", &guid, 1, &n) || n < 1) return 1;
    HDEVINFO set = SetupDiGetClassDevsA(&guid, nullptr, nullptr, DIGCF_PRESENT);
    SP_DEVINFO_DATA dev{};
    dev.cbSize = sizeof dev;
    // One device per port name: a second run leaves the first in place.
    for (DWORD i = 0; set != INVALID_HANDLE_VALUE && SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
        HKEY key = SetupDiOpenDevRegKey(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        char name[32] = {};
        DWORD size = sizeof name - 1;
        const bool same = RegQueryValueExA(key, "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size) ==
                              ERROR_SUCCESS && _stricmp(name, port) == 0;
        RegCloseKey(key);
        if (same) {
            printf("port %s is registered\n", port);
            return 0;
        }
    }
    if (set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set);
    set = SetupDiCreateDeviceInfoList(&guid, nullptr);
    if (set == INVALID_HANDLE_VALUE) return 1;
    if (!SetupDiCreateDeviceInfoA(set, "PORTS", &guid, nullptr, nullptr, DICD_GENERATE_ID, &dev) ||
        !SetupDiRegisterDeviceInfo(set, &dev, 0, nullptr, nullptr, nullptr))
        return 1;
    const std::string friendly = std::string(kFriendlyPrefix) + " (" + port + ")";
    SetupDiSetDeviceRegistryPropertyA(set, &dev, SPDRP_FRIENDLYNAME, reinterpret_cast<const BYTE*>(friendly.c_str()),
                                      static_cast<DWORD>(friendly.size() + 1));
    HKEY key = SetupDiCreateDevRegKeyA(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
    if (key == INVALID_HANDLE_VALUE) return 1;
    RegSetValueExA(key, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(port), static_cast<DWORD>(strlen(port) + 1));
    RegCloseKey(key);
    printf("registered %s\n", friendly.c_str());
    return 0;
}

// ---- the program's windows

struct Found {
    DWORD pid;
    HWND main;
};

BOOL CALLBACK FindMain(HWND wnd, LPARAM lp) {
    Found* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == f->pid && ::IsWindowVisible(wnd) && ::GetDlgItem(wnd, kConnect)) {
        f->main = wnd;
        return FALSE;
    }
    return TRUE;
}

struct Edits {
    std::vector<HWND> found;
};

BOOL CALLBACK CollectEdits(HWND wnd, LPARAM lp) {
    char cls[16] = {};
    ::GetClassNameA(wnd, cls, sizeof cls);
    if (_stricmp(cls, "Edit") == 0) reinterpret_cast<Edits*>(lp)->found.push_back(wnd);
    return TRUE;
}

class Program {
public:
    HWND main = nullptr;

    HWND Item(int id) const { return ::GetDlgItem(main, id); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != 0; }
    bool Visible(int id) const { return ::IsWindowVisible(Item(id)) != 0; }
    void Click(int id) const { ::SendMessageA(Item(id), BM_CLICK, 0, 0); }
    // The editor answers WM_GETTEXT with its document and takes WM_CHAR as typing.
    HWND Editor() const { return Item(kEditorPane); }
    // Connected, identified and the board's files read: the wait box is gone.
    bool Loaded() const { return !Enabled(kConnect) && Contains(Log(1), "get id envc hash : ") && Idle(); }
    // A press on a row of the self-drawn file list opens it.
    void ClickRow(int row) const {
        const LPARAM at = MAKELPARAM(20, row * kRowHeight + kRowHeight / 2);
        ::PostMessageA(Item(kFileListPane), WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageA(Item(kFileListPane), WM_LBUTTONUP, 0, at);
    }
    // The logs in the order the bottom pane creates them: output, debugger log, firmware log.
    std::string Log(int which) const {
        Edits e;
        ::EnumChildWindows(::GetDlgItem(Item(kBottom), kLeftTab), CollectEdits, reinterpret_cast<LPARAM>(&e));
        return which < static_cast<int>(e.found.size()) ? Text(e.found[which]) : std::string();
    }
    bool Idle() const { return ::IsWindowEnabled(main) != 0; }
};

void Key(WORD vk, bool ctrl) {
    std::vector<INPUT> in;
    auto add = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (ctrl) add(VK_CONTROL, false);
    add(vk, false);
    add(vk, true);
    if (ctrl) add(VK_CONTROL, true);
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// WM_CHAR posted from another process types into an edit control (no key
// state is involved, so nothing is lost on the way).
void TypeInto(HWND edit, const char* text) {
    for (const char* p = text; *p; ++p) ::PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(*p), 1);
}

std::string IniPath() {
    char base[MAX_PATH] = {};
    ::SHGetSpecialFolderPathA(nullptr, base, CSIDL_APPDATA, TRUE);
    return std::string(base) + "\\ZarvoD\\Init.ini";
}

DWORD ReadDword(const char* name) {
    HKEY key;
    DWORD v = 0, size = sizeof v, type = 0;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\TavrelSystems\\zarvod", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
    ::RegCloseKey(key);
    return v;
}

void CheckStartState(const Program& p) {
    Check(p.Enabled(kConnect) && !p.Enabled(kDisconnect) && !p.Enabled(kSettings) && !p.Enabled(kUpload),
          "starts disconnected: only Connect enabled");
    bool debugOff = true;
    for (int id : {kStop, kRun, kPause, kStepIn, kStepOver}) debugOff = debugOff && !p.Enabled(id);
    Check(debugOff && p.Visible(kRun) && !p.Visible(kPause), "debugger buttons disabled, Run shown, Pause hidden");
    // A button takes its size from its decoded PNG: GDI+ runs in the program itself.
    RECT r{};
    ::GetWindowRect(p.Item(kConnect), &r);
    Check(r.right - r.left > 0 && r.bottom - r.top > 0, "picture buttons sized by their images",
          std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
    const std::string help = Text(p.Editor());
    TypeInto(p.Editor(), "x");
    ::Sleep(300);
    Check(Contains(help, "Zarvo Debugger") && Text(p.Editor()) == help, "help text shown read-only");
}

void ChoosePort(const Program& p, const char* port) {
    HWND combo = p.Item(kCombo);
    // Dropping the list down fills it from the device list: under Wine a
    // CB_SHOWDROPDOWN from another process makes the combo send CBN_DROPDOWN
    // to its owner, as a click would.
    ::SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    const LRESULT at = ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(port));
    Check(at != CB_ERR, "port list finds the board's port", port);
    ::SendMessageA(combo, CB_SETCURSEL, at == CB_ERR ? 0 : static_cast<WPARAM>(at), 0);
}

void Connect(const Program& p) {
    p.Click(kConnect);
    Check(WaitFor([&] { return p.Loaded(); }, 30000), "connect identifies the board and reads its files");
    Check(!p.Enabled(kConnect) && p.Enabled(kDisconnect) && p.Enabled(kSettings) && p.Enabled(kUpload),
          "connected: Disconnect, Settings, Upload enabled; Connect disabled");
    const std::string log = p.Log(1);
    Check(Contains(log, "get id pdb (High : ") && Contains(log, "get id mcu : ") && Contains(log, "get id mac : "),
          "Debugger Log shows the identification");
}

void OpenAndEdit(const Program& p) {
    p.ClickRow(kIndexPhpRow);
    const bool shown = WaitFor([&] { return Contains(Text(p.Editor()), "Hello from the Zarvo board"); }, 5000);
    Check(Text(p.Item(kNameLabel)) == "index.php", "the file list shows index.php", Text(p.Item(kNameLabel)));
    Check(shown, "index.php opens");
    Shot("opened");
    // Down to the first echo line (the caret starts on the first line), then type a line before it.
    for (int i = 0; i < 4; ++i) ::PostMessageA(p.Editor(), WM_KEYDOWN, VK_DOWN, 1);
    ::PostMessageA(p.Editor(), WM_KEYDOWN, VK_HOME, 1);
    TypeInto(p.Editor(), "echo \"Edited in the demo\\r\\n\";\r");
    Check(WaitFor([&] { return Contains(Text(p.Editor()), "echo \"Edited in the demo\\r\\n\";\r\necho \"Hello"); }, 5000),
          "typing edits the file", Text(p.Editor()).substr(0, 160));
}

void UploadAndRun(const Program& p) {
    // PHP debug mode off (a posted menu command): a confirmed upload then starts the script.
    ::PostMessageA(p.main, WM_COMMAND, kPhpDebugMode, 0);
    ::Sleep(200);
    p.Click(kUpload);
    const bool ran = WaitFor([&] { return Contains(p.Log(0), "Edited in the demo") && p.Idle(); }, 60000);
    Check(ran, "upload, then the script's output in the Output tab", p.Log(0).substr(0, 120));
    Check(Contains(p.Log(0), "Hello from the Zarvo board"), "Output keeps the rest of the script's output");
    Check(p.Enabled(kUpload) && p.Enabled(kDisconnect), "connected after the upload");
}

void ShowDebuggerLog(const Program& p) {
    // The third tab, by a click where it sits (tab rectangles cannot be read across processes).
    HWND tab = ::GetDlgItem(p.Item(kBottom), kLeftTab);
    if (::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0) < 3) return;
    ::PostMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
    ::PostMessageA(tab, WM_LBUTTONUP, 0, MAKELPARAM(150, 10));
}

// The program's other top-level dialog (a box or a dialog over the main window).
HWND OtherDialog(const Program& p) {
    struct Look {
        HWND main, found;
        static BOOL CALLBACK Each(HWND w, LPARAM lp) {
            Look* l = reinterpret_cast<Look*>(lp);
            DWORD a = 0, b = 0;
            ::GetWindowThreadProcessId(w, &a);
            ::GetWindowThreadProcessId(l->main, &b);
            char cls[16] = {};
            ::GetClassNameA(w, cls, sizeof cls);
            if (a == b && w != l->main && ::IsWindowVisible(w) && strcmp(cls, "#32770") == 0) {
                l->found = w;
                return FALSE;
            }
            return TRUE;
        }
    } look{p.main, nullptr};
    ::EnumWindows(Look::Each, reinterpret_cast<LPARAM>(&look));
    return look.found;
}

void ShowPreferences(const Program& p) {
    ::PostMessageA(p.main, WM_COMMAND, kPreferences, 0);
    HWND dlg = nullptr;
    Check(WaitFor([&] { return (dlg = OtherDialog(p)) != nullptr; }, 5000), "Preferences opens from its menu command");
    if (!dlg) return;
    Shot("preferences");
    ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    Check(WaitFor([&] { return OtherDialog(p) == nullptr && p.Idle(); }, 5000), "Preferences closes with Cancel");
}

// A Function menu command whose dialog shows what the board answered;
// true when shown shows in it (read by read), then the dialog closes.
template <class Read>
void BoardDialog(const Program& p, int command, const char* what, const char* shown, Read read) {
    ::PostMessageA(p.main, WM_COMMAND, command, 0);
    HWND dlg = nullptr;
    const bool opened = WaitFor([&] { return (dlg = OtherDialog(p)) != nullptr; }, 15000);
    const std::string text = opened ? read(dlg) : std::string();
    Check(opened && Contains(text, shown), what, text.substr(0, 160));
    if (!dlg) return;
    Shot(what);
    ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    WaitFor([&] { return OtherDialog(p) == nullptr && p.Idle(); }, 5000);
}

void ShowBoardInformation(const Program& p) {
    BoardDialog(p, kProductInfo, "product information shows the board's names", "ZX-1000 rev B, bootloader 2.1",
                [](HWND dlg) { return Text(::GetDlgItem(dlg, kFwInfoProduct)) + " | " + Text(::GetDlgItem(dlg, kFwInfoName)); });
    BoardDialog(p, kNetworkInfo, "network information shows the board's address", "192.168.0.100", [](HWND dlg) {
        Edits e;
        ::EnumChildWindows(dlg, CollectEdits, reinterpret_cast<LPARAM>(&e));
        return e.found.empty() ? std::string() : Text(e.found[0]);
    });
    BoardDialog(p, kSettings, "the Settings dialog opens with the board's firmware name", " - ZX1001",
                [](HWND dlg) { return Text(dlg); });
    // The board's firmware name came with the settings read above: it opens at once.
    // Known by its Send button: the caption is in the user's language.
    BoardDialog(p, kUpgradeFirmware, "the firmware upgrade dialog opens", "Send",
                [](HWND dlg) { return ::GetDlgItem(dlg, kFwUpgradeSend) ? std::string("Send") : std::string(); });
}

int Count(const std::string& s, const char* part) {
    int n = 0;
    for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) ++n;
    return n;
}

// Wine sends no device notices for a pseudo-terminal: they come from here.
// A sent (not posted) WM_DEVICECHANGE carries its broadcast header intact.
void DeviceNotice(const Program& p, WPARAM event) {
    DEV_BROADCAST_DEVICEINTERFACE_A b{};
    b.dbcc_size = sizeof b;
    b.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    DWORD_PTR r = 0;
    ::SendMessageTimeoutA(p.main, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&b), SMTO_NORMAL, 60000, &r);
}

DWORD WINAPI SendRemoval(void* main) {
    Program q;
    q.main = static_cast<HWND>(main);
    DeviceNotice(q, DBT_DEVICEREMOVECOMPLETE);
    return 0;
}

// The simulated board unplugs itself at the next request (the demo starts it
// so) and comes back a moment later.
void UnplugAndReplug(const Program& p) {
    const int identified = Count(p.Log(1), "get id envc hash : ");
    ::PostMessageA(p.main, WM_COMMAND, kFirmwareDebugMode, 0);  // a request: the board goes
    ::Sleep(500);
    HWND box = nullptr;
    // Sent from a thread of our own: the question's modal loop holds the send.
    HANDLE t = ::CreateThread(nullptr, 0, SendRemoval, p.main, 0, nullptr);
    const bool asked = WaitFor([&] { return (box = OtherDialog(p)) != nullptr; }, 5000);
    Check(asked && p.Enabled(kConnect),
          "a removal closes the link and asks to connect again");
    Shot("unplugged");
    // Yes, by the button that says so.
    for (HWND b = ::GetWindow(box, GW_CHILD); b; b = ::GetWindow(b, GW_HWNDNEXT)) {
        // The label in the ANSI code page; the Korean one is U+C608.
        const std::string label = Text(b);
        wchar_t wide[16] = {};
        ::MultiByteToWideChar(CP_ACP, 0, label.c_str(), -1, wide, 16);
        if (_stricmp(label.c_str(), "YES") == 0 || wcscmp(wide, L"\uC608") == 0) ::SendMessageA(b, BM_CLICK, 0, 0);
    }
    if (t) {
        ::WaitForSingleObject(t, 10000);
        ::CloseHandle(t);
    }
    ::Sleep(1500);  // the board comes back on a new pseudo-terminal
    DeviceNotice(p, DBT_DEVICEARRIVAL);
    const bool again = WaitFor([&] { return Count(p.Log(1), "get id envc hash : ") > identified && p.Loaded(); }, 30000);
    Check(again, "the board's return reconnects when asked");
}

void DisconnectByKey(const Program& p) {
    ::SetForegroundWindow(p.main);
    ::Sleep(200);
    Key('I', true);
    if (!WaitFor([&] { return p.Enabled(kConnect); }, 3000)) {
        Check(false, "Ctrl+I disconnects (SendInput)");
        p.Click(kDisconnect);
    } else {
        Check(true, "Ctrl+I disconnects (SendInput)");
    }
    bool debugOff = true;
    for (int id : {kStop, kRun, kPause, kStepIn, kStepOver}) debugOff = debugOff && !p.Enabled(id);
    Check(p.Enabled(kConnect) && !p.Enabled(kUpload) && debugOff, "disconnected: Connect back, the rest disabled");
}

void CheckExitState(DWORD expectLang) {
    Check(ReadDword("Width") >= 640 && ReadDword("Height") >= 480, "layout saved in the registry",
          std::to_string(ReadDword("Width")) + "x" + std::to_string(ReadDword("Height")));
    Check(ReadDword("Lang") == expectLang, "language saved", std::to_string(ReadDword("Lang")));
    const std::string ini = IniPath();
    char value[64] = {};
    ::GetPrivateProfileStringA("Mode", "Debug", "?", value, sizeof value, ini.c_str());
    const bool debug = strcmp(value, "0") == 0;
    ::GetPrivateProfileStringA("Font", "lfFaceName", "?", value, sizeof value, ini.c_str());
    Check(debug && strcmp(value, "?") != 0, "Init.ini holds the modes and the editor's font");
    Check(::GetFileAttributesA((ini + ".new").c_str()) == INVALID_FILE_ATTRIBUTES, "no temporary Init.ini left");
}

int Walk(const char* exe, const char* port, DWORD expectLang) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = std::string("\"") + exe + "\"";
    if (!::CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        Check(false, "ZarvoD.exe starts", std::to_string(::GetLastError()));
        return 1;
    }
    Found f{pi.dwProcessId, nullptr};
    WaitFor([&] { ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f)); return f.main != nullptr; }, 60000);
    Check(f.main != nullptr, "main window shows");
    if (!f.main) return 1;
    Program p;
    p.main = f.main;
    CheckStartState(p);
    Shot("start");
    ChoosePort(p, port);
    Connect(p);
    Shot("connected");
    OpenAndEdit(p);
    Shot("edited");
    UploadAndRun(p);
    Shot("output");
    ShowDebuggerLog(p);
    Shot("debugger-log");
    ShowPreferences(p);
    if (g_replug) UnplugAndReplug(p);
    ShowBoardInformation(p);
    DisconnectByKey(p);
    Shot("disconnected");
    ::PostMessageA(p.main, WM_CLOSE, 0, 0);
    const bool ended = ::WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
    Check(ended, "the program ends when its window closes");
    if (!ended) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    CheckExitState(expectLang);
    printf("RESULT: %s (%d failed)\n", g_failures ? "fail" : "ok", g_failures);
    return g_failures ? 1 : 0;
}

// ---- benchmarks

double Now() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Milliseconds from CreateProcess to the main window shown; the process is
// left running (returned in pi).
double StartAndWait(const std::string& cmd, PROCESS_INFORMATION& pi) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string line = cmd;
    const double t0 = Now();
    if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    Found f{pi.dwProcessId, nullptr};
    while (!f.main && Now() - t0 < 60000) {
        ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
        if (!f.main) ::Sleep(2);
    }
    return f.main ? Now() - t0 : -1;
}

void Close(PROCESS_INFORMATION& pi) {
    Found f{pi.dwProcessId, nullptr};
    ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
    if (f.main) ::PostMessageA(f.main, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
}

int Bench(const char* exe, const char* port, int runs) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string minimal = std::string("\"") + self + "\" minimal-dialog";
    const std::string program = std::string("\"") + exe + "\"";
    std::vector<double> plain, ours, connect;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms the prefix up
        PROCESS_INFORMATION pi{};
        const double a = StartAndWait(minimal, pi);
        Close(pi);
        const double b = StartAndWait(program, pi);
        if (i > 0) {
            plain.push_back(a);
            ours.push_back(b);
        }
        Found f{pi.dwProcessId, nullptr};
        ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
        Program p;
        p.main = f.main;
        if (p.main) {
            HWND combo = p.Item(kCombo);
            ::SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
            ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
            const LRESULT at = ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(port));
            ::SendMessageA(combo, CB_SETCURSEL, at == CB_ERR ? 0 : static_cast<WPARAM>(at), 0);
            const double t0 = Now();
            p.Click(kConnect);
            if (WaitFor([&] { return p.Loaded(); }, 30000) && i > 0) connect.push_back(Now() - t0);
            p.Click(kDisconnect);
        }
        Close(pi);
    }
    const double m = Median(plain), z = Median(ours);
    printf("startup_minimal_dialog_ms %.1f\n", m);
    printf("startup_zarvod_ms %.1f\n", z);
    printf("startup_ratio %.2f (goal <= 1.5)\n", m > 0 ? z / m : 0.0);
    printf("connect_to_list_ms %.1f\n", Median(connect));
    return 0;
}

INT_PTR CALLBACK MinimalProc(HWND wnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(wnd, 0);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

// A dialog from an in-memory template with one button of the Connect id, so
// that the same window search finds it.
int MinimalDialog() {
    struct alignas(4) Template {
        DLGTEMPLATE dlg;
        WORD menu, cls, title[2];
        WORD pad;
        DLGITEMTEMPLATE item;
        WORD itemClass[2], itemTitle[2], extra;
    } t{};
    t.dlg.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    t.dlg.cdit = 1;
    t.dlg.cx = 200;
    t.dlg.cy = 100;
    t.title[0] = 'M';
    t.item.style = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
    t.item.x = 10;
    t.item.y = 10;
    t.item.cx = 50;
    t.item.cy = 14;
    t.item.id = kConnect;
    t.itemClass[0] = 0xFFFF;
    t.itemClass[1] = 0x0080;  // BUTTON
    return static_cast<int>(::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), &t.dlg, nullptr, MinimalProc, 0));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && strcmp(argv[1], "register-port") == 0) return RegisterPort(argv[2]);
    if (argc >= 2 && strcmp(argv[1], "minimal-dialog") == 0) return MinimalDialog();
    if (argc >= 5 && strcmp(argv[1], "bench") == 0) return Bench(argv[2], argv[3], atoi(argv[4]));
    if (argc >= 4 && strcmp(argv[1], "walk") == 0) {
        DWORD lang = 1033;
        for (int i = 4; i < argc; ++i) {
            if (strcmp(argv[i], "--shots") == 0) g_shots = true;
            if (strcmp(argv[i], "--replug") == 0) g_replug = true;
            if (strcmp(argv[i], "--lang") == 0 && i + 1 < argc) lang = strtoul(argv[++i], nullptr, 10);
        }
        return Walk(argv[2], argv[3], lang);
    }
    fprintf(stderr, "usage: zarvodriver register-port COMn | walk EXE PORT [--shots] [--lang ID] |\n"
                    "                   bench EXE PORT RUNS | minimal-dialog\n");
    return 2;
}
