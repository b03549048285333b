#include "workbench/main/MainLayout.h"

namespace mainlayout {

namespace {
Box At(int x, int y, int w, int h) {
    Box b;
    b.x = x;
    b.y = y;
    b.w = w;
    b.h = h;
    return b;
}
Box Sized(int x, int y, const ButtonSize& s) { return At(x, y, s.w, s.h); }
}  // namespace

Layout Compute(int W, int H, int splitterX, int splitterY, const DebugButtons& b, const ButtonSize main[4]) {
    Layout l;
    if (W < 10 || H < 10) return l;
    l.valid = true;
    if (W - kMinSplitterX < splitterX) splitterX = W - kMinSplitterX;
    l.splitterX = splitterX;
    int Y = splitterY * H / 100;
    if (H - Y < 190) Y = H - 190;
    const int X = splitterX;

    const int x = X + 9;
    l.editor = At(x, 40, W - x - 10, Y - 41);
    l.stop = Sized(x - 1, 10, b.stop);
    const int runX = x - 1 + b.stop.w + 2;
    l.run = Sized(runX, 10, b.run);
    l.pause = Sized(runX, 10, b.pause);
    const int inX = runX + b.pause.w + 2;
    l.stepIn = Sized(inX, 10, b.stepIn);
    l.stepOver = Sized(inX + b.stepIn.w + 2, 10, b.stepOver);

    l.combo = At(80, 12, 110, 20);
    l.comLabel = At(10, 17, 65, 18);
    const int a = (X - 15) / 3;
    // The labels start under the main buttons: images taller than 30 pixels
    // push the file-list column down instead of covering its label.
    const int down = main[0].h > 30 ? main[0].h - 30 : 0;
    l.listLabel = At(10, 72 + down, X - 15, 18);
    l.nameLabel = At(10, 90 + down, X - 15 - a, 18);
    l.sizeLabel = At(X - a - 5, 90 + down, a, 18);
    l.fileList = At(10, 110 + down, X - 15, Y - 151 - down);
    l.flashBar = At(10, Y - 40, X - 15, 39);

    l.vSplitter = At(X, 0, 4, Y);
    l.bottom = At(0, Y + 4, W, H - Y - 4);
    l.hSplitter = At(0, Y, W, 4);

    l.connect = Sized(9, 40, main[0]);
    l.disconnect = Sized(55, 40, main[1]);
    l.settings = Sized(101, 40, main[2]);
    l.upload = Sized(147, 40, main[3]);
    return l;
}

int HorizontalRelease(int splitterY, int H, int top, int bottom) {
    if (H <= 0) return splitterY;
    if (H - bottom < 170) return 100 - 17000 / H;
    int y = (top - H) * 100 / H + 100;
    if (y < 30) y = 30;
    if (y > 85) y = 85;
    return y;
}

int VerticalRelease(int W, int left) {
    if (left < kMinSplitterX) return kMinSplitterX;
    if (left > W - kMinSplitterX) return W - kMinSplitterX;
    return left;
}

Applied ApplySaved(const Saved& s, int virtualWidth, int virtualHeight) {
    Applied a;
    if (s.splitterY >= 31 && s.splitterY <= 84) a.splitterY = static_cast<int>(s.splitterY);
    if (s.splitterX >= kMinSplitterX && s.splitterX < s.width) a.splitterX = static_cast<int>(s.splitterX);
    const uint32_t vw = virtualWidth > 0 ? static_cast<uint32_t>(virtualWidth) : 0;
    const uint32_t vh = virtualHeight > 0 ? static_cast<uint32_t>(virtualHeight) : 0;
    // A rectangle is applied only when it is sane: on the virtual screen and
    // at least the minimum size (a first start holds zeros).
    a.place = s.startX < vw && s.startY < vh && s.width >= static_cast<uint32_t>(kMinWidth) &&
              s.height >= static_cast<uint32_t>(kMinHeight) && s.width <= 4 * vw + kMinWidth &&
              s.height <= 4 * vh + kMinHeight;
    a.bottom = s.bottomX >= 196 && s.bottomX < vw;
    return a;
}

Saved ToSave(int left, int top, int right, int bottom, int splitterX, int splitterY, int bottomX) {
    Saved s;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    s.startX = static_cast<uint32_t>(left);
    s.startY = static_cast<uint32_t>(top);
    s.width = right > left ? static_cast<uint32_t>(right - left) : 0;
    s.height = bottom > top ? static_cast<uint32_t>(bottom - top) : 0;
    s.splitterX = static_cast<uint32_t>(splitterX);
    s.splitterY = static_cast<uint32_t>(splitterY);
    s.bottomX = static_cast<uint32_t>(bottomX);
    return s;
}

}  // namespace mainlayout
