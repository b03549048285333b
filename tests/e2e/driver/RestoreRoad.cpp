// The restore road: index.php edited and uploaded; the board's cable is
// pulled during the upload (roads/restore.sh) and the program notices by the
// dead port. Yes to the lost-board question; the same board comes back, and
// Yes to the restore question (and to the changed files, if asked) brings
// the backup back instead of reading the board. The board is asked its task
// state as after a read: the Upload that follows asks nothing, stops nothing
// and carries the board's file-system value (the board's log tells).
// Then a second board, whose upload was cut off in an earlier run of the
// program (its backup is in the folder): its backup, never read by this run
// as the first board's image was, must tell its file-system value.
#include "driver/Driver.h"

#include <cstdio>

namespace e2e {
namespace {

const char kTyped[] = "// typed before the cable was pulled";
const char kBoardBBackup[] = "Board B from its backup";

int TaskStates(const Program& p) { return Count(p.Log(1), "get task 0 state : "); }

// s from the last place of mark on (all of s without one).
std::string From(const std::string& s, const char* mark) {
    const size_t at = s.rfind(mark);
    return at == std::string::npos ? s : s.substr(at);
}

void OpenAndEdit(const Program& p) {
    p.ClickRow(kIndexPhpRow);
    Check(WaitFor([&] { return Contains(Text(p.Editor()), "Hello from the Zarvo board"); }, 5000), "index.php opens");
    ::PostMessageA(p.Editor(), WM_KEYDOWN, VK_DOWN, 1);  // below "<?php"
    ::PostMessageA(p.Editor(), WM_KEYDOWN, VK_HOME, 1);
    TypeInto(p.Editor(), (std::string(kTyped) + "\r").c_str());
    Check(WaitFor([&] { return Contains(Text(p.Editor()), kTyped); }, 5000), "typing edits index.php");
}

// The upload starts; the board goes during it and the program, told by
// nothing but its port, asks whether to connect again.
HWND UploadCutOff(const Program& p) {
    Press(p.main, kUpload);
    HWND box = WaitDialogWith(p, kMsgButton1, 30000);
    Check(box && p.Enabled(kConnect), "the cable pulled in the upload: the link closes and asks to connect again");
    Shot("lost-in-upload");
    return box;
}

// A board with a backup is identified: the backup is offered instead of a
// read of its files (simLog: that board's log), and Yes restores it.
void RestoreTheBackup(const Program& p, const char* simLog, const char* shot, const char* restored) {
    HWND box = WaitDialogWith(p, kMsgButton1, 30000);
    Check(box != nullptr && !Contains(From(SimLog(simLog), "session start"), "RX 03/11"),
          "the board is identified: the restore question comes before any read of its files");
    Shot(shot);
    const int asked = TaskStates(p);
    if (!Check(Answer(box, true), "Yes: the backup is restored")) return;
    // The files changed here are asked about when the backup would replace them.
    HWND next = nullptr;
    WaitFor([&] {
        next = DialogWith(p, kMsgButton1);
        return (next && next != box) || (p.Idle() && TaskStates(p) > asked);
    }, 10000);
    if (next && next != box) {
        Shot("changed-files-asked");
        Check(Answer(next, true), "Yes: the changed files give way to the backup");
    }
    Check(WaitFor([&] { return p.Idle() && TaskStates(p) > asked; }, 10000),
          "after the restore the board is asked its task state");
    Check(Contains(Text(p.Editor()), restored) && Text(p.Item(kNameLabel)) == "index.php",
          "the restored index.php shows", Text(p.Editor()).substr(0, 120));
    Check(p.Enabled(kUpload) && p.Enabled(kDisconnect), "connected after the restore: Upload and Disconnect on");
}

// The board reported its task stopped: the upload goes without a question.
void UploadAgain(const Program& p, const char* shot) {
    const int before = TaskStates(p);
    Press(p.main, kUpload);
    bool asked = false;
    auto done = [&] { return p.Idle() && !OtherDialog(p) && TaskStates(p) > before; };
    for (int round = 0; round < 3; ++round) {
        HWND box = nullptr;
        WaitFor([&] { return (box = DialogWith(p, kMsgButton1)) != nullptr || done(); }, 60000);
        if (!box) break;
        if (!asked) Shot("upload-asked");
        asked = true;
        Answer(box, true);  // as the user did, so that the board's log shows what followed
        WaitFor([&] { return Gone(box); }, 5000);
    }
    Check(!asked, "Upload after the restore asks nothing");
    Check(done() && p.Enabled(kUpload), "the upload ends connected and the board's task state is asked again");
    Shot(shot);
}

void AnotherBoardsBackup(const Program& p) {
    Press(p.main, kDisconnect);
    HWND box = nullptr;
    WaitFor([&] { return p.Enabled(kConnect) || (box = DialogWith(p, kMsgButton1)) != nullptr; }, 5000);
    Answer(box, true);
    Check(WaitFor([&] { return p.Enabled(kConnect) && p.Idle(); }, 5000), "disconnected from the first board");
    printf("NEXTBOARD\n");  // the demo puts board B on the port
    fflush(stdout);
    char line[64];
    if (!fgets(line, sizeof line, stdin)) Check(false, "the demo puts another board on the port");
    p.Click(kConnect);
    RestoreTheBackup(p, "sim-b.log", "b-restore-asked", kBoardBBackup);
    Shot("b-restored");
    UploadAgain(p, "b-uploaded");
}

void RestoreRoad(const Program& p, const char* port) {
    Connect(p, port);
    OpenAndEdit(p);
    Shot("edited");
    HWND lost = UploadCutOff(p);
    if (!lost) return;
    if (!Check(Answer(lost, true), "Yes: the program waits for the board")) return;
    RestoreTheBackup(p, "sim.log", "restore-asked", kTyped);
    Shot("restored");
    UploadAgain(p, "uploaded");
    AnotherBoardsBackup(p);
}

}  // namespace

ZARVO_ROAD("restore", RestoreRoad);

}  // namespace e2e
