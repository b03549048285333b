// What needs the ANSI code page 949 outside the Settings dialog: Korean texts
// shown by the ANSI windows, and two-byte characters at a log pane's cut.
#include "WinTestSupport.h"

#include "framework/Resources.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/kit/SkinListCtrl.h"
#include "workbench/bottom/IniProfile.h"
#include "workbench/bottom/WndBottom.h"
#include "workbench/bottom/WndLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(KoreanWinTest, ALongKoreanLineIsCutBetweenCharacters) {
    ASSERT_EQ(::GetACP(), 949u) << "run under LC_ALL=ko_KR.UTF-8";
    CRecorder parent;
    ASSERT_TRUE(parent.Create());
    CWndLog log;
    ASSERT_TRUE(log.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 100), parent.m_hWnd, 0));
    // With an odd start and an odd end, a cut counted in bytes alone would split a character.
    log.AddText("x", 1);
    log.Flush();
    std::string korean;
    while (korean.size() < 20000) korean += "\xC7\xD1\xB1\xDB";  // two characters
    korean += "z";
    log.AddText(korean.data(), korean.size());
    log.Flush();
    const std::string shown = log.Edit().GetWindowText().str();
    EXPECT_LE(shown.size(), 8192u);
    EXPECT_GT(shown.size(), 4000u);
    // Read back as characters: only the two Korean ones and the ASCII ends.
    std::wstring wide(shown.size(), L'\0');
    wide.resize(static_cast<size_t>(
        ::MultiByteToWideChar(949, 0, shown.data(), static_cast<int>(shown.size()), &wide[0], static_cast<int>(wide.size()))));
    size_t foreign = 0;
    for (wchar_t c : wide) foreign += c != L'\xD55C' && c != L'\xAE00' && c != L'x' && c != L'z';
    EXPECT_EQ(foreign, 0u);
    EXPECT_EQ(wide.back(), L'z');
}

TEST(KoreanWinTest, MessageBoxCaptionsComeFromTheKoreanTable) {
    CResources::SetLanguage(CResources::kKorean);
    CDlgMessage box("Korean.", nullptr, MB_YESNO);
    box.m_showCheck = 1;
    std::string no, yes, check;
    OnDialog(IDD_MESSAGE, [&](CDialog* d) {
        no = ItemText(d->m_hWnd, IDC_MSG_BUTTON1);
        yes = ItemText(d->m_hWnd, IDC_MSG_BUTTON2);
        check = ItemText(d->m_hWnd, IDC_MSG_APPLY_ALL);
        Click(d, IDC_MSG_BUTTON1);
    });
    EXPECT_EQ(box.DoModal(), IDNO);
    CResources::SetLanguage(CResources::kEnglish);
    EXPECT_EQ(check, InAnsiCodePage(L"\uBAA8\uB4E0 \uD30C\uC77C\uC5D0 \uC801\uC6A9"));
    EXPECT_EQ(no, InAnsiCodePage(L"\uC544\uB2C8\uC624"));
    EXPECT_EQ(yes, InAnsiCodePage(L"\uC608"));
}

