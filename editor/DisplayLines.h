#pragma once
#include <cstdint>
#include <vector>

// One screen row. Rows break only at CR, so the logical line is the row's
// index and the segment is always 0.
struct DisplayLine
{
    int start = -1;  // first byte; -1 = no such row
    int end = -1;    // the row's CR, or the terminating NUL
    int line = -1;   // logical line
    int segment = 0; // continuation rows of a logical line (none here)
    int breakpoint = 0;
};

// The row table over the text buffer, rebuilt incrementally after each edit.
class CDisplayLines
{
public:
    CDisplayLines();

    // Empties the table down to the one row of an empty text.
    void Reset();

    // After `delta` bytes were inserted (delta > 0) or removed (delta < 0) at
    // `position` of `text` (the new text, NUL-terminated); position -1 rebuilds
    // everything. Returns the first row whose extent may have changed.
    int UpdateLines(const char* text, int position, int delta);

    int Count() const { return static_cast<int>(m_rows.size()); }
    DisplayLine Row(int row) const;
    int Start(int row) const { return row >= 0 && row < Count() ? m_rows[row].start : -1; }
    int End(int row) const { return row >= 0 && row < Count() ? m_rows[row].end : -1; }

    // The row holding `position` and the byte column in it. A position at a
    // row's CR (or the text's end) belongs to that row.
    void PosToLineCol(int position, int& row, int& column) const;
    int PosToLine(int position) const;
    // start + min(column, row length); -1 for a row that does not exist.
    int LineColToPos(int row, int column) const;
    int LongestRow() const;

    // Breakpoint marks stay with the row index when rows come and go.
    bool Breakpoint(int row) const;
    void SetBreakpoint(int row, bool on);
    void ClearBreakpoints();

private:
    struct Extent
    {
        int start;
        int end;
    };
    static Extent RowAt(const char* text, int start);
    static int NextStart(const char* text, const Extent& row);

    std::vector<Extent> m_rows;
    std::vector<uint8_t> m_breakpoints;
};
