// The main road: connect, open a file, edit, upload, run, the output; the
// preferences and board dialogs; unplug and replug; disconnect; what the
// program leaves in the registry and Init.ini.
#include "driver/Driver.h"

#include <commctrl.h>
#include <dbt.h>

#include <cstdio>
#include <cstring>

namespace e2e {
namespace {

bool DebuggerOff(const Program& p) {
    for (int id : {kStop, kRun, kPause, kStepIn, kStepOver})
        if (p.Enabled(id)) return false;
    return true;
}

void CheckStartState(const Program& p) {
    Check(p.Enabled(kConnect) && !p.Enabled(kDisconnect) && !p.Enabled(kSettings) && !p.Enabled(kUpload),
          "starts disconnected: only Connect enabled");
    Check(DebuggerOff(p) && p.Visible(kRun) && !p.Visible(kPause), "debugger buttons disabled, Run shown, Pause hidden");
    const std::string help = Text(p.Editor());
    TypeInto(p.Editor(), "x");
    ::Sleep(300);
    Check(Contains(help, "Zarvo Debugger") && Text(p.Editor()) == help, "help text shown read-only");
}

// Tab and Shift+Tab go round the window over the controls that are on: the
// board's buttons, the file list, the debugger buttons, the editor (which
// keeps Tab), the bottom pane's log and watch list; the port list and Connect
// are off while connected.
void TabGoesRound(const Program& p) {
    ::SetForegroundWindow(p.main);
    ::Sleep(200);
    PostClick(p.Item(kFileListPane), 20, 5 * kRowHeight);  // below the rows: a click on no file
    Check(WaitFor([&] { return Focus(p) == p.Item(kFileListPane); }, 3000), "a click gives the file list the focus");
    const std::vector<HWND> logs = ChildrenOfClass(::GetDlgItem(p.Item(kBottom), kLeftTab), "Edit");
    const HWND output = logs.empty() ? nullptr : logs[0];
    const HWND watches = Descendant(p.Item(kBottom), kWatchList);
    auto go = [&](bool shift, std::initializer_list<HWND> stops) {
        for (HWND to : stops) {
            Key(VK_TAB, false, shift);
            if (!WaitFor([&] { return Focus(p) == to; }, 3000)) return false;
        }
        return true;
    };
    Check(go(true, {p.Item(kUpload), p.Item(kSettings), p.Item(kDisconnect)}),
          "Shift+Tab from the file list: Upload, Settings, Disconnect");
    Shot("tab-disconnect");
    Check(output && go(true, {watches, output}), "Shift+Tab goes round to the watch list, then the output log");
    Shot("tab-log");
    Check(go(false, {watches, p.Item(kDisconnect), p.Item(kSettings), p.Item(kUpload), p.Item(kFileListPane)}),
          "Tab goes round forward to the file list");
    bool debuggerShot = false, ok = true;
    for (int id : {kStop, kRun, kPause, kStepIn, kStepOver}) {
        if (!p.Enabled(id) || !p.Visible(id)) continue;
        ok = ok && go(false, {p.Item(id)});
        if (ok && !debuggerShot) Shot("tab-debugger");
        debuggerShot = true;
    }
    Check(ok && go(false, {p.Editor()}), "Tab: the debugger buttons that are on, then the editor");
    const std::string text = Text(p.Editor());
    Key(VK_TAB, false);
    ::Sleep(300);
    Check(Focus(p) == p.Editor() && Text(p.Editor()) == text, "the read-only editor keeps Tab and its text");
    Shot("tab-editor");
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
    if (::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0) >= 3) PostClick(tab, 150, 10);
}

void ShowPreferences(const Program& p) {
    ::PostMessageA(p.main, WM_COMMAND, kPreferences, 0);
    HWND dlg = WaitDialog(p, 5000);
    if (!Check(dlg != nullptr, "Preferences opens from its menu command")) return;
    Shot("preferences");
    Check(Close(p, dlg), "Preferences closes with Cancel");
}

// The board's dialogs for the demo's screenshots; network information,
// Settings and the upgrade have roads of their own that check them.
void ShowBoardDialogs(const Program& p) {
    const struct {
        int command;
        const char* shot;
    } dialogs[] = {{kProductInfo, "product-info"}, {kNetworkInfo, "network-info"}, {kSettings, "settings"},
                   {kUpgradeFirmware, "upgrade-dialog"}};
    for (const auto& d : dialogs) {
        ::PostMessageA(p.main, WM_COMMAND, d.command, 0);
        HWND dlg = WaitDialog(p, 15000);
        if (!Check(dlg != nullptr, "a board dialog opens", d.shot)) continue;
        if (d.command == kProductInfo) {
            const std::string text = Text(::GetDlgItem(dlg, kFwInfoProduct)) + " | " + Text(::GetDlgItem(dlg, kFwInfoName));
            Check(Contains(text, "ZX-1000 rev B, bootloader 2.1"), "product information shows the board's names", text);
        }
        Shot(d.shot);
        Close(p, dlg);
    }
}

// The demo pulls the board's cable when asked (UNPLUG, answered once the port is gone).
void UnplugAndReplug(const Program& p) {
    const int identified = Identifications(p);
    printf("UNPLUG\n");
    fflush(stdout);
    char line[64];
    if (!fgets(line, sizeof line, stdin)) Check(false, "the demo unplugs the board when asked");
    HANDLE sender = SendRemovalAsync(p);
    HWND box = WaitDialog(p, 5000);
    Check(box && p.Enabled(kConnect), "a removal closes the link and asks to connect again");
    Shot("unplugged");
    Check(YesThenReconnect(p, box, sender, identified), "the board's return reconnects when asked");
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
    Check(p.Enabled(kConnect) && !p.Enabled(kUpload) && DebuggerOff(p), "disconnected: Connect back, the rest disabled");
}

void MainRoad(const Program& p, const char* port) {
    CheckStartState(p);
    Shot("start");
    Connect(p, port);
    Shot("connected");
    TabGoesRound(p);
    OpenAndEdit(p);
    Shot("edited");
    UploadAndRun(p);
    Shot("output");
    ShowDebuggerLog(p);
    Shot("debugger-log");
    ShowPreferences(p);
    if (g_replug) UnplugAndReplug(p);
    ShowBoardDialogs(p);
    DisconnectByKey(p);
    Shot("disconnected");
}

void CheckExitState() {
    Check(ReadDword("Width") >= 640 && ReadDword("Height") >= 480, "layout saved in the registry",
          std::to_string(ReadDword("Width")) + "x" + std::to_string(ReadDword("Height")));
    Check(ReadDword("Lang") == g_lang, "language saved", std::to_string(ReadDword("Lang")));
    const std::string ini = IniPath();
    char value[64] = {};
    ::GetPrivateProfileStringA("Mode", "Debug", "?", value, sizeof value, ini.c_str());
    const bool debug = strcmp(value, "0") == 0;
    ::GetPrivateProfileStringA("Font", "lfFaceName", "?", value, sizeof value, ini.c_str());
    Check(debug && strcmp(value, "?") != 0, "Init.ini holds the modes and the editor's font");
    Check(::GetFileAttributesA((ini + ".new").c_str()) == INVALID_FILE_ATTRIBUTES, "no temporary Init.ini left");
}

}  // namespace

ZARVO_ROAD("main", MainRoad, CheckExitState);

}  // namespace e2e
