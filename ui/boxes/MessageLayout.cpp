#include "ui/boxes/MessageLayout.h"

#include <algorithm>
#include <vector>

namespace msgbox {

namespace {
// Windows' ID* values and MB_* button types (kept here: portable code has no <windows.h>).
enum { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7,
       kIdTryAgain = 10, kIdContinue = 11 };
enum { kStrIgnore = 108, kStrRetry = 109, kStrAbort = 110, kStrContinue = 111, kStrCancel = 112, kStrOk = 113,
       kStrNo = 114, kStrYes = 115 };
}  // namespace

ButtonSet ButtonsForStyle(unsigned style) {
    switch (style & 0x0F) {
    case 1: return {2, {kStrCancel, kStrOk, 0}, {kIdCancel, kIdOk, 0}};
    case 2: return {3, {kStrIgnore, kStrRetry, kStrAbort}, {kIdIgnore, kIdRetry, kIdAbort}};
    case 3: return {3, {kStrCancel, kStrNo, kStrYes}, {kIdCancel, kIdNo, kIdYes}};
    case 4: return {2, {kStrNo, kStrYes, 0}, {kIdNo, kIdYes, 0}};
    case 5: return {2, {kStrCancel, kStrRetry, 0}, {kIdCancel, kIdRetry, 0}};
    case 6: return {3, {kStrContinue, kStrRetry, kStrCancel}, {kIdContinue, kIdTryAgain, kIdCancel}};
    default: return {1, {kStrOk, 0, 0}, {kIdOk, 0, 0}};
    }
}

int IconForStyle(unsigned style) {
    switch (style & 0x70) {
    case 0x00: return 0;
    case 0x10: return 135;
    case 0x20: return 136;
    case 0x40: return 137;
    default: return 134;
    }
}

CStringArray SplitLines(const CString& text) {
    CString t = text;
    t.Remove('\r');
    CStringArray lines;
    int start = 0;
    for (int lf = t.Find('\n', 0); lf >= 0; lf = t.Find('\n', start)) {
        CString piece = t.Mid(start, lf - start);
        if (!piece.IsEmpty()) lines.Add(piece);
        start = lf + 1;
    }
    lines.Add(t.Mid(start));
    return lines;
}

int Cp949CharLength(const CString& s, int i) {
    unsigned char c = static_cast<unsigned char>(s.GetAt(i));
    if (c >= 0x81 && c <= 0xFE && i + 1 < s.GetLength()) {
        unsigned char t = static_cast<unsigned char>(s.GetAt(i + 1));
        if ((t >= 0x41 && t <= 0x5A) || (t >= 0x61 && t <= 0x7A) || (t >= 0x81 && t <= 0xFE)) return 2;
    }
    return 1;
}

int Cp949BoundaryAtOrBefore(const CString& s, int pos) {
    int i = 0, last = 0;
    while (i < s.GetLength() && i <= pos) {
        last = i;
        i += Cp949CharLength(s, i);
    }
    return i <= pos ? i : last;
}

namespace {

// Wraps one line into out. The pieces are what cutting 5 bytes at a time from the
// end would give, found without re-measuring the whole rest for every step (which
// made an 8 KB line take seconds): the candidate cuts of every piece lie on one
// chain from the end of the line, widths grow with the length, so each piece
// gallops up that chain from its start and measures only strings of about its own
// length.
void WrapOne(const CString& text, const std::function<int(const CString&)>& width, CStringArray& out) {
    const int n = text.GetLength();
    if (n == 0 || width(text) <= kWrapWidth) {
        out.Add(text);
        return;
    }
    // boundary[p]: the largest character boundary at or before p.
    std::vector<int> boundary(static_cast<size_t>(n) + 1, 0);
    for (int i = 0; i < n;) {
        const int next = std::min(n, i + Cp949CharLength(text, i));
        for (int p = i; p < next; ++p) boundary[static_cast<size_t>(p)] = i;
        i = next;
    }
    boundary[static_cast<size_t>(n)] = n;
    // The cuts from the end, ascending; for a piece starting at s they are the ones above s.
    std::vector<int> chain;
    for (int c = n; c > 0; c = c - kWrapStep >= 0 ? boundary[static_cast<size_t>(c - kWrapStep)] : 0) chain.push_back(c);
    std::reverse(chain.begin(), chain.end());

    size_t first = 0;  // the first chain element beyond the current piece's first character
    for (int s = 0; s < n;) {
        const int one = s + Cp949CharLength(text, s);  // a piece keeps one character at least
        while (first < chain.size() && chain[first] <= one) ++first;
        const size_t count = chain.size() - first + 1;
        auto cutAt = [&](size_t j) { return j == 0 ? one : chain[first + j - 1]; };
        auto fits = [&](size_t j) { return width(text.Mid(s, cutAt(j) - s)) <= kWrapWidth; };
        size_t lo = 0;
        if (count > 1 && fits(0)) {
            size_t hi = count;
            for (size_t step = 1; lo + step < count; step *= 2) {
                if (!fits(lo + step)) {
                    hi = lo + step;
                    break;
                }
                lo += step;
            }
            while (hi - lo > 1) {
                const size_t mid = lo + (hi - lo) / 2;
                (fits(mid) ? lo : hi) = mid;
            }
        }
        const int cut = cutAt(lo);
        out.Add(text.Mid(s, cut - s));
        s = cut;
    }
}

}  // namespace

void WrapLines(CStringArray& lines, const std::function<int(const CString&)>& width) {
    CStringArray out;
    for (int i = 0; i < lines.GetSize(); ++i) WrapOne(lines[i], width, out);
    lines = out;
}

int TextWidth(const CStringArray& lines, const std::function<int(const CString&)>& width) {
    int w = 0;
    for (int i = 0; i < lines.GetSize(); ++i) w = std::max(w, width(lines[i]));
    return w;
}

int TextHeight(int lineHeight, int lineCount) {
    int h = lineCount > 0 ? (lineHeight + kLineGap) * lineCount + 28 : 28;
    return std::max(h + 20, 50);
}

Size WindowSize(int textWidth, int textHeight, bool showCheck) {
    return {std::max(textWidth + 110, 200), textHeight + 59 + (showCheck ? 25 : 0)};
}

int MinClientWidthForButtons(int count, int w) {
    if (count <= 0) return 0;
    return count * w + (count - 1) * 4 + 2 * 8;
}

ButtonLayout LayoutButtons(int count, int clientWidth, int clientBottom, int w, int h) {
    ButtonLayout l{};
    int y = (33 - h) / 2 + clientBottom - 33;
    int x;
    if (count >= 3)
        x = (clientWidth - w) / 2 + w + 4;
    else if (count == 2)
        x = clientWidth / 2 + 2;
    else
        x = (clientWidth - w) / 2;
    l.buttons[0] = {x, y};
    l.buttons[1] = {x - 4 - w, y};
    l.buttons[2] = {x - 8 - 2 * w, y};
    l.check = {23, y - 35};
    return l;
}

Pos IconPosition(int iconWidth, int iconHeight, int clientHeight, bool showCheck) {
    return {(90 - iconWidth) / 2, (clientHeight - iconHeight - 33) / 2 - (showCheck ? 10 : 0)};
}

}  // namespace msgbox
