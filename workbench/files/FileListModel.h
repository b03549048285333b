// The file list pane's rules without a window: which rows show, the
// selection, folders, moves and renames, and which menu items apply.
// Portable; CWndFileList draws it and turns messages into calls.
#pragma once

#include "link/FileEntry.h"

#include <string>
#include <vector>

class CFileListModel {
public:
    static constexpr int kRowHeight = 20;

    CFileListModel();
    CFileListModel(const CFileListModel&) = delete;
    CFileListModel& operator=(const CFileListModel&) = delete;

    void SetEntryList(CFileEntryList* entries) { m_entries = entries; }
    CFileEntryList* Entries() const { return m_entries; }

    // ---- the view
    // Rows again from the entry list. Entries that leave the view lose their
    // selection (nothing hidden is acted on) and the anchor is dropped.
    void RebuildView();
    // Rebuilds when the entry list changed under the view (entries freed or
    // added by someone else); true when it did. Only addresses are compared,
    // so a freed row is never read.
    bool RefreshIfStale();
    int RowCount() const { return static_cast<int>(m_view.size()); }
    // Null for an index outside the view.
    FileEntry* Row(int row) const;
    bool IsUpRow(int row) const { return Row(row) == &m_upRow; }
    // The text a row shows: ".." inside a folder, the folder's name, or the
    // file name without its folder.
    std::string RowText(int row) const;
    bool IsShown(const FileEntry& entry) const;
    // The view row under a client y, -1 below the last row or the client.
    int HitTest(int y, int scrollPos, int clientHeight) const;

    const std::string& CurrentFolder() const { return m_folder; }
    const std::string& CurrentFile() const { return m_current; }
    void SetCurrentFile(const std::string& name) { m_current = name; }
    int Anchor() const { return m_anchor; }
    void GoToRoot();
    // The named entry becomes current and its folder is shown.
    void SelectFile(const std::string& name);

    // ---- the entry list
    // Adds "mmap", then "lib", at the head when missing.
    void EnsureSystemFolders();
    bool HasFile(const std::string& name) const;
    // A file (not a folder) of the entry list by name, shown or not.
    FileEntry* FindFile(const std::string& name) const;
    int FindFileRow(const std::string& name) const;
    int CountSelectedFiles() const;
    // The one selected file row of the view; null unless exactly one.
    FileEntry* SingleSelectedFile() const;
    // Removes every file of that name; true when one of them was current.
    bool RemoveFile(const std::string& name);
    // Appends a new entry (the list keeps its order); the entry's address.
    FileEntry& Add(const FileEntry& entry);
    // Gives a file a new full name: changed (state 2), no longer linked,
    // deselected unless keepSelected; follows it as the current file.
    // False when no file has the old name.
    bool RenameFile(const std::string& oldName, const std::string& newName, bool keepSelected);

    // ---- the mouse and keys
    struct ClickResult {
        FileEntry* open = nullptr;  // to open (sent before it becomes current)
        bool image = false;
        FileEntry* info = nullptr;  // name and size to show
    };
    ClickResult ButtonDown(int row, bool shift, bool ctrl);
    void ButtonUp(bool shift, bool ctrl);
    void SelectAll();
    struct DoubleClickResult {
        bool viewChanged = false;
        std::string shellPath;  // a file kept on the PC to open with the shell
    };
    DoubleClickResult DoubleClick(int row);
    // Names of the selected files that can be dragged (they hold data).
    std::vector<std::string> DraggableNames() const;
    // The full name a dragged entry gets on the row, empty when the row takes no drop.
    std::string MovedName(const std::string& name, int row) const;

    // ---- the context menu
    struct MenuState {
        bool newFile = true, rename = true, add = true, clearRecent = true, remove = true, firmware = true;
    };
    MenuState Menu(bool editable, bool hasRecent) const;
    // A file the board can be told to start as its firmware: a packed file
    // the board holds (not one only added here).
    static bool CanBeFirmware(const FileEntry& e);

private:
    std::vector<FileEntry*> m_view;
    FileEntry m_upRow;  // the ".." row; kept for the pane's life so no click reads a freed row
    CFileEntryList* m_entries = nullptr;
    std::string m_folder;
    std::string m_current;
    int m_anchor = -1;
};
