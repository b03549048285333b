// The file list pane at the left of the main window: the entries of the
// main window's list as a one-level folder tree, drawn by the pane itself.
// Its rules live in CFileListModel; this class draws, forwards the mouse,
// keys and menu to them, and runs the dialogs and the drags.
#pragma once

#include "framework/Menu.h"
#include "framework/Wnd.h"
#include "link/FileEntry.h"
#include "workbench/files/Drag.h"
#include "workbench/files/FileListModel.h"
#include "workbench/files/RecentFiles.h"
#include "ui/kit/GdiPlus.h"

#include <string>
#include <vector>

// The system open-file dialog for one file or several: filter with "|"
// between its parts, a start folder (empty: the system's choice). The chosen
// full paths, and the folder the dialog reports (its path up to its last
// backslash). False on Cancel.
bool OpenFilesDialog(HWND owner, const std::string& filter, const char* title, const char* startFolder,
                     std::vector<std::string>& paths, std::string& folder);

class CWndFileList : public CWnd {
public:
    enum : UINT { kTimerDragScroll = 1 };
    // Posted to itself: a drop is handled after the OLE drop call returned.
    static constexpr UINT kProcessDropMessage = WM_APP + 20;
    static constexpr UINT kRegisterDropMessage = WM_APP + 21;

    CWndFileList();
    ~CWndFileList() override;

    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, OwnClassName(), "", style, rc, parent, id);
    }
    // The main window's entry list; the pane does not own it.
    void SetEntryList(CFileEntryList* entries) { m_model.SetEntryList(entries); }

    const CString& GetCurrentFileName() const;
    void SetCurrentFileName(const char* name) { m_model.SetCurrentFile(name ? name : ""); }
    // Makes the named entry current and shows its folder.
    void SelectFile(const char* name);
    int CountSelectedFiles() const { return m_model.CountSelectedFiles(); }
    // Rows again from the entry list (the anchor is dropped, hidden entries deselected).
    void RebuildView();
    void RecalcLayout();
    // Back to the root with an empty view; the caller rebuilds.
    void GoToRoot();
    bool IsEntryShown(const FileEntry& entry) const { return m_model.IsShown(entry); }
    // "lib" and "mmap" always exist.
    void EnsureSystemFolders() { m_model.EnsureSystemFolders(); }
    void SetAddFileAction(int action) { m_addAction = action; }
    int GetAddFileAction() const { return m_addAction; }
    // Removes every file of that name (the parent hears when it was current).
    void RemoveFile(const char* name);
    int HasFile(const char* name) const { return m_model.HasFile(name ? name : "") ? 1 : 0; }
    int FindFileRow(const char* name) const { return m_model.FindFileRow(name ? name : ""); }
    // The view row under a client point, -1 for none.
    int HitTest(CPoint point) const;
    const CString& GetLastAddFolder() const { return m_lastAddFolder; }
    // The main window's packed-file dialog starts here and leaves its folder.
    void SetLastAddFolder(const char* folder) { m_lastAddFolder = folder ? folder : ""; }

    // The context menu as it would show now (recent paths inserted, items
    // enabled by the rules); the caller owns it.
    bool BuildContextMenu(CMenu& menu);

    BOOL PreTranslateMessage(MSG* msg) override;

    CFileListModel& Model() { return m_model; }
    CRecentFiles& Recent() { return m_recent; }
    CDrag& DropTarget() { return m_drag; }
    bool IsOwnDragActive() const { return m_ownDrag != 0; }

    // Init.ini under the application-data folder (tests point it elsewhere).
    static CString IniPath();
    static void SetIniFolderForTests(const char* folder);

protected:
    // The system open-file dialog: the chosen paths and the folder it reports.
    virtual bool ChooseFiles(std::vector<std::string>& paths, std::string& folder);
    // The shell's default action on a PC file.
    virtual void ShellOpen(const std::string& path);

    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnTimer(UINT_PTR id);
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);

    // Operations (WndFileListOps.cpp).
    void OnNewFile();
    void OnRename();
    void OnAddFiles();
    void OnClearRecent();
    void OnDeleteFiles();
    void OnChangeFirmware();
    void OnRecentFile(UINT id);
    LRESULT OnFileDragOver(WPARAM wParam, LPARAM lParam);
    LRESULT OnFileDragDrop(WPARAM wParam, LPARAM lParam);
    LRESULT OnFileDragLeave(WPARAM, LPARAM) { return 0; }
    LRESULT OnProcessDrop(WPARAM, LPARAM);
    LRESULT OnRegisterDrop(WPARAM, LPARAM);
    void DropFromDesktop(const std::vector<std::string>& paths);
    void DropOwnRows(const std::vector<std::string>& names, CPoint point);
    void ReadSettings();
    void WriteSettings();

    // Helpers.
    bool QueryEditable() const;
    void NotifyFilesChanged();
    void Refresh();  // rebuild, scroll range, repaint now
    // Asks whether the new file replaces the one of that name; the dialogs
    // name it. applyToAll: the drop's or Add's state, null for no tick box.
    bool AskReplace(const std::string& name, int* applyToAll);
    // Asks for the editor of added files when the preference says so; false: cancelled.
    bool ChooseEditor(bool& internal);
    // Adds one PC file; false when it was skipped.
    bool AddPath(const std::string& path, bool internal, int* applyToAll, bool remember);
    void ShowNameProblem(int verdict, const std::string& name);
    void DrawRow(CDC& dc, int row, int y, const CRect& client);
    void DrawIcon(HDC dc, Gdiplus::Bitmap* icon, int x, int rowTop);
    void RemoveCurrentNotice();

    CFileListModel m_model;
    mutable CString m_currentText;
    CString m_lastAddFolder;
    CFont m_font;
    CFont m_boldFont;
    Gdiplus::Bitmap* m_iconState1 = nullptr;
    Gdiplus::Bitmap* m_iconState2 = nullptr;
    Gdiplus::Bitmap* m_iconLinked = nullptr;
    Gdiplus::Bitmap* m_iconCurrent = nullptr;
    Gdiplus::Bitmap* m_iconState4 = nullptr;
    Gdiplus::Bitmap* m_iconFolder = nullptr;
    bool m_iconsLoaded = false;
    void LoadIcons();
    CDrag m_drag;
    int m_addAction = 0;
    CRecentFiles m_recent;
    int m_ownDrag = 0;
    bool m_buttonDown = false;

    struct PendingDrop {
        std::vector<std::string> paths;
        CPoint point;
        bool own;
    };
    std::vector<PendingDrop> m_pendingDrops;
};
