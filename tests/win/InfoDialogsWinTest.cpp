// The channel search and the firmware upgrade dialog, in-process under a fake
// main window that records and answers their messages: what the roads through
// the program cannot make the board do (refusals, silence, cancels).
#include "WinTestSupport.h"

#include "config/DlgFWUpgrade.h"
#include "config/DlgSearchCh.h"
#include "framework/Resources.h"
#include "link/codecs/Crc16.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"

#include <gtest/gtest.h>


namespace {

// The main window, and the Settings dialog the searches are opened from.
struct FakeMain {
    CRecorder wnd;
    CDialog settings{IDD_PROGRESS, nullptr};
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)> answer;
    FakeMain() {
        CResources::SetLanguage(CResources::kEnglish);
        wnd.Create();
        settings.Create(IDD_PROGRESS, wnd.m_hWnd);
        settings.ShowWindow(SW_SHOW);
        wnd.answer = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) { return answer && answer(m, w, l, r); };
    }
    ~FakeMain() {
        settings.DestroyWindow();
        wnd.DestroyWindow();
    }
};

ScanRecord Record(int channel, int signal, int flags, const char* ssid) {
    ScanRecord r;
    r.channel = static_cast<uint8_t>(channel);
    r.signal = signal;
    r.flags = static_cast<uint8_t>(flags);
    r.ssid = ssid;
    return r;
}

} // namespace

TEST(SearchDialogs, CancelWhileSearchingAndAFreshSearch) {
    FakeMain main;
    main.answer = [&](UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_USER_START_SCAN) return false;
        *r = 1;
        return true;
    };
    const std::vector<ScanRecord> records{Record(1, 40, 0, "A"), Record(3, 40, 1, "B"), Record(3, 80, 0, "C")};
    CDlgSearchCh dlg(main.settings.m_hWnd);
    int kept = -2, afterSearch = -2;
    When([&] { return main.wnd.Count(WM_USER_START_SCAN) == 1; }, [&] {
        ::SendMessageA(dlg.m_hWnd, WM_USER_SCAN_DONE, reinterpret_cast<WPARAM>(&records), 0);
        ::SendMessageA(dlg.m_wndList.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 95));  // channel 3
        kept = dlg.m_wndList.m_nSelect;
        Click(dlg.m_hWnd, IDC_SEARCH_AGAIN);
        afterSearch = dlg.m_wndList.m_nSelect;
        Click(dlg.m_hWnd, IDCANCEL);  // the scan never ends: Cancel still closes
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(kept, 2);
    EXPECT_EQ(afterSearch, -1);
    EXPECT_EQ(main.wnd.Count(WM_USER_START_SCAN), 2);
    ASSERT_EQ(main.wnd.Count(WM_USER_CANCEL_SCAN), 1);

    // A refused scan: nothing to choose, and Select keeps the dialog open.
    CDlgSearchCh again(main.settings.m_hWnd);
    When([&] { return main.wnd.Count(WM_USER_START_SCAN) == 3; }, [&] {
        ::SendMessageA(again.m_hWnd, WM_USER_SCAN_DONE, 0, 0);
        ::SendMessageA(again.m_wndList.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 15));
        Click(again.m_hWnd, IDOK);
        if (again.IsModalRunning()) Click(again.m_hWnd, IDCANCEL);  // else Select closed it
    });
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_EQ(again.m_nSelect, -1);
    EXPECT_EQ(main.wnd.Count(WM_USER_CANCEL_SCAN), 1);  // it had its answer
}

// ---- firmware upgrade

