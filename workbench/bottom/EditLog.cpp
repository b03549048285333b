#include "workbench/bottom/EditLog.h"

#include "framework/Menu.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(CEditLog, CEdit)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_COMMAND(ID_LOG_DELETE_ALL, OnDeleteAll)
    ON_COMMAND(ID_LOG_COPY, OnCopy)
    ON_COMMAND(ID_LOG_AUTO_SCROLL, OnAutoScroll)
END_MESSAGE_MAP()

bool CEditLog::CanCopy() const
{
    DWORD start = 0, end = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start != end;
}

LRESULT CEditLog::OnGetDlgCode(WPARAM, LPARAM lParam)
{
    LRESULT code = Default();
    // Nothing is typed into a log: Tab moves the focus on, as in any dialog.
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB)
        code &= ~(DLGC_WANTTAB | DLGC_WANTALLKEYS);
    return code;
}

LRESULT CEditLog::OnContextMenu(WPARAM, LPARAM pos)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_LOG_MENU))
        return 0;
    CMenu popup;
    popup.Attach(menu.GetSubMenu(0));
    if (!popup.m_hMenu)
        return 0;
    popup.EnableMenuItem(ID_LOG_DELETE_ALL, MF_BYCOMMAND | (CanDeleteAll() ? MF_ENABLED : MF_GRAYED));
    popup.CheckMenuItem(ID_LOG_AUTO_SCROLL, MF_BYCOMMAND | (m_autoScroll ? MF_CHECKED : MF_UNCHECKED));
    popup.EnableMenuItem(ID_LOG_COPY, MF_BYCOMMAND | (CanCopy() ? MF_ENABLED : MF_GRAYED));
    CPoint pt(pos);
    if (pos == -1) {  // from the keyboard: at the window's corner
        pt = CPoint(0, 0);
        ClientToScreen(&pt);
    }
    popup.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, m_hWnd);
    popup.Detach();
    return 0;
}
