// The main window in-process: menu commands and check marks (menus cannot be
// read from another process under Wine), keys, and the relays that must refuse
// what the board or a stale caller sends.
#include "FreshMainWindow.h"

#include "resources/resource.h"
#include "ui/boxes/DlgProgress.h"
#include "ui/WindowMessages.h"
#include "workbench/app/Registry.h"
#include "framework/Resources.h"
#include "ui/kit/GdiPlus.h"
#include "workbench/main/ImageReencoder.h"
#include "workbench/main/IniFile.h"
#include "link/codecs/PackedFile.h"
#include "workbench/files/WndFileList.h"
#include "workbench/files/WndImage.h"
#include "workbench/main/ZarvoDDlg.h"
#include "editor/WndEditor.h"
#include "tests/fuzz/FuzzLink.h"
#include "tests/link/LinkFakes.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <deque>
#include <map>
#include <memory>
#include <set>


namespace {

// The visible message box of this thread, if one is up.
CDialog* OpenBox() { return Showing(IDD_MESSAGE); }
HWND OpenBoxWindow() { return OpenBox() ? OpenBox()->m_hWnd : nullptr; }

void Answer(int result) {
    OnDialog(IDD_MESSAGE, [result](CDialog* box) { box->EndDialog(result); });
}

FileEntry& AddEntry(CZarvoDDlg& dlg, const char* name, const char* data, uint32_t state) {
    auto e = std::make_unique<FileEntry>();
    e->name = name;
    e->nameLength = static_cast<uint8_t>(e->name.size() + 1);
    e->data = data;
    e->state = state;
    e->kind = FileEntry::KindFor(e->name, e->data.size());
    return dlg.Link().Files().Entries().Insert(std::move(e));
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareFirstStart("zarvod_main_test");
        PrepareIni(CIniFile::Path());
        ASSERT_TRUE(ShowMainWindow(dlg));
    }
    void TearDown() override { CloseMainWindow(dlg); }
    virtual void PrepareIni(const CString& /*path*/) {}
    UINT MenuState(int popup, UINT id) {
        HMENU sub = ::GetSubMenu(::GetMenu(dlg.m_hWnd), popup);
        dlg.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), popup);
        return ::GetMenuState(sub, id, MF_BYCOMMAND);
    }
    CZarvoDDlg dlg;
};

}  // namespace

TEST_F(MainWindow, AMenuCommandWithoutItsPopupIsRefusedJustTheSame) {
    dlg.PostMessage(WM_COMMAND, ID_FUNC_REBOOT, 0);
    Pump(200);
    EXPECT_EQ(OpenBox(), nullptr);
    EXPECT_TRUE(MenuState(2, ID_FUNC_PHP_DEBUG_MODE) & MF_CHECKED);
    dlg.SendMessage(WM_COMMAND, ID_FUNC_PHP_DEBUG_MODE, 0);
    EXPECT_FALSE(MenuState(2, ID_FUNC_PHP_DEBUG_MODE) & MF_CHECKED);
}

TEST_F(MainWindow, KeysCtrlWithoutAltAndEnterOnlyInTheEditor) {
    HWND edit = dlg.GetDlgItem(CZarvoDDlg::kEditor);
    HWND combo = dlg.GetDlgItem(CZarvoDDlg::kPortCombo);
    BYTE keys[256] = {};
    auto press = [&](HWND target, WPARAM key, bool ctrl, bool alt) {
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        keys[VK_MENU] = alt ? 0x80 : 0;
        ::SetKeyboardState(keys);
        MSG msg{target, WM_KEYDOWN, key, 0, 0, {0, 0}};
        const BOOL taken = dlg.PreTranslateMessage(&msg);
        keys[VK_CONTROL] = keys[VK_MENU] = 0;
        ::SetKeyboardState(keys);
        return taken != FALSE;
    };
    EXPECT_TRUE(press(edit, 'S', true, false));
    // AltGr (Ctrl+Alt) types a character: not ours.
    EXPECT_FALSE(press(edit, 'S', true, true));
    EXPECT_FALSE(press(edit, 'N', true, true));
    EXPECT_FALSE(press(edit, 'S', false, false));
    EXPECT_FALSE(press(edit, VK_RETURN, false, false));
    EXPECT_TRUE(press(combo, VK_RETURN, false, false));
    EXPECT_TRUE(press(combo, VK_ESCAPE, false, false));
    EXPECT_TRUE(press(edit, VK_F5, false, false));  // swallowed, and Run is not allowed
    EXPECT_EQ(OpenBox(), nullptr);
}

// While the port list is open, Enter and Esc are the list's: they close it
// through the window's loop. The window itself never closes by them.
TEST_F(MainWindow, AnOpenPortListTakesEnterAndEsc) {
    HWND combo = dlg.GetDlgItem(CZarvoDDlg::kPortCombo);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Esc");
        ::SetFocus(combo);
        // Without a board's port the list says so first and then closes itself: not here.
        IfShown("the missing port's message", OpenBoxWindow, [](HWND box) {
            dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(box))->EndDialog(IDOK);
        });
        ::SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        ::KillTimer(dlg.m_hWnd, CZarvoDDlg::kTimerClosePortList);
        ASSERT_NE(::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), 0);
        MSG msg{combo, WM_KEYDOWN, key, 1, 0, {0, 0}};
        EXPECT_FALSE(dlg.PreTranslateMessage(&msg));
        PostKey(combo, static_cast<UINT>(key));
        MSG queued;
        while (::PeekMessageA(&queued, nullptr, 0, 0, PM_REMOVE)) CWinApp::PumpMessage(queued);
        EXPECT_EQ(::SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), 0);
        EXPECT_TRUE(dlg.PreTranslateMessage(&msg)) << "closed, the list passes them to nobody";
        ASSERT_TRUE(::IsWindowVisible(dlg.m_hWnd));
    }
}

TEST_F(MainWindow, ClosingWithChangedFilesAsksAndNoKeepsTheWindow) {
    AddEntry(dlg, "new.php", "<?php ?>", FileEntry::kChanged);
    Answer(IDNO);
    dlg.SendMessage(WM_CLOSE);
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    Answer(IDYES);
    HWND wnd = dlg.m_hWnd;
    dlg.SendMessage(WM_CLOSE);
    Pump(50);
    EXPECT_FALSE(::IsWindow(wnd));
}

// A running job keeps the window whatever the answer: it is asked about first,
// and again after the question (a job may start while it is up).
TEST_F(MainWindow, ClosingDuringAJobKeepsTheWindowBeforeAndAfterTheQuestion) {
    auto waitBox = [] { return static_cast<CDlgProgress*>(Showing(IDD_PROGRESS)); };
    AddEntry(dlg, "new.php", "<?php ?>", FileEntry::kChanged);
    const struct {
        const char* name;
        bool jobFirst;  // else the job starts while the question is up
        int questions;
    } cases[] = {{"job starts meanwhile", false, 1}, {"job running", true, 0}};
    for (const auto& c : cases) {
        int asked = 0;
        if (c.jobFirst) {
            dlg.OpenWaitBox(3);
            IfShown("a question while a job runs", OpenBoxWindow, [&](HWND box) {
                ++asked;
                dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(box))->EndDialog(IDYES);
            });
        } else {
            OnDialog(IDD_MESSAGE, [&](CDialog* box) {
                ++asked;
                box->EndDialog(IDYES);
                dlg.OpenWaitBox(3);
            });
        }
        dlg.SendMessage(WM_CLOSE);
        EXPECT_EQ(asked, c.questions) << c.name;
        EXPECT_TRUE(::IsWindow(dlg.m_hWnd)) << c.name;
        bool ended = false;
        OnDialog(IDD_PROGRESS, [&](CDialog*) {
            dlg.EndWaitBox();
            ended = true;
        });
        Await("the wait box to end", [&] { return ended && !waitBox(); });
        ASSERT_TRUE(::IsWindow(dlg.m_hWnd)) << c.name;
    }
}

