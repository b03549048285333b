#include "editor/TextLayout.h"

#include "editor/CodePage949.h"
#include "editor/TextMetrics.h"
#include "editor/TextStore.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

CTextLayout::CTextLayout(const CTextStore& store) : m_store(store)
{
    for (int& w : m_widths)
        w = 8;
}

void CTextLayout::SetMetrics(const CTextMetrics& metrics)
{
    for (int c = 1; c < 128; ++c) {
        char ch = static_cast<char>(c);
        m_widths[c] = metrics.TextWidth(&ch, 1);
    }
    m_widths[0] = m_widths[' '];
    m_twoByteWidth = metrics.TextWidth("\xC7\xD1", 2);
    m_charHeight = std::max(metrics.CharHeight(), 1);
    m_aveWidth = std::max(metrics.AveCharWidth(), 1);
    m_lineHeight = std::max(m_charHeight * m_lineGap / 100, 1);
    m_tabWidth = std::max(m_tabSize * m_aveWidth, 1);
    m_vOffset -= m_vOffset % m_lineHeight;
}

void CTextLayout::ApplyLayout(int lineGap)
{
    if (lineGap < 1)
        return;
    int topRow = m_vOffset / m_lineHeight;
    m_lineGap = lineGap;
    m_lineHeight = std::max(m_charHeight * m_lineGap / 100, 1);
    m_vOffset = topRow * m_lineHeight;
}

void CTextLayout::SetTabSize(int tabSize)
{
    if (tabSize < 1)
        return;
    m_tabSize = tabSize;
    m_tabWidth = std::max(m_tabSize * m_aveWidth, 1);
}

void CTextLayout::SetClientSize(int width, int height)
{
    m_clientWidth = std::max(width, 0);
    m_clientHeight = std::max(height, 0);
}

void CTextLayout::SetOffsets(int h, int v)
{
    m_hOffset = std::max(h, 0);
    m_vOffset = std::max(v, 0);
    m_vOffset -= m_vOffset % m_lineHeight;
}

int CTextLayout::CharWidthAt(const char* text, int pos, int rowEnd, int x, int& bytes) const
{
    unsigned char c = static_cast<unsigned char>(text[pos]);
    bytes = 1;
    if (c == '\t')
        return m_gutter + ((x - m_gutter) / m_tabWidth + 1) * m_tabWidth - x;
    if (c < 0x80)
        return m_widths[c];
    bytes = CharLength949(text, pos, rowEnd);
    // A byte that starts no two-byte character shows as half a cell.
    return bytes == 2 ? m_twoByteWidth : m_twoByteWidth / 2;
}

void CTextLayout::PosToXY(int position, int& x, int& y) const
{
    const CDisplayLines& lines = m_store.Lines();
    int row, column;
    lines.PosToLineCol(position, row, column);
    y = row * m_lineHeight;
    x = m_gutter;
    const char* text = m_store.Text();
    int end = std::min(lines.End(row), position);
    for (int p = lines.Start(row); p < end;) {
        int n;
        x += CharWidthAt(text, p, lines.End(row), x, n);
        p += n;
    }
}

int CTextLayout::XYToPos(int x, int y) const
{
    int row = std::max(y, 0) / m_lineHeight;
    row = std::min(row, m_store.Lines().Count() - 1);
    return XToPos(row, x);
}

int CTextLayout::XToPos(int row, int x) const
{
    const CDisplayLines& lines = m_store.Lines();
    if (row < 0 || row >= lines.Count())
        return -1;
    x = std::max(x, 0);
    const char* text = m_store.Text();
    int end = lines.End(row);
    int cx = m_gutter;
    for (int p = lines.Start(row); p < end;) {
        int n;
        int w = CharWidthAt(text, p, end, cx, n);
        if (cx + w - w / 2 >= x)
            return p;
        cx += w;
        p += n;
    }
    return end;
}

bool CTextLayout::UpdateScrollBars(ScrollRange& vertical, ScrollRange& horizontal, bool& offsetReset)
{
    offsetReset = false;
    if (m_clientWidth <= 0 || m_clientHeight <= 0)
        return false;
    int rows = RowsPerPage();
    long long vRange = (static_cast<long long>(rows) / 2 + m_store.Lines().Count()) * m_lineHeight;
    long long hRange = static_cast<long long>(m_store.Lines().LongestRow()) * m_aveWidth * 3 / 2;
    m_vRange = static_cast<int>(std::min<long long>(vRange, INT_MAX));
    m_hRange = static_cast<int>(std::min<long long>(hRange, INT_MAX));
    vertical.max = m_vRange;
    vertical.page = rows * m_lineHeight;
    if (m_vRange < vertical.page && m_vOffset != 0) {
        m_vOffset = 0;
        offsetReset = true;
    }
    vertical.pos = m_vOffset;
    horizontal.max = m_hRange;
    horizontal.page = m_clientWidth;
    horizontal.pos = m_hOffset;
    return true;
}

// The wanted move of one scroll bar action; 0 for the codes that move nothing.
static int ScrollStep(ScrollCode code, int line, int page, int trackPos, int offset)
{
    switch (code) {
    case ScrollCode::LineUp: return -line;
    case ScrollCode::LineDown: return line;
    case ScrollCode::PageUp: return -page;
    case ScrollCode::PageDown: return page;
    case ScrollCode::ThumbTrack: return trackPos - offset;
    default: return 0;
    }
}

