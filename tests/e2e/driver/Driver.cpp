// zarvodriver: drives ZarvoD.exe from another process in the same Wine
// prefix and display, the way a user would, and checks what shows. With
// --shots it prints "SHOT name" at each step and waits for a line on its input.
#include "driver/Driver.h"

#include <dbt.h>
#include <setupapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

namespace e2e {

bool g_shots = false;
bool g_replug = false;
DWORD g_lang = 1033;

namespace {

int g_failures = 0;
const char kFriendlyPrefix[] = "STMicroelectronics Virtual COM Port";

struct RoadEntry {
    RoadFn run;
    AfterFn after;
};

std::map<std::string, RoadEntry>& Roads() {
    static std::map<std::string, RoadEntry> roads;
    return roads;
}

struct Look {
    std::function<bool(HWND)> keep;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND w, LPARAM lp) {
    Look* look = reinterpret_cast<Look*>(lp);
    if (look->keep(w)) look->found.push_back(w);
    return TRUE;
}

// The windows under parent (the top-level ones, in z-order, without one) that keep passes.
std::vector<HWND> Windows(HWND parent, std::function<bool(HWND)> keep) {
    Look look{std::move(keep), {}};
    if (parent)
        ::EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&look));
    else
        ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&look));
    return look.found;
}

// The top-level windows of process pid.
std::vector<HWND> TopWindows(DWORD pid) {
    return Windows(nullptr, [pid](HWND w) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        return owner == pid;
    });
}

}  // namespace

bool RegisterRoad(const char* name, RoadFn run, AfterFn after) {
    Roads()[name] = RoadEntry{run, after};
    return true;
}

bool Check(bool ok, const char* what, const std::string& detail) {
    printf("CHECK %s %s%s%s\n", ok ? "ok  " : "FAIL", what, detail.empty() ? "" : ": ", detail.c_str());
    fflush(stdout);
    if (!ok) ++g_failures;
    return ok;
}

void Shot(const char* name) {
    if (!g_shots) return;
    ::Sleep(400);  // let the windows paint
    printf("SHOT %s\n", name);
    fflush(stdout);
    char line[64];
    if (!fgets(line, sizeof line, stdin)) g_shots = false;
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

int Count(const std::string& s, const char* part) {
    int n = 0;
    for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) ++n;
    return n;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const char* cls) {
    return Windows(parent, [cls](HWND w) {
        char name[32] = {};
        ::GetClassNameA(w, name, sizeof name);
        return _stricmp(name, cls) == 0;
    });
}

// The log is read last: a whole log crossing processes is the costly question.
bool Program::Loaded() const { return !Enabled(kConnect) && Idle() && Contains(Log(1), "get id envc hash : "); }

void Program::ClickRow(int row) const { PostClick(Item(kFileListPane), 20, row * kRowHeight + kRowHeight / 2); }

void Program::DoubleClickRow(int row) const {
    const LPARAM at = MAKELPARAM(20, row * kRowHeight + kRowHeight / 2);
    ::PostMessageA(Item(kFileListPane), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageA(Item(kFileListPane), WM_LBUTTONUP, 0, at);
    ::Sleep(300);
}

std::string Program::Log(int which) const {
    const std::vector<HWND> edits = ChildrenOfClass(::GetDlgItem(Item(kBottom), kLeftTab), "Edit");
    return which < static_cast<int>(edits.size()) ? Text(edits[which]) : std::string();
}

void Key(WORD vk, bool ctrl, bool shift) {
    std::vector<INPUT> in;
    auto add = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (ctrl) add(VK_CONTROL, false);
    if (shift) add(VK_SHIFT, false);
    add(vk, false);
    add(vk, true);
    if (shift) add(VK_SHIFT, true);
    if (ctrl) add(VK_CONTROL, true);
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

HWND Focus(const Program& p) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(p.main, nullptr), &info) ? info.hwndFocus : nullptr;
}

void PostClick(HWND w, int x, int y, bool twice) {
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(w, WM_LBUTTONUP, 0, at);
    if (twice) {
        ::PostMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageA(w, WM_LBUTTONUP, 0, at);
    }
}

void TypeInto(HWND edit, const char* text) {
    for (const char* p = text; *p; ++p) ::PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(*p), 1);
}

void Retype(HWND edit, const char* text) {
    ::PostMessageA(edit, EM_SETSEL, 0, -1);
    TypeInto(edit, text);
}

namespace {

template <class Find>
HWND WaitWindow(Find find, DWORD ms) {
    HWND w = nullptr;
    WaitFor([&] { return (w = find()) != nullptr; }, ms);
    return w;
}

// The first visible dialog of the program other than its main window that passes also.
template <class Also>
HWND FirstDialog(const Program& p, Also also) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(p.main, &pid);
    for (HWND w : TopWindows(pid)) {
        char cls[16] = {};
        ::GetClassNameA(w, cls, sizeof cls);
        if (w != p.main && ::IsWindowVisible(w) && strcmp(cls, "#32770") == 0 && also(w)) return w;
    }
    return nullptr;
}

}  // namespace

