#include "editor/DisplayLines.h"

#include <algorithm>
#include <cstring>

CDisplayLines::CDisplayLines()
{
    Reset();
}

void CDisplayLines::Reset()
{
    m_rows.assign(1, Extent{0, 0});
    m_breakpoints.assign(1, 0);
}

DisplayLine CDisplayLines::Row(int row) const
{
    DisplayLine d;
    if (row >= 0 && row < Count()) {
        d.start = m_rows[row].start;
        d.end = m_rows[row].end;
        d.line = row;
        d.breakpoint = m_breakpoints[row];
    }
    return d;
}

CDisplayLines::Extent CDisplayLines::RowAt(const char* text, int start)
{
    const char* p = text + start;
    while (*p && *p != '\r')
        ++p;
    return Extent{start, static_cast<int>(p - text)};
}

// The next row starts past the CR LF; a CR without its LF (which the buffer
// should never hold) is stepped over alone so no byte is read past the NUL.
int CDisplayLines::NextStart(const char* text, const Extent& row)
{
    if (text[row.end] != '\r')
        return -1;
    return text[row.end + 1] == '\n' ? row.end + 2 : row.end + 1;
}

int CDisplayLines::UpdateLines(const char* text, int position, int delta)
{
    if (position < 0) {
        m_rows.clear();
        for (int s = 0; s >= 0;) {
            Extent e = RowAt(text, s);
            m_rows.push_back(e);
            s = NextStart(text, e);
        }
        m_breakpoints.resize(m_rows.size(), 0);
        return 0;
    }

    int inserted = delta > 0 ? delta : 0;
    int removed = delta < 0 ? -delta : 0;
    int oldCount = Count();

    // First row touched: the last one starting at or before the change (rows
    // ending before it are unchanged).
    auto firstAfter = std::upper_bound(m_rows.begin(), m_rows.end(), position,
                                       [](int pos, const Extent& e) { return pos < e.start; });
    int first = static_cast<int>(firstAfter - m_rows.begin()) - 1;
    if (first < 0)
        first = 0;
    // A row after a lone CR starts right behind it, so a change there can
    // pair that CR with an LF (or part them) and move where the row starts.
    if (first > 0 && position == m_rows[first].start && text[position - 1] == '\r')
        --first;

    // Old rows that start past the removed bytes are candidates to resume:
    // once a rebuilt row starts where one of them now starts, the rest of the
    // table is the old one shifted.
    auto resume = std::lower_bound(m_rows.begin() + first + 1, m_rows.end(), position + removed,
                                   [](const Extent& e, int pos) { return e.start < pos; });
    int j = static_cast<int>(resume - m_rows.begin());

    std::vector<Extent> fresh;
    int s = m_rows[first].start;
    bool resumed = false;
    while (s >= 0) {
        if (s >= position + inserted) {
            while (j < oldCount && m_rows[j].start + delta < s)
                ++j;
            if (j < oldCount && m_rows[j].start + delta == s) {
                resumed = true;
                break;
            }
        }
        Extent e = RowAt(text, s);
        fresh.push_back(e);
        s = NextStart(text, e);
    }
    if (!resumed)
        j = oldCount;

    int replaced = j - first;
    int added = static_cast<int>(fresh.size());
    if (added != replaced) {
        // Rows come or go: the tail moves as a block.
        if (added < replaced)
            m_rows.erase(m_rows.begin() + first + added, m_rows.begin() + j);
        else
            m_rows.insert(m_rows.begin() + j, added - replaced, Extent{0, 0});
    }
    std::copy(fresh.begin(), fresh.end(), m_rows.begin() + first);
    if (delta != 0)
        for (auto it = m_rows.begin() + first + added; it != m_rows.end(); ++it) {
            it->start += delta;
            it->end += delta;
        }
    m_breakpoints.resize(m_rows.size(), 0);
    return first;
}

void CDisplayLines::PosToLineCol(int position, int& row, int& column) const
{
    if (position < 0)
        position = 0;
    auto it = std::upper_bound(m_rows.begin(), m_rows.end(), position,
                               [](int pos, const Extent& e) { return pos < e.start; });
    row = static_cast<int>(it - m_rows.begin()) - 1;
    if (row < 0)
        row = 0;
    column = position - m_rows[row].start;
}

int CDisplayLines::PosToLine(int position) const
{
    int row, column;
    PosToLineCol(position, row, column);
    return row;
}

int CDisplayLines::LineColToPos(int row, int column) const
{
    if (row < 0 || row >= Count())
        return -1;
    const Extent& e = m_rows[row];
    return e.start + std::clamp(column, 0, e.end - e.start);
}

int CDisplayLines::LongestRow() const
{
    int longest = 0;
    for (const Extent& e : m_rows)
        longest = std::max(longest, e.end - e.start);
    return longest;
}

bool CDisplayLines::Breakpoint(int row) const
{
    return row >= 0 && row < Count() && m_breakpoints[row] != 0;
}

void CDisplayLines::SetBreakpoint(int row, bool on)
{
    if (row >= 0 && row < Count())
        m_breakpoints[row] = on ? 1 : 0;
}

void CDisplayLines::ClearBreakpoints()
{
    std::fill(m_breakpoints.begin(), m_breakpoints.end(), 0);
}
