#pragma once
#include <climits>
#include <cstdint>
#include <vector>

class CTextStore;
class CTextMetrics;

struct ScrollRange
{
    int max = 0;
    int page = 0;
    int pos = 0;
};

// One stretch of a row drawn in one colour: a single tab, or text up to a
// selection or colour boundary (at most 4096 bytes).
struct TextRun
{
    int start = 0;     // byte position
    int length = 0;
    bool tab = false;
    int x = 0;         // client x of its left edge
    int width = 0;     // pixels; a tab's fill reaches one pixel further
    int32_t text = 0;  // COLORREF
    int32_t background = 0;
};

struct EditorColours
{
    int32_t window = 0xFFFFFF;         // COLOR_WINDOW
    int32_t windowText = 0x000000;     // COLOR_WINDOWTEXT
    int32_t highlight = 0xFF9933;      // COLOR_HIGHLIGHT
    int32_t highlightText = 0xFFFFFF;  // COLOR_HIGHLIGHTTEXT
    static constexpr int32_t kSelectionNoFocusText = 0x000000;
    static constexpr int32_t kSelectionNoFocusBack = 0xC0C0C0;
    static constexpr int32_t kCurrentLine = 0xFFE8E8;
};

enum class ScrollCode
{
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbTrack,
    ThumbPosition,
    Other,
};

// Rows to pixels and back, tab stops, scroll ranges and steps, and a row cut
// into coloured runs: everything of the editor's drawing that needs no DC.
// Character widths come from an injected CTextMetrics.
class CTextLayout
{
public:
    explicit CTextLayout(const CTextStore& store);

    // The font: width table (bytes 1-127, 0 as a blank), the two-byte width,
    // line height with the gap, tab width. The vertical offset stays a
    // multiple of the new line height.
    void SetMetrics(const CTextMetrics& metrics);
    // Line gap in percent; the top row stays the top row. Values below 1 are
    // refused (the line height would be 0).
    void ApplyLayout(int lineGap);
    // Tab size in characters; values below 1 are refused.
    void SetTabSize(int tabSize);
    void SetGutterWidth(int width) { m_gutter = width < 0 ? 0 : width; }
    void SetClientSize(int width, int height);

    int LineHeight() const { return m_lineHeight; }
    int CharHeight() const { return m_charHeight; }
    int AveCharWidth() const { return m_aveWidth; }
    int TabWidth() const { return m_tabWidth; }
    int TabSize() const { return m_tabSize; }
    int LineGap() const { return m_lineGap; }
    int GutterWidth() const { return m_gutter; }
    int TwoByteWidth() const { return m_twoByteWidth; }
    int ByteWidth(unsigned char c) const { return m_widths[c < 128 ? c : 0]; }
    int HOffset() const { return m_hOffset; }
    int VOffset() const { return m_vOffset; }
    void SetOffsets(int h, int v);
    int RowsPerPage() const { return m_lineHeight > 0 ? m_clientHeight / m_lineHeight : 0; }

    // Text positions and pixels, in document coordinates (no scroll
    // offsets): x includes the gutter, y is row x line height.
    void PosToXY(int position, int& x, int& y) const;
    int XYToPos(int x, int y) const;
    int XToPos(int row, int x) const;
    // Width of a character that starts at x (tabs depend on x).
    int CharWidthAt(const char* text, int pos, int rowEnd, int x, int& bytes) const;

    // Scroll bar ranges; resets the vertical offset when everything fits.
    // False when the client area is empty (nothing to set).
    bool UpdateScrollBars(ScrollRange& vertical, ScrollRange& horizontal, bool& offsetReset);
    // Applies a scroll request; returns how far the offset moved in pixels
    // (positive = towards the end); the window scrolls its contents back.
    int VScroll(ScrollCode code, int trackPos);
    int HScroll(ScrollCode code, int trackPos);
    // A wheel delta; linesPerNotch is SPI_GETWHEELSCROLLLINES.
    int Wheel(int delta, int linesPerNotch);

    // Scrolls so that a caret of the given width at `position` is visible:
    // sideways it is centred, vertically the view moves just enough. True
    // when an offset changed.
    bool ScrollIntoView(int position, int caretWidth);

    // Paint rows for a band of the client area.
    void PaintRows(int top, int bottom, int& first, int& last) const;
    // The client band to repaint for the rows holding first..last (last -1:
    // to the bottom; first -1: everything).
    void InvalidateBand(int first, int last, int& top, int& bottom) const;

    // Cuts a row into runs with their colours. selStart/selEnd: the
    // selection [min, max); caretRow with the current-line highlight on
    // paints -1 backgrounds in the current-line colour.
    // Runs starting at or past stopX (right of the window) are left out.
    std::vector<TextRun> SplitRow(int row, int selStart, int selEnd, bool focus, bool currentLine,
                                  const EditorColours& colours, int stopX = INT_MAX) const;

private:
    int ScrollClamp(int offset, int range, int page) const;

    const CTextStore& m_store;
    int m_widths[128] = {};
    int m_twoByteWidth = 16;
    int m_charHeight = 16;
    int m_lineGap = 120;
    int m_lineHeight = 19;
    int m_aveWidth = 8;
    int m_tabSize = 4;
    int m_tabWidth = 32;
    int m_gutter = 40;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    int m_hOffset = 0;
    int m_vOffset = 0;
    int m_vRange = 0;
    int m_hRange = 0;
    int m_wheelRest = 0;
};
