// The "Resource" tab of the bottom pane: the board's script-engine memory,
// four global rows and the two rows of the task chosen in the combo box,
// each a gauge of used against total. The main window owns the twelve
// records {total, used, third} and hands the view a pointer to them.
#pragma once

#include "framework/Controls.h"
#include "workbench/bottom/GaugeRules.h"
#include "workbench/bottom/GaugeSkin.h"

#include <cstdint>

class CWndResource : public CWnd {
public:
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, OwnClassName(), "", style, rc, parent, id);
    }
    // rows: twelve records of three values (total, used, unused here); null
    // draws every row empty.
    void SetRows(const int32_t (*rows)[3]) { m_rows = rows; if (m_hWnd) Invalidate(); }
    int GetTaskIndex() const { return m_task; }
    CComboBox& TaskCombo() { return m_combo; }
    // Where row 0..5's texts go for the current numbers, measured in the
    // view's font (client coordinates; with total 0 only the name counts).
    gauge::BarTexts TextSpans(int row) const;

    static constexpr int kRowTop = 5;
    static constexpr int kRowStep = 25;
    static constexpr int kGlobalX = 5;
    static constexpr int kTaskX = 70;

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnTaskChange();
    BarLabels Labels(int row) const;

    CFont m_font;
    CFont m_comboFont;
    CGaugeSkin m_skin;
    CComboBox m_combo;
    int m_task = 0;
    int m_barWidth = 0;
    const int32_t (*m_rows)[3] = nullptr;
};
