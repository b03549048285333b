// The window kit with real windows and painted pixels.
#include "WinTestSupport.h"

#include "resources/resource.h"
#include "ui/WindowMessages.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/boxes/DlgProgress.h"
#include "ui/kit/GdiPlusUtil.h"
#include "ui/kit/PngButton.h"
#include "ui/kit/Splitter.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr UINT kStrip4 = 900, kStrip7 = 901, kStrip8 = 902;
const COLORREF kCellColours[8] = {RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(0, 0, 255),   RGB(128, 128, 128),
                                  RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255), RGB(0, 0, 128)};

// Paints the button through its parent (WM_DRAWITEM reflected); the cell its middle pixel shows.
int PaintedCell(CPngButton& b) {
    b.Invalidate(FALSE);
    b.UpdateWindow();
    Pump(30);
    CRect rc = b.GetClientRect();
    COLORREF c = ScreenPixel(b.m_hWnd, rc.Width() / 2, rc.Height() / 2);
    for (int i = 0; i < 8; ++i)
        if (c == kCellColours[i]) return i;
    return -1;
}

// Every kit test puts its controls on a fresh visible parent.
class KitWinTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(parent.Create()); }
    bool MakeButton(CPngButton& b, const CRect& rc, UINT id, const char* text = "") {
        return b.Create(text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rc, parent.m_hWnd, id) != FALSE;
    }
    CRecorder parent;
};

void Click(HWND w, int x, int y) {
    ::SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

}  // namespace

TEST_F(KitWinTest, ResourceImagesLoadDirectlyOrPrefetched) {
    struct Img {
        UINT id;
        UINT w, h;
    } imgs[] = {{IDP_CONNECT, 40, 160}, {IDP_ICON_ERROR, 40, 40}, {kStrip4, 80, 96}};
    for (bool prefetched : {false, true}) {
        // The worker also meets a missing picture and one nobody takes.
        const UINT ids[] = {IDP_CONNECT, 4242, kStrip4, IDP_STOP, kStrip7};
        if (prefetched) CGdiPlusUtil::Prefetch(ids, 5);
        for (const Img& i : imgs) {
            // A prefetched picture is taken once; a second load decodes anew.
            for (int n = 0; n < 2; ++n) {
                std::unique_ptr<Gdiplus::Bitmap> b(CGdiPlusUtil::LoadPng(i.id));
                ASSERT_NE(b, nullptr) << i.id;
                EXPECT_EQ(b->GetWidth(), i.w) << i.id;
                EXPECT_EQ(b->GetHeight(), i.h) << i.id;
            }
        }
        EXPECT_EQ(CGdiPlusUtil::LoadPng(4242), nullptr);
        CGdiPlusUtil::EndPrefetch();
    }
    EXPECT_EQ(CGdiPlusUtil::LoadImageFromResource(nullptr, nullptr), nullptr);
}

TEST_F(KitWinTest, PngButtonTakesTheCellSizeAndDrawsItsStates) {
    CPngButton b;
    ASSERT_TRUE(MakeButton(b, CRect(10, 10, 60, 30), 1001));
    b.SetImage(nullptr, 4242);  // missing: no strip, old size
    EXPECT_FALSE(b.HasImage());
    EXPECT_EQ(b.GetWindowRect().Width(), 50);
    b.SetImage(nullptr, kStrip4);
    ASSERT_TRUE(b.HasImage());
    EXPECT_EQ(b.GetWindowRect().Width(), 80);  // one cell of the 80 x 96 strip
    EXPECT_EQ(b.GetWindowRect().Height(), 24);

    EXPECT_EQ(PaintedCell(b), 0);
    b.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(PaintedCell(b), 1);
    b.SendMessage(WM_MOUSELEAVE);
    b.EnableButton(FALSE);
    EXPECT_EQ(PaintedCell(b), 3);
    b.EnableButton(TRUE);

    // A click reaches the parent as BN_CLICKED; a plain button never becomes checked.
    Click(b.m_hWnd, 5, 5);
    Pump(20);
    bool clicked = false;
    for (auto& r : parent.records)
        clicked |= r.message == WM_COMMAND && LOWORD(r.wParam) == 1001 && HIWORD(r.wParam) == BN_CLICKED;
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(b.IsChecked());
}

