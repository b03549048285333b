// The message box's arithmetic: lines, wrapping, sizes, buttons and icon.
// Portable: widths are measured through a function the window supplies.
#pragma once

#include "framework/String.h"

#include <functional>

namespace msgbox {

constexpr int kWrapWidth = 400;  // pixels a text line may take
constexpr int kWrapStep = 5;     // bytes moved to the next line per step

// Button ids, string ids and the result of each of the three buttons (1006 is the
// rightmost). Result 0: the button has no part in this type.
struct ButtonSet {
    int count;
    int captionIds[3];  // string-table ids of 1006, 1007, 1008
    int results[3];     // IDOK etc. of 1006, 1007, 1008
};
ButtonSet ButtonsForStyle(unsigned style);

// PNG resource id of the icon for the style, 0 for none.
int IconForStyle(unsigned style);

// Removes CR; splits at LF, dropping blank lines, always keeping the rest after the last LF.
CStringArray SplitLines(const CString& text);

// Length of the code-page-949 character that starts at byte i (1 or 2).
int Cp949CharLength(const CString& s, int i);
// The largest character boundary at or before byte pos.
int Cp949BoundaryAtOrBefore(const CString& s, int pos);

// Wraps lines wider than kWrapWidth: bytes move, 5 at a time from the end, to an
// overflow piece inserted as the next line (which is wrapped in its turn). A step
// never cuts a double-byte character, and a line keeps at least one character.
void WrapLines(CStringArray& lines, const std::function<int(const CString&)>& width);

// Width of the widest line.
int TextWidth(const CStringArray& lines, const std::function<int(const CString&)>& width);

// Height of the text area: lines of lineHeight + 8, plus 28, plus 20, at least 50.
int TextHeight(int lineHeight, int lineCount);

struct Size {
    int cx;
    int cy;
};
// The window's size for the text (text width, text height from TextHeight).
Size WindowSize(int textWidth, int textHeight, bool showCheck);

// The narrowest client area that shows count buttons of width w side by side
// with a margin of 8 on each side. The box widens to it when the text alone
// would leave it narrower (three buttons in a 200-pixel box would overflow).
int MinClientWidthForButtons(int count, int w);

struct Pos {
    int x;
    int y;
};
struct ButtonLayout {
    Pos buttons[3];  // 1006, 1007, 1008
    Pos check;       // the check box, 200 x 20
};
// Button places for clientWidth x clientBottom, with buttons of w x h.
ButtonLayout LayoutButtons(int count, int clientWidth, int clientBottom, int w, int h);

// Icon's top-left corner in a client area of clientHeight.
Pos IconPosition(int iconWidth, int iconHeight, int clientHeight, bool showCheck);

constexpr int kTextLeft = 90;
constexpr int kTextTop = 28;
constexpr int kLineGap = 8;

}  // namespace msgbox
