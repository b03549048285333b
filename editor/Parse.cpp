#include "editor/Parse.h"

#include "editor/DisplayLines.h"

#include <cstddef>

CParse::CParse()
{
    InitLines(true);
}

void CParse::InitLines(bool allocate)
{
    m_lines.clear();
    m_lines.shrink_to_fit();
    m_parsedEnd = 0;
    if (allocate)
        m_lines.resize(100);
}

bool CParse::IsParsed(int line) const
{
    return line >= 0 && line < m_parsedEnd;
}

const std::vector<ColourSpan>& CParse::Spans(int line) const
{
    static const std::vector<ColourSpan> none;
    return IsParsed(line) ? m_lines[line].spans : none;
}

int CParse::EndState(int line) const
{
    return IsParsed(line) ? m_lines[line].endState : 0;
}

void CParse::InvalidateFrom(int line)
{
    if (line < 0)
        line = 0;
    // Span arrays stay allocated for the next parse.
    for (int i = line; i < m_parsedEnd; ++i)
        m_lines[i].spans.clear();
    if (line < m_parsedEnd)
        m_parsedEnd = line;
}

void CParse::ParseUpTo(const char* text, const CDisplayLines& lines, int last)
{
    if (last >= lines.Count())
        last = lines.Count() - 1;
    if (last >= LineCount())
        m_lines.resize(static_cast<size_t>(last) + 100);
    for (int i = m_parsedEnd; i <= last; ++i) {
        ParseLine(text, lines, i);
        m_parsedEnd = i + 1;
    }
}

void CParse::AddSpan(int line, int position, int style)
{
    std::vector<ColourSpan>& spans = m_lines[line].spans;
    if (!spans.empty()) {
        ColourSpan& prev = spans.back();
        if (prev.position == position) {
            prev.style = style;
            return;
        }
        if (prev.style == style)
            return;
    }
    spans.push_back(ColourSpan{position, style}); // grows geometrically
}
