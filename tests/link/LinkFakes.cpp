#include "LinkFakes.h"

std::vector<uint8_t> Hex(const std::string& hex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        if (hex[i] == ' ') { --i; continue; }
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string Container(const NamedFiles& files, uint8_t headerWords, uint16_t fsValue)
{
    std::vector<FileEntry> entries(files.size());
    std::vector<const FileEntry*> ptrs;
    for (size_t i = 0; i < files.size(); ++i) {
        entries[i].name = files[i].first;
        entries[i].nameLength = static_cast<uint8_t>(files[i].first.size() + 1);
        entries[i].data = files[i].second;
        ptrs.push_back(&entries[i]);
    }
    std::string out;
    EXPECT_EQ(PackedFile::Build(ptrs, fsValue, headerWords, out), PackedFile::Error::None);
    return out;
}
