// The message box as a real dialog: buttons, captions, results, keys.
#include "WinTestSupport.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"

#include <gtest/gtest.h>

namespace {

struct Seen {
    bool visible[3] = {};
    CString captions[3];
    CRect rects[3];
    CRect client;
    bool checkVisible = false;
};

// Opens the box, records what it shows, then runs act (which must end it).
INT_PTR RunBox(CDlgMessage& box, Seen* seen, std::function<void(CDlgMessage&)> act) {
    OnShown(box, [&box, seen, act] {
             if (seen) {
                 HWND ids[3] = {box.GetDlgItem(IDC_MSG_BUTTON1), box.GetDlgItem(IDC_MSG_BUTTON2),
                                box.GetDlgItem(IDC_MSG_BUTTON3)};
                 for (int i = 0; i < 3; ++i) {
                     seen->visible[i] = ::IsWindowVisible(ids[i]) != FALSE;
                     char text[64] = {};
                     ::GetWindowTextA(ids[i], text, sizeof text);
                     seen->captions[i] = text;
                     ::GetWindowRect(ids[i], &seen->rects[i]);
                     ::MapWindowPoints(HWND_DESKTOP, box.m_hWnd, reinterpret_cast<POINT*>(&seen->rects[i]), 2);
                 }
                 seen->client = box.GetClientRect();
                 seen->checkVisible = ::IsWindowVisible(box.GetDlgItem(IDC_MSG_APPLY_ALL)) != FALSE;
             }
             act(box);
         });
    return box.DoModal();
}

}  // namespace

TEST(MessageBoxWinTest, EveryTypeShowsItsButtonsAndReturnsTheirResults) {
    CResources::SetLanguage(CResources::kEnglish);
    struct Row {
        UINT style;
        int count;
        const char* captions[3];
        INT_PTR results[3];
    } rows[] = {
        {MB_OK, 1, {"OK", "", ""}, {IDOK, 0, 0}},
        {MB_OKCANCEL, 2, {"Cancel", "OK", ""}, {IDCANCEL, IDOK, 0}},
        {MB_ABORTRETRYIGNORE, 3, {"Ignore", "Retry", "Abort"}, {IDIGNORE, IDRETRY, IDABORT}},
        {MB_YESNOCANCEL, 3, {"Cancel", "NO", "YES"}, {IDCANCEL, IDNO, IDYES}},
        {MB_YESNO, 2, {"NO", "YES", ""}, {IDNO, IDYES, 0}},
        {MB_RETRYCANCEL, 2, {"Cancel", "Retry", ""}, {IDCANCEL, IDRETRY, 0}},
        {MB_CANCELTRYCONTINUE, 3, {"Continue", "Retry", "Cancel"}, {IDCONTINUE, IDTRYAGAIN, IDCANCEL}},
    };
    const int ids[3] = {IDC_MSG_BUTTON1, IDC_MSG_BUTTON2, IDC_MSG_BUTTON3};
    for (const Row& r : rows) {
        for (int col = 0; col < r.count; ++col) {
            CDlgMessage box("Choose.", nullptr, r.style);
            Seen seen;
            INT_PTR result = RunBox(box, &seen, [&](CDlgMessage& b) { Click(b, ids[col]); });
            EXPECT_EQ(result, r.results[col]) << "style " << r.style << " button " << ids[col];
            if (col != 0) continue;
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(seen.visible[i], i < r.count) << "style " << r.style << " button " << i;
                if (i < r.count) {
                    EXPECT_EQ(seen.captions[i], r.captions[i]) << "style " << r.style;
                }
            }
            // Buttons stay inside the box and never overlap.
            for (int i = 0; i < r.count; ++i) {
                EXPECT_GE(seen.rects[i].left, 0);
                EXPECT_LE(seen.rects[i].right, seen.client.right);
                EXPECT_LE(seen.rects[i].bottom, seen.client.bottom);
                if (i > 0) {
                    EXPECT_LE(seen.rects[i].right, seen.rects[i - 1].left);
                }
            }
        }
    }
}

TEST(MessageBoxWinTest, CheckBoxResult) {
    CDlgMessage box("The filename already exists.\r\nDo you want to overwrite it?", nullptr, MB_YESNO | MB_ICONQUESTION);
    box.m_showCheck = 1;
    Seen seen;
    CString checkCaption;
    INT_PTR r = RunBox(box, &seen, [&](CDlgMessage& b) {
        checkCaption = b.GetDlgItemText(IDC_MSG_APPLY_ALL);
        Click(b, IDC_MSG_APPLY_ALL);
        Click(b, IDC_MSG_BUTTON2);
    });
    EXPECT_EQ(r, IDYES);
    EXPECT_EQ(box.m_checkResult, BST_CHECKED);
    EXPECT_TRUE(seen.checkVisible);
    EXPECT_EQ(checkCaption, "Apply to all files");
}

TEST(MessageBoxWinTest, AltF4IsIgnoredAndEscCancelsWhateverTheButtons) {
    CDlgMessage box("Alt+F4 must not close me.", nullptr, MB_YESNO);
    INT_PTR r = RunBox(box, nullptr, [](CDlgMessage& b) {
        PostKey(b.GetDlgItem(IDC_MSG_BUTTON1), VK_F4, true);
        After(1500, [&b] {
            EXPECT_TRUE(::IsWindowVisible(b.m_hWnd));
            Click(b, IDC_MSG_BUTTON2);
        });
    });
    EXPECT_EQ(r, IDYES);

    for (UINT style : {MB_YESNO, MB_OK}) {
        CDlgMessage esc("Esc.", nullptr, style);
        EXPECT_EQ(RunBox(esc, nullptr, [](CDlgMessage& b) { PostKey(b.GetDlgItem(IDC_MSG_BUTTON1), VK_ESCAPE); }), IDCANCEL);
    }
}
