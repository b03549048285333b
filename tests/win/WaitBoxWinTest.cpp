// The wait box: its notices to the owner, its end, its keys, its modes.
#include "WinTestSupport.h"

#include "ui/boxes/DlgMessage.h"
#include "ui/boxes/DlgProgress.h"
#include "ui/WindowMessages.h"

#include <gtest/gtest.h>

TEST(WaitBoxWinTest, StartNoticeOfEachModeAndEndOnRequest) {
    struct Row {
        int mode;
        UINT notice;
    } rows[] = {{0, WM_USER_START_UPLOAD}, {1, WM_USER_START_IDENTIFY}, {2, WM_USER_START_IDENTIFY}};
    for (const Row& r : rows) {
        CRecorder owner;
        ASSERT_TRUE(owner.Create());
        CDlgProgress box(owner.m_hWnd);
        box.m_mode = r.mode;
        bool visibleAtNotice = false;
        DWORD opened = 0, noticed = 0;
        owner.answer = [&](UINT m, WPARAM, LPARAM, LRESULT*) {
            if (m == r.notice) {
                noticed = ::GetTickCount();
                visibleAtNotice = ::IsWindowVisible(box.m_hWnd) != FALSE;
                box.End(IDOK);  // the owner's job is over
            }
            return false;
        };
        When([&] { return box.m_hWnd != nullptr; }, [&] { opened = ::GetTickCount(); });
        EXPECT_EQ(box.DoModal(), IDOK) << "mode " << r.mode;
        EXPECT_EQ(owner.Count(r.notice), 1) << "mode " << r.mode;
        EXPECT_TRUE(visibleAtNotice) << "the notice is handled while the box is up";
        EXPECT_GE(noticed - opened, 300u) << "the notice waits for the box to settle";
        EXPECT_EQ(box.m_hWnd, nullptr);
    }
}

TEST(WaitBoxWinTest, EnterAndEscDoNotCloseItButCancelDoes) {
    CRecorder owner;
    ASSERT_TRUE(owner.Create());
    CDlgProgress box(owner.m_hWnd);
    box.m_mode = 2;
    OnShown(box, [&] {
             PostKey(box.GetDlgItem(IDCANCEL), VK_ESCAPE);
             PostKey(box.GetDlgItem(IDCANCEL), VK_RETURN);
             PostKey(box.m_hWnd, VK_ESCAPE);
             After(300, [&] {
                 EXPECT_TRUE(::IsWindowVisible(box.m_hWnd));
                 Click(box, IDCANCEL);
             });
         });
    EXPECT_EQ(box.DoModal(), IDCANCEL);
}

TEST(WaitBoxWinTest, ModeTwoEndsWhenItsOwnerSaysSo) {
    CRecorder owner;
    ASSERT_TRUE(owner.Create());
    CDlgProgress box(owner.m_hWnd);
    box.m_mode = 2;
    int asked = 0;
    owner.answer = [&](UINT m, WPARAM, LPARAM, LRESULT* result) {
        if (m != WM_USER_QUERY_WAIT_END) return false;
        *result = ++asked >= 2 ? 1 : 0;  // keep it open once, then let it go
        return true;
    };
    After(8000, [&] { box.End(IDABORT); });  // a safety net, never the expected way out
    EXPECT_EQ(box.DoModal(), IDOK);
    EXPECT_EQ(asked, 2);
}

TEST(WaitBoxWinTest, EndWorksBeforeTheBoxIsUp) {
    CDlgProgress early(nullptr);
    early.m_mode = 1;
    early.End(IDCANCEL);  // the watchdog fired before DoModal ran
    EXPECT_EQ(early.DoModal(), IDCANCEL);
}

// After every box the keyboard is back where it was: the window that had the
// focus gets it again, also when a message box came up over a wait box that
// had already been ended (the watchdog's "does not answer"), and the main
// window gets it when that window went away meanwhile.
TEST(WaitBoxWinTest, TheFocusGoesBackToTheWindowThatHadIt) {
    enum Road { kMessage, kWait, kMessageOverEndedWait, kFocusedWindowGone };
    const struct {
        const char* name;
        Road road;
    } cases[] = {{"message box", kMessage},
                 {"wait box", kWait},
                 {"message over an ended wait box", kMessageOverEndedWait},
                 {"focused window gone meanwhile", kFocusedWindowGone}};
    for (const auto& c : cases) {
        CRecorder main;
        ASSERT_TRUE(main.Create());
        HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, main.m_hWnd, nullptr,
                                      nullptr, nullptr);
        ::SetFocus(edit);
        ASSERT_EQ(::GetFocus(), edit) << c.name;
        // Each box as the main window opens it: over the active window.
        auto message = [](HWND parent) {
            CDlgMessage box("The product does not answer.", parent, MB_ICONWARNING);
            OnShown(box, [&] { Click(box, IDC_MSG_BUTTON1); });
            box.DoModal();
        };
        if (c.road == kMessage || c.road == kFocusedWindowGone) {
            if (c.road == kFocusedWindowGone) After(100, [edit] { ::DestroyWindow(edit); });
            CDlgMessage box("Saved.", main.m_hWnd, MB_OK);
            When([&] { return box.m_hWnd && ::IsWindowVisible(box.m_hWnd) && (c.road == kMessage || !::IsWindow(edit)); },
                 [&] { Click(box, IDC_MSG_BUTTON1); });
            box.DoModal();
        } else {
            CDlgProgress wait(main.m_hWnd);
            wait.m_mode = 1;
            OnShown(wait, [&] {
                wait.End(IDOK);
                if (c.road == kMessageOverEndedWait) message(::GetActiveWindow());
            });
            wait.DoModal();
        }
        Pump(50);
        EXPECT_EQ(::GetActiveWindow(), main.m_hWnd) << c.name;
        EXPECT_EQ(::GetFocus(), c.road == kFocusedWindowGone ? main.m_hWnd : edit) << c.name;
        main.DestroyWindow();
    }
}
