// The pane itself: view, drawing, scrolling, the mouse and keys.
#include "workbench/files/WndFileList.h"

#include "resources/resource.h"
#include "ui/WindowMessages.h"
#include "workbench/files/ImageRules.h"
#include "ui/kit/GdiPlusUtil.h"
#include "ui/kit/Memdc.h"

#include <shellapi.h>

namespace {
constexpr int kRow = CFileListModel::kRowHeight;
constexpr COLORREF kGround = RGB(243, 243, 243);
constexpr COLORREF kSelected = RGB(33, 143, 255);
constexpr COLORREF kCurrentText = RGB(33, 146, 255);
constexpr COLORREF kGreyText = RGB(128, 128, 128);
}  // namespace

BEGIN_MESSAGE_MAP(CWndFileList, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_VSCROLL, OnVScroll)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheel)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_TIMER()
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_COMMAND(ID_FILELIST_NEW, OnNewFile)
    ON_COMMAND(ID_FILELIST_RENAME, OnRename)
    ON_COMMAND(ID_FILELIST_ADD, OnAddFiles)
    ON_COMMAND(ID_FILELIST_CLEAR_RECENT, OnClearRecent)
    ON_COMMAND(ID_FILELIST_DELETE, OnDeleteFiles)
    ON_COMMAND(ID_FILELIST_CHANGE_FIRMWARE, OnChangeFirmware)
    ON_COMMAND_RANGE(ID_FILELIST_RECENT_FIRST, ID_FILELIST_RECENT_LAST, OnRecentFile)
    ON_MESSAGE(WM_FILEDRAG_OVER, OnFileDragOver)
    ON_MESSAGE(WM_FILEDRAG_DROP, OnFileDragDrop)
    ON_MESSAGE(WM_FILEDRAG_LEAVE, OnFileDragLeave)
    ON_MESSAGE(kProcessDropMessage, OnProcessDrop)
    ON_MESSAGE(kRegisterDropMessage, OnRegisterDrop)
END_MESSAGE_MAP()

CWndFileList::CWndFileList() {
    m_drag.m_allowedEffect = DROPEFFECT_COPY;
    m_drag.CreateDragImageHelper();
}

CWndFileList::~CWndFileList() {
    for (Gdiplus::Bitmap** icon : {&m_iconState1, &m_iconState2, &m_iconLinked, &m_iconCurrent, &m_iconState4,
                                   &m_iconFolder}) {
        delete *icon;
        *icon = nullptr;
    }
}

const CString& CWndFileList::GetCurrentFileName() const {
    m_currentText = m_model.CurrentFile();
    return m_currentText;
}

int CWndFileList::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) < 0) return -1;
    m_font.CreateSimple("Arial", -12, 0);
    m_boldFont.CreateSimple("Arial", -12, FW_BOLD);
    // The drop target is registered once the window is up: the first
    // registration sets COM's marshalling up, milliseconds the start can spare.
    PostMessage(kRegisterDropMessage);
    ReadSettings();
    return 0;
}

LRESULT CWndFileList::OnRegisterDrop(WPARAM, LPARAM) {
    m_drag.Register(m_hWnd);
    return 0;
}

void CWndFileList::OnDestroy() {
    KillTimer(kTimerDragScroll);
    m_drag.Revoke();
    WriteSettings();
    m_model.GoToRoot();
    CWnd::OnDestroy();
}

void CWndFileList::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    RecalcLayout();
}

