#include "link/codecs/PackedFile.h"

#include "link/codecs/Crc16.h"
#include "link/FileEntry.h"

#include <cstring>

namespace PackedFile {
namespace {

size_t Pad4(size_t n) { return (4 - n % 4) % 4; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void PutU16(uint8_t* p, uint16_t v) { p[0] = static_cast<uint8_t>(v); p[1] = static_cast<uint8_t>(v >> 8); }

bool HeadOk(const uint8_t* p) { return CalcCrc16(6, p) == U16(p + 6); }

void WriteMark(uint8_t* p, size_t total)
{
    std::memcpy(p, kMagic, 4);
    PutU16(p + 4, static_cast<uint16_t>(total / 1024));
    PutU16(p + 6, CalcCrc16(6, p));
}

// Walks the entries from offset to end (exclusive). Every count is checked
// against end before it is used. trailer: bytes after the data (the zero
// word and the CRC word in both layouts).
Error ReadEntries(const uint8_t* data, size_t offset, size_t end, std::vector<Entry>& entries)
{
    std::vector<Entry> out;
    size_t at = offset;
    while (at < end) {
        if (end - at < 4)
            return Error::Incorrect;
        const uint8_t* head = data + at;
        if ((head[0] | head[1] | head[2] | head[3]) == 0)
            break;
        size_t n = head[0];
        size_t l = head[1] | head[2] << 8 | static_cast<size_t>(head[3]) << 16;
        size_t body = n + Pad4(n) + l + Pad4(l);
        if (body + 8 > end - at)
            return Error::Incorrect;
        const uint8_t* name = head + 4;
        if (CalcCrc16(body, name) != U16(name + body + 2))
            return Error::FileCrc;
        Entry e;
        e.nameLength = static_cast<uint8_t>(n);
        size_t nameBytes = 0;
        while (nameBytes < n && name[nameBytes] != 0)
            ++nameBytes;
        e.name.assign(reinterpret_cast<const char*>(name), nameBytes);
        e.data.assign(reinterpret_cast<const char*>(name + n + Pad4(n)), l);
        out.push_back(std::move(e));
        at += body + 8;
    }
    entries.swap(out);
    return Error::None;
}

size_t EntryOffset(const uint8_t* header) { return header[10] ? 4u * header[10] : 16u; }

} // namespace

const char* ErrorText(Error e)
{
    switch (e) {
    case Error::None: return "";
    case Error::Incorrect: return "File is incorrect";
    case Error::HeadCrc: return "Error[Head CRC]";
    case Error::TailCrc: return "Error[Tail CRC]";
    case Error::FileCrc: return "Error[File CRC]";
    case Error::TooLarge: return "The files are larger than 1 MiB.";
    case Error::BadName: return "A file name is too long.";
    }
    return "";
}

size_t EntrySize(size_t nameLength, size_t dataLength)
{
    return 8 + nameLength + Pad4(nameLength) + dataLength + Pad4(dataLength);
}

size_t TotalSize(const std::vector<const FileEntry*>& entries)
{
    size_t total = kHeaderSize + 4 + kTailSize;
    for (const FileEntry* e : entries)
        total += EntrySize(e->nameLength, e->data.size());
    return (total + 1023) / 1024 * 1024;
}

Error Build(const std::vector<const FileEntry*>& entries, uint16_t fsValue, uint8_t headerWords, std::string& out)
{
    for (const FileEntry* e : entries) {
        // A length byte that wrapped (or does not cover the name) would
        // write a different name than the list shows.
        if (e->data.size() > kMaxSize)
            return Error::TooLarge;
        if (e->nameLength == 0 || e->nameLength < e->name.size())
            return Error::BadName;
    }
    size_t total = TotalSize(entries);
    if (total > kMaxSize)
        return Error::TooLarge;
    std::string buf(total, '\0');
    auto* p = reinterpret_cast<uint8_t*>(&buf[0]);
    WriteMark(p, total);
    PutU16(p + 8, fsValue);
    p[10] = headerWords;
    p[11] = 0;
    size_t at = kHeaderSize;
    for (const FileEntry* e : entries) {
        size_t n = e->nameLength, l = e->data.size();
        uint8_t* head = p + at;
        head[0] = static_cast<uint8_t>(n);
        head[1] = static_cast<uint8_t>(l);
        head[2] = static_cast<uint8_t>(l >> 8);
        head[3] = static_cast<uint8_t>(l >> 16);
        std::memcpy(head + 4, e->name.data(), e->name.size());
        size_t body = n + Pad4(n) + l + Pad4(l);
        if (l)
            std::memcpy(head + 4 + n + Pad4(n), e->data.data(), l);
        PutU16(head + 4 + body + 2, CalcCrc16(body, head + 4));
        at += body + 8;
    }
    WriteMark(p + total - kTailSize, total);
    out.swap(buf);
    return Error::None;
}

Error ParseFile(const uint8_t* data, size_t size, std::vector<Entry>& entries, ImageInfo* info)
{
    if (size < kHeaderSize || std::memcmp(data, kMagic, 4) != 0)
        return Error::Incorrect;
    if (!HeadOk(data))
        return Error::HeadCrc;
    size_t declared = static_cast<size_t>(U16(data + 4)) * 1024;
    // A size of 0 or one beyond the file is not a container.
    if (declared < kHeaderSize + 4 + kTailSize || declared > size)
        return Error::Incorrect;
    const uint8_t* tail = data + declared - kTailSize;
    if (std::memcmp(tail, kMagic, 4) != 0)
        return Error::Incorrect;
    if (!HeadOk(tail))
        return Error::TailCrc;
    size_t offset = EntryOffset(data);
    if (offset > declared - kTailSize)
        return Error::Incorrect;
    if (info) {
        info->fsValue = U16(data + 8);
        info->flags = data[11];
    }
    return ReadEntries(data, offset, declared - kTailSize, entries);
}

Error ParseImage(const uint8_t* data, size_t count, std::vector<Entry>& entries, ImageInfo& info)
{
    if (count < kHeaderSize || std::memcmp(data, kMagic, 4) != 0)
        return Error::Incorrect;
    if (!HeadOk(data))
        return Error::HeadCrc;
    size_t offset = EntryOffset(data);
    if (offset > count)
        return Error::Incorrect;
    info.fsValue = U16(data + 8);
    info.flags = data[11];
    return ReadEntries(data, offset, count, entries);
}

} // namespace PackedFile
