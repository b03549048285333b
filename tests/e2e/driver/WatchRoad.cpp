// The watch road: the script runs in PHP debug mode with the firmware log on;
// its output and the board's firmware log show in their tabs; watches added
// through the add-watch box take their values at a pause, one of each type
// the board answers; the long string opens in the hex dump.
#include "driver/Driver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace e2e {
namespace {

enum : int {
    kWatchTabs = 1015, kWatchList = 1013, kWatchName = 1119, kWatchDump = 1121,
    kWatchAdd = 32780, kLogOutput = 0, kLogFirmware = 2,
};

// What the user types, and the row the list then shows.
struct Watch {
    const char* typed;
    const char* name;
    const char* type;
    const char* value;
};
const Watch kWatches[] = {
    {"$i", "$i", "INT", "42"},
    {"$n", "$n", "INT", "-2"},
    {"$big", "$big", "INT", "1099511627776"},
    {"  pi ", "$pi", "FLOAT", "3.1415926535898"},  // trimmed, "$" put in front
    {"$off", "$off", "BOOL", "FALSE"},
    {"$long", "$long", "STR[300]", "abcdefghijklmnopqrstuvwxyz"},  // the start of 300 bytes
    {"$m[10][2]", "$m[10][2]", "INT", "102"},
    {"$nosuch", "$nosuch", "?", "?"},
};
constexpr int kLongRow = 5;
constexpr int kWatchCount = sizeof kWatches / sizeof kWatches[0];
const Watch kAddedAtPause = {"$a[1][2]", "$a[1][2]", "INT", "12"};

// The list's item texts and rectangles are read through a buffer in the
// program's process: nothing marshals the pointers list messages carry.
class RemoteList {
public:
    explicit RemoteList(HWND list) : list_(list) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(list, &pid);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) buffer_ = ::VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteList() {
        if (buffer_) ::VirtualFreeEx(process_, buffer_, 0, MEM_RELEASE);
        if (process_) ::CloseHandle(process_);
    }
    bool Ok() const { return buffer_ != nullptr; }
    int Rows() const { return static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

    std::string Cell(int row, int column) const {
        if (!buffer_) return std::string();
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = static_cast<char*>(buffer_) + sizeof item;
        item.cchTextMax = kSize - sizeof item;
        if (!::WriteProcessMemory(process_, buffer_, &item, sizeof item, nullptr)) return std::string();
        const int n = static_cast<int>(::SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(buffer_)));
        std::string text(n > 0 ? n : 0, '\0');
        if (n > 0) ::ReadProcessMemory(process_, item.pszText, &text[0], n, nullptr);
        return text;
    }

    RECT RowRect(int row) const {
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        if (buffer_ && ::WriteProcessMemory(process_, buffer_, &r, sizeof r, nullptr) &&
            ::SendMessageA(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(buffer_)))
            ::ReadProcessMemory(process_, buffer_, &r, sizeof r, nullptr);
        else
            r = RECT{};
        return r;
    }

private:
    static constexpr SIZE_T kSize = 4096;
    HWND list_;
    HANDLE process_ = nullptr;
    void* buffer_ = nullptr;
};

HWND WatchList(const Program& p) { return ::GetDlgItem(::GetDlgItem(p.Item(kBottom), kWatchTabs), kWatchList); }

// The add-watch box, by the posted command of the list's context menu.
bool AddWatch(const Program& p, const RemoteList& list, const Watch& w) {
    const int before = list.Rows();
    ::PostMessageA(p.Item(kBottom), WM_COMMAND, kWatchAdd, 0);
    HWND dlg = WaitDialog(p, 5000);
    HWND edit = dlg ? ::GetDlgItem(dlg, kWatchName) : nullptr;
    if (!edit) return false;
    TypeInto(edit, w.typed);
    WaitFor([&] { return Text(edit) == w.typed; }, 3000);
    if (before == 0) Shot("add-watch");
    ::SendMessageA(::GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return OtherDialog(p) == nullptr && list.Rows() == before + 1; }, 5000) &&
           list.Cell(before, 0) == w.name;
}

