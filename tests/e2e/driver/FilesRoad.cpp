// The file list's road: open a page and an image from a folder, delete a
// file, make a new one and rename it, add a PC file through the open-file
// dialog, upload. roads/files.sh checks what the board then keeps.
#include "driver/Driver.h"

#include <string>

namespace e2e {
namespace {

enum : int {
    kImagePane = 1018, kFileName = 1067,
    kNew = 32813, kRename = 32814, kAdd = 32815, kDelete = 32817,
    // The root: lib, mmap, www, index.php, then what the road appends.
    kWwwRow = 2, kFirstNewRow = 4,
    // Inside www: "..", index.html, logo.png, status.php.
    kUpRow = 0, kHtmlRow = 1, kLogoRow = 2, kStatusRow = 3,
};

const char kTyped[] = "echo \"Made on the road\";";

HWND Pane(const Program& p) { return p.Item(kFileListPane); }

void Command(const Program& p, int id) { ::PostMessageA(Pane(p), WM_COMMAND, id, 0); }

// The name label shows name (what it showed last goes into seen).
bool Shows(const Program& p, const char* name, std::string& seen) {
    return WaitFor([&] { return (seen = Text(p.Item(kNameLabel))) == name && p.Idle(); }, 5000);
}

void OpenFromFolder(const Program& p) {
    p.DoubleClickRow(kWwwRow);
    p.ClickRow(kHtmlRow);
    const bool page = WaitFor([&] { return Contains(Text(p.Editor()), "<html"); }, 5000);
    std::string seen;
    const bool named = Shows(p, "www/index.html", seen);
    Check(named && page, "a click in the folder opens www/index.html in the editor", seen);
    Shot("page");
    p.ClickRow(kLogoRow);
    const bool image = WaitFor([&] { return p.Visible(kImagePane) && !::IsWindowVisible(p.Editor()); }, 5000);
    Check(Shows(p, "www/logo.png", seen) && image, "www/logo.png opens in the image viewer", seen);
    Shot("image");
}

void DeleteStatus(const Program& p) {
    p.ClickRow(kStatusRow);
    std::string seen;
    Check(Shows(p, "www/status.php", seen), "www/status.php selected", seen);
    // No question: the entry leaves the list, and the board keeps the file until the next upload.
    Command(p, kDelete);
    Check(WaitFor([&] { return (seen = Text(p.Item(kNameLabel))).empty() && p.Idle(); }, 5000),
          "Delete removes the open file (its name leaves the label)", seen);
    Shot("deleted");
    p.DoubleClickRow(kUpRow);
}

// The file-name dialog of New or Rename: the name typed over what it shows, then OK.
bool NameDialog(const Program& p, const char* typed, const char* expectShown) {
    HWND dlg = WaitDialog(p, 5000);
    HWND edit = dlg ? ::GetDlgItem(dlg, kFileName) : nullptr;
    if (!edit) return false;
    const bool shown = Text(edit) == expectShown;
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    TypeInto(edit, typed);
    WaitFor([&] { return Text(edit) == typed; }, 3000);
    Shot(expectShown[0] ? "rename-dialog" : "new-dialog");
    ::SendMessageA(::GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    return WaitFor([&] { return OtherDialog(p) == nullptr && p.Idle(); }, 5000) && shown;
}

void NewAndRename(const Program& p) {
    Command(p, kNew);
    Check(NameDialog(p, "notes", ""), "New asks for a name in an empty dialog");
    // A new php file starts as an empty script in the editor; a line goes into it.
    const bool started = WaitFor([&] { return Contains(Text(p.Editor()), "<?php"); }, 5000);
    Check(started && ::IsWindowVisible(p.Editor()), "the new notes.php opens as a script in the editor",
          Text(p.Editor()).substr(0, 80));
    ::PostMessageA(p.Editor(), WM_KEYDOWN, VK_DOWN, 1);
    TypeInto(p.Editor(), kTyped);
    Check(WaitFor([&] { return Contains(Text(p.Editor()), kTyped); }, 5000), "typing into the new file");
    Command(p, kRename);
    Check(NameDialog(p, "memo", "notes"), "Rename shows the name without its extension");
    std::string seen;
    Check(Shows(p, "memo.php", seen), "Rename gives memo.php", seen);
    Shot("renamed");
}

// The open-file dialog: the full path typed as the file name, then Open.
void AddPcFile(const Program& p) {
    const std::string path = RoadPath("table.bin");
    Command(p, kAdd);
    HWND dlg = WaitDialog(p, 20000);
    HWND name = FileNameBox(dlg);
    if (!Check(name != nullptr, "Add opens the open-file dialog")) return;
    ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Shot("add-dialog");
    ::SendMessageA(::GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    // The editor choice, when the preferences ask for it: the internal editor.
    const bool closed = WaitFor([&] {
        HWND other = OtherDialog(p);
        if (other && other != dlg && ::GetDlgItem(other, 1010)) ::SendMessageA(::GetDlgItem(other, IDOK), BM_CLICK, 0, 0);
        return OtherDialog(p) == nullptr && p.Idle();
    }, 10000);
    Check(closed, "the open-file dialog closes", path);
    // The added file is the next row of the root.
    p.ClickRow(kFirstNewRow + 1);
    std::string seen;
    Check(Shows(p, "table.bin", seen), "the PC file shows in the list as table.bin", seen);
    Shot("added");
}

void Upload(const Program& p) {
    const int before = Count(p.Log(1), "get task 0 state : ");
    p.Click(kUpload);
    // In PHP debug mode the board is asked for its task once it has taken
    // the image and it has been read back; the debugger buttons follow.
    const bool done = WaitFor([&] { return p.Idle() && Count(p.Log(1), "get task 0 state : ") > before; }, 60000);
    Check(done && p.Enabled(kUpload) && p.Enabled(kRun), "the upload ends connected, Run enabled");
    Shot("uploaded");
}

void FilesRoad(const Program& p, const char* port) {
    Connect(p, port);
    OpenFromFolder(p);
    DeleteStatus(p);
    NewAndRename(p);
    AddPcFile(p);
    Upload(p);
}

}  // namespace

ZARVO_ROAD("files", FilesRoad);

}  // namespace e2e
