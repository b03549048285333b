// The firmware upgrade with files the road built, chosen in the open-file
// dialog. "upgrade": a broken copy is refused before anything reaches the
// board, then the good file is flashed and the board runs it. "upgradefail":
// the boot loader fails the image; the dialog is usable again. "upgraderefused":
// the board refuses to restart into its boot loader.
#include "driver/Driver.h"

#include <dbt.h>

namespace e2e {
namespace {

enum : int { kOpen = 1001, kSend = 1090, kBoxButton = kMsgButton1 };

bool Usable(HWND dlg) {
    return ::IsWindowEnabled(dlg) && ::IsWindowEnabled(::GetDlgItem(dlg, kOpen)) &&
           ::IsWindowEnabled(::GetDlgItem(dlg, kSend));
}

HWND OpenUpgradeDialog(const Program& p, const char* port) {
    Connect(p, port);
    ::PostMessageA(p.main, WM_COMMAND, kUpgradeFirmware, 0);
    HWND dlg = WaitDialogWith(p, kSend, 15000);
    Check(dlg && ::IsWindowEnabled(::GetDlgItem(dlg, kOpen)) && !::IsWindowEnabled(::GetDlgItem(dlg, kSend)),
          "the upgrade dialog opens with Send disabled until a file is chosen");
    return dlg;
}

// Open, then the full path into the open-file dialog's name box and OK.
void ChooseFile(const Program& p, HWND dlg, const char* name, bool shot) {
    Press(dlg, kOpen);
    HWND files = nullptr, box = nullptr;
    WaitFor([&] {
        files = OwnedDialog(p, dlg, IDOK);
        return (box = FileNameBox(files)) != nullptr;
    }, 10000);
    if (!Check(box != nullptr, "Open shows the open-file dialog")) return;
    const std::string path = RoadPath(name);
    ::SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    if (shot) Shot("open-file");
    Press(files, IDOK);
    Check(WaitFor([&] { return !::IsWindow(files) && ::IsWindowEnabled(::GetDlgItem(dlg, kSend)); }, 10000),
          "the chosen file enables Send", name);
}

// Send with a good file: the board restarts into its boot loader, whose
// port's return is told from here until the dialog locks itself or a box shows.
void SendAndFollowTheBoard(const Program& p, HWND dlg) {
    Press(dlg, kSend);
    bool locked = false;
    for (int i = 0; i < 20 && !locked; ++i) {
        locked = WaitFor([&] { return !::IsWindowEnabled(dlg) || OwnedDialog(p, dlg, kBoxButton); }, 1500);
        if (!locked) DeviceNotice(p, DBT_DEVICEARRIVAL);
    }
    Check(locked && !::IsWindowEnabled(::GetDlgItem(dlg, kOpen)) && !::IsWindowEnabled(::GetDlgItem(dlg, kSend)),
          "the board's boot loader answers and the dialog locks Open and Send");
    Shot("sending");
}

HWND WaitResultBox(const Program& p, HWND dlg) {
    HWND box = WaitOwnedDialog(p, dlg, kBoxButton, 90000);
    Check(box != nullptr, "the upgrade ends with a result box");
    return box;
}

void CloseBox(const Program& p, HWND dlg, HWND box) {
    if (!box) return;
    Press(box, kBoxButton);
    WaitFor([&] { return OwnedDialog(p, dlg, kBoxButton) == nullptr; }, 5000);
}

void UpgradeRoad(const Program& p, const char* port) {
    HWND dlg = OpenUpgradeDialog(p, port);
    if (!dlg) return;
    Shot("upgrade-dialog");

    ChooseFile(p, dlg, "broken.kbx", true);
    Press(dlg, kSend);
    HWND box = WaitOwnedDialog(p, dlg, kBoxButton, 10000);
    Check(box != nullptr, "a file with a broken CRC is refused");
    Shot("broken-refused");
    const std::string log = SimLog();
    Check(!log.empty() && !Contains(log, "RX 05/23") && !Contains(log, "RX isp"),
          "nothing of the broken file reached the board");
    CloseBox(p, dlg, box);
    Check(Usable(dlg), "after the refusal the dialog is usable");

    ChooseFile(p, dlg, "firmware.kbx", false);
    SendAndFollowTheBoard(p, dlg);
    box = WaitResultBox(p, dlg);
    Shot("flashed");
    Check(Contains(SimLog(), "FLASHED") && !Contains(SimLog(), "CRC error"), "the board flashed the image");
    CloseBox(p, dlg, box);
    Check(WaitFor([&] { return Usable(dlg); }, 5000), "after the upgrade the dialog is usable again");
    Check(Close(p, dlg), "the upgrade dialog closes");

    // The board jumped to the image and its port comes back: the program
    // connects again. The notices come from here, each once the board has
    // done it (one sent early finds the old port still there).
    auto after = [](const char* first, const char* then) {
        const std::string log = SimLog();
        const size_t at = log.find(first);
        return at != std::string::npos && log.find(then, at) != std::string::npos;
    };
    if (WaitFor([&] { return after("jump to the script firmware", "rebooting"); }, 15000)) {
        DeviceNotice(p, DBT_DEVICEREMOVECOMPLETE);
        // Connected again already to the port that went: the program asks.
        Answer(WaitDialog(p, 1000), true);
    }
    WaitFor([&] { return after("jump to the script firmware", "plugged in again"); }, 15000);
    const int before = Identifications(p);
    bool back = false;
    for (int i = 0; i < 20 && !back; ++i) {
        DeviceNotice(p, DBT_DEVICEARRIVAL);
        back = LoadedAgain(p, before, 1500);
    }
    Check(back, "the board runs its script firmware again and the program reconnects");
    Shot("reconnected");
}

void UpgradeFailRoad(const Program& p, const char* port) {
    HWND dlg = OpenUpgradeDialog(p, port);
    if (!dlg) return;
    ChooseFile(p, dlg, "firmware.kbx", false);
    SendAndFollowTheBoard(p, dlg);
    HWND box = WaitResultBox(p, dlg);
    Shot("failed");
    Check(Contains(SimLog(), "TX isp \"305 "), "the boot loader reported a failure");
    CloseBox(p, dlg, box);
    Check(WaitFor([&] { return Usable(dlg); }, 5000), "after the failure the dialog is usable again");
    Shot("usable-again");
    Check(Close(p, dlg), "the upgrade dialog closes");
}

// The board refuses to restart into its boot loader: the dialog hears it at
// once (well before its own watchdog would give up) and the link stays.
void UpgradeRefusedRoad(const Program& p, const char* port) {
    HWND dlg = OpenUpgradeDialog(p, port);
    if (!dlg) return;
    ChooseFile(p, dlg, "firmware.kbx", false);
    Press(dlg, kSend);
    HWND box = WaitOwnedDialog(p, dlg, kBoxButton, 10000);
    Check(box != nullptr, "the refused restart ends the attempt at once with a result box");
    Shot("refused");
    Check(Contains(SimLog(), "RX 05/23"), "the board was asked to restart into its boot loader");
    CloseBox(p, dlg, box);
    Check(WaitFor([&] { return Usable(dlg); }, 5000), "after the refusal the dialog is usable again");
    Check(Close(p, dlg), "the upgrade dialog closes");
    Check(!p.Enabled(kConnect) && p.Enabled(kDisconnect), "the link to the board stays");
}

}  // namespace

ZARVO_ROAD("upgrade", UpgradeRoad);
ZARVO_ROAD("upgradefail", UpgradeFailRoad);
ZARVO_ROAD("upgraderefused", UpgradeRefusedRoad);

}  // namespace e2e
