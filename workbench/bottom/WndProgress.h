// The flash-usage bar under the file list: how much of the board's file
// system the current files take. The owner writes total and used (bytes)
// and invalidates; the bar reads them when it paints.
#pragma once

#include "framework/Wnd.h"
#include "workbench/bottom/GaugeRules.h"
#include "workbench/bottom/GaugeSkin.h"

#include <cstdint>

class CWndProgress : public CWnd {
public:
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, OwnClassName(), "", style, rc, parent, id);
    }
    uint32_t m_total = 0;
    uint32_t m_used = 0;

    // Geometry, for the owner's layout and for tests.
    static constexpr int kTrackLeft = 2;
    static constexpr int kTrackTop = 9;
    static constexpr int kFillTop = 10;
    int GetBarWidth() const { return m_barWidth; }
    // Where the texts go for the current numbers, measured in the bar's font
    // (client coordinates; with total 0 only the title counts).
    gauge::BarTexts TextSpans() const;

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BarLabels Labels() const;
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }

    CFont m_font;
    CGaugeSkin m_skin;
    int m_barWidth = 0;
};