HWND OtherDialog(const Program& p) {
    return FirstDialog(p, [](HWND) { return true; });
}

HWND WaitDialog(const Program& p, DWORD ms) {
    return WaitWindow([&] { return OtherDialog(p); }, ms);
}

HWND OwnedDialog(const Program& p, HWND owner, int id) {
    if (!owner) return nullptr;
    return FirstDialog(p, [&](HWND w) { return ::GetWindow(w, GW_OWNER) == owner && ::GetDlgItem(w, id); });
}

HWND WaitOwnedDialog(const Program& p, HWND owner, int id, DWORD ms) {
    return WaitWindow([&] { return OwnedDialog(p, owner, id); }, ms);
}

std::string RoadPath(const char* name) {
    const char* dir = getenv("ZARVOD_ROAD_DIR");
    return std::string(dir ? dir : ".") + "\\" + name;
}

std::string SimLog(const char* name) {
    std::ifstream in(RoadPath((std::string("..\\") + name).c_str()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

HWND FileNameBox(HWND fileDialog) {
    // A combo box in the explorer style, an edit in the old one.
    enum : int { kNameCombo = 0x47C, kNameEdit = 0x480 };
    if (!fileDialog) return nullptr;
    HWND box = ::GetDlgItem(fileDialog, kNameCombo);
    return box ? box : ::GetDlgItem(fileDialog, kNameEdit);
}

bool ClickLabelled(HWND dlg, const char* english, const wchar_t* korean) {
    for (HWND b = ::GetWindow(dlg, GW_CHILD); b; b = ::GetWindow(b, GW_HWNDNEXT)) {
        // The label comes in the ANSI code page (949 for the Korean interface).
        std::string label = Text(b);
        label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
        wchar_t wide[64] = {};
        ::MultiByteToWideChar(CP_ACP, 0, label.c_str(), -1, wide, 64);
        if (_stricmp(label.c_str(), english) == 0 || (korean && wcscmp(wide, korean) == 0)) {
            ::SendMessageA(b, BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

bool Answer(HWND box, bool yes) {
    return box && (yes ? ClickLabelled(box, "Yes", L"\uC608") : ClickLabelled(box, "No", L"\uC544\uB2C8\uC624"));
}

HWND DialogWith(const Program& p, int id) {
    return FirstDialog(p, [&](HWND w) {
        HWND item = ::GetDlgItem(w, id);
        return item && ::GetParent(item) == w;
    });
}

HWND WaitDialogWith(const Program& p, int id, DWORD ms) {
    return WaitWindow([&] { return DialogWith(p, id); }, ms);
}

bool Close(const Program& p, HWND dlg, int id, DWORD ms) {
    ::PostMessageA(dlg, WM_COMMAND, id, 0);
    return WaitFor([&] { return !::IsWindow(dlg) && p.Idle(); }, ms);
}

bool Gone(HWND w) { return !w || !::IsWindow(w) || !::IsWindowVisible(w); }

HWND OpenSettings(const Program& p) {
    ::PostMessageA(p.main, WM_COMMAND, kSettings, 0);
    HWND dlg = WaitDialogWith(p, kSetTab, 15000);
    // The certificate read at open holds the buttons until its reply.
    if (dlg) WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(dlg, kSetWrite)) != 0; }, 20000);
    return dlg;
}

HWND Descendant(HWND root, int id) {
    const std::vector<HWND> found = Windows(root, [id](HWND w) { return ::GetDlgCtrlID(w) == id; });
    return found.empty() ? nullptr : found[0];
}

void Press(HWND dlg, int id) { ::PostMessageA(::GetDlgItem(dlg, id), BM_CLICK, 0, 0); }

// A sent (not posted) WM_DEVICECHANGE carries its broadcast header intact.
void DeviceNotice(const Program& p, WPARAM event) {
    DEV_BROADCAST_DEVICEINTERFACE_A b{};
    b.dbcc_size = sizeof b;
    b.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    DWORD_PTR r = 0;
    ::SendMessageTimeoutA(p.main, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&b), SMTO_NORMAL, 60000, &r);
}

namespace {
DWORD WINAPI SendRemoval(void* main) {
    Program q;
    q.main = static_cast<HWND>(main);
    DeviceNotice(q, DBT_DEVICEREMOVECOMPLETE);
    return 0;
}
}  // namespace

HANDLE SendRemovalAsync(const Program& p) { return ::CreateThread(nullptr, 0, SendRemoval, p.main, 0, nullptr); }

bool YesThenReconnect(const Program& p, HWND box, HANDLE sender, int identified) {
    Answer(box, true);
    if (sender) {
        ::WaitForSingleObject(sender, 10000);
        ::CloseHandle(sender);
    }
    ::Sleep(1500);  // the board comes back on a new pseudo-terminal
    DeviceNotice(p, DBT_DEVICEARRIVAL);
    return LoadedAgain(p, identified);
}

int Identifications(const Program& p) { return Count(p.Log(1), "get id envc hash : "); }

bool LoadedAgain(const Program& p, int identified, DWORD ms) {
    return WaitFor([&] { return p.Loaded() && Identifications(p) > identified; }, ms);
}

bool SelectPort(const Program& p, const char* port) {
    HWND combo = p.Item(kCombo);
    // Under Wine a CB_SHOWDROPDOWN from another process makes the combo send
    // CBN_DROPDOWN to its owner, which fills the list, as a click would.
    ::SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    const LRESULT at = ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(port));
    ::SendMessageA(combo, CB_SETCURSEL, at == CB_ERR ? 0 : static_cast<WPARAM>(at), 0);
    return at != CB_ERR;
}

void ChoosePort(const Program& p, const char* port) { Check(SelectPort(p, port), "port list finds the board's port", port); }

void Connect(const Program& p, const char* port) {
    ChoosePort(p, port);
    Connect(p);
}

void Connect(const Program& p) {
    const int before = Identifications(p);
    p.Click(kConnect);
    Check(LoadedAgain(p, before), "connect identifies the board and reads its files");
    Check(!p.Enabled(kConnect) && p.Enabled(kDisconnect) && p.Enabled(kSettings) && p.Enabled(kUpload),
          "connected: Disconnect, Settings, Upload enabled; Connect disabled");
    const std::string log = p.Log(1);
    Check(Contains(log, "get id pdb (High : ") && Contains(log, "get id mcu : ") && Contains(log, "get id mac : "),
          "Debugger Log shows the identification");
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

HWND FindMainWindow(DWORD pid) {
    for (HWND w : TopWindows(pid))
        if (::IsWindowVisible(w) && ::GetDlgItem(w, kConnect)) return w;
    return nullptr;
}

namespace {

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

int RunRoad(const char* name, const char* exe, const char* port) {
    const auto road = Roads().find(name);
    if (road == Roads().end()) {
        fprintf(stderr, "zarvodriver: no road named %s\n", name);
        return 2;
    }
    PROCESS_INFORMATION pi{};
    Program p;
    if (StartAndWait(std::string("\"") + exe + "\"", pi) >= 0) p.main = FindMainWindow(pi.dwProcessId);
    if (!Check(p.main != nullptr, "main window shows")) {
        if (pi.hProcess) ::TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    road->second.run(p, port);
    // A wait box refuses the close: let a job the road left running end first.
    WaitFor([&] { return p.Idle() && !OtherDialog(p); }, 30000);
    ::PostMessageA(p.main, WM_CLOSE, 0, 0);
    const DWORD closing = ::GetTickCount();
    const bool ended = ::WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
    std::string holding;  // what kept it open: its windows, their states and texts
    if (ended) holding = "in " + std::to_string(::GetTickCount() - closing) + " ms";
    if (!ended) {
        for (HWND w : TopWindows(pi.dwProcessId)) {
            char cls[32] = {};
            ::GetClassNameA(w, cls, sizeof cls);
            holding += std::string(" [") + cls + (::IsWindowVisible(w) ? " shown" : " hidden") +
                       (::IsWindowEnabled(w) ? "" : " disabled") + " \"" + Text(w).substr(0, 40) + "\"]";
        }
    }
    Check(ended, "the program ends when its window closes", holding);
    if (!ended) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    if (road->second.after) road->second.after();
    printf("RESULT: %s (%d failed)\n", g_failures ? "fail" : "ok", g_failures);
    return g_failures ? 1 : 0;
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
    using namespace e2e;
    if (argc >= 3 && strcmp(argv[1], "register-port") == 0) return RegisterPort(argv[2]);
    if (argc >= 2 && strcmp(argv[1], "minimal-dialog") == 0) return MinimalDialog();
    if (argc >= 2 && strcmp(argv[1], "same-windows-dialog") == 0) return SameWindowsDialog();
    if (argc >= 5 && strcmp(argv[1], "bench") == 0) return Bench(argv[2], argv[3], atoi(argv[4]));
    if (argc >= 5 && strcmp(argv[1], "road") == 0) {
        for (int i = 5; i < argc; ++i) {
            if (strcmp(argv[i], "--shots") == 0) g_shots = true;
            if (strcmp(argv[i], "--replug") == 0) g_replug = true;
            if (strcmp(argv[i], "--lang") == 0 && i + 1 < argc) g_lang = strtoul(argv[++i], nullptr, 10);
        }
        return RunRoad(argv[2], argv[3], argv[4]);
    }
    fprintf(stderr, "usage: zarvodriver register-port COMn | road NAME EXE PORT [--shots] [--replug] [--lang ID] |\n"
                    "                   bench EXE PORT RUNS | minimal-dialog | same-windows-dialog\n");
    return 2;
}
