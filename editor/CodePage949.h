#pragma once

// The editor's ANSI code page is 949: a lead byte 0x81-0xFE followed by a
// trail byte forms one character. Every place that steps over characters
// asks these helpers, so a lead byte at a row's end or before a byte that
// cannot trail never swallows a line end.

inline bool IsLeadByte949(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

inline bool IsTrailByte949(unsigned char c)
{
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

// 2 when a two-byte character starts at pos and ends before rowEnd, else 1.
inline int CharLength949(const char* text, int pos, int rowEnd)
{
    if (pos + 1 < rowEnd && IsLeadByte949(static_cast<unsigned char>(text[pos])) &&
        IsTrailByte949(static_cast<unsigned char>(text[pos + 1])))
        return 2;
    return 1;
}

// Start of the character that ends at pos, walking from the row start
// (a trail byte can also be a lead byte, so only a forward walk is sure).
inline int PrevCharStart949(const char* text, int rowStart, int pos)
{
    int p = rowStart;
    int prev = rowStart;
    while (p < pos) {
        prev = p;
        p += CharLength949(text, p, pos);
    }
    return prev;
}
