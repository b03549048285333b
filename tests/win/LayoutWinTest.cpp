// The layout of every dialog template and of the main window, in the language
// of the run's code page (English, or Korean under code page 949): no two
// visible controls overlap, every text fits its control in the dialog's own
// font, and the dialogs open inside their owner.
#include "FreshMainWindow.h"

#include "config/DlgSettingRTC.h"
#include "framework/Resources.h"
#include "ui/boxes/DlgProgress.h"
#include "workbench/app/Registry.h"
#include "workbench/bottom/WndProgress.h"
#include "workbench/bottom/WndResource.h"
#include "workbench/main/IniFile.h"
#include "workbench/main/ZarvoDDlg.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

LANGID RunLanguage() { return ::GetACP() == 949 ? CResources::kKorean : CResources::kEnglish; }

// Sets the resource language for one test and puts English back after it.
class Layout : public ::testing::Test {
protected:
    void SetUp() override { CResources::SetLanguage(RunLanguage()); }
    void TearDown() override { CResources::SetLanguage(CResources::kEnglish); }
};

enum class Kind { Other, Static, PushButton, CheckBox, GroupBox, Edit, Tab, DatePicker };

std::string ClassOf(HWND w) {
    char name[64] = {};
    ::GetClassNameA(w, name, sizeof name);
    return name;
}

Kind KindOf(HWND w) {
    const std::string cls = ClassOf(w);
    const LONG style = ::GetWindowLongA(w, GWL_STYLE);
    if (!lstrcmpiA(cls.c_str(), "Button")) {
        switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX: return Kind::GroupBox;
        case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
        case BS_3STATE: case BS_AUTO3STATE:
            return (style & BS_PUSHLIKE) ? Kind::PushButton : Kind::CheckBox;
        case BS_PUSHBUTTON: case BS_DEFPUSHBUTTON: return Kind::PushButton;
        default: return Kind::Other;  // owner-drawn
        }
    }
    if (!lstrcmpiA(cls.c_str(), "Static")) {
        switch (style & SS_TYPEMASK) {
        case SS_LEFT: case SS_CENTER: case SS_RIGHT: case SS_LEFTNOWORDWRAP: case SS_SIMPLE: return Kind::Static;
        default: return Kind::Other;  // pictures, frames, owner-drawn
        }
    }
    if (!lstrcmpiA(cls.c_str(), "Edit")) return Kind::Edit;
    if (!lstrcmpiA(cls.c_str(), WC_TABCONTROLA)) return Kind::Tab;
    if (!lstrcmpiA(cls.c_str(), DATETIMEPICK_CLASSA)) return Kind::DatePicker;
    return Kind::Other;
}

std::string Describe(HWND w) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s %d \"%s\"", ClassOf(w).c_str(), ::GetDlgCtrlID(w), WindowText(w).c_str());
    return buf;
}

CRect RectIn(HWND w, HWND parent) {
    CRect r;
    ::GetWindowRect(w, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The text of a picker as it shows it: the widest value of its format.
std::string PickerText(HWND picker) {
    SYSTEMTIME widest{2028, 12, 4, 28, 10, 20, 30, 0};
    char buf[64] = {};
    if ((::GetWindowLongA(picker, GWL_STYLE) & DTS_TIMEFORMAT) == DTS_TIMEFORMAT)
        ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &widest, nullptr, buf, sizeof buf);
    else
        ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &widest, nullptr, buf, sizeof buf);
    return buf;
}