namespace {

// n Korean characters (two bytes each in code page 949).
std::string Hangul(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "\xC7\xD1";
    return s;
}

// Puts text into an edit the way typing or pasting does (its limit applies).
void Paste(HWND edit, const std::string& text) {
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

TEST(KoreanWinTest, AWatchNamePastTheBoardsBytesIsRefusedWithAWord) {
    ASSERT_EQ(::GetACP(), 949u) << "run under LC_ALL=ko_KR.UTF-8";
    CResources::SetLanguage(CResources::kEnglish);
    CIniProfile::SetFolderForTests(TempFolder("zarvod_korean_watch").c_str());
    CRecorder parent;
    ASSERT_TRUE(parent.Create(900, 320));
    CWndBottom pane;
    ASSERT_TRUE(pane.Create(WS_CHILD | WS_VISIBLE, parent.GetClientRect(), parent.m_hWnd, 5));
    pane.SendMessage(WM_COMMAND, ID_WATCH_DELETE_ALL);
    struct Row {
        std::string typed;
        bool accepted;
    } rows[] = {
        {"$" + std::string(299, 'v'), false},  // was cut to 255 characters without a word
        {Hangul(130), false},                   // 261 bytes with the "$": Add did nothing
        {"$" + Hangul(127), true},              // 255 bytes
        {std::string(254, 'w'), true},          // 255 with the "$" put in front
    };
    int current = 0;
    for (const Row& r : rows) {
        const int row = ++current;
        // A refusal without a word would leave the box up: a safety net, never the expected way out.
        After(8000, [&current, row] {
            if (current != row) return;
            if (CDialog* d = Showing(IDD_ADD_WATCH)) d->EndDialog(IDCANCEL);
        });
        const int before = pane.GetWatchCount();
        std::string told;
        bool stayed = false;
        OnDialog(IDD_ADD_WATCH, [&](CDialog* box) {
            Paste(box->GetDlgItem(IDC_WATCH_NAME), r.typed);
            if (!r.accepted)
                TakeMessage(&told, [&, box] {
                    stayed = ::IsWindowVisible(box->m_hWnd) != FALSE;
                    box->EndDialog(IDCANCEL);
                });
            Click(box, IDOK);
        });
        pane.SendMessage(WM_COMMAND, ID_WATCH_ADD);
        if (r.accepted) {
            ASSERT_EQ(pane.GetWatchCount(), before + 1) << r.typed.size();
            const std::string name = pane.GetWatchName(before).str();
            EXPECT_EQ(name, r.typed[0] == '$' ? r.typed : "$" + r.typed);
        } else {
            EXPECT_EQ(pane.GetWatchCount(), before) << r.typed.size();
            EXPECT_EQ(told.substr(0, 30), "The variable name is too long.") << r.typed.size();
            EXPECT_TRUE(stayed) << "the name stays there to be mended";
        }
    }
    ++current;
    pane.DestroyWindow();
    CIniProfile::SetFolderForTests("");
}

TEST(KoreanWinTest, TheWatchListDrawsKoreanNames) {
    ASSERT_EQ(::GetACP(), 949u) << "run under LC_ALL=ko_KR.UTF-8";
    CIniProfile::SetFolderForTests(TempFolder("zarvod_korean_watch").c_str());
    CRecorder parent;
    ASSERT_TRUE(parent.Create(900, 320));
    CWndBottom pane;
    ASSERT_TRUE(pane.Create(WS_CHILD | WS_VISIBLE, parent.GetClientRect(), parent.m_hWnd, 5));
    const HWND list = pane.WatchListCtrl()->m_hWnd;
    const HFONT font = reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0));
    // Each text as the list draws it (ANSI, its font) into a small bitmap. A
    // font without the glyphs draws one and the same box for every character.
    auto drawn = [font](const char* text) {
        HDC dc = ::CreateCompatibleDC(nullptr);
        HBITMAP bmp = ::CreateBitmap(48, 24, 1, 1, nullptr);
        HGDIOBJ oldBmp = ::SelectObject(dc, bmp);
        HGDIOBJ oldFont = ::SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
        RECT all = {0, 0, 48, 24};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::TextOutA(dc, 2, 2, text, static_cast<int>(strlen(text)));
        std::vector<unsigned char> bits(48 / 8 * 24);
        ::GetBitmapBits(bmp, static_cast<LONG>(bits.size()), bits.data());
        ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldBmp);
        ::DeleteObject(bmp);
        ::DeleteDC(dc);
        return bits;
    };
    const std::vector<unsigned char> han = drawn("\xC7\xD1"), geul = drawn("\xB1\xDB"), blank = drawn(" ");
    EXPECT_FALSE(han == blank) << "something is drawn";
    EXPECT_FALSE(han == geul) << "two Korean characters look alike: both are boxes";
    pane.DestroyWindow();
    CIniProfile::SetFolderForTests("");
}
