#pragma once

// The font as the layout measures it. The window answers with GDI
// (GetTextExtentPoint32A, GetTextMetricsA); tests with fixed widths.
class CTextMetrics
{
public:
    virtual ~CTextMetrics() = default;
    virtual int TextWidth(const char* bytes, int count) const = 0;
    virtual int CharHeight() const = 0;     // tmHeight
    virtual int AveCharWidth() const = 0;   // tmAveCharWidth
};
