// The Settings dialog, its pages, the time and password dialogs,
// in-process under a fake main window that answers the private messages.
// Run with the ANSI code page 949 (a *_ko_tests exe).
#include "WinTestSupport.h"

#include "config/DlgSetting.h"
#include "config/DlgUserPW.h"
#include "config/SettingsDialogModel.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgProgress.h"
#include "ui/WindowMessages.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

std::string Str(UINT id) { return CResources::LoadString(id).str(); }

SettingsRecord BoardRecord() {
    SettingsRecord r;
    r.firmwareName = std::string("fw1\0\0\0", 6);
    const uint8_t ip[4] = {192, 168, 0, 20}, mask[4] = {255, 255, 255, 0};
    std::memcpy(r.ipv4Address, ip, 4);
    std::memcpy(r.ipv4Mask, mask, 4);
    std::memcpy(r.ssid, "office", 6);
    std::memcpy(r.sharedKey, "password", 8);
    r.flags = 1;
    r.wlanOptions = 1 | (6u << 10);
    return r;
}

// The main window's side: records the messages, answers them as told.
struct FakeMain {
    CRecorder wnd;
    SettingsRecord record = BoardRecord();
    std::function<LRESULT(UINT, WPARAM, LPARAM)> on;
    std::vector<UINT> asked;

    explicit FakeMain(LANGID lang = CResources::kEnglish) {
        CResources::SetLanguage(lang);
        wnd.Create();
        wnd.answer = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
            if (m < WM_USER_WRITE_SETTINGS || m > WM_USER_CHANGE_FIRMWARE) return false;
            asked.push_back(m);
            *r = on ? on(m, w, l) : 1;
            return true;
        };
    }
    ~FakeMain() { wnd.DestroyWindow(); }
    int Count(UINT m) const { return static_cast<int>(std::count(asked.begin(), asked.end(), m)); }

    void Prepare(CDlgSetting& dlg) {
        dlg.m_pSettings = &record;
        dlg.m_wired = 1;
        dlg.m_hasWlan = 1;
        dlg.m_mcuId = "0123456789abcdef01234567";
        dlg.m_mac = "0030f9a1b2c3";
    }
};

}  // namespace

TEST(SettingsDialogsWinTest, RefusedValuesSendNothingAndAFailedWriteIsSaid) {
    FakeMain main(CResources::kKorean);
    CDlgSetting dlg(main.wnd.m_hWnd);
    main.Prepare(dlg);
    main.record.wlanOptions = 2;  // soft AP
    std::string tooShort, failed, comboItem;
    main.on = [&](UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_USER_WRITE_SETTINGS) After(30, [&] { ::SendMessageA(dlg.m_hWnd, WM_USER_SETTINGS_WRITTEN, 0, 0); });
        return m == WM_USER_READ_CERT_BLOCK ? 0 : 1;  // not connected: no read runs
    };
    std::string title;
    OnDialog(IDD_SETTING, [&](CDialog*) {
        title = dlg.GetWindowText().str();
        char item[64] = {};
        ::SendDlgItemMessageA(dlg.m_wlan.m_hWnd, IDC_WLAN_ENABLE, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
        comboItem = item;
        ::SetDlgItemTextA(dlg.m_wlan.m_hWnd, IDC_WLAN_SSID, "ap");
        ::SetDlgItemTextA(dlg.m_wlan.m_hWnd, IDC_WLAN_KEY, "1234567");
        TakeMessage(&tooShort, [&] {
            ::SetDlgItemTextA(dlg.m_wlan.m_hWnd, IDC_WLAN_KEY, "12345678");
            TakeMessage(&failed, [&] { After(50, [&] { Click(dlg.m_hWnd, IDCANCEL); }); });
            After(20, [&] { Click(dlg.m_hWnd, IDC_SET_WRITE); });
        });
        Click(dlg.m_hWnd, IDC_SET_WRITE);
    });
    dlg.DoModal();
    EXPECT_EQ(title, InAnsiCodePage(L"\xD658\xACBD \xC124\xC815 - fw1"));  // "환경 설정"
    EXPECT_EQ(comboItem, InAnsiCodePage(L"\xC0AC\xC6A9 \xC548 \xD568"));   // "사용 안 함"
    EXPECT_EQ(tooShort, Str(IDS_PASSWORD_TOO_SHORT));
    EXPECT_EQ(failed, Str(IDS_SET_VALUE_FAILED));
    EXPECT_EQ(main.Count(WM_USER_WRITE_SETTINGS), 1);
    EXPECT_EQ(main.Count(WM_USER_REBOOT), 0);
    CResources::SetLanguage(CResources::kEnglish);
}

