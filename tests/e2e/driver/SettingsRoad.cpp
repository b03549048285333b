// The settings road: the board's address and SSID changed and written, its
// clock set from the PC and read back, and the dialog under a reply that comes
// after it closed and under a removal.
#include "driver/Driver.h"

#include <commctrl.h>
#include <dbt.h>

#include <cstdio>

namespace e2e {
namespace {

enum : int {
    kSetTime = 1047, kNetStatic = 1027, kNetIp = 1016, kWlanSsid = 1035, kWlanEnable = 1043, kWlanDot1x = 1041,
    kWlanIdPw = 1042, kRtcBoard = 1084
};

int Choice(HWND combo) { return static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0)); }
bool ListOpen(HWND combo) { return ::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }

// A press on the combo box drops its list, as a user's click does.
bool OpenList(HWND combo) {
    RECT r;
    ::GetClientRect(combo, &r);
    PostClick(combo, r.right / 2, r.bottom / 2);
    return WaitFor([&] { return ListOpen(combo); }, 3000);
}

// A real click at a point of the screen (the open list holds the mouse, so a
// posted one would not reach it).
void ClickScreen(HWND foreground, POINT at) {
    ::SetForegroundWindow(foreground);
    ::SetCursorPos(at.x, at.y);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, in, sizeof(INPUT));
}

// 802.1X to EAP TLS and a new SSID, then the WLAN list opened, Home, and a
// click on an empty spot of the page: the list closes on the choice it had
// and the page keeps what was typed. Enter and Esc close an open list and
// leave the dialog open.
void WirelessEditsSurviveAClosedList(HWND dlg) {
    HWND dot1x = Descendant(dlg, kWlanDot1x), wlan = Descendant(dlg, kWlanEnable), ssid = Descendant(dlg, kWlanSsid);
    HWND idpw = Descendant(dlg, kWlanIdPw);
    Check(OpenList(dot1x), "a click opens the 802.1X list");
    ::PostMessageA(dot1x, WM_KEYDOWN, VK_DOWN, 1);
    ::PostMessageA(dot1x, WM_KEYDOWN, VK_RETURN, 1);
    Check(WaitFor([&] { return !ListOpen(dot1x) && Choice(dot1x) == 1 && ::IsWindowEnabled(idpw); }, 3000) &&
              ::IsWindowVisible(dlg),
          "Down and Enter choose EAP TLS, close the list and keep the dialog", Text(dot1x));
    Retype(ssid, "ZarvoNetX9");
    WaitFor([&] { return Text(ssid) == "ZarvoNetX9"; }, 3000);

    if (!Check(OpenList(wlan), "a click opens the WLAN list")) return;
    ::PostMessageA(wlan, WM_KEYDOWN, VK_HOME, 1);
    Check(WaitFor([&] { return Choice(wlan) == 0; }, 3000), "Home shows Disable in the open list", Text(wlan));
    Shot("settings-wlan-list");
    RECT combo;
    ::GetWindowRect(wlan, &combo);
    ClickScreen(dlg, POINT{combo.right + 60, (combo.top + combo.bottom) / 2});  // right of the combo: nothing there
    Check(WaitFor([&] { return !ListOpen(wlan); }, 3000), "a click on an empty spot closes the WLAN list");
    Check(Choice(wlan) == 1 && Text(ssid) == "ZarvoNetX9" && Choice(dot1x) == 1 && ::IsWindowEnabled(ssid),
          "the list closed on Enable: the SSID and EAP TLS are kept",
          Text(wlan) + " / " + Text(ssid) + " / " + Text(dot1x));
    Shot("settings-wlan-kept");

    if (!Check(OpenList(wlan), "the WLAN list opens again")) return;
    ::PostMessageA(wlan, WM_KEYDOWN, VK_ESCAPE, 1);
    Check(WaitFor([&] { return !ListOpen(wlan); }, 3000) && ::IsWindowVisible(dlg) && Choice(wlan) == 1 &&
              Text(ssid) == "ZarvoNetX9",
          "Esc closes the open list, the dialog and the page stay");
}