// A picture the viewer refuses is said so and changes nothing: the open file,
// the editor (its text, what typing there changes) or the picture shown.
TEST_F(MainWindow, APictureTheViewerRefusesLeavesTheOpenFileAsItWas) {
    DWORD size = 0;
    const void* png = CResources::LoadData("PNG", MAKEINTRESOURCEA(IDP_STOP), &size);
    ASSERT_TRUE(png && size > 0);
    FileEntry& text = AddEntry(dlg, "a.php", "<?php a ?>", FileEntry::kInStep);
    FileEntry& good = AddEntry(dlg, "ok.png", "", FileEntry::kInStep);
    good.data.assign(static_cast<const char*>(png), size);
    FileEntry& broken = AddEntry(dlg, "bad.png", "not a picture", FileEntry::kInStep);
    FileEntry& empty = AddEntry(dlg, "empty.png", "", FileEntry::kInStep);
    empty.kind = FileEntry::kImage;
    HWND editorWnd = dlg.GetDlgItem(CZarvoDDlg::kEditor);
    auto* editor = reinterpret_cast<CWndEditor*>(CWnd::FromHandlePermanent(editorWnd));
    ASSERT_TRUE(editor);
    const struct {
        const char* name;
        FileEntry* before;  // open when the picture is asked for
        FileEntry* picture;
        bool listFreedMeanwhile;  // the board's list goes while the refusal is read
    } cases[] = {{"broken over text", &text, &broken, false}, {"empty over text", &text, &empty, false},
                 {"broken over a picture", &good, &broken, false}, {"list freed meanwhile", &text, &broken, true}};
    for (const auto& c : cases) {
        const bool image = c.before->kind == FileEntry::kImage;
        ASSERT_EQ(dlg.SendMessage(WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(c.before), image ? 1 : 0), 1) << c.name;
        std::string said;
        TakeMessage(&said, [this, &c] {
            if (!c.listFreedMeanwhile) return;
            dlg.Link().Files().FreeFileEntries();
            dlg.RefreshFileList();
        });
        EXPECT_EQ(dlg.SendMessage(WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(c.picture), 1), 0) << c.name;
        if (c.listFreedMeanwhile) {
            EXPECT_FALSE(said.empty());
            EXPECT_EQ(editor->GetText(), "<?php a ?>");
            break;
        }
        EXPECT_FALSE(said.empty()) << c.name;
        EXPECT_EQ(dlg.GetOpenFileName(), c.before->name) << c.name;
        EXPECT_EQ(::IsWindowVisible(editorWnd) != FALSE, !image) << c.name;
        HWND paneWnd = dlg.GetDlgItem(CZarvoDDlg::kImagePane);  // made on first use
        EXPECT_EQ(paneWnd && ::IsWindowVisible(paneWnd), image) << c.name;
        if (image) {
            auto* pane = reinterpret_cast<CWndImage*>(CWnd::FromHandlePermanent(paneWnd));
            EXPECT_TRUE(pane && pane->HasImage()) << c.name;
        } else {
            EXPECT_EQ(editor->GetText(), "<?php a ?>") << c.name;
        }
        // What typing there changes is the file open, never the picture.
        dlg.SendMessage(WM_USER_DOC_MODIFIED);
        EXPECT_EQ(c.picture->state, FileEntry::kInStep) << c.name;
        c.before->state = FileEntry::kInStep;
    }
}

// A board that answers as its boot loader: the list and the editor go only
// when the user let the changed files go.
TEST_F(MainWindow, ABootLoaderAnswerKeepsTheFilesTheUserKept) {
    for (bool kept : {true, false}) {
        FileEntry& e = AddEntry(dlg, "a.php", "<?php a ?>", FileEntry::kChanged);
        ASSERT_EQ(dlg.SendMessage(WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(&e), 0), 1);
        dlg.Link().Files().OnIspModeEntered(kept);
        dlg.OnIspModeEntered(kept);
        auto* editor = reinterpret_cast<CWndEditor*>(CWnd::FromHandlePermanent(dlg.GetDlgItem(CZarvoDDlg::kEditor)));
        EXPECT_EQ(editor->GetText(), kept ? "<?php a ?>" : "") << kept;
        EXPECT_EQ(dlg.GetOpenFileName(), kept ? "a.php" : "") << kept;
        EXPECT_EQ(dlg.Link().Files().Entries().Count(), kept ? 1u : 0u) << kept;
        dlg.Link().Files().FreeFileEntries();
        dlg.OnIspModeEntered(false);
    }
}

// The board stops answering during a job: once its message is read, the keys
// reach the editor again (Ctrl+S would otherwise do nothing until a click).
TEST_F(MainWindow, AfterTheNoAnswerMessageTheEditorHasTheKeyboardAgain) {
    HWND edit = dlg.GetDlgItem(CZarvoDDlg::kEditor);
    ::SetFocus(edit);
    ASSERT_EQ(::GetFocus(), edit);
    std::string said;
    OnDialog(IDD_PROGRESS, [&](CDialog*) {
        TakeMessage(&said);
        dlg.SendMessage(WM_TIMER, CLinkSession::kTimerWatchdog);
    });
    dlg.Link().Session().ShowWaitDialog(true, CLinkSession::kWaitIdentify);
    Await("the no-answer message read", [&] { return !said.empty() && !Showing(IDD_MESSAGE) && !Showing(IDD_PROGRESS); });
    EXPECT_EQ(said.substr(0, 28), "The product does not answer.");
    EXPECT_EQ(Showing(IDD_PROGRESS), nullptr);
    EXPECT_EQ(::GetActiveWindow(), dlg.m_hWnd);
    EXPECT_EQ(::GetFocus(), edit);
}

TEST_F(MainWindow, RelaysRefuseWhatTheyCannotTrust) {
    // A splitter message with a pointer that is not one of ours.
    EXPECT_EQ(dlg.SendMessage(WM_USER_SPLITTER_MOVED, 0x1234, 0), 0);
    EXPECT_EQ(dlg.SendMessage(WM_USER_SPLITTER_MOVED, 0, 0), 0);
    // An open-file message for an entry that is not in the list.
    FileEntry stray;
    stray.name = "stray.php";
    EXPECT_EQ(dlg.SendMessage(WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(&stray), 0), 0);
    // Deleting needs the board connected.
    FileEntry& a = AddEntry(dlg, "a.php", "line 1\r\nline 2\r\n", FileEntry::kInStep);
    a.selected = true;
    EXPECT_EQ(dlg.SendMessage(WM_USER_DELETE_FILES), 0);
    EXPECT_EQ(dlg.Link().Files().Entries().Count(), 1u);
}

// The watch rows come from Init.ini when the bottom pane is made.
class MainWindowWithWatches : public MainWindow {
protected:
    void PrepareIni(const CString& ini) override {
        ::WritePrivateProfileStringA("Watch", "Count", "2", ini);
        ::WritePrivateProfileStringA("List000", "Name", "$a", ini);
        ::WritePrivateProfileStringA("List001", "Name", "$m[10][2]", ini);
    }
};

TEST_F(MainWindowWithWatches, DebuggerRelaysReachTheWatchListAndShowOnlyListedTextLines) {
    CLinkHost& host = dlg;
    ASSERT_EQ(host.GetWatchCount(), 2);
    EXPECT_EQ(host.GetWatchName(1), "$m[10][2]");
    // The pane's read request reaches the debugger, which sends nothing unconnected.
    EXPECT_EQ(dlg.SendMessage(WM_USER_WATCH_NEXT, 0, 1), 0);

    // A break location: only a text entry of the list with the row inside it.
    FileEntry& a = AddEntry(dlg, "a.php", "line 1\r\nline 2\r\n", FileEntry::kInStep);
    FileEntry stray;
    stray.name = "a.php";
    stray.kind = FileEntry::kText;
    stray.data = a.data;
    HWND edit = dlg.GetDlgItem(CZarvoDDlg::kEditor);
    char text[64] = {};
    for (auto bad : {std::make_pair(&a, 2), std::make_pair(&a, -1), std::make_pair(&stray, 0)}) {
        host.ShowBreakFile(*bad.first, bad.second);
        ::GetWindowTextA(edit, text, sizeof text);
        EXPECT_EQ(std::string(text).find("line 1"), std::string::npos) << bad.second;
    }
    host.ShowBreakFile(a, 1);
    ::GetWindowTextA(edit, text, sizeof text);
    EXPECT_EQ(std::string(text), "line 1\r\nline 2\r\n");
    auto* editor = reinterpret_cast<CWndEditor*>(CWnd::FromHandlePermanent(edit));
    EXPECT_EQ(editor->GetExecutionLine(), 1);
    EXPECT_EQ(editor->GetCaretLine(), 1);
    // The board's read-back marks a row; F9 unconnected leaves the marks alone.
    host.SetBreakpointMark(0, true);
    Answer(IDOK);
    dlg.SendMessage(WM_USER_TOGGLE_BREAKPOINT, 0, 0);
    EXPECT_TRUE(editor->GetBreakpoint(0));
    EXPECT_FALSE(editor->GetBreakpoint(1));
}

