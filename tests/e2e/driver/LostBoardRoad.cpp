// The lost-board road: the board's port dies under an open Settings dialog
// and nothing else tells of it. The program notices by the port itself,
// asks over Settings whether to connect again, closes Settings after the
// answer, and the board's return (not told either) reconnects.
#include "driver/Driver.h"

#include <cstdio>

namespace e2e {
namespace {

void LostBoardRoad(const Program& p, const char* port) {
    Connect(p, port);
    HWND dlg = OpenSettings(p);
    if (!Check(dlg != nullptr, "Settings opens")) return;
    const int identified = Identifications(p);
    printf("UNPLUG\n");  // the demo pulls the cable; no removal notice is sent
    fflush(stdout);
    char line[64];
    if (!fgets(line, sizeof line, stdin)) Check(false, "the demo unplugs the board when asked");
    HWND box = WaitDialogWith(p, kMsgButton1, 15000);
    Check(box && ::GetWindow(box, GW_OWNER) == dlg && ::IsWindowVisible(dlg) && p.Enabled(kConnect),
          "the dead port is a removal: the link closes and the question comes over Settings");
    Shot("lost");
    Answer(box, true);
    Check(WaitFor([&] { return !::IsWindow(dlg); }, 5000), "Settings closed after the answer");
    // No arrival notice either: the waiting program finds the port back by itself.
    Check(LoadedAgain(p, identified, 20000), "Yes: the board's return reconnects with no notice");
}

}  // namespace

ZARVO_ROAD("lostboard", LostBoardRoad);

}  // namespace e2e
