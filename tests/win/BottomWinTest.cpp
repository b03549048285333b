// The bottom pane, its log panes, watch list and dialogs as real windows over
// a recording parent.
#include "WinTestSupport.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"
#include "ui/boxes/DlgMessage.h"
#include "workbench/bottom/DlgViewLog.h"
#include "workbench/bottom/DlgWatchDetail.h"
#include "workbench/bottom/IniProfile.h"
#include "workbench/bottom/WndBottom.h"
#include "workbench/bottom/WndLog.h"
#include "ui/kit/SkinListCtrl.h"
#include "ui/kit/Splitter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>


namespace {

std::string Cell(CSkinListCtrl* list, int row, int col) { return list->GetItemText(row, col).str(); }

void Select(CSkinListCtrl* list, std::initializer_list<int> rows) {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    list->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    for (int r : rows) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        list->SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&item));
    }
}

// The log windows in the tab control (it has children of its own), in sibling order.
std::vector<HWND> LogWindows(HWND tabs) {
    std::vector<HWND> v;
    for (HWND w = ::GetWindow(tabs, GW_CHILD); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
        char name[16] = {};
        ::GetClassNameA(::GetWindow(w, GW_CHILD), name, sizeof name);
        if (_stricmp(name, "Edit") == 0) v.push_back(w);
    }
    return v;
}

// Runs the loop until the log's timer has shown what it queued.
void AwaitFlush(CWndLog* log) {
    Await("a log's flush", [log] { return log->Pending().empty(); });
}

void TypeAndOk(CDialog* box, const char* text) {
    box->SetDlgItemText(IDC_WATCH_NAME, text);
    Click(box, IDOK);
}

class BottomWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResources::SetLanguage(CResources::kEnglish);
        folder = TempFolder("zarvod_bottom_test");
        ::DeleteFileA((folder + "\\Init.ini").c_str());
        CIniProfile::SetFolderForTests(folder.c_str());
        ASSERT_TRUE(parent.Create(900, 320));
    }
    void TearDown() override {
        if (pane.m_hWnd) pane.DestroyWindow();
        CIniProfile::SetFolderForTests("");
    }
    void MakePane() {
        const CRect client = parent.GetClientRect();
        ASSERT_TRUE(pane.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, client, parent.m_hWnd, 5));
        pane.SendMessage(WM_SIZE, 0, 0);
        Pump(30);
    }
    int WatchNextStarts() const {
        int n = 0;
        for (const auto& r : parent.records) n += r.message == WM_USER_WATCH_NEXT && r.wParam == 0 && r.lParam == 1;
        return n;
    }
    void AddRows(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            OnDialog(IDD_ADD_WATCH, [n](CDialog* box) { TypeAndOk(box, n); });
            pane.SendMessage(WM_COMMAND, ID_WATCH_ADD);
        }
    }

    std::string folder;
    CRecorder parent;
    CWndBottom pane;
};

}  // namespace

TEST_F(BottomWinTest, LogsQueueUntilTheTickAndTheDebuggerLogJoinsItsLines) {
    MakePane();
    HWND output = pane.OutputPane()->Edit().m_hWnd;
    HWND debugger = pane.DebuggerPane()->Edit().m_hWnd;
    // Small texts within one tick come together, in order, with no breaks added.
    for (const char* t : {"a", "b", "c\r\n"}) pane.AddOutput(t, strlen(t));
    pane.AddFirmwareLog("fw", 2);
    EXPECT_EQ(WindowText(output), "");
    // Each queued log shows its queue at the next tick of its 50-ms timer.
    for (CWndLog* log : {pane.OutputPane(), pane.FirmwarePane()}) {
        EXPECT_EQ(TimerPeriod(log->m_hWnd, CWndLog::kFlushTimer), 50u);
        AwaitFlush(log);
    }
    EXPECT_EQ(WindowText(output), "abc\r\n");
    EXPECT_EQ(WindowText(pane.FirmwarePane()->Edit().m_hWnd), "fw");
    // The debugger log takes lines at once, hidden or not, without their breaks, and stays bounded.
    pane.AddDebuggerLog("get id\r\n mcu");
    pane.AddDebuggerLog("");
    pane.AddDebuggerLog("second");
    EXPECT_EQ(WindowText(debugger), "get id mcu\r\nsecond");
    for (int i = 0; i < 2000; ++i) pane.AddDebuggerLog(("trace " + std::to_string(i)).c_str());
    const std::string shown = WindowText(debugger);
    EXPECT_LE(shown.size(), 8192u);
    EXPECT_EQ(shown.substr(shown.size() - 10), "trace 1999");
}