TEST_F(KitWinTest, CheckButtonsToggleOncePerClickAndTwicePerDoubleClick) {
    CPngButton b7, b8;
    b7.SetCellCount(7);
    b8.SetCellCount(8);
    ASSERT_TRUE(MakeButton(b7, CRect(10, 10, 40, 40), 1));
    ASSERT_TRUE(MakeButton(b8, CRect(50, 10, 80, 40), 2));
    b7.SetImage(nullptr, kStrip7);
    b8.SetImage(nullptr, kStrip8);
    EXPECT_EQ(b7.GetWindowRect().Height(), 24);

    Click(b7.m_hWnd, 5, 5);
    EXPECT_TRUE(b7.IsChecked());
    EXPECT_EQ(PaintedCell(b7), 5);  // checked, hover after the release
    b7.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(PaintedCell(b7), 4);
    // Down, up, double-click, up: the button toggled twice, and the parent hears both.
    parent.records.clear();
    ::SendMessageA(b7.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(b7.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ::SendMessageA(b7.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(b7.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(b7.IsChecked());
    int clicks = 0;
    for (auto& r : parent.records) clicks += r.message == WM_COMMAND && r.wParam == MAKEWPARAM(1, BN_CLICKED);
    EXPECT_EQ(clicks, 2);
    // A release outside the button does not toggle.
    ::SendMessageA(b7.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(b7.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
    EXPECT_TRUE(b7.IsChecked());

    // Disabled and checked: cell 3 with 7 cells, cell 7 with 8.
    Click(b8.m_hWnd, 5, 5);
    ASSERT_TRUE(b8.IsChecked());
    b7.EnableButton(FALSE);
    b8.EnableButton(FALSE);
    EXPECT_EQ(PaintedCell(b7), 3);
    EXPECT_EQ(PaintedCell(b8), 7);
}

// A drag's message and its clamps are the main window's and the bottom pane's tests.
TEST_F(KitWinTest, SplitterDragEndsWhenTheCaptureIsTakenAway) {
    CSplitter bar(0, RGB(200, 0, 0));
    ASSERT_TRUE(bar.Create(parent.m_hWnd, CRect(100, 0, 105, 200), 77));
    // A box opened mid-drag takes the capture: the drag is over.
    ::SendMessageA(bar.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 50));
    ::SendMessageA(bar.m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 50));
    ::SetCapture(parent.m_hWnd);
    ::ReleaseCapture();
    EXPECT_EQ(bar.GetLastX(), CSplitter::kNone);
    ::SendMessageA(bar.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 70));
    ::SendMessageA(bar.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 70));
    EXPECT_EQ(parent.Count(WM_USER_SPLITTER_MOVED), 0);
}

// A tip never stays on a button that can no longer be pressed, nor over a box:
// a message or wait box hides it as it opens, any other box within one check.
TEST_F(KitWinTest, ATipHidesWhenItsButtonIsDisabledOrABoxOpens) {
    CPngButton b;
    ASSERT_TRUE(MakeButton(b, CRect(10, 10, 90, 40), 1001));
    b.SetTooltipText("Connect(Ctrl+N)");
    auto tipShown = [&] { return b.Tooltip().m_hWnd && ::IsWindowVisible(b.Tooltip().m_hWnd); };
    int x = 20;
    auto restOnButton = [&] {
        b.EnableButton(TRUE);
        POINT pt{x += 5, 15};  // a new resting point each time: the same one shows nothing again
        ::ClientToScreen(b.m_hWnd, &pt);
        ::SetCursorPos(pt.x, pt.y);
        ::SetFocus(parent.m_hWnd);
        MSG move{b.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, 15), 0, pt};
        b.PreTranslateMessage(&move);
        // It shows once the cursor has rested there half a second.
        EXPECT_EQ(TimerPeriod(b.Tooltip().m_hWnd, CXInfoTip::kShowTimer), 500u);
        Await("the tip to show", tipShown);
        return tipShown();
    };
    enum Road { kDisabled, kMessageBox, kWaitBox, kOtherBox };
    const struct {
        const char* name;
        Road road;
    } cases[] = {{"button disabled", kDisabled}, {"message box", kMessageBox}, {"wait box", kWaitBox},
                 {"another box", kOtherBox}};
    for (const auto& c : cases) {
        ASSERT_TRUE(restOnButton()) << c.name;
        bool shownOverBox = true;
        if (c.road == kDisabled) {
            b.EnableButton(FALSE);
            EXPECT_FALSE(tipShown()) << c.name;
            Pump(600);  // and it does not come back while the cursor rests there
            EXPECT_FALSE(tipShown()) << c.name;
            continue;
        }
        std::unique_ptr<CDialog> box;
        if (c.road == kMessageBox) {
            box = std::make_unique<CDlgMessage>("Do you want to reboot the product?", parent.m_hWnd, MB_YESNO);
        } else if (c.road == kWaitBox) {
            auto wait = std::make_unique<CDlgProgress>(parent.m_hWnd);
            wait->m_mode = 3;
            box = std::move(wait);
        } else {
            box = std::make_unique<CDialog>(kTestDialog, parent.m_hWnd);
        }
        CDialog* running = box.get();
        const int wait = c.road == kOtherBox ? 700 : 0;
        OnShown(*running, [&, running, wait] {
            After(wait, [&, running] {
                shownOverBox = tipShown();
                running->EndDialog(IDCANCEL);
            });
        });
        box->DoModal();
        EXPECT_FALSE(shownOverBox) << c.name;
    }
}
