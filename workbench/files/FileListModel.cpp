#include "workbench/files/FileListModel.h"

#include "link/codecs/Crc16.h"

#include <algorithm>
#include <memory>

namespace {
bool IsFolder(const FileEntry& e) { return e.kind == FileEntry::kFolder; }

std::string BaseName(const std::string& name) {
    const size_t slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::unique_ptr<FileEntry> FolderEntry(const char* name) {
    auto e = std::make_unique<FileEntry>();
    e->name = name;
    e->nameLength = static_cast<uint8_t>(e->name.size() + 1);
    e->kind = FileEntry::kFolder;
    return e;
}
}  // namespace

CFileListModel::CFileListModel() {
    m_upRow.name = "..";
    m_upRow.nameLength = 3;
    m_upRow.kind = FileEntry::kFolder;
}

void CFileListModel::RebuildView() {
    m_view.clear();
    m_anchor = -1;
    if (!m_folder.empty()) m_view.push_back(&m_upRow);
    if (!m_entries) return;
    for (size_t i = 0; i < m_entries->Count(); ++i) {
        FileEntry& e = m_entries->At(i);
        if (IsShown(e))
            m_view.push_back(&e);
        else
            e.selected = false;
    }
}

bool CFileListModel::RefreshIfStale() {
    size_t at = m_folder.empty() ? 0 : 1;
    bool stale = at == 1 && (m_view.empty() || m_view[0] != &m_upRow);
    for (size_t i = 0; !stale && m_entries && i < m_entries->Count(); ++i) {
        FileEntry& e = m_entries->At(i);
        if (!IsShown(e)) continue;
        stale = at >= m_view.size() || m_view[at] != &e;
        ++at;
    }
    if (!stale && at == m_view.size()) return false;
    RebuildView();
    return true;
}

FileEntry* CFileListModel::Row(int row) const {
    return row >= 0 && row < RowCount() ? m_view[static_cast<size_t>(row)] : nullptr;
}

std::string CFileListModel::RowText(int row) const {
    const FileEntry* e = Row(row);
    if (!e) return std::string();
    return IsFolder(*e) ? e->name : BaseName(e->name);
}

bool CFileListModel::IsShown(const FileEntry& e) const {
    if (&e == &m_upRow) return true;
    if (m_folder.empty()) return e.name.find('/') == std::string::npos;
    const std::string prefix = m_folder + "/";
    return e.name.compare(0, prefix.size(), prefix) == 0;
}

int CFileListModel::HitTest(int y, int scrollPos, int clientHeight) const {
    if (y < 0 || y >= clientHeight) return -1;
    const int row = (y + scrollPos) / kRowHeight;
    return row < RowCount() ? row : -1;
}

void CFileListModel::GoToRoot() {
    m_view.clear();
    m_folder.clear();
    m_anchor = -1;
}

void CFileListModel::SelectFile(const std::string& name) {
    const size_t slash = name.rfind('/');
    m_folder = slash == std::string::npos ? std::string() : name.substr(0, slash);
    m_current = name;
    RebuildView();
}

void CFileListModel::EnsureSystemFolders() {
    if (!m_entries) return;
    for (const char* name : {"mmap", "lib"}) {
        bool found = false;
        for (size_t i = 0; i < m_entries->Count() && !found; ++i)
            found = m_entries->At(i).name == name && m_entries->At(i).DataLength() == 0;
        if (!found) m_entries->Insert(FolderEntry(name));
    }
}

bool CFileListModel::HasFile(const std::string& name) const {
    for (size_t i = 0; m_entries && i < m_entries->Count(); ++i)
        if (m_entries->At(i).name == name) return true;
    return false;
}

FileEntry* CFileListModel::FindFile(const std::string& name) const {
    for (size_t i = 0; m_entries && i < m_entries->Count(); ++i)
        if (!IsFolder(m_entries->At(i)) && m_entries->At(i).name == name) return &m_entries->At(i);
    return nullptr;
}

int CFileListModel::FindFileRow(const std::string& name) const {
    for (int row = 0; row < RowCount(); ++row)
        if (!IsFolder(*m_view[static_cast<size_t>(row)]) && m_view[static_cast<size_t>(row)]->name == name) return row;
    return -1;
}

int CFileListModel::CountSelectedFiles() const {
    int n = 0;
    for (const FileEntry* e : m_view)
        if (!IsFolder(*e) && e->selected) ++n;
    return n;
}

FileEntry* CFileListModel::SingleSelectedFile() const {
    FileEntry* found = nullptr;
    for (FileEntry* e : m_view) {
        if (IsFolder(*e) || !e->selected) continue;
        if (found) return nullptr;
        found = e;
    }
    return found;
}

bool CFileListModel::RemoveFile(const std::string& name) {
    bool wasCurrent = false;
    while (FileEntry* e = FindFile(name)) {
        if (e->name == m_current) {
            m_current.clear();
            wasCurrent = true;
        }
        m_entries->Remove(e);
    }
    // The view may hold the freed rows: it is rebuilt before anything draws.
    RebuildView();
    return wasCurrent;
}

FileEntry& CFileListModel::Add(const FileEntry& entry) {
    FileEntry& added = m_entries->Insert(std::make_unique<FileEntry>(entry));
    RebuildView();
    return added;
}

bool CFileListModel::RenameFile(const std::string& oldName, const std::string& newName, bool keepSelected) {
    FileEntry* e = m_entries ? FindFile(oldName) : nullptr;
    if (!e) return false;
    // Taken out and put back: the list keeps its order by name.
    auto moved = std::make_unique<FileEntry>(*e);
    m_entries->Remove(e);
    moved->name = newName;
    moved->nameLength = static_cast<uint8_t>(newName.size() + 1);
    moved->state = FileEntry::kChanged;
    moved->linked = false;
    if (!keepSelected) moved->selected = false;
    if (m_current == oldName) m_current = newName;
    m_entries->Insert(std::move(moved));
    RebuildView();
    return true;
}

CFileListModel::ClickResult CFileListModel::ButtonDown(int row, bool shift, bool ctrl) {
    ClickResult r;
    FileEntry* hit = Row(row);
    if (!hit) {
        for (FileEntry* e : m_view) e->selected = false;
        m_anchor = -1;
        return r;
    }
    if (shift) {
        if (m_anchor < 0 || m_anchor >= RowCount()) m_anchor = row;
        const int lo = std::min(m_anchor, row), hi = std::max(m_anchor, row);
        for (int i = 0; i < RowCount(); ++i) m_view[static_cast<size_t>(i)]->selected = i >= lo && i <= hi;
        return r;
    }
    if (ctrl) {
        hit->selected = !hit->selected;
        m_anchor = row;
        return r;
    }
    for (FileEntry* e : m_view) e->selected = e == hit;
    m_anchor = row;
    if (IsFolder(*hit)) return r;
    if (hit->name != m_current) {
        // An entry without bytes (kept on the PC) never reaches the viewer.
        if (hit->kind == FileEntry::kImage && hit->state != FileEntry::kAddedInternal && !hit->data.empty()) {
            r.open = hit;
            r.image = true;
        } else if (hit->kind == FileEntry::kText && hit->state != FileEntry::kAddedInternal &&
                   hit->state != FileEntry::kAddedExternal && IsTextFile(hit->name)) {
            r.open = hit;
        }
    }
    r.info = hit;
    return r;
}

void CFileListModel::ButtonUp(bool shift, bool ctrl) {
    if (shift || ctrl) return;
    FileEntry* anchor = Row(m_anchor);
    if (!anchor) return;
    for (FileEntry* e : m_view) e->selected = e == anchor;
}

void CFileListModel::SelectAll() {
    for (FileEntry* e : m_view)
        if (e != &m_upRow) e->selected = true;
}

CFileListModel::DoubleClickResult CFileListModel::DoubleClick(int row) {
    DoubleClickResult r;
    const FileEntry* hit = Row(row);
    if (!hit) return r;
    if (hit->state == FileEntry::kExternalInStep && !hit->pcPath.empty()) r.shellPath = hit->pcPath;
    if (IsFolder(*hit) && hit->name != "mmap") {
        // Read before the rebuild: the view changes under the row.
        m_folder = m_folder.empty() ? hit->name : std::string();
        RebuildView();
        r.viewChanged = true;
    }
    return r;
}

std::vector<std::string> CFileListModel::DraggableNames() const {
    std::vector<std::string> names;
    for (size_t i = 0; m_entries && i < m_entries->Count(); ++i) {
        const FileEntry& e = m_entries->At(i);
        if (e.selected && !IsFolder(e) && e.state != FileEntry::kAddedInternal && e.state != FileEntry::kAddedExternal)
            names.push_back(e.name);
    }
    return names;
}

std::string CFileListModel::MovedName(const std::string& name, int row) const {
    const FileEntry* target = Row(row);
    if (!target || !IsFolder(*target) || target->name == "mmap") return std::string();
    if (target == &m_upRow) return BaseName(name);
    return target->name + "/" + BaseName(name);
}

bool CFileListModel::CanBeFirmware(const FileEntry& e) {
    return !IsFolder(e) && e.state != FileEntry::kAddedInternal && IsPackedFile(e.name);
}

CFileListModel::MenuState CFileListModel::Menu(bool editable, bool hasRecent) const {
    MenuState m;
    const int n = CountSelectedFiles();
    m.remove = n > 0;
    const FileEntry* one = n == 1 ? SingleSelectedFile() : nullptr;
    m.rename = one && !(one->linked && (one->state == FileEntry::kAddedInternal ||
                                        one->state == FileEntry::kAddedExternal ||
                                        one->state == FileEntry::kExternalInStep));
    m.firmware = one && CanBeFirmware(*one);
    if (!editable) {
        m.newFile = m.rename = m.add = m.clearRecent = m.remove = false;
        return m;
    }
    m.clearRecent = hasRecent;
    return m;
}