TEST(SettingsDialogsWinTest, PasswordStateChangesOnlyWhenTheBoardCameBack) {
    FakeMain main;
    CDlgSetting dlg(main.wnd.m_hWnd);
    main.Prepare(dlg);
    LRESULT setAnswer = 0;
    std::string warning, mismatch;
    bool waitShown = false;
    main.on = [&](UINT m, WPARAM, LPARAM) -> LRESULT {
        return m == WM_USER_SET_PASSWORD ? setAnswer : m == WM_USER_READ_CERT_BLOCK ? 0 : 1;
    };
    auto typePassword = [&](std::function<void()> then) {
        OnDialog(IDD_USER_PW, [&, then](CDialog* d) {
            ::SetDlgItemTextA(d->m_hWnd, IDC_UPW_PASSWORD, "password1");
            ::SetDlgItemTextA(d->m_hWnd, IDC_UPW_RETYPE, "Password1");
            TakeMessage(&mismatch, [d, then] {
                ::SetDlgItemTextA(d->m_hWnd, IDC_UPW_RETYPE, "password1");
                if (then) then();
                Click(d->m_hWnd, IDOK);
            });
            Click(d->m_hWnd, IDOK);
        });
    };
    OnDialog(IDD_SETTING, [&](CDialog*) {
        // Not connected: nothing sent, no wait box, nothing changes.
        TakeMessage(&warning, [&] {
            typePassword([&] {
                After(100, [&] {
                    EXPECT_EQ(dlg.m_waitBox, nullptr);
                    setAnswer = 1;
                    TakeMessage(&warning, [&] { typePassword({}); });
                    Click(dlg.m_hWnd, IDC_SET_PASSWORD);
                    When([&] { return dlg.m_waitBox != nullptr; }, [&] {
                        waitShown = ::IsWindowVisible(dlg.m_waitBox->m_hWnd) != FALSE;
                        ::SendMessageA(dlg.m_hWnd, WM_USER_PASSWORD_DONE, 0, 0);  // failed
                        EXPECT_EQ(dlg.m_passwordSet, 0);
                        TakeMessage(&warning, [&] { typePassword({}); });
                        Click(dlg.m_hWnd, IDC_SET_PASSWORD);
                        When([&] { return dlg.m_waitBox != nullptr; }, [&] {
                            ::SendMessageA(dlg.m_hWnd, WM_USER_PASSWORD_DONE, 1, 0);
                            Click(dlg.m_hWnd, IDCANCEL);
                        });
                    });
                });
            });
        });
        Click(dlg.m_hWnd, IDC_SET_PASSWORD);
    });
    dlg.DoModal();
    EXPECT_EQ(warning, Str(IDS_NO_PASSWORD_RESTORE));
    EXPECT_EQ(mismatch, Str(IDS_PASSWORD_MISMATCH));
    EXPECT_TRUE(waitShown);
    EXPECT_EQ(main.Count(WM_USER_SET_PASSWORD), 3);
    EXPECT_EQ(dlg.m_passwordSet, 1);
    EXPECT_EQ(dlg.m_waitBox, nullptr);
}

