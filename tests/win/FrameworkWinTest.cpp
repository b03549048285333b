// The framework with real windows: routing, message maps, modal loops,
// keyboard handling, resources by language.
#include "WinTestSupport.h"

#include "framework/Dialog.h"
#include "framework/Profile.h"
#include "framework/Resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr UINT kTestPage = 951;  // a child page with one field

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(HWND parent, bool swallowKeys = false)
        : CDialog(kTestDialog, parent), m_swallow(swallowKeys) {}
    bool m_swallow;

    BOOL PreTranslateMessage(MSG* msg) override {
        if (m_swallow && IsEnterOrEsc(msg)) return TRUE;
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    DECLARE_MESSAGE_MAP()
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
    OnShown(dlg, [&] {
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
    OnShown(outer, [&] {
             outerWnd = outer.m_hWnd;
             CTestDialog inner(main.m_hWnd);
             OnShown(inner, [&] { inner.EndDialog(IDCANCEL); });
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
    OnShown(dlg, [&] { doomed->DestroyWindow(); });
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

// Which object a window belongs to is known for exactly as long as the two
// are attached, however they part.
TEST(FrameworkWinTest, AWindowIsFoundOnlyWhileAttached) {
    struct CClosing : CWnd {
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_COMMAND && LOWORD(wParam) == 100) {
                ::DestroyWindow(m_hWnd);
                return 0;
            }
            return CWnd::WindowProc(message, wParam, lParam);
        }
    };
    struct Case {
        const char* name;
        void (*part)(CWnd& w, HWND h);
        bool windowStays;
    } cases[] = {
        {"destroyed from outside", [](CWnd&, HWND h) { ::DestroyWindow(h); }, false},
        {"destroyed by its own handler", [](CWnd&, HWND h) { ::SendMessageA(h, WM_COMMAND, 100, 0); }, false},
        {"unsubclassed", [](CWnd& w, HWND) { w.UnsubclassWindow(); }, true},
    };
    for (const Case& c : cases) {
        CClosing w;
        ASSERT_TRUE(w.CreateEx(0, nullptr, "w", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0)) << c.name;
        HWND h = w.m_hWnd;
        EXPECT_EQ(CWnd::FromHandlePermanent(h), &w) << c.name;
        c.part(w, h);
        EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr) << c.name;
        EXPECT_EQ(w.m_hWnd, nullptr) << c.name;
        EXPECT_EQ(::IsWindow(h) != FALSE, c.windowStays) << c.name;
        if (c.windowStays) ::DestroyWindow(h);
    }
    // An object that dies first takes its window with it.
    HWND h = nullptr;
    {
        CClosing w;
        ASSERT_TRUE(w.CreateEx(0, nullptr, "w", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        h = w.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

namespace {

LRESULT CALLBACK CountingSpy(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_USER + 7) ++*reinterpret_cast<int*>(ref);
    return ::DefSubclassProc(wnd, msg, wParam, lParam);
}

struct CCounting : CWnd {
    int user = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER + 7) ++user;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

}  // namespace

// The routing sits in the window's procedure chain: leaving it must keep every
// other procedure of the chain working, whichever was put there first.
TEST(FrameworkWinTest, LeavingTheProcedureChainKeepsTheOthersInIt) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "abc", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(edit);
    char text[8] = {};

    {  // alone in front: leaving gives the control its own procedure back
        CCounting w;
        ASSERT_TRUE(w.SubclassWindow(edit));
        ::SendMessageA(edit, WM_USER + 7, 0, 0);
        EXPECT_EQ(w.user, 1);
        // An ANSI window stays one: its handlers get text in the program's code page.
        EXPECT_FALSE(::IsWindowUnicode(edit));
        w.UnsubclassWindow();
        ::SendMessageA(edit, WM_USER + 7, 0, 0);
        EXPECT_EQ(w.user, 1);
    }

    // Another procedure put in front of ours stays there when ours leaves,
    // and a new object can take the window again.
    int spied = 0;
    {
        CCounting first;
        ASSERT_TRUE(first.SubclassWindow(edit));
        ASSERT_TRUE(::SetWindowSubclass(edit, CountingSpy, 1, reinterpret_cast<DWORD_PTR>(&spied)));
        first.UnsubclassWindow();
        EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
        ::SendMessageA(edit, WM_USER + 7, 0, 0);
        EXPECT_EQ(spied, 1);
        EXPECT_EQ(first.user, 0);
        ::GetWindowTextA(edit, text, sizeof text);
        EXPECT_STREQ(text, "abc");

        CCounting second;
        ASSERT_TRUE(second.SubclassWindow(edit));
        ::SendMessageA(edit, WM_USER + 7, 0, 0);
        EXPECT_EQ(spied, 2);
        EXPECT_EQ(second.user, 1);
        ::RemoveWindowSubclass(edit, CountingSpy, 1);
        second.UnsubclassWindow();
        ::SendMessageA(edit, WM_USER + 7, 0, 0);
        EXPECT_EQ(second.user, 1);
        EXPECT_EQ(spied, 2);
    }
    ::SetWindowTextA(edit, "xyz");
    ::GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "xyz");
    ::DestroyWindow(edit);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
}

TEST(FrameworkWinTest, ABoxWithoutAParentBelongsToTheMainWindow) {
    // Callers pass the active window, null while another program is in front.
    CWinApp app;
    CRecorder main;
    ASSERT_TRUE(main.Create());
    app.m_pMainWnd = &main;
    CTestDialog dlg(nullptr);
    HWND owner = nullptr;
    bool mainDisabled = false;
    OnShown(dlg, [&] {
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

TEST(FrameworkWinTest, EnterEscAndAltF4AreSwallowedOnlyWhereAsked) {
    // Alt+F4 is the control case for the message box, which swallows it.
    const struct {
        bool swallow;
        UINT key;
        bool alt;
        INT_PTR expected;
    } cases[] = {{false, VK_ESCAPE, false, IDCANCEL}, {false, VK_RETURN, false, IDOK}, {true, VK_ESCAPE, false, 1001},
                 {true, VK_RETURN, false, 1001},      {false, VK_F4, true, IDCANCEL}};
    for (const auto& c : cases) {
        CTestDialog dlg(nullptr, c.swallow);
        OnShown(dlg, [&] {
                 PostKey(dlg.GetDlgItem(1002), c.key, c.alt);
                 // Only if the key went nowhere (the Alt+F4 row comes last: its timer outlives it).
                 if (c.swallow || c.alt) After(c.swallow ? 200 : 1500, [&] { Click(dlg, 1001); });
             });
        EXPECT_EQ(dlg.DoModal(), c.expected) << c.key;
    }
}

TEST(FrameworkWinTest, APageCreatedAfterItsDialogLeavesTheKeysToTheDialog) {
    // Enter in the page's field presses the dialog's default button, not the page's.
    CTestDialog dlg(nullptr);
    CDialog page(kTestPage, nullptr);
    bool pageRegistered = true;
    OnShown(dlg, [&] {
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

TEST(FrameworkWinTest, BothStringTablesMatchAndOtherLanguagesFallBackToEnglish) {
    // Every string of the English table has its Korean counterpart (the probe uses 117).
    for (UINT id = 100; id < 210; ++id) {
        CString en, ko;
        bool hasEn = CResources::LoadStringExact(CResources::kEnglish, id, &en);
        EXPECT_EQ(hasEn, CResources::LoadStringExact(CResources::kKorean, id, &ko, 949)) << id;
    }
    CResources::SetLanguage(1041);
    EXPECT_EQ(CResources::LoadString(113), "OK");
    CTestDialog dlg(nullptr);
    CString shown;
    When([&] { return dlg.m_hWnd != nullptr; },
         [&] {
             shown = dlg.GetWindowText();
             dlg.EndDialog(IDCANCEL);
         });
    dlg.DoModal();
    EXPECT_EQ(shown, "Test dialog");
    CResources::SetLanguage(CResources::kEnglish);
}

// Every dialog opens centred over its owner, wherever the owner stands and
// whatever its template says (DS_CENTER alone centres on the work area under
// Wine; a template without it would open at the owner's client corner), also
// when the owner is another box, and modeless ones too.
TEST(FrameworkWinTest, DialogsOpenCentredOverTheirOwner) {
    CResources::SetLanguage(CResources::kEnglish);
    CRecorder main;
    ASSERT_TRUE(main.Create(500, 360));
    main.SetWindowPos(nullptr, 700, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    auto centre = [](HWND w) {
        RECT r;
        ::GetWindowRect(w, &r);
        return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    auto same = [](CPoint a, CPoint b) { return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1; };
    const struct {
        const char* name;
        UINT templateId;
        bool overBox;  // owned by a box that is itself over the main window
        bool modeless;
    } cases[] = {{"plain template", kTestDialog, false, false},
                 {"DS_CENTER template", IDD_ABOUTBOX, false, false},
                 {"over another box", kTestDialog, true, false},
                 {"modeless DS_CENTER", IDD_FIND, false, true}};
    for (const auto& c : cases) {
        CPoint seen(-1, -1), want(-2, -2);
        if (c.modeless) {
            CDialog dlg(c.templateId, main.m_hWnd);
            ASSERT_TRUE(dlg.Create(c.templateId, main.m_hWnd)) << c.name;
            EXPECT_TRUE(same(centre(dlg.m_hWnd), centre(main.m_hWnd))) << c.name;
            dlg.DestroyWindow();
            continue;
        }
        CTestDialog outer(main.m_hWnd);
        auto open = [&](HWND owner) {
            CDialog dlg(c.templateId, owner);
            OnShown(dlg, [&] {
                seen = centre(dlg.m_hWnd);
                want = centre(owner);
                dlg.EndDialog(IDCANCEL);
            });
            dlg.DoModal();
        };
        if (c.overBox) {
            OnShown(outer, [&] {
                // The outer box stands elsewhere: the inner one follows it.
                outer.SetWindowPos(nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                open(outer.m_hWnd);
                outer.EndDialog(IDCANCEL);
            });
            outer.DoModal();
        } else {
            open(main.m_hWnd);
        }
        EXPECT_TRUE(same(seen, want)) << c.name << " at " << seen.x << "," << seen.y << " not " << want.x << ","
                                      << want.y;
    }
}

// Read from a snapshot, every key gives what the profile functions give for
// the same file: quotes, blanks, case, repeated keys and sections, numbers,
// short buffers, missing keys, blanks around the names asked for and after
// the fallback; and a write in between is read back.
// Numbers take a sign, then "0x", "0o" or "0b" (lower case only) for base 16,
// 8 or 2, as the system's string-to-integer routine documents for base 0.
// Windows' page on GetPrivateProfileInt names no conversion; Wine's profile
// functions use that routine, and Wine is what this table is checked against.
TEST(FrameworkProfileTest, ASnapshotReadsAsTheProfileFunctionsDo) {
    const std::string path = TempFolder("zarvod_profile") + "\\p.ini";
    const std::string longValue(300, 'v');
    const std::string text = "[S]\r\nplain=value\r\n  spaced  =  two words  \r\nQuoted=\"in quotes\"\r\n"
                             "single='x'\r\nhalf=\"open\r\nempty=\r\ndup=first\r\nDUP=second\r\n;comment=no\r\n"
                             "noequals\r\nneg=-42\r\nplus= +7\r\njunk=12abc\r\nletters=abc\r\nbig=99999999999\r\n"
                             "inner=a=b\r\nlong=" + longValue + "\r\n[s]\r\ndup=other section\r\nonly=second\r\n[T]\r\nn=5\r\n"
                             "hex=0x10\r\nbin=0b111\r\noct=0o7\r\nneghex=-0x2\r\nupperhex=0X10\r\nhexcase=0xfF\r\n"
                             "spacedhex= +0x1f\r\nbadhex=0xg\r\nbare=0x\r\nbadbin=0b2\r\n";
    ASSERT_TRUE(WriteBytes(path, text));
    struct Key {
        const char* section;
        const char* key;
        DWORD size;
        const char* fallback = "fallback";
        const char* windows = nullptr;  // the text Windows gives, where Wine differs
    } keys[] = {
        {"S", "plain", 260},   {"S", "spaced", 260},  {"S", "quoted", 260}, {"S", "single", 260},
        {"S", "half", 260},    {"S", "empty", 260},   {"S", "dup", 260},    {"s", "DUP", 260},
        {"S", ";comment", 260}, {"S", "comment", 260}, {"S", "noequals", 260}, {"S", "neg", 260},
        {"S", "plus", 260},    {"S", "junk", 260},    {"S", "letters", 260}, {"S", "big", 260},
        {"S", "inner", 260},   {"S", "long", 400},    {"S", "long", 16},    {"S", "only", 260},
        {"T", "n", 260},       {"T", "missing", 260}, {"Nowhere", "n", 260}, {"S", "plain", 3},
        {"T", "hex", 260},     {"T", "bin", 260},     {"T", "oct", 260},    {"T", "neghex", 260},
        {"T", "upperhex", 260}, {"T", "hexcase", 260}, {"T", "spacedhex", 260}, {"T", "badhex", 260},
        {"T", "bare", 260},    {"T", "badbin", 260},
        {"  S ", " plain\t", 260}, {"\tT", "n  ", 260}, {" S", "single ", 260}, {"S", "  ;comment", 260},
        {" Nowhere ", "n", 260},
        {"T", "missing", 260, "fallback  "}, {"T", "missing", 260, "  lead"}, {"T", "missing", 260, "tab\t"},
        {"T", "missing", 260, "\"quoted\"  "}, {"T", "missing", 260, "   ", ""}, {"T", "missing", 5, "fallback  "},
        {"T", "missing", 260, nullptr},
    };
    struct Read {
        DWORD length;
        std::string text;
        UINT number;
    };
    auto read = [&](const Key& k) {
        std::vector<char> buffer(k.size, '#');
        Read r;
        r.length = profile::GetString(k.section, k.key, k.fallback, buffer.data(), k.size, path.c_str());
        r.text = buffer.data();
        r.number = profile::GetInt(k.section, k.key, 77, path.c_str());
        return r;
    };
    std::vector<Read> direct;
    for (const Key& k : keys) direct.push_back(read(k));
    profile::BeginSnapshot();
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
        const Read r = read(keys[i]);
        const std::string what = std::string(keys[i].section) + "/" + keys[i].key + "/" + std::to_string(keys[i].size) +
                                 "/" + (keys[i].fallback ? keys[i].fallback : "(null)");
        // Windows strips every trailing space of the fallback, as its
        // documentation says; Wine keeps the first character of "   ".
        const std::string want = keys[i].windows ? keys[i].windows : direct[i].text;
        EXPECT_EQ(r.text, want) << what;
        EXPECT_EQ(r.length, want.size()) << what;
        EXPECT_EQ(r.number, direct[i].number) << what;
    }
    profile::WriteString("T", "n", "6", path.c_str());
    EXPECT_EQ(profile::GetInt("T", "n", 0, path.c_str()), 6u);
    profile::EndSnapshot();
    ::DeleteFileA(path.c_str());
}
