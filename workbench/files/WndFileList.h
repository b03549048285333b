// The file list pane at the left of the main window. This stand-in shows the
// entry list as a plain list box (one row per entry name, a double click
// opens it) until the self-drawn pane replaces it file for file; the member
// functions are the ones the main window calls.
#pragma once

#include "framework/Wnd.h"
#include "link/FileEntry.h"

class CWndFileList : public CWnd {
public:
    static constexpr UINT kListId = 1030;

    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, OwnClassName(), "", style, rc, parent, id);
    }
    // The main window's entry list; the pane does not own it.
    void SetEntryList(CFileEntryList* entries) { m_entries = entries; }

    const CString& GetCurrentFileName() const { return m_current; }
    void SetCurrentFileName(const char* name) { m_current = name; }
    // Makes the named entry current and shows it.
    void SelectFile(const char* name);
    int CountSelectedFiles() const;
    // Rows again from the entry list; the selection comes from the entries.
    void RebuildView();
    void RecalcLayout() { Invalidate(); }
    void GoToRoot() {}
    // Whether the entry is a row the user sees now (the stand-in shows all).
    bool IsEntryShown(const FileEntry& entry) const { return true; }
    // "lib" and "mmap" always exist: folder rows added when missing.
    void EnsureSystemFolders();
    void SetAddFileAction(int action) { m_addAction = action; }
    int GetAddFileAction() const { return m_addAction; }

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnSize(UINT type, int cx, int cy);
    void OnSelChange();
    void OnDblClk();
    // Delete asks the main window to drop the selected entries.
    LRESULT OnListKey(WPARAM wParam, LPARAM);
    FileEntry* EntryAtRow(int row) const;

    CWnd m_list;
    CFont m_font;
    CFileEntryList* m_entries = nullptr;
    CString m_current;
    int m_addAction = 0;
};
