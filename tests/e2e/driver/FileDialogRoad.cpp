// Keys in a common dialog's box: File > Open a kbx file, a name that does not
// exist, Open; in the not-found box F10 starts no keyboard menu loop (nothing
// on screen would show it, and posted clicks would then end the dialog under
// its own still waiting Open); OK and Cancel end both, and the window then
// closes at once (the driver's end of every road).
#include "driver/Driver.h"

namespace e2e {
namespace {

enum : int { kOpenKbx = 32823 };

bool InMenuLoop(const Program& p) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(p.main, nullptr), &info) &&
           (info.flags & GUI_INMENUMODE) != 0;
}

void FileDialogRoad(const Program& p, const char*) {
    ::PostMessageA(p.main, WM_COMMAND, kOpenKbx, 0);
    HWND files = nullptr, name = nullptr;
    WaitFor([&] {
        files = OwnedDialog(p, p.main, IDOK);
        return (name = FileNameBox(files)) != nullptr;
    }, 10000);
    if (!Check(name != nullptr, "File > Open a kbx file shows the open-file dialog")) return;
    const std::string missing = RoadPath("missing.kbx");
    ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(missing.c_str()));
    Shot("open-file");
    Press(files, IDOK);
    HWND box = WaitOwnedDialog(p, files, IDOK, 10000);
    if (!Check(box != nullptr, "a name that does not exist: the dialog says so in a box")) return;
    Shot("not-found");

    ::SetForegroundWindow(box);
    ::Sleep(200);
    Key(VK_F10, false);
    Check(!WaitFor([&] { return InMenuLoop(p); }, 1500), "F10 in the box starts no keyboard menu loop");
    Shot("after-f10");

    Press(box, IDOK);
    Check(WaitFor([&] { return Gone(box); }, 5000), "OK ends the box");
    Check(!InMenuLoop(p) && ::IsWindowVisible(files), "the open-file dialog is still up, no menu loop");
    Press(files, IDCANCEL);
    Check(WaitFor([&] { return Gone(files) && p.Idle(); }, 5000), "Cancel ends the dialog: the main window is free");
    Shot("cancelled");
}

}  // namespace

ZARVO_ROAD("filedialog", FileDialogRoad);
}  // namespace e2e
