#include "link/FileEntry.h"

#include "link/codecs/Crc16.h"

#include <algorithm>
#include <cctype>

namespace {
// Byte-wise compare without regard to ASCII case.
bool LessNoCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

bool EndsWithSlash(const std::string& s) { return !s.empty() && s.back() == '/'; }
} // namespace

uint32_t FileEntry::KindFor(const std::string& name, size_t dataLength)
{
    if (IsImageFile(name))
        return kImage;
    if (IsTextFile(name))
        return kText;
    return dataLength ? kOther : kFolder;
}

FileEntry* CFileEntryList::Find(const std::string& name)
{
    for (auto& e : m_entries)
        if (e->name == name)
            return e.get();
    return nullptr;
}

FileEntry& CFileEntryList::Insert(std::unique_ptr<FileEntry> entry)
{
    m_entries.push_back(std::move(entry));
    FileEntry& added = *m_entries.back();
    InsertLastInOrder();
    return added;
}

void CFileEntryList::InsertLastInOrder()
{
    if (m_entries.size() < 2)
        return;
    const FileEntry& n = *m_entries.back();
    const bool nFolder = n.kind == FileEntry::kFolder;
    for (size_t i = 0; i + 1 < m_entries.size(); ++i) {
        const FileEntry& e = *m_entries[i];
        const bool eFolder = e.kind == FileEntry::kFolder;
        bool before;
        if (nFolder && eFolder)
            before = LessNoCase(n.name, e.name);
        else if (nFolder != eFolder)
            before = nFolder;
        else if (EndsWithSlash(n.name) != EndsWithSlash(e.name))
            before = EndsWithSlash(n.name);
        else
            before = LessNoCase(n.name, e.name);
        if (before) {
            std::rotate(m_entries.begin() + static_cast<std::ptrdiff_t>(i), m_entries.end() - 1,
                        m_entries.end());
            return;
        }
    }
}

void CFileEntryList::Remove(const FileEntry* entry)
{
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [entry](const std::unique_ptr<FileEntry>& e) { return e.get() == entry; }),
                    m_entries.end());
}

bool CFileEntryList::HasUnsaved() const
{
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const std::unique_ptr<FileEntry>& e) { return e->state == FileEntry::kChanged; });
}
