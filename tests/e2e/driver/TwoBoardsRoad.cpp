// Two boards one after the other on one port. Board A's index.php is changed
// in the editor and not uploaded; the user disconnects (letting the change
// stay unsaved) and board B, with an index.php of its own, takes the port.
// Asked about the changed file at B's connect, No keeps A's list and the
// text typed in it; after another Disconnect, Yes lets it go: the editor then
// shows B's own index.php, and the upload writes B's files to B.
#include "driver/Driver.h"

#include <cstdio>

namespace e2e {
namespace {

// The question a press of a button raises (posted: the sender would wait for the box).
HWND PressForQuestion(const Program& p, int id) {
    Press(p.main, id);
    return WaitDialogWith(p, kMsgButton1, 30000);
}

void DisconnectLeavingTheChange(const Program& p) {
    HWND box = PressForQuestion(p, kDisconnect);
    Check(box != nullptr, "Disconnect asks about the changed file");
    Answer(box, true);
    Check(WaitFor([&] { return p.Enabled(kConnect) && p.Idle(); }, 5000), "disconnected");
}

// Connect to the board on the port; its image read asks about the changed file.
void ConnectAndAnswer(const Program& p, bool yes, const char* shot) {
    const int identified = Identifications(p);
    p.Click(kConnect);
    HWND box = WaitDialogWith(p, kMsgButton1, 30000);
    Check(box != nullptr, "the other board's files ask about the changed file");
    Shot(shot);
    Check(Answer(box, yes), yes ? "Yes: the changed file goes" : "No: the changed file stays");
    Check(LoadedAgain(p, identified), "the other board is identified and its files read");
}

void TwoBoardsRoad(const Program& p, const char* port) {
    Connect(p, port);
    p.ClickRow(kIndexPhpRow);
    Check(WaitFor([&] { return Contains(Text(p.Editor()), "Hello from the Zarvo board"); }, 5000), "A's index.php opens");
    TypeInto(p.Editor(), "// Edited on board A\r");
    Check(WaitFor([&] { return Contains(Text(p.Editor()), "// Edited on board A"); }, 5000), "typing edits A's index.php");
    Shot("a-edited");
    DisconnectLeavingTheChange(p);

    printf("NEXTBOARD\n");  // the demo puts board B on the port
    fflush(stdout);
    char line[64];
    if (!fgets(line, sizeof line, stdin)) Check(false, "the demo puts another board on the port");

    ConnectAndAnswer(p, false, "b-asked");
    Check(Contains(Text(p.Editor()), "// Edited on board A") && Text(p.Item(kNameLabel)) == "index.php",
          "No: the editor keeps the text typed on A's index.php", Text(p.Editor()).substr(0, 80));
    Shot("b-kept");
    DisconnectLeavingTheChange(p);

    ConnectAndAnswer(p, true, "b-asked-again");
    const std::string shown = Text(p.Editor());
    Check(Contains(shown, "Board B here") && !Contains(shown, "Edited on board A"),
          "Yes: the editor shows B's own index.php", shown.substr(0, 80));
    Check(Text(p.Item(kNameLabel)) == "index.php", "the label names B's index.php", Text(p.Item(kNameLabel)));
    Shot("b-taken");

    const int before = Count(p.Log(1), "get task 0 state : ");
    p.Click(kUpload);
    const bool done = WaitFor([&] { return p.Idle() && Count(p.Log(1), "get task 0 state : ") > before; }, 60000);
    Check(done && p.Enabled(kUpload), "the upload to B ends connected");
    Check(!Contains(Text(p.Editor()), "Edited on board A"), "the editor after the upload holds no text typed on A");
    Shot("b-uploaded");
}

}  // namespace

ZARVO_ROAD("twoboards", TwoBoardsRoad);

}  // namespace e2e
