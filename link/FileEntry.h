#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One file or folder row of the board's file system as the workbench holds it.
struct FileEntry {
    enum State : uint32_t {
        kAddedInternal = 0, kInStep = 1, kChanged = 2, kAddedExternal = 3, kExternalInStep = 4
    };
    enum Kind : uint32_t { kText = 0, kImage = 1, kOther = 2, kFolder = 3 };

    uint8_t nameLength = 0;   // name bytes the entry carries into an image
    std::string name;         // '/' between folder and file
    bool selected = false;
    bool linked = false;      // re-read from pcPath before it is packed
    uint32_t state = kAddedInternal;
    std::string pcPath;
    std::string data;         // file bytes (std::string keeps a NUL after them)
    uint32_t kind = kText;
    uint32_t caret = 0;
    uint32_t scrollLine = 0;
    uint32_t targetWidth = 0, targetHeight = 0;

    uint32_t DataLength() const { return static_cast<uint32_t>(data.size()); }
    // Kind by the name's extension: image, text, else other (data) or folder (empty).
    static uint32_t KindFor(const std::string& name, size_t dataLength);
};

// The one ordered list of entries: folder rows first, then files; each group
// by name without regard to case. Entries keep their address while listed.
class CFileEntryList {
public:
    size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    FileEntry& At(size_t i) { return *m_entries[i]; }
    const FileEntry& At(size_t i) const { return *m_entries[i]; }
    FileEntry* Find(const std::string& name);
    // Appends and moves the new entry to its sorted place.
    FileEntry& Insert(std::unique_ptr<FileEntry> entry);
    void Remove(const FileEntry* entry);
    void Clear() { m_entries.clear(); }
    void Swap(CFileEntryList& other) { m_entries.swap(other.m_entries); }
    bool HasUnsaved() const;
private:
    void InsertLastInOrder();
    std::vector<std::unique_ptr<FileEntry>> m_entries;
};