TEST_F(MainWindow, ADecisionAfterAQuestionNeedsTheLinkItWasAskedAbout) {
    // Initialization mode's Yes warns of the missing port, unless the link
    // changed meanwhile: then it says that nothing was done.
    for (bool linkChanged : {false, true}) {
        std::string said;
        // All of it runs inside the command: the dialog, the question, the warning.
        OnShown("the Preferences dialog", [] { return ::FindWindowA(nullptr, "Preferences"); }, [&](HWND pref) {
            ::CheckDlgButton(pref, IDC_PREF_INIT_MODE, BST_CHECKED);
            ::PostMessageA(pref, WM_COMMAND, IDOK, 0);
            OnDialog(IDD_MESSAGE, [&](CDialog* box) {
                if (linkChanged) dlg.OnLinkDisconnected();
                box->EndDialog(IDYES);
                TakeMessage(&said);
            });
        });
        dlg.SendMessage(WM_COMMAND, ID_EDIT_PREFERENCES, 0);
        EXPECT_EQ(said, linkChanged ? CResources::LoadString(IDS_RESET_MODE_NOT_NOW).str() : "Select a COM port.")
            << linkChanged;
    }
}

TEST(ImageReencoder, ResizesThroughUniqueTemporaryFilesOnly) {
    DWORD size = 0;
    const void* png = CResources::LoadData("PNG", MAKEINTRESOURCEA(IDP_STOP), &size);
    ASSERT_TRUE(png && size > 0);
    const std::string original(static_cast<const char*>(png), size);
    const std::string folder = TempFolder("zarvod_main_test") + "\\Temp";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    auto filesIn = [](const std::string& dir) {
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
        int n = 0;
        for (bool more = h != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(h, &fd))
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
        if (h != INVALID_HANDLE_VALUE) ::FindClose(h);
        return n;
    };
    const int before = filesIn(folder);
    // A name from the board that would climb out of the folder names no file.
    std::string data = original;
    ASSERT_TRUE(CImageReencoder::Reencode(data, "..\\..\\evil.png", 12, 48, folder));
    EXPECT_NE(data, original);
    Gdiplus::Bitmap* shown = nullptr;
    if (IStream* s = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(data.data()), static_cast<UINT>(data.size()))) {
        shown = Gdiplus::Bitmap::FromStream(s);
        s->Release();
    }
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->GetWidth(), 12u);
    EXPECT_EQ(shown->GetHeight(), 48u);
    delete shown;
    EXPECT_EQ(filesIn(folder), before);
    EXPECT_EQ(::GetFileAttributesA((TempFolder("zarvod_main_test") + "\\evil.png").c_str()), INVALID_FILE_ATTRIBUTES);
    // What cannot be decoded or has no encoder keeps its bytes.
    for (auto bad : {std::make_pair(std::string("not an image"), "a.png"), std::make_pair(original, "a.tga"),
                     std::make_pair(original, "noext")}) {
        std::string kept = bad.first;
        EXPECT_FALSE(CImageReencoder::Reencode(kept, bad.second, 8, 8, folder)) << bad.second;
        EXPECT_EQ(kept, bad.first);
    }
    EXPECT_EQ(filesIn(folder), before);
}

TEST_F(MainWindow, WaitBoxFollowsTheLinkWhenItChangesItsMind) {
    auto openBox = [] { return static_cast<CDlgProgress*>(Showing(IDD_PROGRESS)); };
    // Ended before it could open: it never shows.
    dlg.OpenWaitBox(3);
    dlg.EndWaitBox();
    Pump(300);
    EXPECT_EQ(openBox(), nullptr);
    // Ended and opened again in one go (a job that follows a job): the second
    // box runs in the first one's place, then ends.
    std::vector<int> modes;
    OnDialog(IDD_PROGRESS, [&](CDialog* box) {
        modes.push_back(static_cast<CDlgProgress*>(box)->m_mode);
        dlg.EndWaitBox();
        dlg.OpenWaitBox(4);
        OnShown("the second wait box", [&] { return openBox() && openBox()->m_mode == 4 ? openBox()->m_hWnd : nullptr; },
                [&](HWND) {
                    modes.push_back(openBox()->m_mode);
                    dlg.EndWaitBox();
                });
    });
    dlg.OpenWaitBox(3);
    Await("both wait boxes to end", [&] { return modes.size() == 2 && !openBox(); });
    EXPECT_EQ(modes, (std::vector<int>{3, 4}));
    EXPECT_EQ(openBox(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(dlg.m_hWnd));
}

TEST_F(MainWindow, DraggingTheSplittersMovesThePanes) {
    dlg.MoveWindow(0, 0, 900, 700);
    Pump(50);
    HWND vertical = nullptr, horizontal = nullptr;
    for (HWND w = ::GetWindow(dlg.m_hWnd, GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(w) != CZarvoDDlg::kSplitter) continue;
        RECT r;
        ::GetWindowRect(w, &r);
        (r.bottom - r.top > r.right - r.left ? vertical : horizontal) = w;
    }
    ASSERT_TRUE(vertical && horizontal);
    auto drag = [](HWND bar, int dx, int dy) {
        // The bar moves by the last drag point in its own coordinates.
        ::SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
        ::SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(dx, dy));
        ::SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(dx, dy));
    };
    auto width = [&](int id) {
        RECT r;
        ::GetWindowRect(dlg.GetDlgItem(id), &r);
        return r.right - r.left;
    };
    const int list = width(CZarvoDDlg::kFileList);
    drag(vertical, 100, 0);
    EXPECT_EQ(width(CZarvoDDlg::kFileList), list + 100);
    drag(vertical, -400, 0);  // not narrower than the minimum split
    EXPECT_EQ(width(CZarvoDDlg::kFileList), 195 - 15);
    RECT before, after;
    ::GetWindowRect(dlg.GetDlgItem(CZarvoDDlg::kBottom), &before);
    drag(horizontal, 0, -100);
    ::GetWindowRect(dlg.GetDlgItem(CZarvoDDlg::kBottom), &after);
    EXPECT_NEAR(after.top, before.top - 100, 7);  // kept as a percentage of the height
}

// The suites' main windows are made where the program makes its own: on a UI
// thread in a single-threaded apartment, where the file list's drag-image helper
// is made in place (not in a host apartment and marshalled back).
TEST_F(MainWindow, TheFileListMakesItsDragImageHelperInTheUIThreadsApartment) {
    auto* list = dynamic_cast<CWndFileList*>(CWnd::FromHandlePermanent(dlg.GetDlgItem(CZarvoDDlg::kFileList)));
    ASSERT_TRUE(list);
    EXPECT_TRUE(CDrag::IsSingleThreadedApartment());
    EXPECT_TRUE(list->DropTarget().m_hasHelper);
}

TEST_F(MainWindow, AConfirmedImageIsMadeBootableOnlyOnTheDialogsAnswer) {
    // No upgrade dialog runs: nobody said yes, so the boot loader gets no boot flag.
    EXPECT_FALSE(dlg.OnUpgradeResult(true));
    EXPECT_FALSE(dlg.OnUpgradeResult(false));
    EXPECT_EQ(OpenBox(), nullptr);
}

