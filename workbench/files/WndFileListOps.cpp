// The file list's operations: the context menu, New, Rename, Add and the
// recent files, drops from the desktop and of the pane's own rows, and the
// pane's sections of Init.ini.
#include "workbench/files/WndFileList.h"
#include "workbench/main/IniFile.h"

#include "framework/CommonDialogs.h"
#include "framework/Profile.h"
#include "framework/Resources.h"
#include "link/codecs/Crc16.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/WindowMessages.h"
#include "workbench/files/DlgFileName.h"
#include "workbench/files/DlgSelectEditor.h"
#include "workbench/files/FileNameRules.h"

#include <algorithm>
#include <commdlg.h>
#include <cstring>
#include <shlobj.h>

using filenames::Verdict;

namespace {
CString s_iniFolderForTests;

std::vector<std::string> NamesOf(const CStringArray& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetSize(); ++i) names.push_back(list[i].str());
    return names;
}

CString ShownFolderPrefix(const CFileListModel& model) {
    return model.CurrentFolder().empty() ? CString() : CString(model.CurrentFolder() + "/");
}
}  // namespace

bool CWndFileList::QueryEditable() const {
    return ::SendMessageA(GetParent(), WM_USER_QUERY_FILES_EDITABLE, 0, 0) != 0;
}

void CWndFileList::NotifyFilesChanged() { ::SendMessageA(GetParent(), WM_USER_FILES_CHANGED, 0, 0); }

// ---- context menu

bool CWndFileList::BuildContextMenu(CMenu& menu) {
    m_model.RefreshIfStale();
    CMenu loaded;
    if (!loaded.LoadMenu(IDR_FILELIST_MENU)) return false;
    // The popup outlives the bar it came from.
    HMENU popup = loaded.GetSubMenu(0);
    ::RemoveMenu(loaded, 0, MF_BYPOSITION);
    menu.Attach(popup);
    const CFileListModel::MenuState s = m_model.Menu(QueryEditable(), !m_recent.Empty());
    auto enable = [&](UINT id, bool on) { menu.EnableMenuItem(id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
    enable(ID_FILELIST_NEW, s.newFile);
    enable(ID_FILELIST_RENAME, s.rename);
    enable(ID_FILELIST_ADD, s.add);
    enable(ID_FILELIST_CLEAR_RECENT, s.clearRecent);
    enable(ID_FILELIST_DELETE, s.remove);
    enable(ID_FILELIST_CHANGE_FIRMWARE, s.firmware);
    if (!s.add) return true;
    // The recent paths go on top of the "Add" submenu, a separator under them.
    HMENU add = nullptr;
    for (int i = 0; i < menu.GetMenuItemCount() && !add; ++i) {
        HMENU sub = menu.GetSubMenu(i);
        if (sub && ::GetMenuState(sub, ID_FILELIST_ADD, MF_BYCOMMAND) != static_cast<UINT>(-1)) add = sub;
    }
    if (!add || m_recent.Empty()) return true;
    UINT at = 0;
    for (const std::string& path : m_recent.Paths()) {
        // Shortened as text of the ANSI code page's characters, never its bytes.
        std::wstring wide(path.size() + 1, L'\0');
        wide.resize(static_cast<size_t>(
            std::max(0, ::MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), &wide[0],
                                              static_cast<int>(wide.size())))));
        ::InsertMenuW(add, at, MF_BYPOSITION | MF_STRING, CRecentFiles::kFirstCommand + at,
                      CRecentFiles::MenuText(wide).c_str());
        ++at;
    }
    ::InsertMenuA(add, at, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    return true;
}

LRESULT CWndFileList::OnContextMenu(WPARAM, LPARAM lParam) {
    CMenu menu;
    if (!BuildContextMenu(menu)) return 0;
    CPoint at(lParam);
    if (lParam == static_cast<LPARAM>(-1)) ::GetCursorPos(&at);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_hWnd);
    menu.DestroyMenu();
    return 0;
}

void CWndFileList::OnDeleteFiles() {
    ::SendMessageA(GetParent(), WM_USER_DELETE_FILES, 0, 0);
    Refresh();
}

void CWndFileList::OnChangeFirmware() {
    m_model.RefreshIfStale();
    if (!m_model.Menu(true, false).firmware) return;
    const std::string name = m_model.SingleSelectedFile()->name;
    ::SendMessageA(GetParent(), WM_USER_CHANGE_FIRMWARE, reinterpret_cast<WPARAM>(name.c_str()), 0);
}

