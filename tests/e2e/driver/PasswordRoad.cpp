// The password road: a user password set in Settings (the board restarts
// and the reconnect asks for it), asked for at the next connect (a wrong one
// refused, the right one let in), then deleted (no more asking).
#include "driver/Driver.h"

#include <dbt.h>

#include <cstring>

namespace e2e {
namespace {

enum : int { kSetPassword = 1046, kPwEdit = 1075, kPwRetype = 1076, kPwDelete = 1077 };
const char kPassword[] = "road-pw-77";

// The login prompt: the password form without its retype field.
HWND LoginPrompt(const Program& p) {
    HWND dlg = DialogWith(p, kPwEdit);
    return dlg && !::IsWindowVisible(::GetDlgItem(dlg, kPwRetype)) ? dlg : nullptr;
}

HWND WaitLoginPrompt(const Program& p, DWORD ms) {
    HWND dlg = nullptr;
    WaitFor([&] { return (dlg = LoginPrompt(p)) != nullptr; }, ms);
    return dlg;
}

void AnswerPrompt(HWND prompt, const char* password) {
    TypeInto(::GetDlgItem(prompt, kPwEdit), password);
    WaitFor([&] { return Text(::GetDlgItem(prompt, kPwEdit)).size() == strlen(password); }, 3000);
    Press(prompt, IDOK);
}

// The board restarts after a password change: its removal is told from here
// (Windows would at once) until Connect shows the port gone.
void BoardRestarts(const Program& p) {
    const bool gone = WaitFor([&] {
        DeviceNotice(p, DBT_DEVICEREMOVECOMPLETE);
        return p.Enabled(kConnect);
    }, 5000);
    Check(gone, "the board restarts: the link closes");
}

// Password in Settings; the board restarts with it and the reconnect asks.
void SetPassword(const Program& p, HWND dlg) {
    Press(dlg, kSetPassword);
    // No password yet: first the warning that it cannot be recovered.
    HWND box = WaitDialogWith(p, kMsgButton1, 10000);
    Check(box != nullptr, "a first password is preceded by the no-recovery warning");
    if (box) ClickLabelled(box, "OK", L"\uD655\uC778");
    HWND form = WaitDialogWith(p, kPwEdit, 10000);
    Check(form && ::IsWindowVisible(::GetDlgItem(form, kPwRetype)) && !::IsWindowVisible(::GetDlgItem(form, kPwDelete)),
          "the password form asks twice and offers no Delete");
    if (!form) return;
    TypeInto(::GetDlgItem(form, kPwEdit), kPassword);
    TypeInto(::GetDlgItem(form, kPwRetype), kPassword);
    WaitFor([&] { return Text(::GetDlgItem(form, kPwRetype)).size() == strlen(kPassword); }, 3000);
    Shot("password-form");
    const int identified = Identifications(p);
    Press(form, IDOK);
    BoardRestarts(p);
    HWND prompt = WaitLoginPrompt(p, 30000);
    if (!Check(prompt != nullptr, "the board restarts with the password and the reconnect asks for it")) return;
    Shot("login-after-set");
    AnswerPrompt(prompt, kPassword);
    Check(WaitFor([&] { return Gone(prompt) && ::IsWindowEnabled(dlg) && Identifications(p) > identified &&
                               ::IsWindowEnabled(::GetDlgItem(dlg, kSetPassword)); }, 30000),
          "the new password lets the reconnect in; Settings is usable again");
}

// Waits for the window to be free first: under load a closing dialog can
// still hold it, and the click would then go nowhere.
void Disconnect(const Program& p) {
    WaitFor([&] { return p.Idle() && p.Enabled(kDisconnect); }, 15000);
    p.Click(kDisconnect);
    WaitFor([&] { return p.Enabled(kConnect); }, 15000);
}

// A connect asks; a wrong password is refused with a message and asked again.
void LoginWrongThenRight(const Program& p) {
    Disconnect(p);
    Press(p.main, kConnect);
    HWND prompt = WaitLoginPrompt(p, 20000);
    if (!Check(prompt != nullptr, "the next connect asks for the password")) return;
    AnswerPrompt(prompt, "not-the-password");
    HWND box = WaitDialogWith(p, kMsgButton1, 15000);
    Check(box != nullptr, "a wrong password is refused with a message");
    Shot("wrong-password");
    if (box) ClickLabelled(box, "OK", L"\uD655\uC778");
    prompt = WaitLoginPrompt(p, 15000);
    if (!Check(prompt != nullptr, "and the password is asked again")) return;
    const int identified = Identifications(p);
    AnswerPrompt(prompt, kPassword);
    Check(LoadedAgain(p, identified), "the right password connects");
}

// A change not uploaded, then Cancel at the login: the connection ends at
// once, with no question and nothing left looking connected (roads/
// password.sh: the board heard nothing after the prompt). The change stays
// in the list; logged in again, it goes up with the next upload.
void CancelAtTheLogin(const Program& p) {
    p.ClickRow(kIndexPhpRow);
    Check(WaitFor([&] { return Contains(Text(p.Editor()), "Hello from the Zarvo board"); }, 5000), "index.php opens");
    TypeInto(p.Editor(), "// typed before a cancelled login\r");
    Check(WaitFor([&] { return Contains(Text(p.Editor()), "// typed before a cancelled login"); }, 5000),
          "typing edits index.php");
    WaitFor([&] { return p.Idle() && p.Enabled(kDisconnect); }, 15000);
    Press(p.main, kDisconnect);
    HWND box = WaitDialogWith(p, kMsgButton1, 10000);
    Check(box != nullptr, "Disconnect asks about the changed file");
    Answer(box, true);
    Check(WaitFor([&] { return p.Enabled(kConnect) && p.Idle(); }, 10000), "Yes: disconnected");

    Press(p.main, kConnect);
    HWND prompt = WaitLoginPrompt(p, 20000);
    if (!Check(prompt != nullptr, "the connect asks for the password")) return;
    Press(prompt, IDCANCEL);
    bool asked = false;
    const bool ended = WaitFor([&] {
        asked = asked || DialogWith(p, kMsgButton1) != nullptr;
        return Gone(prompt) && p.Enabled(kConnect) && p.Idle();
    }, 10000);
    Check(ended && !asked, "Cancel at the login ends the connection without a question");
    Check(!p.Enabled(kDisconnect) && !p.Enabled(kSettings) && !p.Enabled(kUpload),
          "disconnected: Disconnect, Settings and Upload off");
    Shot("login-cancelled");

    const int identified = Identifications(p);
    Press(p.main, kConnect);
    prompt = WaitLoginPrompt(p, 20000);
    if (!Check(prompt != nullptr, "the next connect asks again")) return;
    AnswerPrompt(prompt, kPassword);
    Check(LoadedAgain(p, identified), "the right password connects");
    Check(Contains(Text(p.Editor()), "// typed before a cancelled login"), "the change stayed in the list");
    const int states = Count(p.Log(1), "get task 0 state : ");
    p.Click(kUpload);
    Check(WaitFor([&] { return p.Idle() && Count(p.Log(1), "get task 0 state : ") > states; }, 60000),
          "the change goes up with the upload");
}

// Delete in Settings: the board restarts without a password and nothing asks.
void DeletePassword(const Program& p) {
    HWND dlg = OpenSettings(p);
    if (!dlg) return;
    Press(dlg, kSetPassword);
    HWND form = WaitDialogWith(p, kPwEdit, 10000);
    Check(form && ::IsWindowVisible(::GetDlgItem(form, kPwDelete)),
          "with a password set the form opens at once and offers Delete");
    if (!form) return;
    const int identified = Identifications(p);
    Press(form, kPwDelete);
    BoardRestarts(p);
    bool asked = false;
    // Back means identified again, not only the form gone: the reconnect
    // follows the board's restart a moment later.
    const bool back = WaitFor([&] {
        asked = asked || LoginPrompt(p) != nullptr;
        return Gone(form) && ::IsWindowEnabled(dlg) && ::IsWindowEnabled(::GetDlgItem(dlg, kSetPassword)) &&
               Identifications(p) > identified &&
               !DialogWith(p, kMsgButton1);
    }, 30000);
    Check(back && !asked, "Delete: the board restarts and reconnects without asking");
    Close(p, dlg, IDCANCEL, 15000);

    Disconnect(p);
    Check(p.Enabled(kConnect), "disconnected again");
    const int before = Identifications(p);
    Press(p.main, kConnect);
    asked = false;
    const bool connected = WaitFor([&] {
        asked = asked || LoginPrompt(p) != nullptr;
        return p.Loaded() && Identifications(p) > before;
    }, 30000);
    Check(connected && !asked, "the next connect does not ask", asked ? "asked" : connected ? "" : "not connected");
}

void PasswordRoad(const Program& p, const char* port) {
    Connect(p, port);
    HWND dlg = OpenSettings(p);
    if (!Check(dlg != nullptr, "Settings opens")) return;
    SetPassword(p, dlg);
    Close(p, dlg);
    LoginWrongThenRight(p);
    CancelAtTheLogin(p);
    DeletePassword(p);
}

}  // namespace

ZARVO_ROAD("password", PasswordRoad);

}  // namespace e2e