// The hidden logs' windows are made when first needed; made in any order,
// sized after any layout, they are where and what they were when made at start.
TEST_F(BottomWinTest, HiddenLogsMadeOnFirstUseTakeTheirPlaceTextAndFont) {
    MakePane();
    HWND tabs = pane.LogTabs()->m_hWnd;
    auto panes = [tabs] { return LogWindows(tabs); };
    auto rect = [](HWND w) {
        RECT r{};
        ::GetWindowRect(w, &r);
        return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
    };
    auto choose = [&](int tab) {
        pane.LogTabs()->SetCurSel(tab);
        NMHDR hdr{tabs, IDC_BOTTOM_LOG_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        pane.SendMessage(WM_NOTIFY, IDC_BOTTOM_LOG_TABS, reinterpret_cast<LPARAM>(&hdr));
    };
    EXPECT_EQ(panes().size(), 1u);  // the output log only
    LOGFONTA font{};
    font.lfHeight = -17;
    strcpy(font.lfFaceName, "Arial");
    pane.SetLogFont(font);
    // The layout changes before either hidden log exists.
    pane.MoveWindow(0, 0, 700, 250);
    pane.SendMessage(WM_SIZE, 0, 0);

    // The firmware log's first text comes before the debugger log's first line.
    pane.AddFirmwareLog("boot 1\r\n", 8);
    EXPECT_EQ(panes().size(), 2u);
    pane.AddDebuggerLog("get id");
    AwaitFlush(pane.FirmwarePane());
    HWND output = pane.OutputPane()->m_hWnd;
    const std::vector<HWND> made = panes();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made, (std::vector<HWND>{output, pane.DebuggerPane()->m_hWnd, pane.FirmwarePane()->m_hWnd}));
    HWND firmware = pane.FirmwarePane()->Edit().m_hWnd;
    EXPECT_EQ(WindowText(firmware), "boot 1\r\n");
    EXPECT_EQ(WindowText(pane.DebuggerPane()->Edit().m_hWnd), "get id");
    for (HWND w : {made[1], made[2]}) {
        EXPECT_EQ(rect(w), rect(output));
        EXPECT_FALSE(::IsWindowVisible(w));
        LOGFONTA used{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(::GetWindow(w, GW_CHILD), WM_GETFONT, 0, 0)), sizeof used,
                     &used);
        EXPECT_EQ(used.lfHeight, -17);
    }

    // Its tab shows it, and a later layout moves it with the others.
    choose(1);
    EXPECT_TRUE(::IsWindowVisible(made[2]) && !::IsWindowVisible(output));
    pane.MoveWindow(0, 0, 800, 300);
    pane.SendMessage(WM_SIZE, 0, 0);
    EXPECT_EQ(rect(made[2]), rect(output));
    choose(0);
    EXPECT_TRUE(::IsWindowVisible(output) && !::IsWindowVisible(made[2]));
}