TEST_F(MainWindow, BoardDialogRelaysWithoutABoard) {
    // Requests from other windows than the running upgrade dialog are refused.
    CDialog stranger(IDD_FW_UPGRADE, dlg.m_hWnd);
    ASSERT_TRUE(stranger.Create(IDD_FW_UPGRADE, dlg.m_hWnd));
    EXPECT_EQ(dlg.SendMessage(WM_USER_UPGRADE_ENTER_ISP, reinterpret_cast<WPARAM>(&stranger), 0), 0);
    EXPECT_EQ(dlg.SendMessage(WM_USER_UPGRADE_START, 0, reinterpret_cast<LPARAM>(&stranger)), 0);

    // A search the board cannot run hears so at once, with no records.
    int done = 0;
    WPARAM records = 1;
    CWnd requester;
    ASSERT_TRUE(requester.Create(CWnd::OwnClassName(), "", WS_CHILD, CRect(0, 0, 1, 1), dlg.m_hWnd, 0));
    // Each request without a port says so first.
    std::string said;
    auto say = [&] { said.clear(); TakeMessage(&said); };
    say();
    EXPECT_EQ(dlg.SendMessage(WM_USER_START_SCAN, reinterpret_cast<WPARAM>(&requester), 0), 0);
    EXPECT_EQ(said, "Open a COM port and try again.");
    MSG msg;
    while (::PeekMessageA(&msg, requester.m_hWnd, WM_USER_SCAN_DONE, WM_USER_SCAN_DONE, PM_REMOVE)) {
        ++done;
        records = msg.wParam;
    }
    EXPECT_EQ(done, 1);
    EXPECT_EQ(records, 0u);

    // Block writes and reads need a board: refused without waiting.
    const uint8_t block[4] = {'e', 'V', 'n', 'C'};
    say();
    EXPECT_EQ(dlg.SendMessage(WM_USER_WRITE_KEY_BLOCK, reinterpret_cast<WPARAM>(block), 4), 0);
    EXPECT_EQ(said, "Open a COM port and try again.");
    say();
    EXPECT_EQ(dlg.SendMessage(WM_USER_READ_CERT_BLOCK, reinterpret_cast<WPARAM>(&requester), 0), 0);
    EXPECT_EQ(said, "Open a COM port and try again.");
    stranger.DestroyWindow();
    requester.DestroyWindow();
}

TEST_F(MainWindow, ChangeFirmwareWithoutABoardSaysSoAndSendsNothing) {
    AddEntry(dlg, "fw2.kbx", "packed", FileEntry::kInStep);
    // Not connected: the user hears it, whatever name comes (even none).
    for (WPARAM name : {reinterpret_cast<WPARAM>("fw2.kbx"), WPARAM(0)}) {
        std::string text;
        TakeMessage(&text);
        EXPECT_EQ(dlg.SendMessage(WM_USER_CHANGE_FIRMWARE, name, 0), 0);
        EXPECT_EQ(text, "Open a COM port and try again.");
    }
}

// The size chosen in the viewer goes into the entry when it is left, comes
// back when it is shown again, and the upload re-encodes the picture at it.
TEST_F(MainWindow, AResizedPictureKeepsItsSizeUntilTheUploadReencodesIt) {
    DWORD size = 0;
    const void* png = CResources::LoadData("PNG", MAKEINTRESOURCEA(IDP_STOP), &size);
    ASSERT_TRUE(png && size > 0);
    FileEntry& pic = AddEntry(dlg, "pic.png", "", FileEntry::kInStep);
    pic.data.assign(static_cast<const char*>(png), size);
    pic.kind = FileEntry::kImage;
    FileEntry& page = AddEntry(dlg, "a.php", "<?php ?>", FileEntry::kInStep);
    auto open = [&](FileEntry& e) {
        dlg.SendMessage(WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(&e), e.kind == FileEntry::kImage);
    };
    open(pic);
    auto* pane = dynamic_cast<CWndImage*>(CWnd::FromHandlePermanent(dlg.GetDlgItem(CZarvoDDlg::kImagePane)));
    ASSERT_NE(pane, nullptr);
    ASSERT_TRUE(pane->HasImage());
    const int w = pane->GetWidth() * 2, h = pane->GetHeight() + 3;
    pane->ApplySize(w, h);
    EXPECT_EQ(pic.state, FileEntry::kChanged);
    open(page);
    EXPECT_EQ(pic.targetWidth, static_cast<uint32_t>(w));
    EXPECT_EQ(pic.targetHeight, static_cast<uint32_t>(h));
    open(pic);
    EXPECT_EQ(pane->GetWidth(), w);
    EXPECT_EQ(pane->GetHeight(), h);
    // Leaving it again without a new size keeps the saved one.
    open(page);
    open(pic);
    EXPECT_EQ(pane->GetWidth(), w);
    // A picture the viewer then fails to open (its name leaves no file name
    // for the viewer's copy) brings this one back at its chosen size.
    FileEntry& nameless = AddEntry(dlg, "...", "", FileEntry::kInStep);
    nameless.data.assign(static_cast<const char*>(png), size);
    nameless.kind = FileEntry::kImage;
    std::string refused;
    TakeMessage(&refused);
    open(nameless);
    EXPECT_FALSE(refused.empty());
    EXPECT_EQ(dlg.GetOpenFileName(), "pic.png");
    EXPECT_EQ(pane->GetWidth(), w);
    EXPECT_EQ(pane->GetHeight(), h);

    // The upload's image: without a board it is refused for its size, but
    // the picture has been re-encoded and the viewer forgot its mark.
    std::string text;
    TakeMessage(&text);
    EXPECT_FALSE(dlg.Link().Files().BuildUploadImage());
    EXPECT_FALSE(pane->IsModified());
    Gdiplus::Bitmap* stored = nullptr;
    if (IStream* st = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(pic.data.data()), static_cast<UINT>(pic.data.size()))) {
        stored = Gdiplus::Bitmap::FromStream(st);
        st->Release();
    }
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->GetWidth(), static_cast<UINT>(w));
    EXPECT_EQ(stored->GetHeight(), static_cast<UINT>(h));
    delete stored;
}

// New starts a document and leaves the rows the user had selected as they were.
TEST_F(MainWindow, NewKeepsTheOtherRowsSelected) {
    FileEntry& a = AddEntry(dlg, "a.php", "<?php ?>", FileEntry::kInStep);
    FileEntry& b = AddEntry(dlg, "b.txt", "b", FileEntry::kInStep);
    a.selected = true;
    for (WPARAM kind : {WPARAM(1), WPARAM(2), WPARAM(0)}) {
        EXPECT_EQ(dlg.SendMessage(WM_USER_NEW_DOCUMENT, kind, 0), 1);
        EXPECT_TRUE(a.selected) << kind;
        EXPECT_FALSE(b.selected) << kind;
    }
}

std::set<HWND> g_askedBackground;
LRESULT CALLBACK BackgroundSpy(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_USER_GET_BUTTON_BKGND && wParam) g_askedBackground.insert(reinterpret_cast<CWnd*>(wParam)->m_hWnd);
    return ::DefSubclassProc(wnd, msg, wParam, lParam);
}

// The picture buttons ask the main window for their background, one bitmap
// each, and draw it: no grey of their own under their pictures.
TEST(MainWindowButtons, TakeTheirBackgroundFromTheMainWindow) {
    PrepareFirstStart("zarvod_main_test");
    CZarvoDDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ZARVOD_DIALOG, nullptr));
    g_askedBackground.clear();
    ASSERT_TRUE(::SetWindowSubclass(dlg.m_hWnd, BackgroundSpy, 1, 0));
    dlg.ShowWindow(SW_SHOW);
    ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(100);
    for (int id : {CZarvoDDlg::kConnect, CZarvoDDlg::kDisconnect, CZarvoDDlg::kSettings, CZarvoDDlg::kUpload})
        EXPECT_EQ(g_askedBackground.count(dlg.GetDlgItem(id)), 1u) << id;
    ::RemoveWindowSubclass(dlg.m_hWnd, BackgroundSpy, 1);
    CloseMainWindow(dlg);
}

