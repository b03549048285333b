// Change firmware: a firmware file on the board is chosen in the file list
// and its context menu's command sent. roads/changefirmware.sh checks that the
// board was asked to start it.
#include "driver/Driver.h"

namespace e2e {
namespace {

enum : int {
    kChangeFirmware = 32871,
    // The root: lib, mmap, www, then the files by name: fw1.kbx, index.php.
    kFirmwareRow = 3,
};

void ChangeFirmwareRoad(const Program& p, const char* port) {
    Connect(p, port);
    HWND pane = p.Item(kFileListPane);
    p.ClickRow(kFirmwareRow);
    std::string seen;
    Check(WaitFor([&] { return (seen = Text(p.Item(kNameLabel))) == "fw1.kbx" && p.Idle(); }, 5000),
          "fw1.kbx is selected (a packed file opens in no pane)", seen);
    Shot("selected");
    // Menus cannot be read across processes: the menu's command goes to the pane.
    ::PostMessageA(pane, WM_COMMAND, kChangeFirmware, 0);
    ::Sleep(500);
    Check(WaitFor([&] { return p.Idle() && OtherDialog(p) == nullptr; }, 5000), "no question and no message",
          Text(OtherDialog(p)));
    // The board's answer is not acted on: the link stays as it was.
    Check(p.Enabled(kUpload) && !p.Enabled(kConnect), "still connected, Upload enabled");
    Shot("changed");
}

}  // namespace

ZARVO_ROAD("changefirmware", ChangeFirmwareRoad);
}  // namespace e2e