int CTextLayout::VScroll(ScrollCode code, int trackPos)
{
    const int page = RowsPerPage() * m_lineHeight;
    const int step = ScrollStep(code, m_lineHeight, page, trackPos, m_vOffset);
    if (step == 0)
        return 0;
    const int target = std::clamp(m_vOffset + step, 0, std::max(m_vRange - page, 0));
    const int moved = (target - m_vOffset) / m_lineHeight * m_lineHeight;
    m_vOffset += moved;
    return moved;
}

int CTextLayout::HScroll(ScrollCode code, int trackPos)
{
    const int page = std::max(m_clientWidth - m_gutter, 0);
    const int step = ScrollStep(code, m_charHeight, page, trackPos, m_hOffset);
    if (step == 0)
        return 0;
    const int target = std::clamp(m_hOffset + step, 0, std::max(m_hRange, 0));
    const int moved = target - m_hOffset;
    m_hOffset = target;
    return moved;
}

int CTextLayout::Wheel(int delta, int linesPerNotch)
{
    // No lines per notch scrolls nothing; "a page per notch" scrolls a page.
    if (linesPerNotch == 0)
        return 0;
    if (linesPerNotch < 0)
        linesPerNotch = std::max(RowsPerPage(), 1);
    int threshold = std::max(120 / linesPerNotch, 1);
    m_wheelRest += delta;
    int moved = 0;
    while (std::abs(m_wheelRest) >= threshold) {
        bool up = m_wheelRest > 0;
        m_wheelRest += up ? -threshold : threshold;
        moved += VScroll(up ? ScrollCode::LineUp : ScrollCode::LineDown, 0);
    }
    return moved;
}

bool CTextLayout::ScrollIntoView(int position, int caretWidth)
{
    int x, y;
    PosToXY(position, x, y);
    int h = m_hOffset, v = m_vOffset;
    if (x + caretWidth > m_hOffset + m_clientWidth || x < m_gutter + m_hOffset)
        m_hOffset = std::max(0, x - m_clientWidth / 2);
    if (y < m_vOffset)
        m_vOffset = y;
    if (y + m_charHeight > m_vOffset + m_clientHeight)
        m_vOffset = std::max(0, y - (m_clientHeight - m_charHeight) / m_lineHeight * m_lineHeight);
    return h != m_hOffset || v != m_vOffset;
}

void CTextLayout::PaintRows(int top, int bottom, int& first, int& last) const
{
    first = (top + m_vOffset) / m_lineHeight;
    last = std::min((m_vOffset + bottom - 1) / m_lineHeight, m_store.Lines().Count() - 1);
}

void CTextLayout::InvalidateBand(int first, int last, int& top, int& bottom) const
{
    if (first < 0) {
        top = 0;
        bottom = m_clientHeight;
        return;
    }
    const CDisplayLines& lines = m_store.Lines();
    top = lines.PosToLine(first) * m_lineHeight - m_vOffset;
    bottom = last < 0 ? m_clientHeight : (lines.PosToLine(last) + 1) * m_lineHeight - m_vOffset;
}

std::vector<TextRun> CTextLayout::SplitRow(int row, int selStart, int selEnd, bool focus, bool currentLine,
                                           const EditorColours& colours, int stopX) const
{
    std::vector<TextRun> runs;
    const CDisplayLines& lines = m_store.Lines();
    if (row < 0 || row >= lines.Count())
        return runs;
    const char* text = m_store.Text();
    const std::vector<ColourSpan>& spans = m_store.Parser().Spans(row);
    int s = lines.Start(row), e = lines.End(row);
    int a = std::min(selStart, selEnd), b = std::max(selStart, selEnd);

    // Spans come in text order, and so do runs: one pass over them serves
    // the whole row (a row of a minified page can hold 100,000s of spans).
    size_t nextSpan = 0;  // first span starting after the run's start
    size_t styleSpan = 0; // first span not yet starting before a run's end
    int style = 0;
    auto nextBoundary = [&](int p) {
        int q = std::min(e, p + 4096);
        if (a > p && a < q)
            q = a;
        if (b > p && b < q)
            q = b;
        while (nextSpan < spans.size() && spans[nextSpan].position <= p)
            ++nextSpan;
        if (nextSpan < spans.size() && spans[nextSpan].position < q)
            q = spans[nextSpan].position;
        return q;
    };
    auto colour = [&](TextRun& run) {
        if (a < b && run.start >= a && run.start < b) {
            run.text = focus ? colours.highlightText : EditorColours::kSelectionNoFocusText;
            run.background = focus ? colours.highlight : EditorColours::kSelectionNoFocusBack;
            return;
        }
        for (; styleSpan < spans.size() && spans[styleSpan].position < run.start + run.length; ++styleSpan)
            style = spans[styleSpan].style;
        const ParseStyle& st = m_store.Parser().Style(style);
        run.text = st.text < 0 ? colours.windowText : st.text;
        run.background = st.background != -1 ? st.background
                         : currentLine          ? EditorColours::kCurrentLine
                                                : colours.window;
    };

    int x = m_gutter - m_hOffset;
    for (int p = s; p < e && x < stopX;) {
        TextRun run;
        run.start = p;
        run.x = x;
        if (text[p] == '\t') {
            int stop = m_gutter + ((m_hOffset - m_gutter + x) / m_tabWidth + 1) * m_tabWidth - m_hOffset;
            run.tab = true;
            run.length = 1;
            run.width = stop - x;
        } else {
            int limit = nextBoundary(p);
            int q = p;
            int w = 0;
            while (q < limit && text[q] != '\t') {
                int n;
                w += CharWidthAt(text, q, e, x + w + m_hOffset, n);
                q += n;
            }
            run.length = q - p;
            run.width = w;
        }
        colour(run);
        runs.push_back(run);
        x += run.width;
        p += run.length;
    }
    return runs;
}