void CWndFileList::SelectFile(const char* name) {
    m_model.SelectFile(name ? name : "");
    RecalcLayout();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CWndFileList::RebuildView() {
    m_model.RebuildView();
    if (m_hWnd) Invalidate(FALSE);
}

void CWndFileList::RecalcLayout() {
    if (!m_hWnd) return;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, kRow * m_model.RowCount(),
                  static_cast<UINT>(GetClientRect().Height() + 1), 0, 0};
    ::SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void CWndFileList::GoToRoot() {
    m_model.GoToRoot();
    RecalcLayout();
    if (m_hWnd) Invalidate(FALSE);
}

void CWndFileList::Refresh() {
    m_model.RebuildView();
    RecalcLayout();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CWndFileList::RemoveFile(const char* name) {
    if (m_model.RemoveFile(name ? name : "")) RemoveCurrentNotice();
    Refresh();
}

void CWndFileList::RemoveCurrentNotice() { ::SendMessageA(GetParent(), WM_USER_CURRENT_FILE_REMOVED, 0, 0); }

int CWndFileList::HitTest(CPoint point) const {
    const CRect rc = GetClientRect();
    if (point.x < rc.left || point.x >= rc.right) return -1;
    return m_model.HitTest(point.y, ::GetScrollPos(m_hWnd, SB_VERT), rc.Height());
}

void CWndFileList::OnPaint() {
    CPaintDC paint(m_hWnd);
    // Someone may have freed or replaced entries since the last rebuild.
    if (m_model.RefreshIfStale()) RecalcLayout();
    const CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, kGround);
    dc.SetBkMode(TRANSPARENT);
    const int pos = ::GetScrollPos(m_hWnd, SB_VERT);
    for (int row = pos / kRow, y = -(pos % kRow); row < m_model.RowCount() && y < client.bottom; ++row, y += kRow)
        DrawRow(dc, row, y, client);
}

void CWndFileList::DrawIcon(HDC dc, Gdiplus::Bitmap* icon, int x, int rowTop) {
    if (!icon) return;
    Gdiplus::Graphics g(dc);
    const int w = static_cast<int>(icon->GetWidth()), h = static_cast<int>(icon->GetHeight());
    g.DrawImage(icon, x, rowTop + (kRow - h) / 2, w, h);
}

void CWndFileList::LoadIcons() {
    // With the first row drawn, not at start: the list starts empty.
    m_iconsLoaded = true;
    m_iconState1 = CGdiPlusUtil::LoadPng(IDP_FILE_STATE1);
    m_iconState2 = CGdiPlusUtil::LoadPng(IDP_FILE_STATE2);
    m_iconLinked = CGdiPlusUtil::LoadPng(IDP_FILE_LINKED);
    m_iconCurrent = CGdiPlusUtil::LoadPng(IDP_FILE_CURRENT);
    m_iconState4 = CGdiPlusUtil::LoadPng(IDP_FILE_STATE4);
    m_iconFolder = CGdiPlusUtil::LoadPng(IDP_FILE_FOLDER);
}

void CWndFileList::DrawRow(CDC& dc, int row, int y, const CRect& client) {
    const FileEntry* e = m_model.Row(row);
    if (!e) return;
    if (!m_iconsLoaded) LoadIcons();
    const bool folder = e->kind == FileEntry::kFolder;
    const bool rootFolder = folder && !m_model.IsUpRow(row);
    const bool current = !folder && !m_model.CurrentFile().empty() && e->name == m_model.CurrentFile();
    if (e->selected) dc.FillSolidRect(CRect(0, y, client.right, y + kRow), kSelected);
    COLORREF text = e->selected ? RGB(255, 255, 255) : RGB(0, 0, 0);
    if (current && !e->selected) text = kCurrentText;
    if (folder && e->name == "mmap") text = kGreyText;
    dc.SelectObject(current ? m_boldFont : m_font);
    dc.SetTextColor(text);
    if (rootFolder) DrawIcon(dc, m_iconFolder, 4, y);
    if (current) DrawIcon(dc, m_iconCurrent, 4, y);
    CRect rc(rootFolder ? 25 : 17, y, client.right - 40, y + kRow);
    const std::string label = m_model.RowText(row);
    dc.DrawText(label.c_str(), static_cast<int>(label.size()), &rc,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_WORD_ELLIPSIS);
    Gdiplus::Bitmap* state = e->state == 1 ? m_iconState1 : e->state == 2 ? m_iconState2
                            : e->state == 4 ? m_iconState4 : nullptr;
    if (!folder) DrawIcon(dc, state, client.right - 40, y);
    if (e->linked) DrawIcon(dc, m_iconLinked, client.right - 20, y);
}

LRESULT CWndFileList::OnVScroll(WPARAM wParam, LPARAM) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(m_hWnd, SB_VERT, &si);
    const int pos = imagerules::ScrollPosition(LOWORD(wParam), si.nPos, si.nMin, si.nMax, static_cast<int>(si.nPage),
                                               si.nTrackPos, kRow);
    ::SetScrollPos(m_hWnd, SB_VERT, pos, TRUE);
    Invalidate(FALSE);
    return 0;
}

