// The awaited-return road: Function > Reboot, and the board's port comes
// back with a board that does not answer (roads/awaitedreturn.sh). While the
// program sends its sync byte only Disconnect acts: the buttons that talk to
// the board are off, and their commands, keys and menu commands send nothing
// and ask nothing. Disconnect ends the wait; Connect finds the board again.
#include "driver/Driver.h"

#include <dbt.h>

#include <cstdio>
#include <functional>
#include <sstream>

namespace e2e {
namespace {

enum : int { kReboot = 32863 };

// Lines the board logged as heard while mute: its sync bytes, or anything else.
int MuteHeard(bool syncs) {
    std::istringstream log(SimLog());
    int n = 0;
    for (std::string line; std::getline(log, line);)
        if (Contains(line, " (mute)") && Contains(line, " RX sync ") == syncs) ++n;
    return n;
}

bool OnlyDisconnect(const Program& p) {
    return p.Enabled(kDisconnect) && !p.Enabled(kConnect) && !p.Enabled(kSettings) && !p.Enabled(kUpload) &&
           !p.Enabled(kRun);
}

// Whatever the program shows is answered No or closed, until it is free again.
void Dismiss(const Program& p) {
    WaitFor([&] {
        if (HWND w = OtherDialog(p))
            if (!Answer(w, false)) ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
        ::Sleep(300);
        return !OtherDialog(p) && p.Idle();
    }, 30000);
}

// A press the program must refuse: no box, no question, the window free.
void Refused(const Program& p, const char* what, const std::function<void()>& press) {
    press();
    HWND shown = nullptr;
    WaitFor([&] { return (shown = OtherDialog(p)) != nullptr || !p.Idle(); }, 2000);
    Check(!shown && p.Idle(), what);
    if (!shown && p.Idle()) return;
    Shot("refusal-failed");
    Dismiss(p);
}

void PressKey(const Program& p, WORD vk, bool ctrl) {
    ::SetForegroundWindow(p.main);
    ::Sleep(200);
    Key(vk, ctrl);
}

// The board restarts; Wine tells of no arrival, so it is told from here
// until the program has the port open again and sends its sync byte.
bool RebootAndAwait(const Program& p) {
    ::PostMessageA(p.main, WM_COMMAND, kReboot, 0);
    HWND box = WaitDialogWith(p, kMsgButton1, 5000);
    if (!Check(box != nullptr, "Function > Reboot asks first")) return false;
    Answer(box, true);
    auto back = [] {
        const std::string log = SimLog();
        const size_t at = log.find("rebooting");
        return at != std::string::npos && log.find("plugged in again", at) != std::string::npos;
    };
    if (!Check(WaitFor(back, 15000), "the board restarts and its port comes back")) return false;
    bool syncing = false;
    for (int i = 0; i < 10 && !syncing; ++i) {
        DeviceNotice(p, DBT_DEVICEARRIVAL);
        syncing = WaitFor([] { return MuteHeard(true) > 0; }, 1500);
    }
    return Check(syncing, "the program opens the port that came back and sends its sync byte");
}

void AwaitedReturnRoad(const Program& p, const char* port) {
    Connect(p, port);
    if (!RebootAndAwait(p)) return;
    Check(WaitFor([&] { return OnlyDisconnect(p); }, 3000) && p.Idle(),
          "while the board's return is awaited only Disconnect is on: Settings, Upload and Run are off");
    Shot("return-awaited");

    const int syncs = MuteHeard(true);
    // The commands themselves, past the buttons that are off.
    Refused(p, "Upload sends nothing and asks nothing", [&] {
        Press(p.main, kUpload);
        ::PostMessageA(p.main, WM_COMMAND, kUpload, 0);
    });
    Refused(p, "Settings sends nothing and opens nothing", [&] {
        Press(p.main, kSettings);
        ::PostMessageA(p.main, WM_COMMAND, kSettings, 0);
    });
    Refused(p, "Ctrl+S sends nothing and asks nothing", [&] { PressKey(p, 'S', true); });
    Refused(p, "F5 runs nothing", [&] { PressKey(p, VK_F5, false); });
    Refused(p, "Product information sends nothing and opens nothing",
            [&] { ::PostMessageA(p.main, WM_COMMAND, kProductInfo, 0); });
    Check(MuteHeard(false) == 0, "nothing but sync bytes reached the board", std::to_string(MuteHeard(false)));
    Check(MuteHeard(true) > syncs && OnlyDisconnect(p), "the program still sends its sync byte; only Disconnect on");

    // Disconnect ends the wait (a question about changed files is answered Yes).
    Press(p.main, kDisconnect);
    HWND box = nullptr;
    WaitFor([&] { return p.Enabled(kConnect) || (box = DialogWith(p, kMsgButton1)) != nullptr; }, 5000);
    if (box) Answer(box, true);
    Check(WaitFor([&] { return p.Enabled(kConnect) && !p.Enabled(kDisconnect) && p.Idle(); }, 5000),
          "Disconnect ends the wait");
    Connect(p);
    Shot("reconnected");
}

}  // namespace

ZARVO_ROAD("awaitedreturn", AwaitedReturnRoad);

}  // namespace e2e