void CWndFileList::OnClearRecent() {
    if (!QueryEditable()) return;
    m_recent.Clear();
}

// ---- messages of the operations

void CWndFileList::ShowNameProblem(int verdict, const std::string& name) {
    if (static_cast<Verdict>(verdict) == Verdict::TooLong)
        ShowMessageText(m_hWnd, "Error[File name is long]", MB_OK | MB_ICONEXCLAMATION);
    else
        ShowMessageText(m_hWnd, CResources::LoadString(IDS_FILENAME_INVALID) + "\r\n\r\n" + name.c_str(),
                        MB_OK | MB_ICONEXCLAMATION);
}

bool CWndFileList::AskReplace(const std::string& name, int* applyToAll) {
    const CString text = CResources::LoadString(IDS_FILE_EXISTS_OVERWRITE) + "\r\n\r\n" + name.c_str();
    auto ask = [&](bool& tick) {
        CDlgMessage box(text, m_hWnd, MB_YESNO | MB_ICONQUESTION);
        box.m_showCheck = applyToAll ? 1 : 0;
        const bool yes = box.DoModal() == IDYES;
        tick = applyToAll && box.m_checkResult != 0;
        return yes;
    };
    if (!applyToAll) {
        bool tick = false;
        return ask(tick);
    }
    return filenames::ResolveClash(*applyToAll, ask);
}

bool CWndFileList::ChooseEditor(bool& internal) {
    internal = m_addAction != 1;
    if (m_addAction != 2) return true;
    CDlgSelectEditor dlg(m_hWnd);
    if (dlg.DoModal() != IDOK) return false;
    internal = dlg.m_internal;
    return true;
}

bool CWndFileList::AddPath(const std::string& path, bool internal, int* applyToAll, bool remember) {
    FileEntry entry;
    const Verdict v = filenames::MakeAddedEntry(path, m_model.CurrentFolder(), m_addAction, internal, entry);
    if (v == Verdict::NoDot) return false;
    if (v != Verdict::Ok) {
        ShowNameProblem(static_cast<int>(v), path);
        return false;
    }
    // Against the whole list, and after every add: two files of one name in
    // one drop clash with each other.
    if (m_model.FindFile(entry.name)) {
        if (!AskReplace(entry.name, applyToAll)) return false;
        RemoveFile(entry.name.c_str());
    }
    if (remember) m_recent.Add(path);
    m_model.Add(entry);
    NotifyFilesChanged();
    return true;
}

// ---- New and Rename