TEST(SettingsDialogsWinTest, TimeDialogOpensOnceAndTheResultIsShownAfterTheReply) {
    FakeMain main;
    CDlgSetting dlg(main.wnd.m_hWnd);
    main.Prepare(dlg);
    std::string shown, date, saved;
    int dialogs = 0;
    main.on = [&](UINT m, WPARAM, LPARAM l) -> LRESULT {
        if (m == WM_USER_GET_RTC_DATE)
            After(20, [&] {
                ::SendMessageA(dlg.m_hWnd, WM_USER_RTC_DATE, reinterpret_cast<WPARAM>("20150101123030"), 1);
            });
        if (m == WM_USER_SET_RTC_DATE) {
            date = reinterpret_cast<const char*>(l);
            After(20, [&] { ::SendMessageA(dlg.m_hWnd, WM_USER_SAVE_RESULT, 0, 1); });
        }
        return m == WM_USER_READ_CERT_BLOCK ? 0 : 1;
    };
    OnDialog(IDD_SETTING, [&](CDialog*) {
        OnDialog(IDD_SETTING_RTC, [&](CDialog* d) {
            ++dialogs;
            shown = ItemText(d->m_hWnd, IDC_RTC_BOARD);
            EXPECT_FALSE(ItemEnabled(d->m_hWnd, IDC_RTC_DATE));
            EXPECT_FALSE(ItemEnabled(dlg.m_hWnd, IDC_SET_TIME));
            // A second answer while the dialog is open opens nothing.
            ::SendMessageA(dlg.m_hWnd, WM_USER_RTC_DATE, reinterpret_cast<WPARAM>("20160101000000"), 1);
            TakeMessage(&saved, [&] { After(50, [&] { Click(dlg.m_hWnd, IDCANCEL); }); });
            Click(d->m_hWnd, IDOK);  // PC time
        });
        Click(dlg.m_hWnd, IDC_SET_TIME);
    });
    dlg.DoModal();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(shown, "2015-01-01 / 12-30-30");
    EXPECT_EQ(date.size(), 14u);
    EXPECT_EQ(saved, Str(IDS_CERT_SAVED));
    EXPECT_EQ(main.Count(WM_USER_SET_RTC_DATE), 1);
}

// A busy link is said as such, never as a board without a clock, and no job is left waiting.
TEST(SettingsDialogsWinTest, BusyLinkIsSaidAndFreesTheButtons) {
    for (int button : {IDC_SET_TIME, IDC_SET_WRITE}) {
        FakeMain main;
        CDlgSetting dlg(main.wnd.m_hWnd);
        main.Prepare(dlg);
        main.on = [](UINT m, WPARAM, LPARAM) -> LRESULT { return m == WM_USER_READ_CERT_BLOCK ? 0 : kAnswerLinkBusy; };
        std::string said;
        bool freed = false;
        OnDialog(IDD_SETTING, [&](CDialog*) {
            TakeMessage(&said, [&] {
                After(20, [&] {
                    freed = ItemEnabled(dlg.m_hWnd, IDC_SET_TIME) && ItemEnabled(dlg.m_hWnd, IDC_SET_WRITE);
                    Click(dlg.m_hWnd, IDCANCEL);
                });
            });
            Click(dlg.m_hWnd, button);
        });
        dlg.DoModal();
        EXPECT_EQ(said, Str(IDS_LINK_BUSY)) << button;
        EXPECT_TRUE(freed) << button;
    }
}