std::string RowText(const RemoteList& list, int row) {
    return list.Cell(row, 0) + " " + list.Cell(row, 1) + " " + list.Cell(row, 2).substr(0, 40);
}

bool RowShows(const RemoteList& list, int row, const Watch& w) {
    const std::string value = list.Cell(row, 2);
    return list.Cell(row, 0) == w.name && list.Cell(row, 1) == w.type &&
           (row == kLongRow ? value.size() == 300 && value.compare(0, 26, w.value) == 0 : value == w.value);
}

// The 300 bytes "abc...z" over and over, 16 to a line.
void CheckHexDump(const Program& p, const RemoteList& list) {
    const RECT r = list.RowRect(kLongRow);
    PostClick(WatchList(p), (r.left + r.right) / 2, (r.top + r.bottom) / 2, true);
    HWND dlg = WaitDialog(p, 5000);
    HWND dump = dlg ? ::GetDlgItem(dlg, kWatchDump) : nullptr;
    if (!Check(dump != nullptr, "a double click on the long string opens its hex dump")) return;
    // The lines' layout is the formatter's own test; here all 300 bytes must arrive.
    const std::string text = Text(dump);
    const std::string last = "00000120 | 63 64 65 66 67 68 69 6a 6b 6c 6d 6e              | cdefghijklmn\r\n";
    const bool whole = text.size() >= last.size() && text.compare(text.size() - last.size(), last.size(), last) == 0;
    Check(Count(text, "\r\n") == 19 && whole,
          "the hex dump shows the 300 bytes in 19 lines", text.substr(text.size() > 90 ? text.size() - 90 : 0));
    Shot("hex-dump");
    Check(Close(p, dlg, IDOK), "the hex dump closes with OK");
}

// F11 from the stopped task pauses it at its first line. Typing turns the
// debugger buttons off, but the task stays paused: Ctrl+S asks first; No
// sends nothing, Yes stops the task and then uploads (roads/watch.sh reads
// the order off the board).
void UploadOverThePausedTask(const Program& p) {
    ::SetForegroundWindow(p.main);
    ::Sleep(200);
    Key(VK_F11, false);
    Check(WaitFor([&] { return p.Enabled(kStop) && p.Visible(kRun) && p.Enabled(kStepIn); }, 10000),
          "F11 pauses the stopped script at its first line");
    TypeInto(p.Editor(), "// typed at a pause\r");
    Check(WaitFor([&] { return Contains(Text(p.Editor()), "// typed at a pause") && !p.Enabled(kStepIn); }, 5000),
          "typing at the pause edits index.php and turns the debugger buttons off");
    const int before = Count(p.Log(1), "get task 0 state : ");
    for (bool yes : {false, true}) {
        ::SetForegroundWindow(p.main);
        ::Sleep(200);
        Key('S', true);
        HWND box = WaitDialogWith(p, kMsgButton1, 10000);
        Check(box != nullptr, yes ? "Ctrl+S again asks again" : "Ctrl+S over the paused task asks first");
        if (!box) return;
        if (!yes) Shot("upload-asks-at-pause");
        Answer(box, yes);
        if (!yes)
            Check(WaitFor([&] { return Gone(box) && p.Idle(); }, 5000) && p.Enabled(kUpload),
                  "No: nothing goes out, the window stays as it was");
    }
    // In PHP debug mode nothing runs after the upload: the task is asked for.
    const bool done = WaitFor([&] { return p.Idle() && Count(p.Log(1), "get task 0 state : ") > before + 1; }, 60000);
    Check(done && p.Enabled(kUpload) && p.Enabled(kRun) && !p.Enabled(kStop),
          "Yes: the task stopped, the upload ends connected");
    Shot("uploaded-after-stop");
}

