// The framework with real windows: routing, message maps, modal loops,
// keyboard handling, data exchange, resources by language.
#include "WinTestSupport.h"

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Menu.h"
#include "framework/Resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

constexpr UINT kTestDialog = 950;
constexpr UINT kTestPage = 951;  // a child page with one field

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(HWND parent, bool swallowKeys = false)
        : CDialog(kTestDialog, parent), m_swallow(swallowKeys) {}
    bool m_swallow;
    int m_number = 7;
    int m_check = 1;
    int m_radio = 2;
    CString m_text;
    CEdit m_edit;

    BOOL PreTranslateMessage(MSG* msg) override {
        if (m_swallow && IsEnterOrEsc(msg)) return TRUE;
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, 1002, m_edit);
        DDX_Text(dx, 1002, m_number);
        DDX_Check(dx, 1003, m_check);
        DDX_Radio(dx, 1004, m_radio);
    }
    void OnThird() { EndDialog(1001); }
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
    ON_BN_CLICKED(1001, OnThird)
END_MESSAGE_MAP()

// A window whose map covers commands, ranges, notifications and a throwing handler.
class CMapWindow : public CWnd {
public:
    std::vector<UINT> seen;

protected:
    DECLARE_MESSAGE_MAP()
    void OnOne() { seen.push_back(1); }
    void OnRange(UINT id) { seen.push_back(id); }
    void OnClickNotify(NMHDR* hdr, LRESULT* result) {
        seen.push_back(static_cast<UINT>(hdr->idFrom));
        *result = 77;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    LRESULT OnAnswer(WPARAM w, LPARAM) { return static_cast<LRESULT>(w * 2); }
};

BEGIN_MESSAGE_MAP(CMapWindow, CWnd)
    ON_COMMAND(100, OnOne)
    ON_COMMAND_RANGE(200, 210, OnRange)
    ON_NOTIFY(NM_CLICK, 300, OnClickNotify)
    ON_MESSAGE(WM_USER + 1, OnThrow)
    ON_MESSAGE(WM_USER + 2, OnAnswer)
END_MESSAGE_MAP()

}  // namespace