// A certificate written is read back; until that answer comes the
// Certificate button would offer the old copy of the board's certificate.
TEST(SettingsDialogsWinTest, CertificateWaitsForTheReadBackOfWhatWasWritten) {
    FakeMain main;
    CDlgSetting dlg(main.wnd.m_hWnd);
    main.Prepare(dlg);
    dlg.m_keyBlockPresent = 1;
    std::string saved;
    bool whileReading = true, afterAnswer = false;
    OnDialog(IDD_SETTING, [&](CDialog*) {
        dlg.OnCertBlockRead(false, nullptr, 0);
        OnDialog(IDD_CERT, [&](CDialog* choice) {
            OnDialog(IDD_CERT_MAKE, [&](CDialog* form) {
                TakeMessage(&saved);
                Click(form, IDOK);
            });
            Click(choice, IDOK);
        });
        Click(dlg.m_hWnd, IDC_SET_CERT);
        whileReading = ItemEnabled(dlg.m_hWnd, IDC_SET_CERT);
        const uint8_t records[8] = {};
        dlg.OnCertBlockRead(true, records, sizeof records);
        afterAnswer = ItemEnabled(dlg.m_hWnd, IDC_SET_CERT);
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_EQ(saved, Str(IDS_CERT_SAVED));
    EXPECT_EQ(main.Count(WM_USER_READ_CERT_BLOCK), 2);
    EXPECT_FALSE(whileReading);
    EXPECT_TRUE(afterAnswer);
}

// The board's loss takes the dialog off the screen at once, with the form open over it.
TEST(SettingsDialogsWinTest, LinkLossWhileThePasswordIsTypedSendsNothing) {
    FakeMain main;
    CDlgSetting dlg(main.wnd.m_hWnd);
    main.Prepare(dlg);
    dlg.m_passwordSet = 1;  // no warning first
    main.on = [](UINT m, WPARAM, LPARAM) -> LRESULT { return m == WM_USER_READ_CERT_BLOCK ? 0 : 1; };
    bool shownAfterLoss = true;
    OnDialog(IDD_SETTING, [&](CDialog*) {
        OnDialog(IDD_USER_PW, [&](CDialog* d) {
            ::SetDlgItemTextA(d->m_hWnd, IDC_UPW_PASSWORD, "password1");
            ::SetDlgItemTextA(d->m_hWnd, IDC_UPW_RETYPE, "password1");
            dlg.CloseForLinkLoss();
            shownAfterLoss = ::IsWindowVisible(dlg.m_hWnd) != FALSE;
        });
        Click(dlg.m_hWnd, IDC_SET_PASSWORD);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FALSE(shownAfterLoss);
    EXPECT_EQ(main.Count(WM_USER_SET_PASSWORD), 0);
    EXPECT_EQ(dlg.m_passwordSet, 1);
}

// The pages and the advanced dialog edit the dialog's copy: a refused Write
// and Cancel leave the board's record as read, and a Write hands the main
// window the copy while the record waits for the board's answer.
TEST(SettingsDialogsWinTest, PagesEditACopyAndCancelLeavesTheRecordAsRead) {
    for (bool writeFirst : {false, true}) {
        SCOPED_TRACE(writeFirst ? "written" : "refused, then Cancel");
        FakeMain main;
        CDlgSetting dlg(main.wnd.m_hWnd);
        main.Prepare(dlg);
        main.record.wlanOptions = 2;  // soft AP: a short key is refused
        const SettingsRecord asRead = main.record;
        uint8_t handedIp[4] = {}, recordIpAtWrite[4] = {};
        uint32_t handedFlags = 0;
        std::string refused;
        main.on = [&](UINT m, WPARAM w, LPARAM) -> LRESULT {
            if (m == WM_USER_WRITE_SETTINGS) {
                const SettingsRecord& edited = reinterpret_cast<CDlgSetting*>(w)->EditedRecord();
                std::memcpy(handedIp, edited.ipv4Address, 4);
                std::memcpy(recordIpAtWrite, main.record.ipv4Address, 4);
                handedFlags = edited.flags;
            }
            return m == WM_USER_READ_CERT_BLOCK ? 0 : 1;
        };
        OnDialog(IDD_SETTING, [&](CDialog*) {
            ::SendDlgItemMessageA(dlg.m_network.m_hWnd, IDC_NET_IP, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 1, 2, 3));
            ::SetDlgItemTextA(dlg.m_wlan.m_hWnd, IDC_WLAN_KEY, writeFirst ? "12345678" : "1234567");
            OnDialog(IDD_WLAN_ADVANCE, [&](CDialog* adv) {
                ::CheckDlgButton(adv->m_hWnd, IDC_ADV_PREAMBLE, BST_CHECKED);
                Click(adv->m_hWnd, IDOK);
                if (writeFirst) {
                    After(30, [&] { Click(dlg.m_hWnd, IDC_SET_WRITE); });
                    After(120, [&] { Click(dlg.m_hWnd, IDCANCEL); });
                    return;
                }
                TakeMessage(&refused, [&] { After(30, [&] { Click(dlg.m_hWnd, IDCANCEL); }); });
                After(30, [&] { Click(dlg.m_hWnd, IDC_SET_WRITE); });
            });
            Click(dlg.m_wlan.m_hWnd, IDC_WLAN_ADVANCED);
        });
        dlg.DoModal();
        EXPECT_EQ(std::memcmp(main.record.ipv4Address, asRead.ipv4Address, 4), 0);
        EXPECT_EQ(main.record.flags, asRead.flags);
        EXPECT_EQ(std::memcmp(main.record.sharedKey, asRead.sharedKey, sizeof asRead.sharedKey), 0);
        if (writeFirst) {
            EXPECT_EQ(main.Count(WM_USER_WRITE_SETTINGS), 1);
            const uint8_t ip[4] = {10, 1, 2, 3};
            EXPECT_EQ(std::memcmp(handedIp, ip, 4), 0);
            EXPECT_EQ(std::memcmp(recordIpAtWrite, asRead.ipv4Address, 4), 0);
            EXPECT_EQ(handedFlags & (1u << 7), 1u << 7);  // the short preamble
        } else {
            EXPECT_EQ(refused, Str(IDS_PASSWORD_TOO_SHORT));
            EXPECT_EQ(main.Count(WM_USER_WRITE_SETTINGS), 0);
        }
    }
}

namespace {
// Runs what the queue holds now through the program's loop, as a modal loop would.
void RunQueued() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) CWinApp::PumpMessage(msg);
}
}  // namespace

// The page follows the choice a combo ends with: a choice only looked at
// with the arrow keys in the open list changes nothing while the list is
// open, and once dropped leaves the ID button (802.1X) or the other controls
// (WLAN) as the combo's own choice has them, whichever way the list closes; what was typed stays unless "Enable" follows
// "Disable". Enter and Esc pressed in the open list reach it through the
// dialog's loop; with the list closed the page still swallows them.
TEST(SettingsDialogsWinTest, ThePageFollowsTheChoiceItsCombosEndWith) {
    struct Road {
        const char* name;
        void (*close)(HWND combo, HWND list, int had);
    } roads[] = {
        {"a click elsewhere", [](HWND, HWND list, int) {
             // The open list holds the mouse: a press outside it and the combo drops the choice.
             RECT r;
             ::GetClientRect(list, &r);
             ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right + 200, r.bottom + 200));
             ::SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(r.right + 200, r.bottom + 200));
         }},
        {"Escape", [](HWND combo, HWND, int) { ::SendMessageA(combo, WM_KEYDOWN, VK_ESCAPE, 0); }},
        {"closed by the program", [](HWND combo, HWND, int) { ::SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0); }},
        {"Enter", [](HWND combo, HWND, int) { ::SendMessageA(combo, WM_KEYDOWN, VK_RETURN, 0); }},
        // Wine sends the change notice of a click on an item after the list closed, also for the item it had.
        {"a click on the choice it had", [](HWND, HWND list, int had) {
             RECT r{};
             ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(had), reinterpret_cast<LPARAM>(&r));
             ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
             ::SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
         }},
        {"Escape in the dialog's loop", [](HWND combo, HWND, int) {
             PostKey(combo, VK_ESCAPE);
             RunQueued();
         }},
        {"Enter in the dialog's loop", [](HWND combo, HWND, int) {
             PostKey(combo, VK_RETURN);
             RunQueued();
         }},
    };
    struct Combo {
        int id;
        UINT key;   // moves the open list's choice
        int had, shown;  // the choice before, and then shown
    } combos[] = {
        {IDC_WLAN_DOT1X, VK_DOWN, 0, 1},  // from "Disable" to "EAP TLS"
        {IDC_WLAN_ENABLE, VK_UP, 1, 0},   // from "Enable" to "Disable"
    };
    for (const Combo& c : combos) {
        for (const Road& road : roads) {
            SCOPED_TRACE(std::string(road.name) + (c.id == IDC_WLAN_DOT1X ? ", 802.1X" : ", WLAN"));
            FakeMain main;
            CDlgSetting dlg(main.wnd.m_hWnd);
            main.Prepare(dlg);  // WLAN "Enable", 802.1X "Disable"
            main.on = [](UINT m, WPARAM, LPARAM) -> LRESULT { return m == WM_USER_READ_CERT_BLOCK ? 0 : 1; };
            int shown = -1, chosen = -1, dot1x = -1;
            bool idEnabled = false, ssidEnabled = false, listClosed = false, dialogKept = false;
            bool followerWhileOpen = false;
            std::string caption, ssid;
            OnDialog(IDD_SETTING, [&](CDialog*) {
                const HWND page = dlg.m_wlan.m_hWnd;
                const HWND combo = ::GetDlgItem(page, c.id);
                if (c.id == IDC_WLAN_ENABLE) {
                    // The user's edits first: 802.1X to "EAP TLS", a new SSID.
                    const HWND dot1xCombo = ::GetDlgItem(page, IDC_WLAN_DOT1X);
                    ::SendMessageA(dot1xCombo, CB_SETCURSEL, 1, 0);
                    ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_WLAN_DOT1X, CBN_SELCHANGE),
                                   reinterpret_cast<LPARAM>(dot1xCombo));
                }
                ::SetDlgItemTextA(page, IDC_WLAN_SSID, "ZarvoNetX9");
                COMBOBOXINFO info{};
                info.cbSize = sizeof info;
                ::GetComboBoxInfo(combo, &info);
                ::SetFocus(combo);
                ::SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
                ::SendMessageA(combo, WM_KEYDOWN, c.key, 0);
                shown = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
                // Only looked at: the page stays as the choice it had leaves it.
                const HWND follower = ::GetDlgItem(page, c.id == IDC_WLAN_DOT1X ? IDC_WLAN_IDPW : IDC_WLAN_SSID);
                followerWhileOpen = ::IsWindowEnabled(follower) != FALSE;
                road.close(combo, info.hwndList, c.had);
                listClosed = ::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) == 0;
                // Once closed, Enter and Esc do nothing on the page.
                PostKey(combo, VK_ESCAPE);
                PostKey(combo, VK_RETURN);
                RunQueued();
                dialogKept = ::IsWindowVisible(dlg.m_hWnd) != FALSE;
                chosen = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
                dot1x = static_cast<int>(::SendDlgItemMessageA(page, IDC_WLAN_DOT1X, CB_GETCURSEL, 0, 0));
                ssid = ItemText(page, IDC_WLAN_SSID);
                const HWND button = ::GetDlgItem(page, IDC_WLAN_IDPW);
                idEnabled = ::IsWindowEnabled(button) != FALSE;
                ssidEnabled = ::IsWindowEnabled(::GetDlgItem(page, IDC_WLAN_SSID)) != FALSE;
                caption = WindowText(button);
                Click(dlg.m_hWnd, IDCANCEL);
            });
            dlg.DoModal();
            EXPECT_EQ(shown, c.shown);
            EXPECT_EQ(followerWhileOpen, c.had != 0) << "the list still open";
            EXPECT_TRUE(listClosed);
            EXPECT_TRUE(dialogKept);
            EXPECT_EQ(main.Count(WM_USER_WRITE_SETTINGS), 0);
            EXPECT_EQ(ssid, "ZarvoNetX9");
            if (c.id == IDC_WLAN_DOT1X) {
                EXPECT_EQ(idEnabled, chosen != 0) << "final choice " << chosen;
                EXPECT_EQ(caption, Str(chosen == 1 ? IDS_ID : IDS_ID_PASSWORD)) << "final choice " << chosen;
            } else {
                EXPECT_EQ(ssidEnabled, chosen == 1) << "final choice " << chosen;
                EXPECT_EQ(dot1x, 1);
            }
        }
    }
}