// Why a control's text does not fit it, or "" when it does.
std::string TextFault(HWND w, Kind kind) {
    std::string text = kind == Kind::DatePicker ? PickerText(w) : WindowText(w);
    if (text.empty()) return "";
    const LONG style = ::GetWindowLongA(w, GWL_STYLE);
    CRect client;
    ::GetClientRect(w, &client);
    HDC dc = ::GetDC(w);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(w, WM_GETFONT, 0, 0)));
    auto measure = [&](UINT flags, int width) {
        CRect r(0, 0, width, 0);
        ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
        return r;
    };
    int room = client.Width();
    int roomHigh = client.Height();
    CRect need;
    switch (kind) {
    case Kind::Static:
        if ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP || (style & SS_TYPEMASK) == SS_SIMPLE ||
            (style & SS_ELLIPSISMASK))
            need = measure(DT_SINGLELINE | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0), room);
        else
            need = measure(DT_WORDBREAK | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0), room);
        if (style & SS_ELLIPSISMASK) need.right = 0;  // cut on purpose
        break;
    case Kind::PushButton:
        room -= 6;  // the button's edges and focus rectangle
        need = (style & BS_MULTILINE) ? measure(DT_WORDBREAK, room) : measure(DT_SINGLELINE, room);
        break;
    case Kind::CheckBox:
        room -= ::GetSystemMetrics(SM_CXMENUCHECK) + 4;  // the box and its gap
        need = (style & BS_MULTILINE) ? measure(DT_WORDBREAK, room) : measure(DT_SINGLELINE, room);
        break;
    case Kind::GroupBox:
        room -= 16;  // the frame's corner on each side of the caption
        need = measure(DT_SINGLELINE, room);
        roomHigh = need.Height();
        break;
    case Kind::Edit: {
        if (style & ES_MULTILINE) break;  // it scrolls
        const DWORD margins = static_cast<DWORD>(::SendMessageA(w, EM_GETMARGINS, 0, 0));
        room -= LOWORD(margins) + HIWORD(margins);
        need = measure(DT_SINGLELINE | DT_NOPREFIX, room);
        break;
    }
    case Kind::DatePicker: {
        // The spin or drop-down button takes its part of the client area.
        HWND button = ::GetWindow(w, GW_CHILD);
        CRect b;
        if (button && ::GetWindowRect(button, &b)) room -= b.Width();
        else room -= ::GetSystemMetrics(SM_CXVSCROLL);
        room -= 4;  // the text's inset
        need = measure(DT_SINGLELINE | DT_NOPREFIX, room);
        break;
    }
    default:
        break;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(w, dc);
    if (need.Width() <= room && need.Height() <= roomHigh) return "";
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s: its text needs %dx%d px, the control has %dx%d (\"%s\")", Describe(w).c_str(),
                  need.Width(), need.Height(), room, roomHigh, text.c_str());
    return buf;
}

// A region the window paints itself, which no control may cover.
struct Painted {
    CRect rect;
    const char* what;
};

// Every layout fault of a window's direct children.
std::vector<std::string> LayoutFaults(HWND wnd, const std::vector<Painted>& painted = {}) {
    std::vector<std::string> faults;
    struct Child {
        HWND wnd;
        Kind kind;
        CRect rect;
    };
    std::vector<Child> shown;
    CRect client;
    ::GetClientRect(wnd, &client);
    for (HWND c = ::GetWindow(wnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if (!(::GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE)) continue;
        const CRect r = RectIn(c, wnd);
        if (r.IsRectEmpty()) continue;
        shown.push_back({c, KindOf(c), r});
        CRect in;
        if (!::IntersectRect(&in, &r, &client) || !::EqualRect(&in, &r)) faults.push_back(Describe(c) + " reaches outside the window");
        const std::string fault = TextFault(c, shown.back().kind);
        if (!fault.empty()) faults.push_back(fault);
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        // Group boxes and tab controls hold other controls by design.
        if (shown[i].kind == Kind::GroupBox || shown[i].kind == Kind::Tab) continue;
        for (size_t j = i + 1; j < shown.size(); ++j) {
            if (shown[j].kind == Kind::GroupBox || shown[j].kind == Kind::Tab) continue;
            CRect both;
            if (::IntersectRect(&both, &shown[i].rect, &shown[j].rect))
                faults.push_back(Describe(shown[i].wnd) + " overlaps " + Describe(shown[j].wnd));
        }
        for (const Painted& p : painted) {
            CRect both;
            if (::IntersectRect(&both, &shown[i].rect, &p.rect))
                faults.push_back(Describe(shown[i].wnd) + " covers the " + p.what);
        }
    }
    return faults;
}

std::string Joined(const std::vector<std::string>& faults) {
    std::string all;
    for (const std::string& f : faults) all += "\n  " + f;
    return all;
}

// Whether a top-level window lies wholly inside another one.
bool Inside(HWND inner, HWND outer) {
    CRect a, b, both;
    ::GetWindowRect(inner, &a);
    ::GetWindowRect(outer, &b);
    return ::IntersectRect(&both, &a, &b) && ::EqualRect(&both, &a);
}

BOOL CALLBACK CollectId(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(param)->push_back(LOWORD(name));
    return TRUE;
}

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The main window as the program opens it on a first start.
class MainWindowLayout : public Layout {
protected:
    void SetUp() override {
        Layout::SetUp();
        PrepareFirstStart("zarvod_layout_test");
        ASSERT_TRUE(ShowMainWindow(dlg));
    }
    void TearDown() override {
        CloseMainWindow(dlg);
        Layout::TearDown();
    }
    CZarvoDDlg dlg;
};

}  // namespace

