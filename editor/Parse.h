#pragma once
#include <cstdint>
#include <vector>

class CDisplayLines;

// Where a colour starts in the text (absolute byte offset) and its style.
struct ColourSpan
{
    int position;
    int style;
};

struct ParseStyle
{
    int32_t text = -2;       // COLORREF; -1 = the window text colour, -2 = not set
    int32_t background = -1; // COLORREF; -1 = the window background
};

// What a parser tells the editor about its language.
struct ParseInfo
{
    int number = 0;
    const char* text = nullptr;
};

// Colours text line by line: a line's spans depend only on its text and the
// state the previous line ended in, so lines are parsed strictly in order
// and each keeps its end state. Line i is display row i.
class CParse
{
public:
    enum
    {
        kStyleCount = 32
    };

    CParse();
    virtual ~CParse() = default;

    virtual void ParseLine(const char* text, const CDisplayLines& lines, int line) = 0;
    virtual ParseInfo GetInfo(int index) const = 0;

    // Drops every line; with allocate, starts again with 100 unparsed lines.
    void InitLines(bool allocate);
    // Marks the line and all parsed lines after it as not parsed.
    void InvalidateFrom(int line);
    // Parses every line not yet parsed up to `last`.
    void ParseUpTo(const char* text, const CDisplayLines& lines, int last);

    int LineCount() const { return static_cast<int>(m_lines.size()); }
    bool IsParsed(int line) const;
    // Empty when the line is not parsed.
    const std::vector<ColourSpan>& Spans(int line) const;
    int EndState(int line) const;
    const ParseStyle& Style(int style) const { return m_styles[style & (kStyleCount - 1)]; }

protected:
    struct ParsedLine
    {
        std::vector<ColourSpan> spans;
        int endState = 0;
    };

    // Appends a span to the line being parsed; a span at the position of the
    // previous one replaces it, and a span of the previous one's style adds
    // nothing.
    void AddSpan(int line, int position, int style);
    ParsedLine& Line(int line) { return m_lines[line]; }

    ParseStyle m_styles[kStyleCount];
    int m_parsedEnd = 0; // lines below this are parsed: they are parsed in order

private:
    std::vector<ParsedLine> m_lines;
};
