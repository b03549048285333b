#include "workbench/files/WndFileList.h"

#include "workbench/WindowMessages.h"

BEGIN_MESSAGE_MAP(CWndFileList, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_CONTROL(LBN_SELCHANGE, kListId, OnSelChange)
    ON_CONTROL(LBN_DBLCLK, kListId, OnDblClk)
    ON_MESSAGE(WM_VKEYTOITEM, OnListKey)
END_MESSAGE_MAP()

int CWndFileList::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) < 0) return -1;
    m_font.CreateSimple("Arial", -12, FW_NORMAL);
    m_list.CreateEx(0, "LISTBOX", "",
                    WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT |
                        LBS_WANTKEYBOARDINPUT,
                    CRect(), m_hWnd, kListId);
    m_list.SetFont(m_font);
    return 0;
}

void CWndFileList::OnSize(UINT, int cx, int cy) {
    if (m_list.m_hWnd) m_list.MoveWindow(0, 0, cx, cy);
}

FileEntry* CWndFileList::EntryAtRow(int row) const {
    if (!m_entries || row < 0) return nullptr;
    // The row's item data is its entry index at the last rebuild; the name
    // confirms it, so a list changed meanwhile is never read past its end.
    const LRESULT index = m_list.SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(row));
    if (index == LB_ERR || static_cast<size_t>(index) >= m_entries->Count()) return nullptr;
    return &m_entries->At(static_cast<size_t>(index));
}

void CWndFileList::RebuildView() {
    if (!m_list.m_hWnd) return;
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_list.SendMessage(LB_RESETCONTENT);
    for (size_t i = 0; m_entries && i < m_entries->Count(); ++i) {
        const FileEntry& e = m_entries->At(i);
        const CString row = e.kind == FileEntry::kFolder ? CString("[") + e.name.c_str() + "]" : CString(e.name);
        const LRESULT at = m_list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
        m_list.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
        if (e.selected) m_list.SendMessage(LB_SETSEL, TRUE, at);
    }
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    m_list.Invalidate();
}

void CWndFileList::SelectFile(const char* name) {
    m_current = name;
    RebuildView();
}

int CWndFileList::CountSelectedFiles() const {
    int n = 0;
    for (size_t i = 0; m_entries && i < m_entries->Count(); ++i)
        if (m_entries->At(i).selected && m_entries->At(i).kind != FileEntry::kFolder) ++n;
    return n;
}

void CWndFileList::OnSelChange() {
    const int rows = static_cast<int>(m_list.SendMessage(LB_GETCOUNT));
    for (int row = 0; row < rows; ++row)
        if (FileEntry* e = EntryAtRow(row)) e->selected = m_list.SendMessage(LB_GETSEL, static_cast<WPARAM>(row)) > 0;
    const int caret = static_cast<int>(m_list.SendMessage(LB_GETCARETINDEX));
    if (FileEntry* e = EntryAtRow(caret))
        ::SendMessageA(GetParent(), WM_USER_SHOW_FILE_INFO, reinterpret_cast<WPARAM>(e->name.c_str()),
                       static_cast<LPARAM>(e->DataLength()));
}

void CWndFileList::OnDblClk() {
    FileEntry* e = EntryAtRow(static_cast<int>(m_list.SendMessage(LB_GETCARETINDEX)));
    if (!e || e->kind == FileEntry::kFolder || e->kind == FileEntry::kOther || e->name == m_current.str()) return;
    const bool image = e->kind == FileEntry::kImage;
    // The main window brings the open entry up to date before this one shows.
    ::SendMessageA(GetParent(), WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(e), image ? 1 : 0);
}

void CWndFileList::EnsureSystemFolders() {
    if (!m_entries) return;
    for (const char* name : {"mmap", "lib"}) {
        if (m_entries->Find(name)) continue;
        auto folder = std::make_unique<FileEntry>();
        folder->name = name;
        folder->nameLength = static_cast<uint8_t>(folder->name.size() + 1);
        folder->kind = FileEntry::kFolder;
        m_entries->Insert(std::move(folder));
    }
}

LRESULT CWndFileList::OnListKey(WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) != VK_DELETE) return -1;  // the list box's own handling
    // The main window decides whether the entries may go.
    ::SendMessageA(GetParent(), WM_USER_DELETE_FILES, 0, 0);
    return -2;
}
