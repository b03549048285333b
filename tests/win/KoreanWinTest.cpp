// What needs the ANSI code page 949 outside the Settings dialog: Korean texts
// shown by the ANSI windows, and two-byte characters at a log pane's cut.
#include "WinTestSupport.h"

#include "framework/Resources.h"
#include "ui/boxes/DlgMessage.h"
#include "workbench/bottom/WndLog.h"

#include <gtest/gtest.h>

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
