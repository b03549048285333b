// A draggable bar between panes. While dragged it draws an inverted tracker;
// on release it sends WM_USER_SPLITTER_MOVED to its parent, which reads the
// last offset during that call.
#pragma once

#include "framework/Controls.h"

class CSplitter : public CStatic {
public:
    static constexpr int kNone = -8000;

    // orientation 0: a vertical bar dragged along x; 1: a horizontal bar dragged along y.
    explicit CSplitter(int orientation = 0, COLORREF colour = static_cast<COLORREF>(-1))
        : m_orientation(orientation), m_colour(colour) {}
    bool Create(HWND parent, const RECT& rc, UINT id);

    int GetOrientation() const { return m_orientation; }
    // The last drag point in the bar's client coordinates (kNone outside a drag).
    int GetLastX() const { return m_lastX; }
    int GetLastY() const { return m_lastY; }
    void SetColour(COLORREF colour) { m_colour = colour; Invalidate(); }

protected:
    DECLARE_MESSAGE_MAP()
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint pt);
    void OnMouseMove(UINT flags, CPoint pt);
    void OnLButtonUp(UINT flags, CPoint pt);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    void DrawTracker(int x, int y);

    int m_orientation;
    COLORREF m_colour;
    int m_lastX = kNone;
    int m_lastY = kNone;
    int m_dragging = 0;
};