// Every template as windres built it, in the run's language, each in a plain
// dialog procedure (what the classes add at run time is checked below).
TEST_F(Layout, EveryDialogTemplateKeepsItsControlsApartAndItsTextsWhole) {
    std::vector<UINT> ids;
    ::EnumResourceNamesA(CResources::GetModule(), RT_DIALOG, &CollectId, reinterpret_cast<LONG_PTR>(&ids));
    std::set<UINT> unique(ids.begin(), ids.end());
    ASSERT_GE(unique.size(), 25u);
    CRecorder owner;
    ASSERT_TRUE(owner.Create(400, 300));
    // The main window's template gives its first size, which every dialog must fit.
    CRect main;
    {
        HWND frame = ::CreateDialogIndirectParamA(CResources::GetModule(), CResources::LoadDialog(IDD_ZARVOD_DIALOG),
                                                  nullptr, &PlainDialog, 0);
        ASSERT_NE(frame, nullptr);
        ::GetWindowRect(frame, &main);
        ::DestroyWindow(frame);
    }
    for (UINT id : unique) {
        const DLGTEMPLATE* tmpl = CResources::LoadDialog(id);
        ASSERT_NE(tmpl, nullptr) << id;
        HWND box = ::CreateDialogIndirectParamA(CResources::GetModule(), tmpl, owner.m_hWnd, &PlainDialog, 0);
        ASSERT_NE(box, nullptr) << "template " << id;
        const std::vector<std::string> faults = LayoutFaults(box);
        EXPECT_TRUE(faults.empty()) << "template " << id << Joined(faults);
        if (!(::GetWindowLongA(box, GWL_STYLE) & WS_CHILD) && id != IDD_ZARVOD_DIALOG) {
            CRect self;
            ::GetWindowRect(box, &self);
            EXPECT_LE(self.Width(), main.Width()) << "template " << id << " is wider than the main window";
            EXPECT_LE(self.Height(), main.Height()) << "template " << id << " is taller than the main window";
        }
        ::DestroyWindow(box);
    }
}

TEST_F(Layout, TheWaitBoxKeepsItsCancelButtonOffTheAnimation) {
    CRecorder owner;
    ASSERT_TRUE(owner.Create(700, 500));
    CDlgProgress box(owner.m_hWnd);
    box.m_mode = 2;  // the form with Cancel
    std::vector<std::string> faults;
    bool inside = false;
    OnShown(box, [&] {
             faults = LayoutFaults(box.m_hWnd, {{box.m_animRect, "animation"}, {box.m_statusRect, "status text"}});
             inside = Inside(box.m_hWnd, owner.m_hWnd);
             box.End(IDCANCEL);
         });
    box.DoModal();
    EXPECT_TRUE(faults.empty()) << Joined(faults);
    EXPECT_TRUE(inside) << "the wait box opens inside its owner";
}