void WatchRoad(const Program& p, const char* port) {
    Connect(p, port);
    RemoteList list(WatchList(p));
    Check(list.Ok(), "the watch list can be read");
    if (!list.Ok()) return;

    // Both debug modes are on in a fresh prefix: the board was told to send
    // its firmware log after the image read, and Run runs under the debugger.
    bool added = true;
    for (const Watch& w : kWatches) added = AddWatch(p, list, w) && added;
    Check(added && list.Rows() == kWatchCount, "the add-watch box adds a row per name");
    Shot("watches-added");

    Check(WaitFor([&] { return p.Enabled(kRun); }, 5000), "Run enabled in the PHP debug mode");
    p.Click(kRun);
    Check(WaitFor([&] { return Contains(p.Log(kLogOutput), "Served by index.php"); }, 15000),
          "the script's output shows in the Output tab", p.Log(kLogOutput).substr(0, 120));
    Check(WaitFor([&] { return Contains(p.Log(kLogFirmware), "[fw] task 0 running"); }, 5000),
          "the board's firmware log shows in the FW Log tab", p.Log(kLogFirmware).substr(0, 120));
    Check(WaitFor([&] { return p.Visible(kPause) && p.Enabled(kPause); }, 5000), "Pause offered while it runs");
    Shot("running");

    p.Click(kPause);
    const bool read = WaitFor([&] { return list.Cell(kWatchCount - 1, 1) == "?"; }, 15000);
    Check(read, "a pause reads every watch", RowText(list, kWatchCount - 1));
    for (int row = 0; row < kWatchCount; ++row) {
        const std::string what = std::string("the pause shows ") + kWatches[row].name + " as " + kWatches[row].type;
        Check(RowShows(list, row, kWatches[row]), what.c_str(), RowText(list, row));
    }
    Check(WaitFor([&] { return Contains(p.Log(kLogFirmware), "[fw] task 0 paused"); }, 5000),
          "the pause shows in the FW Log tab", p.Log(kLogFirmware).substr(0, 160));
    Shot("paused-watches");

    // A watch added at a pause is read at once, with the others.
    const bool readAtOnce = AddWatch(p, list, kAddedAtPause) &&
                            WaitFor([&] { return RowShows(list, kWatchCount, kAddedAtPause); }, 10000);
    Check(readAtOnce, "a watch added at the pause takes its value", RowText(list, kWatchCount));

    CheckHexDump(p, list);
    HWND logTabs = ::GetDlgItem(p.Item(kBottom), kLeftTab);
    PostClick(logTabs, 70, 10);  // "FW Log", the second tab
    Shot("firmware-log");
    PostClick(logTabs, 20, 10);
    p.Click(kStop);
    Check(WaitFor([&] { return p.Visible(kRun) && !p.Enabled(kStop); }, 10000), "Stop ends the paused script");
    UploadOverThePausedTask(p);
}

// The rows outlive the program in Init.ini.
void CheckSavedWatches() {
    const std::string ini = IniPath();
    const int count = static_cast<int>(::GetPrivateProfileIntA("Watch", "Count", -1, ini.c_str()));
    char last[64] = {}, pi[64] = {};
    char section[16];
    snprintf(section, sizeof section, "List%03d", kWatchCount);
    ::GetPrivateProfileStringA(section, "Name", "", last, sizeof last, ini.c_str());
    ::GetPrivateProfileStringA("List003", "Name", "", pi, sizeof pi, ini.c_str());
    Check(count == kWatchCount + 1 && strcmp(last, kAddedAtPause.name) == 0 && strcmp(pi, "$pi") == 0,
          "Init.ini keeps the watch names", std::to_string(count) + " " + last + " " + pi);
}

}  // namespace

ZARVO_ROAD("watch", WatchRoad, CheckSavedWatches);

}  // namespace e2e
