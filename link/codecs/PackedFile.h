#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FileEntry;

// The container of a set of files: the packed project file (".kbx") and the
// board's file-system image are the same format. Counts inside are
// little-endian; the whole is a multiple of 1 KiB, at most 1 MiB.
namespace PackedFile {

constexpr uint8_t kMagic[4] = {'e', 'F', 'z', 'S'};
constexpr size_t kHeaderSize = 16;
constexpr size_t kTailSize = 8;
constexpr size_t kMaxSize = 1024 * 1024;

enum class Error {
    None,
    Incorrect,    // "File is incorrect"
    HeadCrc,      // "Error[Head CRC]"
    TailCrc,      // "Error[Tail CRC]"
    FileCrc,      // "Error[File CRC]"
    TooLarge,     // the set does not fit in 1 MiB
    BadName,      // a name whose one-byte length would wrap
};
const char* ErrorText(Error e);

struct Entry {
    uint8_t nameLength = 0;
    std::string name;   // up to the first NUL of the N name bytes
    std::string data;
};

struct ImageInfo {
    uint16_t fsValue = 0;
    uint8_t flags = 0;    // non-zero in a board image: uploads refused
};

// Bytes one entry takes in a container.
size_t EntrySize(size_t nameLength, size_t dataLength);
// Total container size for these entries, rounded up to 1 KiB.
size_t TotalSize(const std::vector<const FileEntry*>& entries);

// Writes the container. headerWords: 4 for a packed file, 0 for an upload image.
Error Build(const std::vector<const FileEntry*>& entries, uint16_t fsValue, uint8_t headerWords,
            std::string& out);

// A packed file as read from disk, checked whole (header, declared size,
// tail, every entry's bounds and CRC) before anything is returned.
Error ParseFile(const uint8_t* data, size_t size, std::vector<Entry>& entries, ImageInfo* info = nullptr);

// The board's image of count bytes (no tail check: the board's own layout
// ends at count). Every entry must lie inside count.
Error ParseImage(const uint8_t* data, size_t count, std::vector<Entry>& entries, ImageInfo& info);

} // namespace PackedFile