TEST_F(Layout, TheTimeDialogShowsItsWholeTimeAndDate) {
    CRecorder owner;
    ASSERT_TRUE(owner.Create(700, 500));
    CDlgSettingRTC dlg(owner.m_hWnd);
    dlg.m_boardDate = "20261228102030";
    std::vector<std::string> faults;
    bool inside = false;
    OnDialog(IDD_SETTING_RTC, [&](CDialog* d) {
        Click(d, IDC_RTC_MANUAL);  // the pickers enabled, as they are read
        faults = LayoutFaults(d->m_hWnd);
        inside = Inside(d->m_hWnd, owner.m_hWnd);
        Click(d, IDCANCEL);
    });
    dlg.DoModal();
    EXPECT_TRUE(faults.empty()) << Joined(faults);
    EXPECT_TRUE(inside) << "the time dialog opens inside its owner";
}

TEST_F(MainWindowLayout, ItsControlsStayApartAndTheFlashBarTextsDoNotTouch) {
    const std::vector<std::string> faults = LayoutFaults(dlg.m_hWnd);
    EXPECT_TRUE(faults.empty()) << Joined(faults);

    auto* bar = dynamic_cast<CWndProgress*>(CWnd::FromHandlePermanent(dlg.GetDlgItem(CZarvoDDlg::kFlashBar)));
    ASSERT_NE(bar, nullptr);
    struct Row {
        uint32_t total, used;
        bool titleWhole;  // the first-start bar has room for it
    } rows[] = {
        {1024u * 1024u, 3u * 1024u, true},                // "3KB" and "1021KB"
        {2048u * 1024u, 1027u * 1024u, false},            // two four-digit figures
        {64u * 1024u * 1024u, 1u * 1024u * 1024u, false}, // five digits on the right
    };
    for (const Row& r : rows) {
        bar->m_total = r.total;
        bar->m_used = r.used;
        const gauge::BarTexts t = bar->TextSpans();
        const int gap = gauge::kBarTextGap;
        EXPECT_LE(t.used.right + gap, t.title.left) << "used " << r.used << ": the left figure touches the title";
        EXPECT_LE(t.title.right + gap, t.free.left) << "used " << r.used << ": the title touches the right figure";
        if (r.titleWhole) {
            EXPECT_FALSE(t.titleCut) << "used " << r.used << ": the title is cut";
        }
    }
}

// The resource view at the narrowest the bottom pane lets it be, with the
// board's counts (rows 0-2 and the task rows are plain counts, wide numbers).
TEST_F(Layout, TheResourceViewKeepsItsNamesOffItsNumbers) {
    CRecorder owner;
    ASSERT_TRUE(owner.Create(400, 300));
    int32_t rows[12][3] = {};
    for (auto& r : rows) {
        r[0] = 1048576;
        r[1] = 65536;  // "65536" and "983040"
    }
    rows[3][0] = 1024;  // "System Memory" in KB
    rows[3][1] = 64;
    struct Width {
        int client;  // the view's width
    } widths[] = {{183}, {260}, {465}};  // narrowest pane, a narrow one, the first-start one
    for (const Width& w : widths) {
        CWndResource view;
        ASSERT_TRUE(view.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, w.client, 160), owner.m_hWnd, 1));
        view.SetRows(rows);
        for (int task = 0; task < gauge::kTaskItems; ++task) {
            view.TaskCombo().SetCurSel(task);
            view.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RESOURCE_TASK, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(view.TaskCombo().m_hWnd));
            for (int row = 0; row < gauge::kResourceRows; ++row) {
                const gauge::BarTexts t = view.TextSpans(row);
                if (t.title.Width() == 0) continue;  // left out: no room at all
                EXPECT_LE(t.used.right + gauge::kBarTextGap, t.title.left)
                    << "width " << w.client << ", task " << task << ", row " << row << ": the count touches the name";
                EXPECT_LE(t.title.right + gauge::kBarTextGap, t.free.left)
                    << "width " << w.client << ", task " << task << ", row " << row << ": the name touches the count";
            }
        }
        view.DestroyWindow();
    }
}