TEST(FrameworkWinTest, MessageMapsRouteAndReturnResults) {
    CMapWindow w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "map", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(CWnd::FromHandlePermanent(w.m_hWnd), &w);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), 0);         // accelerator
    w.SendMessage(WM_COMMAND, MAKEWPARAM(100, EN_CHANGE), 0);  // not a command: no call
    w.SendMessage(WM_COMMAND, MAKEWPARAM(100, CBN_SELCHANGE), reinterpret_cast<LPARAM>(w.m_hWnd));  // nor this
    w.SendMessage(WM_COMMAND, MAKEWPARAM(205, 0), 0);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(211, 0), 0);
    NMHDR hdr{nullptr, 300, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(w.SendMessage(WM_NOTIFY, 300, reinterpret_cast<LPARAM>(&hdr)), 77);
    EXPECT_EQ(w.seen, (std::vector<UINT>{1, 1, 205, 300}));
    EXPECT_EQ(w.SendMessage(WM_USER + 2, 21, 0), 42);
    // A throwing handler is stopped at the window procedure; the window lives on.
    EXPECT_EQ(w.SendMessage(WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(w.SendMessage(WM_USER + 2, 4, 0), 8);
    HWND hwnd = w.m_hWnd;
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.m_hWnd, nullptr);  // detached at WM_NCDESTROY
    EXPECT_FALSE(::IsWindow(hwnd));
    {
        CMapWindow dying;  // the object dying first takes its window along
        ASSERT_TRUE(dying.CreateEx(0, nullptr, "map", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        hwnd = dying.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    // A creation handler that throws fails the creation.
    struct CFailingCreate : CWnd {
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_CREATE) throw std::runtime_error("set-up failed");
            return CWnd::WindowProc(message, wParam, lParam);
        }
    } failing;
    EXPECT_FALSE(failing.CreateEx(0, nullptr, "fails", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(failing.m_hWnd, nullptr);
}

TEST(FrameworkWinTest, ExceptionsOutsideHandlersStopAtTheFramework) {
    // PreTranslateMessage runs from the loops and PostNcDestroy after the routing:
    // neither may unwind a modal loop (the owner would stay disabled) or user32.
    struct CThrowingKeys : CTestDialog {
        using CTestDialog::CTestDialog;
        BOOL PreTranslateMessage(MSG* msg) override {
            if (msg->message == WM_KEYDOWN && msg->wParam == 'X') throw std::runtime_error("key handler failed");
            return CTestDialog::PreTranslateMessage(msg);
        }
    };
    CRecorder owner;
    ASSERT_TRUE(owner.Create());
    CThrowingKeys dlg(owner.m_hWnd);
    When([&] { return dlg.m_hWnd && ::IsWindowVisible(dlg.m_hWnd); },
         [&] {
             PostKey(dlg.GetDlgItem(1002), 'X');
             After(200, [&] { dlg.EndDialog(1001); });
         });
    EXPECT_EQ(dlg.DoModal(), 1001);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));

    struct CThrowingEnd : CWnd {
        void PostNcDestroy() override { throw std::runtime_error("clean-up failed"); }
    } w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "end", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.m_hWnd, nullptr);
}

TEST(FrameworkWinTest, ADialogObjectHoldsOneWindowAndLeavesNoRegistrationBehind) {
    HWND gone = nullptr;
    {
        CTestDialog dlg(nullptr);
        ASSERT_TRUE(dlg.Create(kTestDialog, nullptr));
        gone = dlg.m_hWnd;
        EXPECT_FALSE(dlg.Create(kTestDialog, nullptr));
        EXPECT_EQ(dlg.DoModal(), -1);
        EXPECT_EQ(dlg.m_hWnd, gone);
        EXPECT_TRUE(CWinApp::IsRegisteredDialog(gone));
    }
    EXPECT_FALSE(::IsWindow(gone));
    EXPECT_FALSE(CWinApp::IsRegisteredDialog(gone));  // a reused handle must not become a dialog
}

TEST(FrameworkWinTest, AfterANestedBoxTheOuterBoxIsActiveAndGetsKeys) {
    // The inner box's owner is the main window, already disabled by the outer box.
    CRecorder main;
    ASSERT_TRUE(main.Create());
    CTestDialog outer(main.m_hWnd);
    HWND outerWnd = nullptr, activeAfter = nullptr;
    When([&] { return outer.m_hWnd && ::IsWindowVisible(outer.m_hWnd); },
         [&] {
             outerWnd = outer.m_hWnd;
             CTestDialog inner(main.m_hWnd);
             When([&] { return inner.m_hWnd && ::IsWindowVisible(inner.m_hWnd); }, [&] { inner.EndDialog(IDCANCEL); });
             inner.DoModal();
             activeAfter = ::GetActiveWindow();
             PostKey(nullptr, VK_ESCAPE);
             After(1500, [&] { outer.EndDialog(1001); });  // only if the key went nowhere
         });
    EXPECT_EQ(outer.DoModal(), IDCANCEL);
    EXPECT_EQ(activeAfter, outerWnd);
    EXPECT_TRUE(::IsWindowEnabled(main.m_hWnd));
}

TEST(FrameworkWinTest, DoModalEndsWhenItsWindowIsDestroyedFromOutside) {
    // The owner destroyed under a running box takes the box along; the loop must end.
    auto doomed = std::make_unique<CRecorder>();
    ASSERT_TRUE(doomed->Create());
    CTestDialog dlg(doomed->m_hWnd);
    When([&] { return dlg.m_hWnd && ::IsWindowVisible(dlg.m_hWnd); }, [&] { doomed->DestroyWindow(); });
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(FrameworkWinTest, AWindowThatDeletesItselfIsNotTouchedAfterwards) {
    // Modeless windows end with "delete this" in PostNcDestroy; the routing must not
    // write into the object once the handler that destroyed it returns.
    struct CSelfDeleting : CWnd {
        unsigned char* storage = nullptr;
        size_t size = 0;
        void PostNcDestroy() override {
            unsigned char* p = storage;
            size_t n = size;
            this->~CSelfDeleting();
            memset(p, 0xCD, n);
        }
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_COMMAND && LOWORD(wParam) == 100) {
                ::DestroyWindow(m_hWnd);
                return 0;
            }
            return CWnd::WindowProc(message, wParam, lParam);
        }
    };
    alignas(CSelfDeleting) unsigned char storage[sizeof(CSelfDeleting)];
    auto* w = new (storage) CSelfDeleting;
    w->storage = storage;
    w->size = sizeof storage;
    ASSERT_TRUE(w->CreateEx(0, nullptr, "self", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    HWND hwnd = w->m_hWnd;
    ::SendMessageA(hwnd, WM_COMMAND, 100, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    size_t touched = 0;
    for (unsigned char b : storage) touched += b != 0xCD;
    EXPECT_EQ(touched, 0u);
}

TEST(FrameworkWinTest, ABoxWithoutAParentBelongsToTheMainWindow) {
    // Callers pass "the active window", which is null while another program is in front:
    // the box must still disable the main window and stay above it.
    CWinApp app;
    CRecorder main;
    ASSERT_TRUE(main.Create());
    app.m_pMainWnd = &main;
    CTestDialog dlg(nullptr);
    HWND owner = nullptr;
    bool mainDisabled = false;
    When([&] { return dlg.m_hWnd && ::IsWindowVisible(dlg.m_hWnd); },
         [&] {
             owner = ::GetWindow(dlg.m_hWnd, GW_OWNER);
             mainDisabled = !::IsWindowEnabled(main.m_hWnd);
             dlg.EndDialog(IDCANCEL);
         });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(owner, main.m_hWnd);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(::IsWindowEnabled(main.m_hWnd));
    app.m_pMainWnd = nullptr;
}

TEST(FrameworkWinTest, DataExchangeMovesValuesAndRefusesBadNumbers) {
    CTestDialog dlg(nullptr);
    dlg.m_number = 12;
    dlg.m_check = 1;
    CString shown;
    int checkShown = -1;
    bool thirdRadioShown = false;
    When([&] { return dlg.m_hWnd != nullptr; },
         [&] {
             shown = dlg.GetDlgItemText(1002);
             thirdRadioShown = ::SendMessageA(dlg.GetDlgItem(1006), BM_GETCHECK, 0, 0) == BST_CHECKED;
             Click(dlg, 1005);
             checkShown = static_cast<int>(::SendMessageA(dlg.GetDlgItem(1003), BM_GETCHECK, 0, 0));
             ::SetDlgItemTextA(dlg.m_hWnd, 1002, "12x");
             ::SendMessageA(dlg.GetDlgItem(1003), BM_SETCHECK, BST_UNCHECKED, 0);
             Click(dlg, IDOK);  // refused: stays open
             After(100, [&] {
                 EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
                 ::SetDlgItemTextA(dlg.m_hWnd, 1002, " -345 ");
                 Click(dlg, IDOK);
             });
         });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(shown, "12");
    EXPECT_EQ(checkShown, 1);
    EXPECT_EQ(dlg.m_number, -345);
    EXPECT_EQ(dlg.m_check, 0);
    EXPECT_TRUE(thirdRadioShown);
    EXPECT_EQ(dlg.m_radio, 1);  // the group ends at the next WS_GROUP control
}

TEST(FrameworkWinTest, EnterEscAndAltF4AreSwallowedOnlyWhereAsked) {
    // Without the override, Esc and Alt+F4 cancel and Enter presses the default button
    // (Alt+F4 is the control case for the message box, which swallows it); with it,
    // Enter and Esc do nothing and the dialog still ends by its buttons.
    const struct {
        bool swallow;
        UINT key;
        bool alt;
        INT_PTR expected;
    } cases[] = {{false, VK_ESCAPE, false, IDCANCEL}, {false, VK_RETURN, false, IDOK}, {true, VK_ESCAPE, false, 1001},
                 {true, VK_RETURN, false, 1001},      {false, VK_F4, true, IDCANCEL}};
    for (const auto& c : cases) {
        CTestDialog dlg(nullptr, c.swallow);
        When([&] { return dlg.m_hWnd && ::IsWindowVisible(dlg.m_hWnd); },
             [&] {
                 PostKey(dlg.GetDlgItem(1002), c.key, c.alt);
                 // Only if the key went nowhere (the Alt+F4 row comes last: its timer outlives it).
                 if (c.swallow || c.alt) After(c.swallow ? 200 : 1500, [&] { Click(dlg, 1001); });
             });
        EXPECT_EQ(dlg.DoModal(), c.expected) << c.key;
    }
}

TEST(FrameworkWinTest, ModelessDialogGetsKeyboardNavigation) {
    CTestDialog dlg(nullptr);
    ASSERT_TRUE(dlg.Create(kTestDialog, nullptr));
    dlg.ShowWindow(SW_SHOW);
    ::SetForegroundWindow(dlg.m_hWnd);
    ::SetFocus(dlg.GetDlgItem(1002));
    Pump(50);
    PostKey(dlg.GetDlgItem(1002), VK_TAB);
    Pump(100);
    EXPECT_EQ(::GetFocus(), dlg.GetDlgItem(1003));  // IsDialogMessage moved the focus
    dlg.EndDialog(IDCANCEL);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(FrameworkWinTest, APageCreatedAfterItsDialogLeavesTheKeysToTheDialog) {
    // Enter in the page's field presses the dialog's default button, not the page's.
    CTestDialog dlg(nullptr);
    CDialog page(kTestPage, nullptr);
    bool pageRegistered = true;
    When([&] { return dlg.m_hWnd && ::IsWindowVisible(dlg.m_hWnd); },
         [&] {
             ASSERT_TRUE(page.Create(kTestPage, dlg.m_hWnd));
             pageRegistered = CWinApp::IsRegisteredDialog(page.m_hWnd);
             page.ShowWindow(SW_SHOW);
             ::SetFocus(page.GetDlgItem(2001));
             PostKey(page.GetDlgItem(2001), VK_RETURN);
             After(1500, [&] { dlg.EndDialog(1001); });  // only if Enter missed the dialog
         });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FALSE(pageRegistered);
}

TEST(FrameworkWinTest, ResourcesByLanguageWithFallback) {
    CResources::SetLanguage(CResources::kEnglish);
    EXPECT_EQ(CResources::LoadString(999), "");
    // Korean text as code page 949 bytes (pinned with iconv).
    CString s;
    ASSERT_TRUE(CResources::LoadStringExact(CResources::kKorean, 120, &s, 949));
    EXPECT_EQ(s, "\xC1\xA6\xC7\xB0\xBF\xA1 \xBF\xAC\xB0\xE1 \xC1\xDF\xC0\xD4\xB4\xCF\xB4\xD9.");
    // Every string of the English table has its Korean counterpart (the probe uses 117).
    for (UINT id = 100; id < 210; ++id) {
        CString en, ko;
        bool hasEn = CResources::LoadStringExact(CResources::kEnglish, id, &en);
        EXPECT_EQ(hasEn, CResources::LoadStringExact(CResources::kKorean, id, &ko, 949)) << id;
    }
    EXPECT_FALSE(CResources::LoadStringExact(1041, 117, &s));

    // A dialog template in the chosen language; an unknown language falls back to English.
    CResources::SetLanguage(CResources::kKorean);
    auto shownCaption = [] {
        CTestDialog dlg(nullptr);
        CString shown;
        When([&] { return dlg.m_hWnd != nullptr; },
             [&] {
                 shown = dlg.GetWindowText();
                 dlg.EndDialog(IDCANCEL);
             });
        dlg.DoModal();
        return shown.str();
    };
    // The program is ANSI: Korean reads right where the code page is 949.
    EXPECT_EQ(shownCaption(), InAnsiCodePage(L"\uC2DC\uD5D8 \uB300\uD654 \uC0C1\uC790"));
    CResources::SetLanguage(1041);
    EXPECT_EQ(CResources::LoadString(113), "OK");
    EXPECT_EQ(shownCaption(), "Test dialog");
    CResources::SetLanguage(CResources::kEnglish);
}

TEST(FrameworkWinTest, AbsentMenuAndLongListTexts) {
    CMenu menu;
    EXPECT_FALSE(menu.LoadMenu(4242));  // absent: no menu, no crash
    CRecorder host;
    ASSERT_TRUE(host.Create());
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 200, 100), host.m_hWnd, 5));
    list.InsertColumn(0, "Name", LVCFMT_LEFT, 80);
    list.InsertColumn(1, "Value", LVCFMT_LEFT, 80);
    list.InsertItem(0, "a");
    list.SetItemText(0, 1, std::string(1000, 'v').c_str());
    EXPECT_EQ(list.GetItemText(0, 1).GetLength(), 1000);  // not cut at a fixed buffer
    EXPECT_EQ(list.GetItemText(0, 0), "a");
}