namespace {

// An image as the maker builds them: a record area at 32 with a 'C' record
// whose type-12 sub-record names the firmware, the CRC of bytes 16.. at 8.
std::vector<uint8_t> Image(const std::string& name, size_t payload) {
    std::vector<uint8_t> f(32 + 48 + payload, 0);
    auto put16 = [&](size_t at, size_t v) { f[at] = static_cast<uint8_t>(v), f[at + 1] = static_cast<uint8_t>(v >> 8); };
    put16(4, 2);
    put16(22, 3);
    const size_t sub = 4 + name.size() + 2;
    f[32] = 'C';
    put16(34, 20 + sub);
    f[52] = 12;
    put16(54, sub);
    std::copy(name.begin(), name.end(), f.begin() + 56);
    for (size_t i = 80; i < f.size(); ++i) f[i] = static_cast<uint8_t>(i * 7);
    put16(8, CalcCrc16(f.size() - 16, f.data() + 16));
    return f;
}

std::string WriteTemp(const std::vector<uint8_t>& bytes, const char* name) {
    const std::string path = TempFolder("zarvod_upgrade_test") + "\\" + name;
    WriteBytes(path, std::string(bytes.begin(), bytes.end()));
    return path;
}

struct Upgrade {
    CRecorder main;
    LRESULT enterIsp = 1;
    std::vector<UINT> asked;
    std::vector<uint8_t> imageAtTest;
    std::function<void(UINT)> then;
    CDlgFWUpgrade* dlg = nullptr;
    Upgrade() {
        CResources::SetLanguage(CResources::kEnglish);
        main.Create();
        main.answer = [this](UINT m, WPARAM, LPARAM l, LRESULT* r) {
            if (m < WM_USER_UPGRADE_ENTER_ISP || m > WM_USER_UPGRADE_READ_ENV) return false;
            asked.push_back(m);
            if (m == WM_USER_UPGRADE_SEND_TEST) imageAtTest = reinterpret_cast<CDlgFWUpgrade*>(l)->GetImage();
            *r = m == WM_USER_UPGRADE_ENTER_ISP ? enterIsp : 1;
            if (then) After(10, [this, m] { then(m); });
            return true;
        };
    }
    ~Upgrade() { main.DestroyWindow(); }
    void Post(UINT m, WPARAM w, LPARAM l = 0) { ::PostMessageA(dlg->m_hWnd, m, w, l); }
};

} // namespace