void ChangeAndWrite(const Program& p, HWND dlg) {
    ::PostMessageA(Descendant(dlg, kNetStatic), BM_CLICK, 0, 0);
    HWND ip = Descendant(dlg, kNetIp);
    const std::vector<HWND> fields = ChildrenOfClass(ip, "Edit");
    Check(fields.size() == 4, "the address control has its four fields", std::to_string(fields.size()));
    if (fields.size() != 4) return;
    const char* octets[] = {"192", "168", "0", "77"};
    for (int i = 0; i < 4; ++i) Retype(fields[i], octets[i]);
    auto typed = [&] { return Text(fields[0]) + "." + Text(fields[1]) + "." + Text(fields[2]) + "." + Text(fields[3]); };
    const bool done = WaitFor([&] { return ::IsWindowEnabled(ip) && typed() == "192.168.0.77"; }, 3000);
    Check(done, "static address chosen and typed", typed());
    Shot("settings-network");

    // The second tab by a click where it sits (tab rectangles cannot be read across processes).
    HWND tab = ::GetDlgItem(dlg, kSetTab);
    HWND ssid = Descendant(dlg, kWlanSsid);
    for (int x : {90, 120, 70}) {
        PostClick(tab, x, 10);
        if (WaitFor([&] { return ::IsWindowVisible(ssid) != 0; }, 1500)) break;
    }
    Check(::IsWindowVisible(ssid) && Text(ssid) == "zarvo-lab", "the Wireless LAN page shows the board's SSID",
          Text(ssid));
    WirelessEditsSurviveAClosedList(dlg);
    Shot("settings-wlan");

    Press(dlg, kSetWrite);
    HWND box = WaitDialogWith(p, kMsgButton1, 20000);
    if (box) Shot("settings-written");
    // Only the reboot question has a No.
    if (!Check(Answer(box, false),
               "Write: the board took the settings, and the dialog offers a reboot"))
        return;
    Check(WaitFor([&] { return !::IsWindow(box); }, 5000) && ::IsWindowVisible(dlg),
          "No keeps the Settings dialog open");
}

std::string Today() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char s[16];
    snprintf(s, sizeof s, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
    return s;
}

// Time: the board's clock as the dialog shows it ("" when none opened), closed with Cancel.
std::string ReadClock(const Program& p, HWND dlg) {
    Press(dlg, kSetTime);
    HWND rtc = WaitDialogWith(p, kRtcBoard, 15000);
    const std::string shown = rtc ? Text(::GetDlgItem(rtc, kRtcBoard)) : std::string();
    if (rtc) ::PostMessageA(rtc, WM_COMMAND, IDCANCEL, 0);
    WaitFor([&] { return !::IsWindow(rtc) && ::IsWindowEnabled(::GetDlgItem(dlg, kSetTime)); }, 5000);
    return shown;
}

void SetClock(const Program& p, HWND dlg) {
    Press(dlg, kSetTime);
    HWND rtc = WaitDialogWith(p, kRtcBoard, 15000);
    Check(rtc && Text(::GetDlgItem(rtc, kRtcBoard)) == "2026-01-02 / 03-04-05", "Time shows the board's clock",
          rtc ? Text(::GetDlgItem(rtc, kRtcBoard)) : std::string());
    if (!rtc) return;
    Shot("time");
    Press(rtc, IDOK);  // PC time is chosen
    HWND box = WaitDialogWith(p, kMsgButton1, 15000);
    Check(box && !::IsWindow(rtc), "the PC's time is written to the board");
    if (box) ClickLabelled(box, "OK", L"\uD655\uC778");
    WaitFor([&] { return box == nullptr || !::IsWindow(box); }, 5000);

    // Read back: the board keeps what it was given.
    const std::string shown = ReadClock(p, dlg);
    Check(shown.rfind(Today(), 0) == 0, "the board's clock now holds the PC's date", shown);
}

// Time pressed and the dialog closed before the board answers.
void LateClockReply(const Program& p) {
    HWND dlg = OpenSettings(p);
    if (!dlg) return;
    Press(dlg, kSetTime);
    ::PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    ::Sleep(1500);
    Check(!::IsWindow(dlg) && !DialogWith(p, kRtcBoard) && p.Idle(),
          "a clock answer after the dialog closed opens nothing");
}

// The board goes (roads/settings.sh unplugs it at this Time request) while
// Settings waits for its clock: the link closes, the program asks over
// Settings, and Settings closes after the answer.
void RemovalUnderDialog(const Program& p) {
    HWND dlg = OpenSettings(p);
    if (!dlg) return;
    Press(dlg, kSetTime);
    ::Sleep(500);
    Check(!DialogWith(p, kRtcBoard), "the board unplugged at the clock request");
    const int identified = Identifications(p);
    HANDLE sender = SendRemovalAsync(p);
    HWND box = WaitDialogWith(p, kMsgButton1, 10000);
    Check(box && ::GetWindow(box, GW_OWNER) == dlg && p.Enabled(kConnect),
          "a removal closes the link and asks over Settings");
    Shot("removed");
    Check(YesThenReconnect(p, box, sender, identified), "the board's return reconnects");
    Check(!::IsWindow(dlg), "Settings closed after the answer");
}

void SettingsRoad(const Program& p, const char* port) {
    Connect(p, port);
    HWND dlg = OpenSettings(p);
    Check(dlg && Contains(Text(dlg), " - ZX1001"), "Settings opens with the board's name", Text(dlg));
    if (!dlg) return;
    ChangeAndWrite(p, dlg);
    SetClock(p, dlg);
    Close(p, dlg);
    LateClockReply(p);
    RemovalUnderDialog(p);
    // Still a working Settings: the clock reads again.
    dlg = OpenSettings(p);
    if (!Check(dlg != nullptr, "Settings opens again after the board came back")) return;
    Check(!ReadClock(p, dlg).empty(), "and reads the board's clock");
    Close(p, dlg);
}

}  // namespace

ZARVO_ROAD("settings", SettingsRoad);

}  // namespace e2e