namespace {

// A shown dialog of the system (not one of ours) that this thread shows over
// owner; with files, only a common file dialog.
struct SystemDialogLook {
    HWND owner;
    bool files;
    HWND found;
};
BOOL CALLBACK IsSystemDialog(HWND w, LPARAM p) {
    auto* look = reinterpret_cast<SystemDialogLook*>(p);
    char cls[16] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    if (::IsWindowVisible(w) && std::string(cls) == "#32770" && ::GetWindow(w, GW_OWNER) == look->owner &&
        !CWnd::FromHandlePermanent(w) && (!look->files || ::GetDlgItem(w, 0x47C) || ::GetDlgItem(w, 0x480))) {
        look->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND SystemDialogOver(HWND owner, bool files = false) {
    SystemDialogLook look{owner, files, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), IsSystemDialog, reinterpret_cast<LPARAM>(&look));
    return look.found;
}

HWND FileDialogOver(HWND owner) { return SystemDialogOver(owner, true); }

// Types names into the file dialog once it shows, then presses its OK.
void AnswerFileDialog(HWND owner, const std::string& names) {
    OnShown("the file dialog", [owner] { return FileDialogOver(owner); }, [names](HWND d) {
        HWND box = ::GetDlgItem(d, 0x47C) ? ::GetDlgItem(d, 0x47C) : ::GetDlgItem(d, 0x480);
        ::SetWindowTextA(box, names.c_str());
        ::PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
}

void WritePacked(const std::string& path, const char* name, const char* data) {
    FileEntry e;
    e.name = name;
    e.nameLength = static_cast<uint8_t>(e.name.size() + 1);
    e.data = data;
    std::string out;
    ASSERT_EQ(PackedFile::Build({&e}, 0, 4, out), PackedFile::Error::None);
    ASSERT_TRUE(WriteBytes(path, out));
}

}  // namespace

// "Open a kbx file": several files at once, from the folder the file list
// remembers, only packed files; the folder chosen is remembered after.
TEST_F(MainWindow, OpenKbxTakesSeveralPackedFilesFromTheRememberedFolder) {
    const std::string folder = TempFolder("zarvod_kbx_open");
    const std::string other = TempFolder("zarvod_kbx_open_other");
    WritePacked(folder + "\\a.kbx", "from_a.php", "a");
    WritePacked(folder + "\\b.kbx", "from_b.php", "b");
    WritePacked(folder + "\\c.txt", "from_c.php", "c");  // a container, but not by its name
    WritePacked(other + "\\d.kbx", "from_d.php", "d");
    auto* pane = dynamic_cast<CWndFileList*>(CWnd::FromHandlePermanent(dlg.GetDlgItem(CZarvoDDlg::kFileList)));
    ASSERT_NE(pane, nullptr);
    pane->SetLastAddFolder(folder.c_str());
    // Names alone: they are found only in the folder the dialog starts in.
    AnswerFileDialog(dlg.m_hWnd, "\"a.kbx\" \"b.kbx\" \"c.txt\"");
    dlg.SendMessage(WM_COMMAND, ID_FILE_OPEN_KBX, 0);
    EXPECT_NE(dlg.Link().Files().Entries().Find("from_a.php"), nullptr);
    EXPECT_NE(dlg.Link().Files().Entries().Find("from_b.php"), nullptr);
    EXPECT_EQ(dlg.Link().Files().Entries().Find("from_c.php"), nullptr);
    EXPECT_GE(pane->FindFileRow("from_b.php"), 0);  // the pane was rebuilt
    // A file chosen in another folder: that folder is the one remembered after.
    AnswerFileDialog(dlg.m_hWnd, other + "\\d.kbx");
    dlg.SendMessage(WM_COMMAND, ID_FILE_OPEN_KBX, 0);
    EXPECT_NE(dlg.Link().Files().Entries().Find("from_d.php"), nullptr);
    EXPECT_EQ(pane->GetLastAddFolder().str(), other);
}

// "Save a kbx file" over a file that exists asks once, in the program's words.
TEST_F(MainWindow, SaveKbxOverAnExistingFileAsksOnce) {
    const std::string path = TempFolder("zarvod_kbx_open") + "\\saved.kbx";
    WritePacked(path, "old.php", "old");
    AddEntry(dlg, "a.php", "<?php ?>", FileEntry::kInStep);
    AddEntry(dlg, "b.php", "<?php ?>", FileEntry::kInStep);
    std::vector<std::string> texts;
    static std::string text;
    // Our question: Yes (its second button), then the success message.
    TakeMessage(&text, [&texts] { texts.push_back(text); TakeMessage(&text, [&texts] { texts.push_back(text); }); },
                IDC_MSG_BUTTON2);
    AnswerFileDialog(dlg.m_hWnd, path);
    // A question of the file dialog's own would come first: it is counted and answered.
    int systemQuestions = 0;
    IfShown("a question of the file dialog's own", [] {
        HWND box = ::GetActiveWindow();
        char cls[16] = {};
        ::GetClassNameA(box, cls, sizeof cls);
        return std::string(cls) == "#32770" && !CWnd::FromHandlePermanent(box) && ::GetDlgItem(box, IDYES) ? box : nullptr;
    }, [&](HWND box) {
        ++systemQuestions;
        ::PostMessageA(box, WM_COMMAND, IDYES, 0);
    });
    dlg.SendMessage(WM_COMMAND, ID_FILE_SAVE_KBX, 0);
    EXPECT_EQ(systemQuestions, 0);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "The filename already exists.\r\nDo you want to overwrite it?");
    EXPECT_EQ(texts[1], "Successfully saved.");
}

namespace {

// A connected board answers its sync byte and identifies itself; its image
// holds one file, index.php.
void PlayIdentification(CZarvoDDlg& dlg, FuzzPort& port) {
    CLinkSession& s = dlg.Link().Session();
    auto feed = [&](const std::vector<uint8_t>& bytes) {
        port.input.append(bytes.begin(), bytes.end());
        s.OnSerialEvent(ILinkPort::kEvRxChar);
    };
    feed({static_cast<uint8_t>((s.GetSyncByte() - 0x20) ^ 0x3F)});
    s.OnTimer(CLinkSession::kTimerOpenWaitBox);
    dlg.Link().OnIdentifyStart();
    feed(Reply(1, 0x25, ItemBytes({3, 7, 9})) + Reply(1, 0x11, ItemInt(1 << 20)) + Reply(1, 0x21, ItemBytes({0x5E, 0x5E})) +
         Reply(1, 0x22, ItemBytes({0x5A})) + Reply(1, 0x23, ItemBytes(std::vector<uint8_t>(12, 0x5E))) +
         Reply(1, 0x24, ItemBytes(std::vector<uint8_t>(6, 1))) + Reply(1, 0x40, ItemInt(0)) + Reply(1, 0x40, ItemInt(0)) +
         Reply(1, 0x33, ItemBytes({0xDE})));
    const std::string image = Container({{"index.php", "<?php echo 1; ?>"}});
    feed(LinkFrame::DataChunk(0, reinterpret_cast<const uint8_t*>(image.data()), image.size()) +
         Reply(3, 0x11, ItemInt(static_cast<int32_t>(image.size()))));
    // As the window's own port-event handler does after each read.
    dlg.UpdateCommandStates();
}

const UINT kMenuProbe = WM_APP + 77;
bool g_menuLoopRan = false, g_probed = false;

// Posted after keys: handled inside a menu loop when one started (it then
// ends the loop with Esc: an open popup first, then the loop), else after them.
LRESULT CALLBACK MenuProbe(HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (m != kMenuProbe) return ::DefSubclassProc(w, m, wp, lp);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (::GetGUIThreadInfo(::GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE)) {
        g_menuLoopRan = true;
        ::PostMessageA(info.hwndMenuOwner ? info.hwndMenuOwner : w, WM_KEYDOWN, VK_ESCAPE, 1);
        ::PostMessageA(w, kMenuProbe, 0, 0);
    } else {
        g_probed = true;
    }
    return 0;
}

struct KeyPress {
    UINT message;
    WPARAM key;
    LPARAM lParam;
};
const struct {
    const char* name;
    std::vector<KeyPress> keys;
} kMenuKeys[] = {
    {"F10", {{WM_SYSKEYDOWN, VK_F10, 0x00440001}, {WM_SYSKEYUP, VK_F10, static_cast<LPARAM>(0xC0440001)}}},
    {"Alt", {{WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0380001)}}},
    {"Alt+Space", {{WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {WM_SYSCHAR, ' ', 0x20390001}}},
};

// F10 alone, Alt alone and Alt+Space pressed in window (to its control that
// has the keyboard): whether each started a keyboard menu loop.
std::vector<bool> KeyMenuLoops(HWND window) {
    HWND probe = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ::SetWindowSubclass(probe, MenuProbe, 1, 0);
    std::vector<bool> loops;
    for (const auto& road : kMenuKeys) {
        HWND target = ::GetFocus();
        if (!target || ::GetAncestor(target, GA_ROOT) != window) target = window;
        g_menuLoopRan = g_probed = false;
        for (const KeyPress& k : road.keys) ::PostMessageA(target, k.message, k.key, k.lParam);
        ::PostMessageA(probe, kMenuProbe, 0, 0);
        Await(std::string(road.name) + " and the probe after it handled", [] { return g_probed; });
        loops.push_back(g_menuLoopRan);
    }
    ::RemoveWindowSubclass(probe, MenuProbe, 1);
    ::DestroyWindow(probe);
    return loops;
}

}  // namespace

// F10 or Alt alone starts no keyboard menu loop, which nothing on screen
// shows and which holds the thread's keys and posted messages (under Wine,
// clicks posted during one ran a file dialog's clean-up under its own waiting
// Open handler): not in the common dialogs, the boxes they raise, the folder
// browser, nor our own boxes. Alt+Space still opens the window menu.
TEST_F(MainWindow, NoKeyboardMenuLoopFromF10OrAltAlone) {
    std::map<std::string, std::vector<bool>> loops;
    // File > Open a kbx file; a name that does not exist; the dialog's box.
    OnShown("the open-file dialog", [this] { return FileDialogOver(dlg.m_hWnd); }, [&](HWND files) {
        loops["the open-file dialog"] = KeyMenuLoops(files);
        OnShown("the file dialog's not-found box", [files] { return SystemDialogOver(files); }, [&, files](HWND box) {
            loops["its not-found box"] = KeyMenuLoops(box);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            OnShown("the open-file dialog without its box", [files] {
                return ::IsWindowVisible(files) && !SystemDialogOver(files) ? files : nullptr;
            }, [](HWND f) { ::PostMessageA(f, WM_COMMAND, IDCANCEL, 0); });
        });
        HWND name = ::GetDlgItem(files, 0x47C) ? ::GetDlgItem(files, 0x47C) : ::GetDlgItem(files, 0x480);
        ::SetWindowTextA(name, (TempFolder("zarvod_kbx_open") + "\\missing.kbx").c_str());
        ::PostMessageA(files, WM_COMMAND, IDOK, 0);
    });
    dlg.SendMessage(WM_COMMAND, ID_FILE_OPEN_KBX, 0);
    // Preferences' folder browser.
    OnDialog(IDD_PREFERENCE, [&](CDialog* prefs) {
        // It shows after its activation: no window event marks it.
        When("the folder browser to show", [prefs] { return SystemDialogOver(prefs->m_hWnd) != nullptr; }, [&, prefs] {
            HWND browser = SystemDialogOver(prefs->m_hWnd);
            // Its folder tree keeps such keys to itself: they are pressed on its OK button.
            ::SetFocus(::GetDlgItem(browser, IDOK));
            loops["the folder browser"] = KeyMenuLoops(browser);
            ::PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
        });
        Click(prefs, IDC_PREF_BROWSE);
        Click(prefs, IDCANCEL);
    });
    dlg.SendMessage(WM_COMMAND, ID_EDIT_PREFERENCES, 0);
    // Our message box and wait box.
    OnDialog(IDD_MESSAGE, [&](CDialog* box) {
        loops["our message box"] = KeyMenuLoops(box->m_hWnd);
        box->EndDialog(IDOK);
    });
    dlg.ShowMessage("Held?", CLinkDialogs::kStyleQuestion);
    CRecorder owner;
    ASSERT_TRUE(owner.Create());
    CDlgProgress wait(owner.m_hWnd);
    wait.m_mode = 2;
    OnShown(wait, [&] {
        loops["our wait box (no window menu)"] = KeyMenuLoops(wait.m_hWnd);
        wait.End(IDCANCEL);
    });
    wait.DoModal();

    const std::vector<bool> menuOnlyOnAltSpace{false, false, true};
    EXPECT_EQ(loops["the open-file dialog"], menuOnlyOnAltSpace);
    EXPECT_EQ(loops["its not-found box"], menuOnlyOnAltSpace);
    EXPECT_EQ(loops["the folder browser"], menuOnlyOnAltSpace);
    EXPECT_EQ(loops["our message box"], menuOnlyOnAltSpace);
    EXPECT_EQ(loops["our wait box (no window menu)"], std::vector<bool>(3, false));
}

namespace {

// The main window in front, on a port that answers nothing.
class MainWindowFocus : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareFirstStart("zarvod_focus_test");
        ASSERT_TRUE(ShowMainWindow(dlg));
        ::SetForegroundWindow(dlg.m_hWnd);
    }
    void TearDown() override {
        Pump(50);
        CloseMainWindow(dlg);
    }
    FuzzPort port;
    CZarvoDDlg dlg{port};
};

}  // namespace