// A log tab chosen before its log had any text makes it, shown and sized.
TEST_F(BottomWinTest, AHiddenLogsTabChosenFirstShowsItsEmptyLog) {
    MakePane();
    HWND tabs = pane.LogTabs()->m_hWnd;
    pane.LogTabs()->SetCurSel(1);
    NMHDR hdr{tabs, IDC_BOTTOM_LOG_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    pane.SendMessage(WM_NOTIFY, IDC_BOTTOM_LOG_TABS, reinterpret_cast<LPARAM>(&hdr));
    const std::vector<HWND> made = LogWindows(tabs);
    ASSERT_EQ(made.size(), 2u);
    HWND firmware = made[1];
    EXPECT_TRUE(::IsWindowVisible(firmware));
    RECT r{};
    ::GetClientRect(firmware, &r);
    EXPECT_GT(r.right, 100);
    EXPECT_GT(r.bottom, 100);
    EXPECT_EQ(WindowText(::GetWindow(firmware, GW_CHILD)), "");
    pane.AddFirmwareLog("late", 4);
    AwaitFlush(pane.FirmwarePane());
    EXPECT_EQ(WindowText(::GetWindow(firmware, GW_CHILD)), "late");
}

TEST_F(BottomWinTest, WithAutoScrollOffTheSelectionStaysOnItsText) {
    MakePane();
    pane.SetAutoScroll(false);
    CWndLog* log = pane.OutputPane();
    std::string text;
    for (int i = 0; text.size() < 7000; ++i) text += "row " + std::to_string(i) + "\r\n";
    pane.AddOutput(text.data(), text.size());
    log->Flush();
    const size_t at = text.find("row 600\r\n");
    log->Edit().SetSel(static_cast<int>(at), static_cast<int>(at + 7));
    const std::string more(3000, 'm');
    pane.AddOutput(more.data(), more.size());
    log->Flush();  // trims the front
    DWORD start = 0, end = 0;
    log->Edit().SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::string shown = WindowText(log->Edit().m_hWnd);
    ASSERT_LT(shown.size(), text.size());
    ASSERT_LE(end, shown.size());
    EXPECT_EQ(shown.substr(start, end - start), "row 600");
    EXPECT_EQ(shown.substr(shown.size() - 3), "mmm");
}

TEST_F(BottomWinTest, LogCommandsAndCtrlC) {
    MakePane();
    CEditLog& edit = pane.OutputPane()->Edit();
    EXPECT_FALSE(edit.CanCopy() || edit.CanDeleteAll());
    EXPECT_NE(edit.m_autoScroll, 0);

    pane.AddOutput("copy me", 7);
    pane.OutputPane()->Flush();
    edit.SetSel(0, 4);
    edit.SendMessage(WM_COMMAND, ID_LOG_AUTO_SCROLL);
    EXPECT_EQ(edit.m_autoScroll, 0);
    EXPECT_TRUE(edit.CanCopy() && edit.CanDeleteAll());

    // Ctrl+C in the pane copies its edit's selection.
    ASSERT_TRUE(::OpenClipboard(parent.m_hWnd));
    ::EmptyClipboard();
    ::CloseClipboard();
    SetKey(VK_CONTROL, true);
    PostKey(edit.m_hWnd, 'C');
    Pump(50);
    SetKey(VK_CONTROL, false);
    std::string copied;
    if (::OpenClipboard(parent.m_hWnd)) {
        if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
            copied = static_cast<const char*>(::GlobalLock(h));
            ::GlobalUnlock(h);
        }
        ::CloseClipboard();
    }
    EXPECT_EQ(copied, "copy");

    edit.SendMessage(WM_COMMAND, ID_LOG_DELETE_ALL);
    EXPECT_EQ(WindowText(edit.m_hWnd), "");
}

TEST_F(BottomWinTest, TheSplitterStopsShortOfEitherEnd) {
    MakePane();
    // Unplaced, the bar leaves the watch list its columns and its scroll bar.
    const int width = pane.GetClientRect().Width();
    EXPECT_EQ(width - pane.GetSplitPos() - 12 - 4 - ::GetSystemMetrics(SM_CXVSCROLL), 120 + 80 + 240);
    for (int dragTo : {20, width - 10}) {
        ::SendMessageA(pane.Splitter()->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
        const int x = dragTo - pane.GetSplitPos();
        ::SendMessageA(pane.Splitter()->m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 10));
        ::SendMessageA(pane.Splitter()->m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, 10));
        EXPECT_EQ(pane.GetSplitPos(), dragTo < 195 ? 195 : width - 195);
        EXPECT_EQ(pane.Splitter()->GetRectInParent().left, pane.GetSplitPos());
    }
}

