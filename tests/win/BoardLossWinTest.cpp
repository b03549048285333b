// The board lost while one of its dialogs is open: the question goes over the
// window that was active, and the dialog closes after either answer, with
// whatever box was open over it. And the Settings dialog's requests without
// a port. The main window runs in-process, with no board.
#include "FreshMainWindow.h"

#include "config/DlgFWInfo.h"
#include "config/DlgFWUpgrade.h"
#include "config/DlgNetInfo.h"
#include "config/DlgSetting.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/boxes/DlgProgress.h"
#include "workbench/app/Registry.h"
#include "workbench/bottom/DlgViewLog.h"
#include "workbench/main/IniFile.h"
#include "workbench/main/ZarvoDDlg.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char kLost[] = "It is disconnected from the product.\r\nDo you want to connect to it again?";

struct BoxLookup {
    std::string text;
    CDlgMessage* found = nullptr;
};

BOOL CALLBACK FindBox(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<BoxLookup*>(lp);
    auto* box = dynamic_cast<CDlgMessage*>(CWnd::FromHandlePermanent(h));
    if (box && box->IsModalRunning() && box->m_text.str() == c->text) {
        c->found = box;
        return FALSE;
    }
    return TRUE;
}

// The running message box of this thread with that text, or null.
CDlgMessage* BoxWithText(const std::string& text) {
    BoxLookup ctx{text};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND LostQuestion() {
    CDlgMessage* q = BoxWithText(kLost);
    return q ? q->m_hWnd : nullptr;
}

class BoardLoss : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareFirstStart("zarvod_loss_test");
        ASSERT_TRUE(ShowMainWindow(main));
    }
    void TearDown() override { CloseMainWindow(main); }
    CZarvoDDlg main;
};

// One of the board's dialogs, run modally over the main window.
struct BoardDialog {
    const char* what;
    UINT templateId;
    std::function<std::unique_ptr<CDialog>(HWND)> make;
};

}  // namespace

TEST_F(BoardLoss, TheDialogOpenOnTheLostBoardClosesAfterEitherAnswer) {
    const BoardDialog dialogs[] = {
        {"network information", IDD_NET_INFO, [](HWND p) { return std::unique_ptr<CDialog>(new CDlgNetInfo(p)); }},
        {"product information", IDD_FW_INFO, [](HWND p) { return std::unique_ptr<CDialog>(new CDlgFWInfo(p)); }},
        {"log viewer", IDD_VIEW_LOG, [](HWND p) { return std::unique_ptr<CDialog>(new CDlgViewLog(p)); }},
        {"firmware upgrade", IDD_FW_UPGRADE, [](HWND p) { return std::unique_ptr<CDialog>(new CDlgFWUpgrade(p)); }},
        {"settings", IDD_SETTING, [](HWND p) {
             static SettingsRecord record;
             auto* dlg = new CDlgSetting(p);
             dlg->m_pSettings = &record;
             dlg->m_wired = 1;
             return std::unique_ptr<CDialog>(dlg);
         }},
    };
    // What is open over the dialog when the board goes.
    enum Over { kNothing, kItsQuestion, kItsWaitBox, kMainWaitBox };
    const char* overNames[] = {"nothing", "its question", "its wait box", "the main window's wait box"};
    int answer = IDYES;
    for (const BoardDialog& d : dialogs) {
        for (Over over : {kNothing, kItsQuestion, kItsWaitBox, kMainWaitBox}) {
            SCOPED_TRACE(std::string(d.what) + " under " + overNames[over]);
            answer = answer == IDYES ? IDNO : IDYES;
            std::unique_ptr<CDialog> dlg = d.make(main.m_hWnd);
            HWND board = nullptr, expectedOwner = nullptr, questionOwner = nullptr;
            INT_PTR overResult = 0;
            int asked = 0;
            auto lose = [&] {
                // As the link does it: the main window's wait box ends first.
                if (over == kMainWaitBox) main.EndWaitBox();
                OnShown("the lost-board question", LostQuestion, [&](HWND q) {
                    questionOwner = ::GetWindow(q, GW_OWNER);
                    BoxWithText(kLost)->EndDialog(answer);
                });
                asked = main.AskAboutLostBoard(kLost);
            };
            OnDialog(d.templateId, [&](CDialog* shown) {
                board = shown->m_hWnd;
                if (over == kNothing) {
                    expectedOwner = board;
                    lose();
                } else if (over == kItsQuestion) {
                    CDlgMessage box("Keep this?", board, MB_YESNO | MB_ICONQUESTION);
                    OnShown(box, [&] {
                        expectedOwner = box.m_hWnd;
                        lose();
                    });
                    overResult = box.DoModal();
                } else if (over == kItsWaitBox) {
                    CDlgProgress wait(board);
                    wait.m_mode = 4;
                    wait.m_owner = board;
                    OnShown(wait, [&] {
                        expectedOwner = wait.m_hWnd;
                        lose();
                    });
                    overResult = wait.DoModal();
                } else {
                    expectedOwner = board;  // the wait box ends: the question goes below it
                    main.OpenWaitBox(3);
                    OnDialog(IDD_PROGRESS, [&](CDialog*) { lose(); });
                }
            });
            // Without a board the Settings dialog's first request is answered so.
            std::string said;
            if (d.templateId == IDD_SETTING) TakeMessage(&said);
            EXPECT_EQ(dlg->DoModal(), IDCANCEL);
            Pump(30);
            EXPECT_EQ(asked, answer);
            EXPECT_NE(board, nullptr);
            EXPECT_EQ(questionOwner, expectedOwner);
            if (over == kItsQuestion || over == kItsWaitBox) {
                EXPECT_EQ(overResult, IDCANCEL);
            }
            EXPECT_EQ(Showing(IDD_PROGRESS), nullptr);
            EXPECT_EQ(Showing(IDD_MESSAGE), nullptr);
        }
    }
}