// A button that goes off under the keyboard focus (Disconnect after its click,
// Connect once connected) passes the focus on: keys such as Ctrl+N are not lost.
TEST_F(MainWindowFocus, AButtonThatGoesOffPassesTheFocusOn) {
    HWND connect = dlg.GetDlgItem(CZarvoDDlg::kConnect), disconnect = dlg.GetDlgItem(CZarvoDDlg::kDisconnect);
    ::EnableWindow(connect, TRUE);  // as after a port was picked
    ::SetFocus(connect);
    ASSERT_EQ(::GetFocus(), connect);
    ASSERT_TRUE(dlg.Link().Session().Connect("COM7"));
    dlg.UpdateCommandStates();
    ASSERT_FALSE(::IsWindowEnabled(connect));
    EXPECT_EQ(::GetFocus(), dlg.GetDlgItem(CZarvoDDlg::kEditor)) << "connected: the port list is off";

    ASSERT_TRUE(::IsWindowEnabled(disconnect));
    ::SetFocus(disconnect);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(CZarvoDDlg::kDisconnect, BN_CLICKED), reinterpret_cast<LPARAM>(disconnect));
    ASSERT_FALSE(dlg.Link().Session().IsConnected());
    HWND combo = dlg.GetDlgItem(CZarvoDDlg::kPortCombo);
    EXPECT_EQ(::GetFocus(), combo);
    // Ctrl+N is Connect: with no port picked it says so.
    std::string said;
    TakeMessage(&said);
    MSG ctrlN{::GetFocus(), WM_KEYDOWN, 'N', 0, 0, {0, 0}};
    SetKey(VK_CONTROL, true);
    EXPECT_TRUE(dlg.PreTranslateMessage(&ctrlN));
    SetKey(VK_CONTROL, false);
    EXPECT_EQ(said, "Select a COM port.");
}

namespace {

// Preferences, "Enter initialization mode" ticked, Apply (the warning follows).
void ChooseInitializationMode(CZarvoDDlg& dlg) {
    OnDialog(IDD_PREFERENCE, [](CDialog* prefs) {
        ::CheckDlgButton(prefs->m_hWnd, IDC_PREF_INIT_MODE, BST_CHECKED);
        Click(prefs, IDOK);
    });
    dlg.SendMessage(WM_COMMAND, ID_EDIT_PREFERENCES, 0);
}

// The main window connected to a played board that has identified itself and
// whose one file, index.php, is open in the editor.
class PlayedBoard {
public:
    explicit PlayedBoard(const char* folder) : dlg(port) {
        PrepareFirstStart(folder);
        const std::string backups = TempFolder((std::string(folder) + "_backup").c_str());
        ::WritePrivateProfileStringA("Preference", "BackupPath", backups.c_str(), CIniFile::Path());
        shown = ShowMainWindow(dlg);
    }
    ~PlayedBoard() { CloseMainWindow(dlg); }
    CLinkSession& Session() { return dlg.Link().Session(); }
    void Feed(const std::vector<uint8_t>& bytes) {
        port.input.append(bytes.begin(), bytes.end());
        Session().OnSerialEvent(ILinkPort::kEvRxChar);
    }
    void SyncAnswer() { Feed({static_cast<uint8_t>((Session().GetSyncByte() - 0x20) ^ 0x3F)}); }
    FileEntry* Identify() {
        // A port opened again for a board's return is answered as it stands.
        if (!shown || (!Session().IsConnected() && !Session().Connect("COM7"))) return nullptr;
        PlayIdentification(dlg, port);
        FileEntry* entry = dlg.Link().Files().Entries().Find("index.php");
        if (!entry || dlg.SendMessage(WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(entry), 0) != 1) return nullptr;
        return entry;
    }
    // Whether a frame of this group and command went out.
    bool Sent(uint8_t group, uint8_t command) const {
        for (const auto& w : port.writes)
            if (w.size() >= 6 && w[0] == 0x50 && w[4] == group && w[5] == command) return true;
        return false;
    }
    FakePort port;
    QueuedAnswersWindow dlg;
    bool shown = false;
};

}  // namespace