TEST_F(BottomWinTest, AddModifyDeleteAndLateAnswers) {
    MakePane();
    CSkinListCtrl* list = pane.WatchListCtrl();
    // "$" alone and blanks keep the box open; a bare name gets its "$".
    OnDialog(IDD_ADD_WATCH, [](CDialog* box) {
        TypeAndOk(box, "$");
        EXPECT_TRUE(box->IsWindowVisible());
        TypeAndOk(box, "  count ");
    });
    pane.SendMessage(WM_COMMAND, ID_WATCH_ADD);
    ASSERT_EQ(pane.GetWatchCount(), 1);
    EXPECT_EQ(Cell(list, 0, 0), "$count");
    EXPECT_EQ(WatchNextStarts(), 1);  // values read from row 0
    AddRows({"$b", "$s", "$d"});
    Select(list, {0});
    pane.SendMessage(WM_COMMAND, ID_WATCH_DELETE);
    ASSERT_EQ(pane.GetWatchCount(), 3);
    for (int row = 0; row < 3; ++row) {
        pane.GetWatchName(row);
        pane.SetWatchValue(row, "STR[1]", "v", "76");
    }

    // Modify: the row is found again after rows in front of it went while the box was open.
    Select(list, {2});  // "$d"
    OnDialog(IDD_ADD_WATCH, [&](CDialog* box) {
        EXPECT_EQ(box->GetDlgItemText(IDC_WATCH_NAME), "$d");
        Select(list, {0});
        pane.SendMessage(WM_COMMAND, ID_WATCH_DELETE);  // "$b" goes meanwhile
        TypeAndOk(box, "$e");
    });
    const int before = WatchNextStarts();
    pane.SendMessage(WM_COMMAND, ID_WATCH_MODIFY);
    ASSERT_EQ(pane.GetWatchCount(), 2);
    EXPECT_EQ(Cell(list, 1, 0), "$e");
    EXPECT_EQ(Cell(list, 1, 1), "");
    EXPECT_EQ(Cell(list, 0, 0), "$s");
    EXPECT_EQ(WatchNextStarts(), before + 1);

    // Two selected rows go with the Delete key, their values with them.
    AddRows({"$f"});
    Select(list, {0, 2});
    list->SetFocus();
    PostKey(list->m_hWnd, VK_DELETE);
    Pump(50);
    ASSERT_EQ(pane.GetWatchCount(), 1);
    EXPECT_EQ(Cell(list, 0, 0), "$e");
    EXPECT_EQ(pane.GetWatchFullValue(0).str(), "");

    pane.SendMessage(WM_COMMAND, ID_WATCH_DELETE_ALL);
    EXPECT_EQ(pane.GetWatchCount(), 0);
    const int starts = WatchNextStarts();
    pane.SendMessage(WM_COMMAND, ID_WATCH_REFRESH);  // an empty list asks for nothing
    EXPECT_EQ(WatchNextStarts(), starts);
}

TEST(BottomDialogsWinTest, LongTextsShowWhole) {
    CRecorder parent;
    ASSERT_TRUE(parent.Create());
    CDlgWatchDetail dlg(parent.m_hWnd);
    dlg.m_fullValue = std::string(20000, '7').c_str();  // 10,000 bytes
    std::string dump;
    LRESULT lines = 0, top = -1;
    DWORD from = 1, to = 1;
    OnShown(dlg, [&] {
             const HWND edit = dlg.GetDlgItem(IDC_WATCH_DUMP);
             dump = WindowText(edit);
             lines = ::SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
             top = ::SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
             ::SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
             dlg.EndDialog(IDOK);
         });
    dlg.DoModal();
    EXPECT_EQ(dump.size(), 625u * 80u);
    EXPECT_EQ(dump.substr(dump.size() - 80, 8), "00002700");
    // Shown from its start, nothing selected, one display line per dump line.
    EXPECT_EQ(lines, 626);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 0u);

    // The error log viewer shows a text past the edit's default limit whole.
    CDlgViewLog log(parent.m_hWnd);
    log.m_text = std::string(40000, 'e').c_str();
    size_t shown = 0;
    OnShown(log, [&] {
             shown = WindowText(log.GetDlgItem(IDC_VIEW_LOG_TEXT)).size();
             log.EndDialog(IDOK);
         });
    log.DoModal();
    EXPECT_EQ(shown, 40000u);
}

