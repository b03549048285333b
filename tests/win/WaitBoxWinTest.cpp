// The wait box: its notices to the owner, its end, its keys, its modes.
#include "FreshMainWindow.h"

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
        bool visibleAtNotice = false, noticeTimerOver = false;
        UINT noticeDelay = 0;
        owner.answer = [&](UINT m, WPARAM, LPARAM, LRESULT*) {
            if (m == r.notice) {
                noticeDelay = TimerPeriod(box.m_hWnd, CDlgProgress::kNoticeTimer);
                noticeTimerOver = !::KillTimer(box.m_hWnd, CDlgProgress::kNoticeTimer);
                visibleAtNotice = ::IsWindowVisible(box.m_hWnd) != FALSE;
                box.End(IDOK);  // the owner's job is over
            }
            return false;
        };
        EXPECT_EQ(box.DoModal(), IDOK) << "mode " << r.mode;
        EXPECT_EQ(owner.Count(r.notice), 1) << "mode " << r.mode;
        EXPECT_TRUE(visibleAtNotice) << "the notice is handled while the box is up";
        // The notice waits half a second for the box to settle: it comes when that timer is over.
        EXPECT_EQ(noticeDelay, 500u) << "mode " << r.mode;
        EXPECT_TRUE(noticeTimerOver) << "mode " << r.mode;
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

// No question goes over the main window's wait box (a second frame around
// it, a wider box's title sticking out on both sides): the box is off the
// screen while the question is up, the question goes over the window below
// it, and the box comes back after the answer only when its job goes on.
TEST(WaitBoxWinTest, NoQuestionGoesOverTheMainWindowsWaitBox) {
    enum Job { kOverFirst, kGoesOn, kOverMeanwhile };
    enum Ask { kMessage, kLogin, kLostBoard };
    const struct {
        const char* name;
        Ask ask;
        Job job;
    } cases[] = {{"unsaved files after the image read", kMessage, kOverFirst},
                 {"question while the job goes on", kMessage, kGoesOn},
                 {"login prompt", kLogin, kGoesOn},
                 {"lost board", kLostBoard, kOverFirst},
                 {"job ended while asked", kMessage, kOverMeanwhile}};
    PrepareFirstStart("zarvod_wait_test");
    CZarvoDDlg main;
    ASSERT_TRUE(ShowMainWindow(main));
    for (const auto& c : cases) {
        HWND box = nullptr, questionOwner = nullptr;
        bool boxShownDuring = true, boxShownAfter = false, boxActiveAfter = false, done = false;
        When([] { return Showing(IDD_PROGRESS) != nullptr; }, [&] {
            box = Showing(IDD_PROGRESS)->m_hWnd;
            if (c.job == kOverFirst) main.EndWaitBox();  // as the link does before its question
            OnDialog(c.ask == kLogin ? IDD_USER_PW : IDD_MESSAGE, [&](CDialog* q) {
                boxShownDuring = ::IsWindowVisible(box) != FALSE;
                questionOwner = ::GetWindow(q->m_hWnd, GW_OWNER);
                if (c.job == kOverMeanwhile) main.EndWaitBox();
                q->EndDialog(IDCANCEL);
            });
            std::string password;
            if (c.ask == kLogin) main.AskLoginPassword(password);
            else if (c.ask == kLostBoard) main.AskAboutLostBoard("It is disconnected from the product.");
            else main.ShowMessage("The modified file(s) have not been saved.", MB_YESNO | MB_ICONQUESTION);
            boxShownAfter = ::IsWindowVisible(box) != FALSE;
            boxActiveAfter = ::GetActiveWindow() == box;
            main.EndWaitBox();
            done = true;
        });
        main.OpenWaitBox(3);
        Await("the question answered and the wait box gone", [&] { return done && !Showing(IDD_PROGRESS); });
        EXPECT_TRUE(done) << c.name;
        EXPECT_FALSE(boxShownDuring) << c.name;
        EXPECT_EQ(questionOwner, main.m_hWnd) << c.name;
        EXPECT_EQ(boxShownAfter, c.job == kGoesOn) << c.name;
        EXPECT_EQ(boxActiveAfter, c.job == kGoesOn) << c.name;
        EXPECT_EQ(Showing(IDD_PROGRESS), nullptr) << c.name;
    }
    CloseMainWindow(main);
}