// An upload replaces the script under the board's task: unless the board last
// reported it stopped, the user is asked first, also after an edit has turned
// the debugger buttons off; Yes stops the task before anything else goes out,
// No sends nothing.
TEST(MainWindowUpload, OnlyATaskKnownToBeStoppedIsUploadedOverWithoutAsking) {
    PlayedBoard b("zarvod_upload_test");
    FileEntry* entry = b.Identify();
    ASSERT_TRUE(entry);
    QueuedAnswersWindow& dlg = b.dlg;
    FakePort& port = b.port;
    CLinkSession& s = b.Session();
    auto feed = [&](const std::vector<uint8_t>& bytes) { b.Feed(bytes); };

    const std::string running = "It is running.\r\nDo you want to save this file to the product?";
    const std::string debugging = "Debugging implementing.\r\nDo you want to save this file to the product?";
    const std::vector<uint8_t> stop = Hex("00 14 02 21 00 10 00 02 00 04 00 00 00 01 00 02 00 04 00 00 00 01");
    const struct {
        const char* what;
        int state;  // as the board reports it
        int answer;
        std::vector<std::string> asked;
        bool uploads;
        bool endsWhileAsked = false;  // the board reports the task stopped meanwhile
    } cases[] = {
        {"stopped", 1, 0, {}, true},
        {"paused, Yes", 2, IDYES, {debugging}, true},
        {"paused, No", 2, IDNO, {debugging}, false},
        {"running, Yes", 3, IDYES, {running}, true},
        {"never reported, Yes", 0, IDYES, {debugging}, true},
        {"running, ends while asked, Yes", 3, IDYES, {running}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        feed(Reply(1, 0x51, ItemInt(0) + ItemInt(c.state)));
        // The user types: the entry is changed, the debugger buttons go off.
        dlg.SendMessage(WM_USER_DOC_MODIFIED, 0, 0);
        ASSERT_EQ(entry->state, FileEntry::kChanged);
        ASSERT_FALSE(::IsWindowEnabled(dlg.GetDlgItem(CZarvoDDlg::kStepIn)));
        ASSERT_TRUE(::IsWindowEnabled(dlg.GetDlgItem(CZarvoDDlg::kUpload)));
        port.writes.clear();
        dlg.said.clear();
        dlg.answers = {c.answer};
        if (c.endsWhileAsked) dlg.meanwhile = [&] { feed(Reply(1, 0x51, ItemInt(0) + ItemInt(1))); };
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(CZarvoDDlg::kUpload, BN_CLICKED),
                        reinterpret_cast<LPARAM>(dlg.GetDlgItem(CZarvoDDlg::kUpload)));
        dlg.meanwhile = nullptr;
        EXPECT_EQ(dlg.said, c.asked);
        const bool stopped = port.writes.size() == 1 && port.writes[0].size() == 24 &&
                             std::vector<uint8_t>(port.writes[0].begin() + 2, port.writes[0].end()) == stop;
        EXPECT_EQ(stopped, !c.asked.empty() && c.uploads && !c.endsWhileAsked) << port.writes.size() << " frames written";
        if (c.asked.empty() || !c.uploads || c.endsWhileAsked) {
            EXPECT_TRUE(port.writes.empty());
        }
        EXPECT_EQ(s.IsJobRunning(), c.uploads);
        // The wait box's start notice never comes: the job ends here.
        s.CloseJob();
        dlg.Link().Files().SetUploadStarted(false);
    }
}


// While the port is open but the board has not answered (a connect, or its
// return after a restart awaited) only Disconnect acts: buttons, keys and
// menu commands that would talk to the board send nothing. Once identified,
// they act again.
TEST(MainWindowAwaitedReturn, OnlyDisconnectActsUntilTheBoardIsIdentified) {
    PlayedBoard b("zarvod_awaited_return_test");
    ASSERT_TRUE(b.Identify());
    b.Feed(Reply(1, 0x51, ItemInt(0) + ItemInt(2)));  // paused: Upload would ask
    QueuedAnswersWindow& dlg = b.dlg;
    auto enabled = [&](int id) { return ::IsWindowEnabled(dlg.GetDlgItem(id)) != FALSE; };
    ASSERT_TRUE(enabled(CZarvoDDlg::kSettings));
    // The board restarts on purpose and its port opens again: the sync byte goes out.
    b.Session().CloseForReturn();
    ASSERT_TRUE(b.Session().Connect("COM7"));
    EXPECT_TRUE(enabled(CZarvoDDlg::kDisconnect));
    for (int id : {CZarvoDDlg::kSettings, CZarvoDDlg::kUpload, CZarvoDDlg::kRun, CZarvoDDlg::kStepIn})
        EXPECT_FALSE(enabled(id)) << id;
    BYTE keys[256] = {};
    auto press = [&](WPARAM key, bool ctrl) {
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        ::SetKeyboardState(keys);
        MSG msg{dlg.GetDlgItem(CZarvoDDlg::kEditor), WM_KEYDOWN, key, 0, 0, {0, 0}};
        dlg.PreTranslateMessage(&msg);
        keys[VK_CONTROL] = 0;
        ::SetKeyboardState(keys);
    };
    dlg.answers = {IDYES, IDYES, IDYES};
    dlg.said.clear();
    b.port.writes.clear();
    for (int id : {CZarvoDDlg::kSettings, CZarvoDDlg::kUpload})
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dlg.GetDlgItem(id)));
    press('S', true);
    press(VK_F5, false);
    press(VK_F9, false);
    for (UINT id : {ID_FUNC_PRODUCT_INFO, ID_FUNC_NETWORK_INFO, ID_FUNC_PHP_ERROR_LOG, ID_FUNC_REBOOT,
                    ID_FUNC_UPGRADE_FIRMWARE, ID_FUNC_FW_DEBUG_MODE})
        dlg.SendMessage(WM_COMMAND, id, 0);
    Pump(0);
    EXPECT_EQ(dlg.said, std::vector<std::string>{});
    for (const auto& w : b.port.writes)
        EXPECT_NE(w.size() > 0 ? w[0] : 0, 0x50) << "a frame went to a board that has not answered";
    EXPECT_FALSE(b.Session().IsJobRunning());
    // It answers and is identified: known again.
    ASSERT_TRUE(b.Identify());
    EXPECT_TRUE(enabled(CZarvoDDlg::kSettings));
    EXPECT_TRUE(enabled(CZarvoDDlg::kUpload));
}

