// The read-only edit of a log pane, with its context menu: delete all,
// copy the selection, auto scroll on or off.
#pragma once

#include "framework/Controls.h"

class CEditLog : public CEdit {
public:
    int m_autoScroll = 1;

    // The popup's item states as the menu shows them (for the menu and tests).
    bool CanDeleteAll() const { return GetWindowTextLength() > 0; }
    bool CanCopy() const;

protected:
    DECLARE_MESSAGE_MAP()
    LRESULT OnContextMenu(WPARAM, LPARAM pos);
    LRESULT OnGetDlgCode(WPARAM, LPARAM lParam);
    void OnDeleteAll() { SetWindowText(""); }
    void OnCopy() { SendMessage(WM_COPY); }
    void OnAutoScroll() { m_autoScroll = !m_autoScroll; }
};
