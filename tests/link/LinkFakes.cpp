#include "LinkFakes.h"

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<uint8_t> Reply(uint8_t group, uint8_t code, const std::vector<uint8_t>& items, bool refused)
{
    size_t n = items.size();
    std::vector<uint8_t> f = {0x50, 0x00, uint8_t((n + 4) >> 8), uint8_t(n + 4),
                              uint8_t(group | (refused ? 0x20 : 0)), code, uint8_t(n >> 8), uint8_t(n)};
    return f + items;
}

std::vector<uint8_t> ItemInt(int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    return {0, 2, 0, 4, uint8_t(u >> 24), uint8_t(u >> 16), uint8_t(u >> 8), uint8_t(u)};
}

std::vector<uint8_t> ItemBytes(const std::vector<uint8_t>& b)
{
    size_t pad = (4 - b.size() % 4) % 4;
    size_t field = b.size() + pad + pad;
    std::vector<uint8_t> item = {0, 7, uint8_t(field >> 8), uint8_t(field)};
    item = item + b;
    item.resize(item.size() + pad, 0);
    return item;
}

std::vector<uint8_t> ItemText(const std::string& t)
{
    std::vector<uint8_t> b(t.begin(), t.end());
    b.push_back(0);
    size_t pad = (4 - b.size() % 4) % 4;
    size_t field = b.size() + pad + pad;
    std::vector<uint8_t> item = {0, 6, uint8_t(field >> 8), uint8_t(field)};
    item = item + b;
    item.resize(item.size() + pad, 0);
    return item;
}

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
