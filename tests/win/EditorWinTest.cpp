// The editor window hosted in a test window: keys and characters through the
// message loop, mouse capture, the real clipboard, injected IME compositions,
// the find and replace dialogs. Run with the ANSI code page 949
// (LC_ALL=ko_KR.UTF-8 under Wine).
#include "WinTestSupport.h"

#include "editor/DlgChange.h"
#include "editor/DlgSearch.h"
#include "editor/WndEditor.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/WindowMessages.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class FakeIme : public CImeContext {
public:
    bool GetComposition(HWND, std::string& text) override {
        text = composition;
        return true;
    }
    bool GetResult(HWND, std::string& text) override {
        text = result;
        return !result.empty();
    }
    void Cancel(HWND) override { ++cancels; }
    std::string composition, result;
    int cancels = 0;
};

class EditorWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), 949u) << "run this suite with LC_ALL=ko_KR.UTF-8";
        ini = TempFolder("zarvod_editor_test") + "\\Font.ini";
        ::DeleteFileA(ini.c_str());
        ASSERT_TRUE(host.Create(600, 400));
        editor.SetIniPath(ini.c_str());
        ASSERT_TRUE(editor.Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL,
                                  CRect(0, 0, 560, 340), host.m_hWnd, 100));
        editor.SetIme(&ime);
        editor.SetFocus();
        Pump(30);
    }
    void TearDown() override {
        if (editor.m_hWnd) editor.DestroyWindow();
        ::DeleteFileA(ini.c_str());
    }
    void Load(const std::string& text) {
        editor.SetText(text.data(), text.size());
        Pump(20);
    }
    std::string Text() const { return editor.GetText(); }
    // The client point of a text position (middle of its character's left edge).
    CPoint PointOf(int pos) {
        int x, y;
        editor.Core().Layout().PosToXY(pos, x, y);
        const CTextLayout& l = editor.Core().Layout();
        return CPoint(x - l.HOffset() + 1, y - l.VOffset() + l.LineHeight() / 2);
    }
    void Post(UINT msg, WPARAM w, LPARAM l = 1) {
        ::PostMessageA(editor.m_hWnd, msg, w, l);
        Pump(20);
    }

    std::string ini;
    CRecorder host;
    CWndEditor editor;
    FakeIme ime;
};

}  // namespace