// With nothing of the board's open, the question goes over the main window
// (or the tool window in use) and nothing closes.
TEST_F(BoardLoss, WithoutADialogNothingCloses) {
    CDialog find(IDD_FIND, main.m_hWnd);  // modeless, as the editor's Find
    ASSERT_TRUE(find.Create(IDD_FIND, main.m_hWnd));
    for (HWND active : {main.m_hWnd, find.m_hWnd}) {
        HWND owner = nullptr;
        OnShown("the lost-board question", LostQuestion, [&](HWND q) {
            owner = ::GetWindow(q, GW_OWNER);
            BoxWithText(kLost)->EndDialog(IDNO);
        });
        find.ShowWindow(SW_SHOW);
        ::SetActiveWindow(active);
        EXPECT_EQ(main.AskAboutLostBoard(kLost), IDNO);
        EXPECT_EQ(owner, active);
        Pump(30);
        EXPECT_TRUE(::IsWindowVisible(main.m_hWnd));
        EXPECT_TRUE(::IsWindowVisible(find.m_hWnd));
    }
    find.DestroyWindow();
}

// Every request the Settings dialog makes says why nothing happens when no port is open.
TEST_F(BoardLoss, SettingsRequestsWithoutAPortSaySo) {
    const std::string noPort = "Open a COM port and try again.";
    CDlgSetting settings(main.m_hWnd);
    SettingsRecord record;
    settings.m_pSettings = &record;
    settings.m_wired = 1;
    const uint8_t block[4] = {'e', 'V', 'n', 'C'};
    const char* date = "20260101000000";
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT answer;
    };
    std::vector<std::string> said;
    std::vector<LRESULT> answers;
    std::vector<Case> cases;
    OnDialog(IDD_SETTING, [&](CDialog*) {
        const WPARAM self = reinterpret_cast<WPARAM>(&settings);
        cases = {
            {"write settings", WM_USER_WRITE_SETTINGS, self, 0, 0},
            {"clock", WM_USER_GET_RTC_DATE, self, 0, kAnswerNotConnected},
            {"set clock", WM_USER_SET_RTC_DATE, self, reinterpret_cast<LPARAM>(date), 0},
            {"password", WM_USER_SET_PASSWORD, self, reinterpret_cast<LPARAM>("00"), 0},
            {"reboot", WM_USER_REBOOT, 0, 0, 0},
            {"key block", WM_USER_WRITE_KEY_BLOCK, reinterpret_cast<WPARAM>(block), 4, 0},
            {"certificate block", WM_USER_WRITE_CERT_BLOCK, reinterpret_cast<WPARAM>(block), 4, 0},
            {"certificate read", WM_USER_READ_CERT_BLOCK, self, 0, 0},
            {"scan", WM_USER_START_SCAN, self, 0, 0},
        };
        for (const Case& c : cases) {
            std::string text;
            TakeMessage(&text);
            answers.push_back(main.SendMessage(c.message, c.wParam, c.lParam));
            said.push_back(text);
        }
        settings.EndDialog(IDCANCEL);
    });
    // The dialog's own certificate read at its start is said too.
    std::string first;
    TakeMessage(&first);
    settings.DoModal();
    EXPECT_EQ(first, noPort);
    ASSERT_EQ(said.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(said[i], noPort) << cases[i].what;
        EXPECT_EQ(answers[i], cases[i].answer) << cases[i].what;
    }
}

// Cancel on the wait box that waits for a lost board gives the board up: no
// job is left running and its return reconnects nothing.
TEST_F(BoardLoss, CancelOnTheWaitForTheBoardGivesItUp) {
    CLinkSession& session = main.Link().Session();
    session.SetReconnectPending(true);
    session.ShowWaitDialog(true, CLinkSession::kWaitIdentifyAgain);
    OnDialog(IDD_PROGRESS, [](CDialog* box) { Click(box, IDCANCEL); });
    Await("the wait for the board to end", [&] { return !session.IsJobRunning() && !Showing(IDD_PROGRESS); });
    EXPECT_EQ(Showing(IDD_PROGRESS), nullptr);
    EXPECT_FALSE(session.IsJobRunning());
    EXPECT_FALSE(session.IsReconnectPending());
}
