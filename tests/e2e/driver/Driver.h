// What every road of the UI driver shares. Wine facts it relies on: BM_CLICK
// respects a disabled button; WM_GETTEXT and the list and combo box string
// messages are marshalled between processes; posted key messages carry no Ctrl
// state (SendInput after SetForegroundWindow does); menus cannot be read.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

enum : int {
    kCombo = 1000, kConnect = 1001, kDisconnect = 1002, kSettings = 1003, kUpload = 1004, kEditorPane = 1006,
    kFileListPane = 1007, kBottom = 1008, kStop = 1085, kRun = 1086, kPause = 1087, kStepIn = 1088,
    kStepOver = 1089, kLeftTab = 1014, kNameLabel = 1016, kPhpDebugMode = 32866, kPreferences = 32839,
    kFirmwareDebugMode = 32865, kProductInfo = 32859, kNetworkInfo = 32860, kUpgradeFirmware = 32821, kFwInfoProduct = 1106,
    kFwInfoName = 1108, kFwUpgradeSend = 1090,
    kSetWrite = 1004, kSetTab = 1044, kMsgButton1 = 1006,  // the Settings dialog; a message box's first button
    kWatchList = 1013,  // the bottom pane's watch list
    kRowHeight = 20, kIndexPhpRow = 3,  // the root view: lib, mmap, www, index.php
};

extern bool g_shots;
extern bool g_replug;  // the main road: the board unplugs itself at a request after the upload
extern DWORD g_lang;  // 1033 or 1042: what the program was started in

// Prints a CHECK line; returns ok.
bool Check(bool ok, const char* what, const std::string& detail = std::string());
// With --shots: names a step, and waits while the caller takes the screenshot.
void Shot(const char* name);

template <class F>
bool WaitFor(F done, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(50);
    }
    return true;
}

std::string Text(HWND wnd);
bool Contains(const std::string& s, const char* part);
int Count(const std::string& s, const char* part);
std::vector<HWND> ChildrenOfClass(HWND parent, const char* cls);  // every descendant, in creation order

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
    bool Loaded() const;
    // A press on a row of the self-drawn file list (a row opens on a click).
    void ClickRow(int row) const;
    // Into a folder, or up out of it: a double click on a row, then a pause.
    void DoubleClickRow(int row) const;
    // The logs in the order the bottom pane creates them: output, debugger log, firmware log.
    std::string Log(int which) const;
    // No modal box or dialog over the main window.
    bool Idle() const { return ::IsWindowEnabled(main) != 0; }
};

void Key(WORD vk, bool ctrl, bool shift = false);
// The window that has the program's keyboard focus.
HWND Focus(const Program& p);
// A posted mouse press at x, y of w (twice: a double click).
void PostClick(HWND w, int x, int y, bool twice = false);
// WM_CHAR posted from another process types into an edit control.
void TypeInto(HWND edit, const char* text);
// Types over the whole text of an edit, as a user would.
void Retype(HWND edit, const char* text);
// The program's other visible top-level dialog (a box or a dialog over the main window).
HWND OtherDialog(const Program& p);
HWND WaitDialog(const Program& p, DWORD ms);
// A visible dialog of the program over owner that holds a control id.
HWND OwnedDialog(const Program& p, HWND owner, int id);
HWND WaitOwnedDialog(const Program& p, HWND owner, int id, DWORD ms);
// The program's visible dialog that holds a control id as its own child.
HWND DialogWith(const Program& p, int id);
HWND WaitDialogWith(const Program& p, int id, DWORD ms);
// Closes dlg with a command (Cancel) and waits until it is gone and the main window free.
bool Close(const Program& p, HWND dlg, int id = IDCANCEL, DWORD ms = 5000);
// Gone or hidden.
bool Gone(HWND w);
// Settings, once its opening read of the board's blocks let its buttons go.
HWND OpenSettings(const Program& p);
// A file the road's script left for the driver (%ZARVOD_ROAD_DIR%), as a Windows path.
std::string RoadPath(const char* name);
// What the simulator logged so far (it flushes every line); name: the log of a road's next board.
std::string SimLog(const char* name = "sim.log");
// The file-name box of a common open-file dialog; a full path set there and OK open it.
HWND FileNameBox(HWND fileDialog);
// Clicks the button of dlg whose label is english or, in the Korean interface, korean (UTF-16).
bool ClickLabelled(HWND dlg, const char* english, const wchar_t* korean);
// Clicks Yes (or No) in a message box, in either language; false without a box or that button.
bool Answer(HWND box, bool yes);
// A control anywhere under root (pages sit inside a tab control).
HWND Descendant(HWND root, int id);
// A posted click: the handler may open a modal dialog, which a sent one would wait for.
void Press(HWND dlg, int id);
// Wine sends no device notices for a pseudo-terminal: they come from here.
void DeviceNotice(const Program& p, WPARAM event);

// The board's removal told from a thread of our own (the question it raises
// holds the send); the thread is joined by YesThenReconnect.
HANDLE SendRemovalAsync(const Program& p);
// Answers the reconnect question (box) Yes, tells the board's return and
// waits for a new identification after identified.
bool YesThenReconnect(const Program& p, HWND box, HANDLE sender, int identified);
// How many identifications the Debugger Log holds.
int Identifications(const Program& p);
// Loaded after one more identification than identified (the old one stays in the log).
bool LoadedAgain(const Program& p, int identified, DWORD ms = 30000);

void ChoosePort(const Program& p, const char* port);
// Connect, and the checks that the board was identified and its files read.
void Connect(const Program& p);
// Both.
void Connect(const Program& p, const char* port);

std::string IniPath();
DWORD ReadDword(const char* name);

// A road: what the driver does with the running program; after runs once it has ended.
using RoadFn = void (*)(const Program& p, const char* port);
using AfterFn = void (*)();
bool RegisterRoad(const char* name, RoadFn run, AfterFn after = nullptr);

// The benchmark verbs (Bench.cpp).
int Bench(const char* exe, const char* port, int runs);
int MinimalDialog();
int SameWindowsDialog();
// Milliseconds from CreateProcess to the main window shown (-1: none); the process runs on.
double StartAndWait(const std::string& cmd, PROCESS_INFORMATION& pi);
// Finds the main window of process pid (its Connect button tells it).
HWND FindMainWindow(DWORD pid);
// Fills the port list as a click would and selects port; false when it is not listed.
bool SelectPort(const Program& p, const char* port);

}  // namespace e2e

// Registers a road from its own file: ZARVO_ROAD("files", FilesRoad);
#define ZARVO_ROAD_JOIN2(a, b) a##b
#define ZARVO_ROAD_JOIN(a, b) ZARVO_ROAD_JOIN2(a, b)
#define ZARVO_ROAD(...) static const bool ZARVO_ROAD_JOIN(road_, __LINE__) = e2e::RegisterRoad(__VA_ARGS__)