void CWndFileList::OnNewFile() {
    m_model.RefreshIfStale();
    if (!m_model.Menu(QueryEditable(), false).newFile) return;
    CDlgFileName dlg(m_hWnd);
    dlg.m_mode = 0;
    for (int row = 0; row < m_model.RowCount(); ++row)
        if (m_model.Row(row)->kind != FileEntry::kFolder) dlg.m_namesInUse.Add(m_model.Row(row)->name.c_str());
    dlg.m_prefix = ShownFolderPrefix(m_model);
    if (dlg.DoModal() != IDOK) return;
    const std::string name = dlg.m_result.str();
    // The list may have changed while the dialog was open.
    if (m_model.HasFile(name)) {
        ShowMessage(m_hWnd, IDS_FILENAME_IN_USE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ::SendMessageA(GetParent(), WM_USER_NEW_DOCUMENT, IsPhpFile(name) ? 1 : IsTextFile(name) ? 2 : 0, 0);
    FileEntry entry;
    entry.name = name;
    entry.nameLength = static_cast<uint8_t>(name.size() + 1);
    entry.selected = true;
    entry.state = FileEntry::kChanged;
    entry.kind = FileEntry::kText;
    m_model.Add(entry);
    m_model.SetCurrentFile(name);
    NotifyFilesChanged();
    Refresh();
}

void CWndFileList::OnRename() {
    m_model.RefreshIfStale();
    if (!m_model.Menu(QueryEditable(), false).rename) return;
    const std::string oldName = m_model.SingleSelectedFile()->name;
    CDlgFileName dlg(m_hWnd);
    dlg.m_mode = 1;
    for (int row = 0; row < m_model.RowCount(); ++row)
        if (!m_model.IsUpRow(row)) dlg.m_namesInUse.Add(m_model.Row(row)->name.c_str());
    const size_t slash = oldName.rfind('/');
    dlg.m_oldName = slash == std::string::npos ? oldName.c_str() : oldName.substr(slash + 1).c_str();
    dlg.m_prefix = slash == std::string::npos ? CString() : CString(oldName.substr(0, slash + 1));
    if (dlg.DoModal() != IDOK) return;
    const std::string name = dlg.m_result.str();
    if (m_model.HasFile(name)) {
        ShowMessage(m_hWnd, IDS_FILENAME_IN_USE, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!m_model.RenameFile(oldName, name, true)) return;  // gone meanwhile
    NotifyFilesChanged();
    Refresh();
    const FileEntry* e = m_model.FindFile(name);
    ::SendMessageA(GetParent(), WM_USER_SHOW_FILE_INFO, reinterpret_cast<WPARAM>(name.c_str()),
                   e ? e->DataLength() : 0);
}

// ---- Add and the recent files

bool OpenFilesDialog(HWND owner, const std::string& filterText, const char* title, const char* startFolder,
                     std::vector<std::string>& paths, std::string& folder) {
    std::vector<char> buffer(26101, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    std::string filter = filterText;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter.push_back('\0');
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = startFolder && *startFolder ? startFolder : nullptr;
    ofn.lpstrTitle = title && *title ? title : nullptr;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT | OFN_EXPLORER;
    if (!commondlg::GetOpenFileName(&ofn)) return false;
    // One file: its full path. Several: the folder, then each name.
    const std::string first = buffer.data();
    const char* next = buffer.data() + first.size() + 1;
    if (!*next) {
        paths.push_back(first);
    } else {
        for (; *next; next += std::strlen(next) + 1) paths.push_back(first + "\\" + next);
    }
    const std::string reported = paths.size() == 1 ? first : first + "\\";
    const size_t cut = reported.rfind('\\');
    folder = cut == std::string::npos ? std::string() : reported.substr(0, cut);
    return true;
}

bool CWndFileList::ChooseFiles(std::vector<std::string>& paths, std::string& folder) {
    // In the user's language; "|" separates the filter's parts in the string table.
    std::string filter = CResources::LoadString(IDS_ADD_FILES_FILTER).str();
    if (filter.empty()) filter = "All Files(*.*)|*.*|";
    // As the title: as a default extension it would be glued to typed names.
    const CString title = CResources::LoadString(IDS_ADD_FILES_TITLE);
    return OpenFilesDialog(m_hWnd, filter, title.c_str(), m_lastAddFolder.c_str(), paths, folder);
}

void CWndFileList::OnAddFiles() {
    if (!QueryEditable()) return;
    std::vector<std::string> paths;
    std::string folder;
    if (!ChooseFiles(paths, folder)) return;
    bool internal = true;
    if (!ChooseEditor(internal)) return;
    m_lastAddFolder = folder.c_str();
    if (!QueryEditable()) return;  // the board went away meanwhile
    int applyToAll = 0;
    for (const std::string& path : paths) AddPath(path, internal, &applyToAll, true);
    Refresh();
}

void CWndFileList::OnRecentFile(UINT id) {
    const std::string* recent = m_recent.ForCommand(id);
    if (!recent || !QueryEditable()) return;
    const std::string path = *recent;
    bool internal = true;
    if (!ChooseEditor(internal)) return;
    if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ShowMessage(m_hWnd, IDS_FILE_OPEN_FAILED, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    AddPath(path, internal, nullptr, false);
    Refresh();
}

// ---- drops

LRESULT CWndFileList::OnFileDragOver(WPARAM wParam, LPARAM lParam) {
    const CStringArray* paths = reinterpret_cast<const CStringArray*>(wParam);
    int* answer = reinterpret_cast<int*>(lParam);
    if (!answer) return 0;
    *answer = paths && !paths->IsEmpty() && (*paths)[0].Find('.') >= 0 && QueryEditable() ? 1 : 0;
    return 0;
}

LRESULT CWndFileList::OnFileDragDrop(WPARAM wParam, LPARAM lParam) {
    const CStringArray* paths = reinterpret_cast<const CStringArray*>(wParam);
    const CPoint* point = reinterpret_cast<const CPoint*>(lParam);
    if (!paths || paths->IsEmpty()) return 0;
    // Questions come after OLE's drop call has returned; the own-drag flag
    // only counts for data that carries this process's mark.
    m_pendingDrops.push_back({NamesOf(*paths), point ? *point : CPoint(), m_ownDrag != 0 && m_drag.IsOwnData()});
    PostMessage(kProcessDropMessage);
    return 0;
}

LRESULT CWndFileList::OnProcessDrop(WPARAM, LPARAM) {
    if (m_pendingDrops.empty()) return 0;
    const PendingDrop drop = m_pendingDrops.front();
    m_pendingDrops.erase(m_pendingDrops.begin());
    if (!QueryEditable()) return 0;
    if (drop.own)
        DropOwnRows(drop.paths, drop.point);
    else
        DropFromDesktop(drop.paths);
    return 1;
}

void CWndFileList::DropFromDesktop(const std::vector<std::string>& paths) {
    bool internal = true;
    if (!ChooseEditor(internal)) return;
    int applyToAll = 0;
    for (const std::string& path : paths) {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        AddPath(path, internal, &applyToAll, false);
    }
    Refresh();
}

void CWndFileList::DropOwnRows(const std::vector<std::string>& names, CPoint point) {
    m_model.RefreshIfStale();
    const int row = HitTest(point);
    const FileEntry* target = m_model.Row(row);
    if (!target || target->kind != FileEntry::kFolder || target->name == "mmap") return;
    // Rows change as names move: the target is kept by name.
    const bool toRoot = m_model.IsUpRow(row);
    const std::string folder = target->name;
    bool moved = false;
    for (const std::string& name : names) {
        const size_t slash = name.rfind('/');
        const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
        const std::string newName = toRoot ? base : folder + "/" + base;
        if (newName == name || !m_model.FindFile(name)) continue;
        const Verdict v = filenames::CheckFullName(newName);
        if (v != Verdict::Ok) {
            ShowNameProblem(static_cast<int>(v), newName);
            continue;
        }
        if (m_model.FindFile(newName)) {
            if (!AskReplace(newName, nullptr)) continue;
            RemoveFile(newName.c_str());
        }
        moved = m_model.RenameFile(name, newName, false) || moved;
    }
    if (moved) NotifyFilesChanged();
    Refresh();
}

// ---- Init.ini

CString CWndFileList::IniPath() {
    if (!s_iniFolderForTests.IsEmpty()) return s_iniFolderForTests + "\\Init.ini";
    return CIniFile::Path();
}

void CWndFileList::SetIniFolderForTests(const char* folder) { s_iniFolderForTests = folder; }

void CWndFileList::ReadSettings() {
    const CString ini = IniPath();
    if (::GetFileAttributesA(ini) == INVALID_FILE_ATTRIBUTES) return;
    const int count = static_cast<int>(profile::GetInt("RecentFiles", "Count", 0, ini));
    std::vector<std::string> paths;
    for (int i = 0; i < count && paths.size() < CRecentFiles::kMax; ++i) {
        CString key;
        key.Format("Path%d", i);
        char path[MAX_PATH] = {};
        profile::GetString("RecentFiles", key, "", path, MAX_PATH, ini);
        paths.push_back(path);
    }
    m_recent.Load(paths);
    char folder[MAX_PATH] = {};
    profile::GetString("FilePath", "Path", "", folder, MAX_PATH, ini);
    m_lastAddFolder = folder;
}

void CWndFileList::WriteSettings() {
    // At shut-down the main window collects every section in a new file that
    // replaces Init.ini once (started fresh, so stale keys drop); alone, the
    // pane starts the file afresh itself.
    const bool session = s_iniFolderForTests.IsEmpty() && CIniFile::IsWriting();
    const CString ini = session ? CIniFile::WritePath() : IniPath();
    ::CreateDirectoryA(ini.Left(ini.ReverseFind('\\')), nullptr);
    if (!session) ::DeleteFileA(ini);
    CString count;
    count.Format("%d", static_cast<int>(m_recent.Paths().size()));
    profile::WriteString("RecentFiles", "Count", count, ini);
    for (size_t i = 0; i < m_recent.Paths().size(); ++i) {
        CString key;
        key.Format("Path%d", static_cast<int>(i));
        profile::WriteString("RecentFiles", key, m_recent.Paths()[i].c_str(), ini);
    }
    profile::WriteString("FilePath", "Path", m_lastAddFolder, ini);
}