LRESULT CWndFileList::OnMouseWheel(WPARAM wParam, LPARAM) {
    const short delta = static_cast<short>(HIWORD(wParam));
    PostMessage(WM_VSCROLL, delta < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
    return 0;
}

void CWndFileList::OnLButtonDown(UINT flags, CPoint point) {
    m_model.RefreshIfStale();
    const bool shift = (flags & MK_SHIFT) != 0, ctrl = (flags & MK_CONTROL) != 0;
    const CFileListModel::ClickResult r = m_model.ButtonDown(HitTest(point), shift, ctrl);
    m_buttonDown = true;
    SetCapture();
    // Delete and Ctrl+A reach the pane only while it has the focus.
    SetFocus();
    // Copies: the parent may change the list while it handles a message.
    const std::string openName = r.open ? r.open->name : std::string();
    const std::string infoName = r.info ? r.info->name : std::string();
    const uint32_t infoLength = r.info ? r.info->DataLength() : 0;
    if (r.open) {
        // 0: the parent refused it (a picture it cannot show); what was open stays.
        if (::SendMessageA(GetParent(), WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(r.open), r.image ? 1 : 0))
            m_model.SetCurrentFile(openName);
    }
    if (r.info)
        ::SendMessageA(GetParent(), WM_USER_SHOW_FILE_INFO, reinterpret_cast<WPARAM>(infoName.c_str()), infoLength);
    m_model.RefreshIfStale();
    Invalidate(FALSE);
}

void CWndFileList::OnLButtonUp(UINT flags, CPoint) {
    m_buttonDown = false;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    m_model.RefreshIfStale();
    m_model.ButtonUp((flags & MK_SHIFT) != 0, (flags & MK_CONTROL) != 0);
    Invalidate(FALSE);
}

LRESULT CWndFileList::OnCaptureChanged(WPARAM, LPARAM) {
    // OLE's drag loop takes the capture: the press is over for this pane.
    m_buttonDown = false;
    return 0;
}

void CWndFileList::OnMouseMove(UINT flags, CPoint) {
    if (!(flags & MK_LBUTTON) || !m_buttonDown) {
        m_ownDrag = 0;
        return;
    }
    m_model.RefreshIfStale();
    const std::vector<std::string> names = m_model.DraggableNames();
    if (names.empty()) {
        m_ownDrag = 0;
        return;
    }
    m_ownDrag = 1;
    m_model.ButtonUp((flags & MK_SHIFT) != 0, (flags & MK_CONTROL) != 0);
    Invalidate(FALSE);
    m_drag.m_allowedEffect = DROPEFFECT_MOVE;
    SetTimer(kTimerDragScroll, 100);
    m_buttonDown = false;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    m_drag.DragFiles(names);
    // The drag is over whatever happened: a later drop from elsewhere is not ours.
    if (m_hWnd) {
        KillTimer(kTimerDragScroll);
        m_ownDrag = 0;
        m_drag.m_allowedEffect = DROPEFFECT_COPY;
    }
}

void CWndFileList::OnTimer(UINT_PTR id) {
    if (id != kTimerDragScroll) {
        CWnd::OnTimer(id);
        return;
    }
    if (!m_ownDrag) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    if (cursor.y < 0 && ::GetScrollPos(m_hWnd, SB_VERT) >= 1) SendMessage(WM_VSCROLL, SB_LINEUP, 0);
}

void CWndFileList::OnLButtonDblClk(UINT, CPoint point) {
    m_model.RefreshIfStale();
    const CFileListModel::DoubleClickResult r = m_model.DoubleClick(HitTest(point));
    if (r.viewChanged) {
        ::SetScrollPos(m_hWnd, SB_VERT, 0, FALSE);
        RecalcLayout();
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    if (!r.shellPath.empty()) ShellOpen(r.shellPath);
}

void CWndFileList::ShellOpen(const std::string& path) {
    ::ShellExecuteA(m_hWnd, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

BOOL CWndFileList::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN || msg->hwnd != m_hWnd) return FALSE;
    if (msg->wParam == VK_DELETE) {
        OnDeleteFiles();
        return TRUE;
    }
    if (msg->wParam == 'A' && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        m_model.RefreshIfStale();
        m_model.SelectAll();
        Invalidate(FALSE);
        return TRUE;
    }
    return FALSE;
}