TEST_F(EditorWinTest, KeysAndCharactersGoThroughTheLoop) {
    Load("");
    for (char c : std::string("ab{")) Post(WM_CHAR, static_cast<WPARAM>(c));
    Post(WM_KEYDOWN, VK_RETURN);
    Post(WM_CHAR, 'x');
    EXPECT_EQ(Text(), "ab{\r\n\tx");
    EXPECT_EQ(host.Count(WM_USER_DOC_MODIFIED), 1);
    Post(WM_KEYDOWN, VK_HOME);
    Post(WM_KEYDOWN, VK_BACK);  // the indent's tab
    Post(WM_KEYDOWN, VK_BACK);  // the line break, CR LF as one
    EXPECT_EQ(Text(), "ab{x");
    EXPECT_EQ(editor.GetCaretPos(), 3);
    // Two WM_CHARs of one syllable make one character.
    Post(WM_CHAR, 0xC8);
    Post(WM_CHAR, 0xAD);
    EXPECT_EQ(Text(), "ab{\xC8\xADx");
    Post(WM_CHAR, 0x1A);  // Ctrl+Z
    EXPECT_EQ(Text(), "ab{x");
    // Tools outside place the selection as in an edit control (the roads read the text).
    ::SendMessageA(editor.m_hWnd, EM_SETSEL, 1, 2);
    Post(WM_CHAR, 'B');
    EXPECT_EQ(Text(), "aB{x");
    editor.Undo();

    // Down through a short row keeps aiming at the column it started from.
    Load("abcdef\r\nab\r\nabcdef");
    editor.SetCaretPos(5, 0);
    Post(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(editor.GetCaretPos(), 10);
    Post(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(editor.GetCaretPos(), 17);
    Load("ab{x");

    editor.SetReadOnly(true);
    EXPECT_TRUE(editor.GetStyle() & ES_READONLY);
    Post(WM_CHAR, 'z');
    Post(WM_KEYDOWN, VK_DELETE);
    SetKey(VK_CONTROL, true);
    Post(WM_KEYDOWN, 'M');
    SetKey(VK_CONTROL, false);
    EXPECT_EQ(Text(), "ab{x");
}

TEST_F(EditorWinTest, LosingCaptureEndsADragWithNothingDropped) {
    // Dragging below the window scrolls on a timer...
    std::string lines;
    for (int i = 0; i < 100; ++i) lines += "line\r\n";
    Load(lines);
    CPoint in = PointOf(0);
    const int below = editor.GetClientRect().bottom + 10;
    ::SendMessageA(editor.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(in.x, in.y));
    ::SendMessageA(editor.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(in.x, below));
    EXPECT_TRUE(::KillTimer(editor.m_hWnd, 1));
    ::SendMessageA(editor.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(in.x, below));
    // ...which stops when a modal box takes the capture mid-drag.
    ::SetCapture(host.m_hWnd);
    ::ReleaseCapture();
    EXPECT_FALSE(::KillTimer(editor.m_hWnd, 1));
    ::SendMessageA(editor.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(in.x, in.y));

    Load("move me somewhere");
    editor.SetSelection(0, 4);
    in = PointOf(1);
    ::SendMessageA(editor.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(in.x, in.y));
    EXPECT_EQ(::GetCapture(), editor.m_hWnd);
    ::SetCapture(host.m_hWnd);
    ::ReleaseCapture();
    CPoint out = PointOf(12);
    ::SendMessageA(editor.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(out.x, out.y));
    ::SendMessageA(editor.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(out.x, out.y));
    EXPECT_EQ(Text(), "move me somewhere");
    // The keyboard still types.
    editor.SetFocus();
    Post(WM_CHAR, 'X');
    EXPECT_EQ(Text(), "X me somewhere");

    // A reload mid-drag drops the drag too.
    editor.SetSelection(0, 1);
    in = PointOf(0);
    ::SendMessageA(editor.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(in.x, in.y));
    Load("new");
    out = PointOf(3);
    ::SendMessageA(editor.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(out.x, out.y));
    EXPECT_EQ(Text(), "new");
}

TEST_F(EditorWinTest, TheClipboardCarriesKoreanBothWays) {
    // Typed: as a file its bytes would be taken for UTF-8 (they are valid
    // UTF-8 too), and so must a paste not be.
    Load("");
    Post(WM_CHAR, 0xC8);
    Post(WM_CHAR, 0xAD);
    ASSERT_EQ(Text(), "\xC8\xAD");
    editor.SelectAll();
    ASSERT_TRUE(editor.Copy());
    // Another program can open the clipboard afterwards.
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::CloseClipboard();
    Load("");
    editor.Paste();
    EXPECT_EQ(Text(), "\xC8\xAD");

    // Cut deletes after a successful copy; LF pastes as CR LF.
    Load("a\nb");
    EXPECT_EQ(Text(), "a\r\nb");
    editor.SelectAll();
    editor.Cut();
    EXPECT_EQ(Text(), "");
    ASSERT_TRUE(::OpenClipboard(host.m_hWnd));
    ::EmptyClipboard();
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, 8);
    memcpy(::GlobalLock(mem), "x\ny", 4);
    ::GlobalUnlock(mem);
    ::SetClipboardData(CF_TEXT, mem);
    ::CloseClipboard();
    editor.Paste();
    EXPECT_EQ(Text(), "x\r\ny");
    editor.SetReadOnly(true);
    editor.Paste();
    EXPECT_EQ(Text(), "x\r\ny");
    // With the clipboard held open elsewhere, Cut copies nothing and deletes nothing.
    editor.SetReadOnly(false);
    editor.SelectAll();
    ASSERT_TRUE(::OpenClipboard(host.m_hWnd));
    editor.Cut();
    ::CloseClipboard();
    EXPECT_EQ(Text(), "x\r\ny");
}

TEST_F(EditorWinTest, InjectedCompositionsCommitAndCancel) {
    Load("ab");
    editor.SetCaretPos(2, 0);
    ime.composition = "\xB0\xA1";  // the syllable being built
    ::SendMessageA(editor.m_hWnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    ime.composition = "\xB0\xA2";
    ::SendMessageA(editor.m_hWnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    EXPECT_EQ(Text(), "ab\xB0\xA2");
    ::SendMessageA(editor.m_hWnd, WM_IME_CHAR, 0xB0A2, 1);
    EXPECT_EQ(Text(), "ab\xB0\xA2");
    EXPECT_EQ(editor.GetCaretPos(), 4);
    editor.Undo();
    EXPECT_EQ(Text(), "ab");

    // One message that ends a syllable and starts the next.
    ime.composition = "\xB0\xA1";
    ::SendMessageA(editor.m_hWnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    ime.result = "\xB0\xA1";
    ime.composition = "\xB3\xAA";
    ::SendMessageA(editor.m_hWnd, WM_IME_COMPOSITION, 0, GCS_RESULTSTR | GCS_COMPSTR);
    EXPECT_EQ(Text(), "ab\xB0\xA1\xB3\xAA");
    EXPECT_EQ(editor.Core().CompositionStart(), 4);
    ime.result.clear();
    editor.Undo();  // the composition goes first, then the finished syllable
    EXPECT_EQ(Text(), "ab");

    // A click mid-composition removes it and tells the IME.
    ime.composition = "\xB0\xA1";
    ::SendMessageA(editor.m_hWnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    CPoint p = PointOf(0);
    ::SendMessageA(editor.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::SendMessageA(editor.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(Text(), "ab");
    EXPECT_GE(ime.cancels, 1);
    // Read-only: nothing is composed.
    editor.SetReadOnly(true);
    ::SendMessageA(editor.m_hWnd, WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    EXPECT_EQ(Text(), "ab");
}

TEST_F(EditorWinTest, FindAndReplaceDialogs) {
    Load("a a a \xC1\x64");
    editor.ShowFindDialog();
    CDlgSearch* find = editor.GetFindDialog();
    ASSERT_TRUE(find && find->IsWindowVisible());
    EXPECT_FALSE(::IsWindowEnabled(find->GetDlgItem(IDC_FIND_NEXT)));
    ::SetDlgItemTextA(find->m_hWnd, IDC_FIND_TEXT, "d");
    EXPECT_TRUE(::IsWindowEnabled(find->GetDlgItem(IDC_FIND_NEXT)));
    // "d" is only the trail byte of the syllable: not found. The box says
    // so, owned by the dialog, with the host window disabled too.
    bool hostEnabled = true;
    std::string boxText;
    OnDialog(IDD_MESSAGE, [&](CDialog* d) {
        hostEnabled = ::IsWindowEnabled(host.m_hWnd) != FALSE;
        boxText = static_cast<CDlgMessage*>(d)->m_text.str();
        d->EndDialog(IDOK);
    });
    ::SendMessageA(find->m_hWnd, WM_COMMAND, IDC_FIND_NEXT, 0);
    EXPECT_FALSE(hostEnabled);
    EXPECT_TRUE(::IsWindowEnabled(host.m_hWnd));
    EXPECT_EQ(boxText, CResources::LoadString(IDS_STRING_NOT_FOUND).str());
    int s, e;
    editor.GetSelection(s, e);
    EXPECT_EQ(s, e) << "the trail byte 'd' is never a match";

    editor.ShowReplaceDialog();
    CDlgChange* change = editor.GetReplaceDialog();
    ASSERT_TRUE(change && change->IsWindowVisible());
    EXPECT_FALSE(find->IsWindowVisible());
    ::SetDlgItemTextA(change->m_hWnd, IDC_FIND_TEXT, "A");
    ::SetDlgItemTextA(change->m_hWnd, IDC_REPLACE_TEXT, "bb");
    TakeMessage(&boxText);
    ::SendMessageA(change->m_hWnd, WM_COMMAND, IDC_REPLACE_ALL, 0);
    EXPECT_EQ(Text(), "bb bb bb \xC1\x64");
    char expect[256];
    snprintf(expect, sizeof expect, CResources::LoadString(IDS_REPLACED_COUNT), 3, "A", "bb");
    EXPECT_EQ(boxText, expect);
    editor.Undo();
    EXPECT_EQ(Text(), "a a a \xC1\x64");

    // Read-only: Replace All changes nothing and shows nothing.
    editor.SetReadOnly(true);
    ::SendMessageA(change->m_hWnd, WM_COMMAND, IDC_REPLACE_ALL, 0);
    EXPECT_EQ(Text(), "a a a \xC1\x64");
    EXPECT_EQ(Showing(IDD_MESSAGE), nullptr);
    // Close hides; the editor destroys them with itself.
    ::SendMessageA(change->m_hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(change->IsWindowVisible());
}
