// The wireless board's road: the access-point search (Settings, its
// wireless page, a scan the board runs, a network picked in the self-drawn
// list, its SSID in the page), then network information with its three tabs.
#include "driver/Driver.h"

#include <commctrl.h>

namespace e2e {
namespace {

enum : int { kWlanSsid = 1035, kWlanSearch = 1122, kSearchAgain = 1114, kNetInfoTab = 1109 };

// The simulator's scan, in the order the board reports it.
const char* const kNetworks[] = {"MyAP1", "Cafe", "Lab 2.4"};

// The page of the tab control that holds child (the pages are dialogs of their own).
HWND PageWith(HWND tab, int child) {
    for (HWND page : ChildrenOfClass(tab, "#32770"))
        if (::GetDlgItem(page, child)) return page;
    return nullptr;
}

// Arrow keys move between tabs as a click would (a tab's place cannot be read from another process).
void NextTab(HWND tab) {
    ::PostMessageA(tab, WM_KEYDOWN, VK_RIGHT, 1);
    ::PostMessageA(tab, WM_KEYUP, VK_RIGHT, 1);
}

void ApSearchRoad(const Program& p, const char* port) {
    Connect(p, port);
    // The certificate read that opens the dialog is a job: a scan waits for it.
    HWND settings = OpenSettings(p);
    if (!Check(settings && ::IsWindowEnabled(::GetDlgItem(settings, kSetWrite)),
               "the Settings dialog opens and reads the board's blocks"))
        return;
    HWND tab = ::GetDlgItem(settings, kSetTab);
    HWND page = PageWith(tab, kWlanSearch);
    NextTab(tab);
    Check(page && WaitFor([&] { return ::IsWindowVisible(page) != 0; }, 5000), "the wireless page shows");
    if (!page) return;
    Shot("wireless-page");

    Press(page, kWlanSearch);
    HWND search = WaitOwnedDialog(p, settings, kSearchAgain, 5000);
    if (!Check(search != nullptr, "Search opens the access-point search")) return;
    Shot("searching");
    const bool found = WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(search, IDOK)) != 0; }, 60000);
    Check(found, "the board's scan ends and the list shows its networks");
    Shot("networks");

    // Select with nothing chosen says so and keeps the dialog.
    Press(search, IDOK);
    HWND box = WaitOwnedDialog(p, search, kMsgButton1, 5000);
    Check(box != nullptr, "Select without a network asks for one");
    if (box) Press(box, kMsgButton1);
    WaitFor([&] { return OwnedDialog(p, search, kMsgButton1) == nullptr; }, 5000);

    PostClick(::GetDlgItem(search, 0), 60, kRowHeight + kRowHeight / 2);  // the second network
    ::Sleep(300);
    Shot("network-chosen");
    Press(search, IDOK);
    Check(WaitFor([&] { return !::IsWindow(search); }, 5000), "Select closes the search");
    const std::string ssid = Text(::GetDlgItem(page, kWlanSsid));
    Check(ssid == kNetworks[1], "the chosen network's SSID is in the wireless page", ssid);
    Shot("ssid-chosen");
    // Closed unsaved: the board keeps its settings.
    Check(Close(p, settings), "the Settings dialog closes");
}

// Each tab's report.
void NetworkInfoTabs(const Program& p) {
    ::PostMessageA(p.main, WM_COMMAND, kNetworkInfo, 0);
    HWND dlg = WaitDialogWith(p, kNetInfoTab, 15000);
    if (!Check(dlg != nullptr, "network information opens")) return;
    HWND tab = ::GetDlgItem(dlg, kNetInfoTab);
    const std::vector<HWND> edits = ChildrenOfClass(dlg, "Edit");
    HWND report = edits.empty() ? nullptr : edits[0];
    Check(::SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0) == 3, "network information has three tabs");
    // What the board answered, whatever the language of the labels.
    const char* const shown[] = {"192.168.0.100", "MyAP1", "192.168.0.7"};
    const char* const names[] = {"network-tab", "wireless-tab", "neighbour-tab"};
    for (int i = 0; i < 3; ++i) {
        if (i) NextTab(tab);
        const bool ok = WaitFor([&] { return Contains(Text(report), shown[i]); }, 5000);
        Check(ok, names[i], Text(report).substr(0, 120));
        Shot(names[i]);
    }
    Check(Close(p, dlg, IDOK), "network information closes");
}

void WirelessRoad(const Program& p, const char* port) {
    ApSearchRoad(p, port);
    NetworkInfoTabs(p);
}

}  // namespace

ZARVO_ROAD("apsearch", WirelessRoad);

}  // namespace e2e
