// The flash-usage bar under the file list: used of total bytes. A plain
// stand-in for the skinned gauge; the owner writes both and invalidates.
#pragma once

#include "framework/Wnd.h"

#include <cstdint>

class CWndProgress : public CWnd {
public:
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, OwnClassName(), "", style, rc, parent, id);
    }
    uint32_t m_total = 0;
    uint32_t m_used = 0;

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }

    CFont m_font;
};