TEST_F(BottomWinTest, HostileColumnWidthsInInitIniAreBoundedToThePane) {
    const std::string ini = folder + "\\Init.ini";
    struct Row {
        const char* name;
        const char* type;
        const char* value;
    } rows[] = {
        {"120", "999999999", "0"},  // a 4000-pixel column and a hidden one
        {"-1", "3", "5000"},
    };
    for (const Row& r : rows) {
        ::WritePrivateProfileStringA("Watch", "Count", "1", ini.c_str());
        ::WritePrivateProfileStringA("Watch", "Name", r.name, ini.c_str());
        ::WritePrivateProfileStringA("Watch", "Type", r.type, ini.c_str());
        ::WritePrivateProfileStringA("Watch", "Value", r.value, ini.c_str());
        ::WritePrivateProfileStringA("List000", "Name", "$a", ini.c_str());
        MakePane();
        CSkinListCtrl* list = pane.WatchListCtrl();
        const int room = list->GetClientRect().Width();
        int total = 0;
        for (int c = 0; c < 3; ++c) {
            const int w = static_cast<int>(list->SendMessage(LVM_GETCOLUMNWIDTH, c));
            EXPECT_GE(w, 20) << "column " << c << " of " << r.type;
            EXPECT_LE(w, room) << "column " << c << " of " << r.type;
            total += w;
        }
        pane.DestroyWindow();  // writes the widths back
        for (const char* key : {"Name", "Type", "Value"}) {
            const int stored = static_cast<int>(::GetPrivateProfileIntA("Watch", key, -1, ini.c_str()));
            EXPECT_GE(stored, 20) << key;
            EXPECT_LE(stored, room) << key;
        }
        EXPECT_GT(total, 0);
    }
}

// Made at its size, the pane puts its children where a later size would:
// the same places and the same bounded column widths, for widths a user left
// in Init.ini and for hostile ones.
TEST_F(BottomWinTest, MadeAtItsSizeThePaneLaysOutAsALaterSizeWould) {
    const std::string ini = folder + "\\Init.ini";
    struct Shot {
        CRect logTabs, watchTabs, output, list, splitter;
        int widths[3];
    };
    auto shoot = [&] {
        Shot s{};
        s.logTabs = pane.LogTabs()->GetRectInParent();
        s.watchTabs = pane.WatchTabs()->GetRectInParent();
        s.output = pane.OutputPane()->GetRectInParent();
        s.list = pane.WatchListCtrl()->GetRectInParent();
        s.splitter = pane.Splitter()->GetRectInParent();
        for (int c = 0; c < 3; ++c)
            s.widths[c] = static_cast<int>(pane.WatchListCtrl()->SendMessage(LVM_GETCOLUMNWIDTH, c));
        return s;
    };
    const CRect client = parent.GetClientRect();
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    for (const char* type : {"95", "999999999"}) {
        Shot shots[2];
        for (int way = 0; way < 2; ++way) {
            ::WritePrivateProfileStringA("Watch", "Type", type, ini.c_str());
            ASSERT_TRUE(pane.Create(style, way == 0 ? client : CRect(), parent.m_hWnd, 5));
            if (way == 1) pane.MoveWindow(client.left, client.top, client.Width(), client.Height());
            Pump(10);
            shots[way] = shoot();
            pane.DestroyWindow();
        }
        const Shot& made = shots[0];
        const Shot& sized = shots[1];
        EXPECT_EQ(made.logTabs, sized.logTabs) << type;
        EXPECT_EQ(made.watchTabs, sized.watchTabs) << type;
        EXPECT_EQ(made.output, sized.output) << type;
        EXPECT_EQ(made.list, sized.list) << type;
        EXPECT_EQ(made.splitter, sized.splitter) << type;
        for (int c = 0; c < 3; ++c) EXPECT_EQ(made.widths[c], sized.widths[c]) << type << " column " << c;
        EXPECT_GT(made.list.Width(), 0) << type;
    }
}

// The refusal's message box runs a loop: the Add box may go meanwhile (its
// owner closed). Nothing is added and nothing touches the gone box.
TEST_F(BottomWinTest, TheAddBoxMayCloseUnderItsTooLongMessage) {
    MakePane();
    std::string told;
    OnDialog(IDD_ADD_WATCH, [&](CDialog* box) {
        box->SetDlgItemText(IDC_WATCH_NAME, ("$" + std::string(300, 'n')).c_str());
        OnDialog(IDD_MESSAGE, [&, box](CDialog* message) {
            told = static_cast<CDlgMessage*>(message)->m_text.str();
            box->DestroyWindow();  // takes its owned message box with it
        });
        Click(box, IDOK);
    });
    pane.SendMessage(WM_COMMAND, ID_WATCH_ADD);
    Pump(50);
    EXPECT_EQ(told.substr(0, 30), "The variable name is too long.");
    EXPECT_EQ(pane.GetWatchCount(), 0);
    EXPECT_EQ(Showing(IDD_ADD_WATCH), nullptr);
    EXPECT_EQ(Showing(IDD_MESSAGE), nullptr);
}
