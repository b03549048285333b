// A picture resized in the image viewer: www/logo.png is opened, resized
// through the viewer's Resize dialog, left for another file and shown again
// (it keeps its new size), then uploaded. roads/imageresize.sh reads the
// size of the PNG the board then keeps.
#include "driver/Driver.h"

#include <string>

namespace e2e {
namespace {

enum : int {
    kImagePane = 1018, kResize = 32877, kWidth = 1128, kHeight = 1129, kKeepRatio = 1130,
    kWwwRow = 2, kUpRow = 0, kLogoRow = 2, kHtmlRow = 1,
};

bool ShowsImage(const Program& p) {
    return WaitFor([&] { return p.Visible(kImagePane) && Text(p.Item(kNameLabel)) == "www/logo.png" && p.Idle(); },
                   5000);
}

void Resize(const Program& p) {
    ::PostMessageA(p.Item(kImagePane), WM_COMMAND, kResize, 0);
    HWND dlg = WaitDialogWith(p, kWidth, 5000);
    if (!Check(dlg != nullptr, "Resize opens its dialog")) return;
    Check(Text(::GetDlgItem(dlg, kWidth)) == "48" && Text(::GetDlgItem(dlg, kHeight)) == "48",
          "the dialog starts at the picture's size, 48 x 48");
    // Another ratio: the box that keeps it goes off first.
    ::SendMessageA(::GetDlgItem(dlg, kKeepRatio), BM_CLICK, 0, 0);
    Retype(::GetDlgItem(dlg, kWidth), "96");
    Retype(::GetDlgItem(dlg, kHeight), "24");
    WaitFor([&] { return Text(::GetDlgItem(dlg, kHeight)) == "24"; }, 3000);
    Shot("resize-dialog");
    ::SendMessageA(::GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    Check(WaitFor([&] { return OtherDialog(p) == nullptr && p.Idle(); }, 5000), "the dialog closes on OK");
    Shot("resized");
}

void ImageResizeRoad(const Program& p, const char* port) {
    Connect(p, port);
    p.DoubleClickRow(kWwwRow);
    p.ClickRow(kLogoRow);
    if (!Check(ShowsImage(p), "www/logo.png opens in the image viewer")) return;
    Resize(p);
    // Away and back: the viewer shows the size chosen, not the stored one.
    p.ClickRow(kHtmlRow);
    Check(WaitFor([&] { return Contains(Text(p.Editor()), "<html") && p.Idle(); }, 5000), "www/index.html opens");
    p.ClickRow(kLogoRow);
    Check(ShowsImage(p), "www/logo.png shows again");
    Shot("shown-again");
    p.DoubleClickRow(kUpRow);
    const int before = Count(p.Log(1), "get task 0 state : ");
    p.Click(kUpload);
    const bool done = WaitFor([&] { return p.Idle() && Count(p.Log(1), "get task 0 state : ") > before; }, 60000);
    Check(done && p.Enabled(kUpload), "the upload ends connected");
    Shot("uploaded");
}

}  // namespace

ZARVO_ROAD("imageresize", ImageResizeRoad);
}  // namespace e2e
