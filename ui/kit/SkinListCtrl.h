// The flat list of the watch pane: rows 20 pixels high, painted off-screen on
// a light grey ground.
#pragma once

#include "framework/Controls.h"

class CSkinListCtrl : public CListCtrl {
public:
    static constexpr int kRowHeight = 20;
    static constexpr COLORREF kGround = RGB(239, 239, 239);

    virtual bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CListCtrl::Create(style, rc, parent, id);
    }
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override { mis->itemHeight = kRowHeight; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnPaint();
};