TEST(UpgradeDialog, RefusedFilesFailureSilenceAndNotConnected) {
    Upgrade u;
    const std::string good = WriteTemp(Image("ZARVO_FW", 3000), "zv_upgrade_good.kbx");
    std::vector<uint8_t> broken = Image("ZARVO_FW", 3000);
    broken[20] ^= 1;
    const std::string bad = WriteTemp(broken, "zv_upgrade_bad.kbx");
    CDlgFWUpgrade dlg(u.main.m_hWnd);
    u.dlg = &dlg;
    dlg.m_nWatchdogMs = 300;
    std::vector<std::string> messages(5);
    bool usableAfterFailure = false, usableAfterSilence = false, usableAfterNoPort = false;
    u.then = [&](UINT m) {
        if (m == WM_USER_UPGRADE_SEND_TEST) u.Post(WM_USER_UPGRADE_RESULT, 0);  // a failure line
    };
    OnShown(dlg, [&] {
        dlg.SetPath(bad.c_str());
        TakeMessage(&messages[0], [&] {
            dlg.m_strBoardFwName = "OTHER_FW";
            dlg.SetPath(good.c_str());
            TakeMessage(&messages[1], [&] {
                dlg.m_strBoardFwName = "";
                TakeMessage(&messages[2], [&] { After(50, [&] {  // once the box has gone
                    usableAfterFailure = ::IsWindowEnabled(dlg.m_hWnd) && ItemEnabled(dlg.m_hWnd, IDC_FWUP_SEND) &&
                                         dlg.m_strStatus.str() == "Has failed to change the firmware.";
                    // Silence: the board restarts and is never heard of again.
                    u.then = nullptr;
                    u.enterIsp = 0;
                    TakeMessage(&messages[3], [&] {
                        usableAfterSilence = ItemEnabled(dlg.m_hWnd, IDC_FWUP_OPEN) && ItemEnabled(dlg.m_hWnd, IDC_FWUP_SEND);
                        u.enterIsp = CUpgradeModel::kEnterIspNotConnected;
                        Click(dlg.m_hWnd, IDC_FWUP_SEND);
                        usableAfterNoPort = ItemEnabled(dlg.m_hWnd, IDC_FWUP_SEND);
                        After(400, [&] { dlg.EndDialog(IDCANCEL); });  // no watchdog message follows
                    });
                    Click(dlg.m_hWnd, IDC_FWUP_SEND);
                }); });
                u.then = [&](UINT m) {
                    if (m == WM_USER_UPGRADE_READ_ENV) u.Post(WM_USER_UPGRADE_ENV_NAME, 0, 0);
                    if (m == WM_USER_UPGRADE_SEND_TEST) u.Post(WM_USER_UPGRADE_RESULT, 0);
                };
                Click(dlg.m_hWnd, IDC_FWUP_SEND);
            });
            Click(dlg.m_hWnd, IDC_FWUP_SEND);
        });
        Click(dlg.m_hWnd, IDC_FWUP_SEND);
    });
    dlg.DoModal();
    EXPECT_EQ(messages[0], "File is incorrect.");
    EXPECT_EQ(messages[1], "The firmware name is mismatch.\r\nCheck the firmware again.");
    EXPECT_EQ(messages[2], "Has failed to change the firmware.");
    EXPECT_EQ(messages[3], "Has failed to change the firmware.");
    EXPECT_TRUE(usableAfterFailure);
    EXPECT_TRUE(usableAfterSilence);
    EXPECT_TRUE(usableAfterNoPort);
    // Nothing went to the board for the broken or mismatched file; three
    // attempts asked for the boot loader.
    EXPECT_EQ(std::count(u.asked.begin(), u.asked.end(), WM_USER_UPGRADE_ENTER_ISP), 3);
    EXPECT_EQ(std::count(u.asked.begin(), u.asked.end(), WM_USER_UPGRADE_SEND_TEST), 1);
    EXPECT_EQ(u.imageAtTest, Image("ZARVO_FW", 3000));  // the bytes checked are the bytes sent
}

// The main window sends the success and writes the boot flag on the answer:
// the answer comes once the success box is closed, the dialog usable again.
TEST(UpgradeDialog, ASuccessIsAnsweredAfterItsBox) {
    Upgrade u;
    const std::string good = WriteTemp(Image("ZARVO_FW", 3000), "zv_upgrade_ok.kbx");
    CDlgFWUpgrade dlg(u.main.m_hWnd);
    u.dlg = &dlg;
    std::string shown;
    LRESULT answer = 0;
    bool boxGoneFirst = false, usable = false;
    u.then = [&](UINT m) {
        if (m == WM_USER_UPGRADE_READ_ENV) u.Post(WM_USER_UPGRADE_ENV_NAME, 0, 0);
        if (m == WM_USER_UPGRADE_SEND_TEST) u.Post(WM_USER_UPGRADE_TEST_OK, 1);
        if (m != WM_USER_UPGRADE_START) return;
        TakeMessage(&shown);
        answer = ::SendMessageA(dlg.m_hWnd, WM_USER_UPGRADE_RESULT, 1, 0);
        boxGoneFirst = !shown.empty() && Showing(IDD_MESSAGE) == nullptr;
        usable = ::IsWindowEnabled(dlg.m_hWnd) && ItemEnabled(dlg.m_hWnd, IDC_FWUP_SEND);
        dlg.EndDialog(IDCANCEL);
    };
    OnShown(dlg, [&] {
        dlg.SetPath(good.c_str());
        Click(dlg.m_hWnd, IDC_FWUP_SEND);
    });
    dlg.DoModal();
    EXPECT_EQ(shown, "Firmware has been transmitted.");
    EXPECT_EQ(answer, 1);
    EXPECT_TRUE(boxGoneFirst);
    EXPECT_TRUE(usable);
    EXPECT_EQ(dlg.m_strStatus.str(), "Firmware has been transmitted.");
}
