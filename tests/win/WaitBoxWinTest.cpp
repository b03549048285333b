// The wait box: its notices to the owner, its end, its keys, its modes.
#include "WinTestSupport.h"

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
    When([&] { return box.m_hWnd && ::IsWindowVisible(box.m_hWnd); },
         [&] {
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