// A settings write asks about the task the board last reported, as an upload
// does: an edit turns the debugger buttons off but leaves a paused or running
// task where it was. No writes nothing.
TEST(MainWindowSettings, AWriteAsksAboutATaskTheBoardReportedPausedOrRunningAfterAnEdit) {
    PlayedBoard b("zarvod_settings_write_test");
    ASSERT_TRUE(b.Identify());
    const std::string running = "It is running.\r\nDo you want to save this file to the product?";
    const std::string debugging = "Debugging implementing.\r\nDo you want to save this file to the product?";
    const std::vector<uint8_t> block =
        Block({RecordBytes(3, 0, {10, 0, 0, 1}), std::vector<uint8_t>{0xFF, 0, 0, 0}});
    const struct {
        const char* what;
        int state;  // as the board reports it
        std::vector<std::string> asked;
        bool written;
    } cases[] = {
        {"paused", 2, {debugging}, false},
        {"running", 3, {running}, false},
        {"stopped", 1, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        b.Feed(Reply(1, 0x51, ItemInt(0) + ItemInt(c.state)));
        b.dlg.SendMessage(WM_USER_DOC_MODIFIED, 0, 0);
        ASSERT_EQ(b.dlg.TaskState(), 0);
        b.dlg.SendMessage(WM_COMMAND, MAKEWPARAM(CZarvoDDlg::kSettings, BN_CLICKED),
                          reinterpret_cast<LPARAM>(b.dlg.GetDlgItem(CZarvoDDlg::kSettings)));
        b.Feed(LinkFrame::DataChunk(0, block.data(), block.size()) +
               Reply(3, 0x21, ItemInt(static_cast<int32_t>(block.size()))));
        LRESULT answer = -1;
        bool closed = false;
        OnDialog(IDD_SETTING, [&](CDialog* settings) {
            b.Feed(Reply(3, 0x24, ItemInt(16), true));  // the dialog's certificate read: none
            b.port.writes.clear();
            b.dlg.said.clear();
            b.dlg.answers = {IDNO};
            answer = b.dlg.SendMessage(WM_USER_WRITE_SETTINGS, reinterpret_cast<WPARAM>(static_cast<CWnd*>(settings)), 0);
            settings->EndDialog(IDCANCEL);
            closed = true;
        });
        Await("the settings dialog to close", [&] { return closed && !Showing(IDD_SETTING); });
        EXPECT_EQ(b.dlg.said, c.asked);
        EXPECT_EQ(answer, c.written ? 1 : 0);
        EXPECT_EQ(b.Sent(4, 0x21), c.written);
        if (::testing::Test::HasFailure()) break;  // a write left running refuses the next row's read
    }
}

// Entering the initialisation mode tells the board to wipe and restart
// itself: the connection ends there, without the unsaved-files question whose
// No would keep a board that answers nothing. The changed file stays listed.
TEST(MainWindowPreferences, InitializationModeWhileConnectedEndsTheConnectionWithoutAsking) {
    PlayedBoard b("zarvod_init_mode_test");
    FileEntry* entry = b.Identify();
    ASSERT_TRUE(entry);
    b.dlg.SendMessage(WM_USER_DOC_MODIFIED, 0, 0);
    ASSERT_EQ(entry->state, FileEntry::kChanged);
    b.port.writes.clear();
    b.dlg.said.clear();
    b.dlg.answers = {IDYES, IDNO};
    ChooseInitializationMode(b.dlg);
    ASSERT_EQ(b.dlg.said.size(), 1u);
    EXPECT_EQ(b.dlg.said[0].substr(0, 9), "Warning :");
    ASSERT_EQ(b.port.writes.size(), 1u);
    EXPECT_EQ(std::vector<uint8_t>(b.port.writes[0].begin() + 2, b.port.writes[0].end()),
              Hex("00 0C 05 25 00 08 00 02 00 04 00 00 00 C8"));
    EXPECT_FALSE(b.Session().IsConnected());
    ASSERT_EQ(b.dlg.Link().Files().Entries().Find("index.php"), entry);
    EXPECT_EQ(entry->state, FileEntry::kChanged);
}

// The initialisation mode is decided on the state after the warning's Yes:
// while a job runs (or the link changed during the question) nothing is sent
// and the user is told so; a job that ended meanwhile no longer stands in the way.
TEST(MainWindowPreferences, InitializationModeRefusedAloudWhileTheBoardIsBusy) {
    const std::string notNow =
        "The product did not go into initialization mode:\r\nit is busy with another job, or its connection "
        "changed meanwhile.\r\nNothing was deleted. Apply it again when the job has ended.";
    const std::vector<uint8_t> reset = Hex("00 0C 05 25 00 08 00 02 00 04 00 00 00 C8");
    struct Row {
        const char* what;
        bool readBefore;  // a settings read sent, not answered, when Apply is pressed
        void (*meanwhile)(PlayedBoard&);
        bool resets, connectedAfter;
    } rows[] = {
        {"a settings read not answered", true, nullptr, false, true},
        {"the read fails while asked", true, [](PlayedBoard& b) { b.Feed(Reply(3, 0x21, ItemInt(5))); }, true, false},
        {"a read starts while asked", false, [](PlayedBoard& b) { b.dlg.OnSettingsButton(); }, false, true},
        {"the link ends while asked", false, [](PlayedBoard& b) { b.Session().Disconnect(false); }, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PlayedBoard b("zarvod_init_busy_test");
        ASSERT_TRUE(b.Identify());
        if (row.readBefore) b.dlg.OnSettingsButton();
        ASSERT_EQ(b.Sent(3, 0x21), row.readBefore);
        b.port.writes.clear();
        b.dlg.said.clear();
        b.dlg.answers = {IDYES};
        if (row.meanwhile) b.dlg.meanwhile = [&b, &row] { row.meanwhile(b); };
        ChooseInitializationMode(b.dlg);
        ASSERT_GE(b.dlg.said.size(), 1u);
        EXPECT_EQ(b.dlg.said[0].substr(0, 9), "Warning :");
        bool resetSent = false;
        for (const auto& w : b.port.writes)
            resetSent |= std::vector<uint8_t>(w.begin() + 2, w.end()) == reset;
        EXPECT_EQ(resetSent, row.resets);
        EXPECT_EQ(b.dlg.said.back() == notNow, !row.resets) << b.dlg.said.back();
        EXPECT_EQ(b.Session().IsConnected(), row.connectedAfter);
    }
}

// A wait box that ends before its job (cancelled, or closed from outside)
// while the board is connected ends the job with the connection, without the
// unsaved-files question: its No would leave a job running that nothing shows
// and nothing ends. The changed file stays listed.
TEST(MainWindowWaitBox, ACancelledBoxWhileConnectedEndsTheConnectionWithoutAsking) {
    PlayedBoard b("zarvod_wait_cancel_test");
    ASSERT_TRUE(b.shown);
    FileEntry& entry = AddEntry(b.dlg, "edited.php", "<?php ?>", FileEntry::kChanged);
    b.dlg.answers = {IDNO};
    bool cancelled = false;
    OnDialog(IDD_PROGRESS, [&](CDialog* box) {
        box->EndDialog(IDCANCEL);
        cancelled = true;
    });
    ASSERT_TRUE(b.Session().Connect("COM7"));
    b.SyncAnswer();  // the identification's wait box opens
    Await("the wait box to be cancelled", [&] { return cancelled && !Showing(IDD_PROGRESS); });
    EXPECT_EQ(b.dlg.said, std::vector<std::string>{});
    EXPECT_FALSE(b.Session().IsConnected());
    EXPECT_FALSE(b.Session().IsJobRunning());
    EXPECT_EQ(Showing(IDD_PROGRESS), nullptr);
    ASSERT_EQ(b.dlg.Link().Files().Entries().Find("edited.php"), &entry);
    EXPECT_EQ(entry.state, FileEntry::kChanged);
}

namespace {

BOOL CALLBACK FindShownEdit(HWND w, LPARAM p) {
    char cls[16] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    if (::IsWindowVisible(w) && lstrcmpiA(cls, "Edit") == 0) {
        *reinterpret_cast<HWND*>(p) = w;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

// Tab and Shift+Tab go round the window as it reads, over the controls that
// are on: the buttons, the file list, the debugger buttons, the editor (which
// keeps Tab: it indents), the bottom pane's log and watch list, the port list.
TEST_F(MainWindowFocus, TabAndShiftTabGoRoundTheWindow) {
    auto item = [this](int id) { return dlg.GetDlgItem(id); };
    HWND bottom = item(CZarvoDDlg::kBottom);
    HWND log = nullptr;
    ::EnumChildWindows(::GetDlgItem(bottom, IDC_BOTTOM_LOG_TABS), FindShownEdit, reinterpret_cast<LPARAM>(&log));
    HWND watches = ::GetDlgItem(::GetDlgItem(bottom, IDC_BOTTOM_WATCH_TABS), IDC_WATCH_LIST);
    ASSERT_TRUE(log && watches);
    auto tab = [](bool shift) {
        SetKey(VK_SHIFT, shift);
        MSG key{::GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
        CWinApp::PumpMessage(key);
        SetKey(VK_SHIFT, false);
        return ::GetFocus();
    };
    ASSERT_TRUE(dlg.Link().Session().Connect("COM7"));
    PlayIdentification(dlg, port);
    dlg.UpdateButtonStates(1);  // a stopped task: Run, Step In and Step Over are on
    const HWND editor = item(CZarvoDDlg::kEditor), files = item(CZarvoDDlg::kFileList);
    const struct {
        const char* name;
        HWND from;
        bool shift;
        std::vector<HWND> then;
    } walks[] = {
        {"forward", item(CZarvoDDlg::kDisconnect), false,
         {item(CZarvoDDlg::kSettings), item(CZarvoDDlg::kUpload), files, item(CZarvoDDlg::kRun),
          item(CZarvoDDlg::kStepIn), item(CZarvoDDlg::kStepOver), editor, editor}},
        {"backward", item(CZarvoDDlg::kDisconnect), true, {watches, log, editor, editor}},
        {"round", watches, false, {item(CZarvoDDlg::kDisconnect)}},
        {"back from the file list", files, true, {item(CZarvoDDlg::kUpload)}},
    };
    for (const auto& w : walks) {
        ::SetFocus(w.from);
        ASSERT_EQ(::GetFocus(), w.from) << w.name;
        for (size_t i = 0; i < w.then.size(); ++i) EXPECT_EQ(tab(w.shift), w.then[i]) << w.name << " step " << i;
    }
    // Disconnected: the port list and Connect are on, the board's buttons off.
    dlg.Link().Session().Disconnect();
    dlg.UpdateCommandStates();
    ::SetFocus(item(CZarvoDDlg::kPortCombo));
    EXPECT_EQ(tab(false), item(CZarvoDDlg::kConnect));
    EXPECT_EQ(tab(false), files);
    EXPECT_EQ(tab(true), item(CZarvoDDlg::kConnect));
    EXPECT_EQ(tab(true), item(CZarvoDDlg::kPortCombo));
    EXPECT_EQ(tab(true), watches);
}
