#include "link/codecs/SettingsBlock.h"

#include "link/codecs/EnvBlock.h"

#include <algorithm>
#include <cstring>

namespace SettingsBlock {
namespace {
using EnvBlock::CEnvRecordWalker;
using EnvBlock::EnvRecord;
using Step = CEnvRecordWalker::Step;

constexpr size_t kWorkArea = 1024;

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// One record's data area, as the parse reads it and the rebuild writes it.
struct Area {
    uint8_t* p;
    size_t n;  // L - 6
    // Copies size bytes at offset, never past the area.
    void Put(size_t offset, const void* data, size_t size) const
    {
        if (offset < n)
            std::memcpy(p + offset, data, std::min(size, n - offset));
    }
    // The area's first bytes take the text; the rest up to limit is zeroed.
    void PutText(const std::string& text, size_t limit) const
    {
        limit = std::min(limit, n);
        std::memset(p, 0, limit);
        std::memcpy(p, text.data(), std::min(text.size(), limit));
    }
};

void Take(const EnvRecord& r, const uint8_t* data, size_t n, SettingsRecord& s)
{
    uint8_t w[kWorkArea] = {};
    std::memcpy(w, data, std::min(n, kWorkArea));
    switch (r.type << 8 | r.sub) {
    case 0x0300: std::memcpy(s.ipv4Address, w, 4); break;
    case 0x0301: std::memcpy(s.ipv4Mask, w, 4); break;
    case 0x0302: std::memcpy(s.ipv4Gateway, w, 4); break;
    case 0x0303: std::memcpy(s.ipv4Dns, w, 4); break;
    case 0x0400:
        std::memcpy(s.ipv6Address, w, 16);
        s.ipv6Prefix = static_cast<uint16_t>(w[16] | w[17] << 8);
        break;
    case 0x0402: std::memcpy(s.ipv6Gateway, w, 16); break;
    case 0x0403: std::memcpy(s.ipv6Dns, w, 16); break;
    case 0x0803:
        std::memcpy(s.dot1xBlock, w, 32);
        for (int i = 0; i < 4; ++i)
            s.dot1xValues[i] = Le32(w + 32 + 4 * i);
        break;
    case 0x0804:
        if (n > 2)
            s.dot1xIdentity.assign(reinterpret_cast<const char*>(data), n - 2);
        break;
    case 0x0805:
        if (n > 2)
            s.dot1xPassword.assign(reinterpret_cast<const char*>(data), n - 2);
        break;
    case 0x0901: std::memcpy(s.ssid, w, 32); break;
    case 0x0908: std::memcpy(s.sharedKey, w, 63); break;
    case 0x0909: std::memcpy(s.preSharedKey, w, 32); break;
    case 0x0C00:
        if (n > 0)
            s.firmwareName.assign(reinterpret_cast<const char*>(data), n);
        break;
    case 0x0D01:
        s.flags = Le32(w);
        s.wlanOptions = Le32(w + 4);
        s.optionWord = static_cast<uint16_t>(w[8] | w[9] << 8);
        std::memcpy(s.optionRest, w + 10, 22);
        break;
    default:
        break;
    }
}

// False for records the workbench does not own (left untouched).
bool Give(const EnvRecord& r, const Area& a, const SettingsRecord& s)
{
    uint8_t b[48];
    switch (r.type << 8 | r.sub) {
    case 0x0300: a.Put(0, s.ipv4Address, 4); return true;
    case 0x0301: a.Put(0, s.ipv4Mask, 4); return true;
    case 0x0302: a.Put(0, s.ipv4Gateway, 4); return true;
    case 0x0303: a.Put(0, s.ipv4Dns, 4); return true;
    case 0x0400:
        a.Put(0, s.ipv6Address, 16);
        b[0] = static_cast<uint8_t>(s.ipv6Prefix);
        b[1] = static_cast<uint8_t>(s.ipv6Prefix >> 8);
        a.Put(16, b, 2);
        return true;
    case 0x0402: a.Put(0, s.ipv6Gateway, 16); return true;
    case 0x0403: a.Put(0, s.ipv6Dns, 16); return true;
    case 0x0803:
        std::memcpy(b, s.dot1xBlock, 32);
        for (int i = 0; i < 4; ++i)
            PutLe32(b + 32 + 4 * i, s.dot1xValues[i]);
        a.Put(0, b, 48);
        return true;
    case 0x0804: a.PutText(s.dot1xIdentity, a.n >= 2 ? a.n - 2 : 0); return true;
    case 0x0805: a.PutText(s.dot1xPassword, a.n >= 2 ? a.n - 2 : 0); return true;
    case 0x0901: a.Put(0, s.ssid, 32); return true;
    case 0x0908: a.Put(0, s.sharedKey, 63); return true;
    case 0x0909: a.Put(0, s.preSharedKey, 32); return true;
    case 0x0C00: a.PutText(s.firmwareName, a.n); return true;
    case 0x0D01:
        PutLe32(b, s.flags);
        PutLe32(b + 4, s.wlanOptions);
        b[8] = static_cast<uint8_t>(s.optionWord);
        b[9] = static_cast<uint8_t>(s.optionWord >> 8);
        a.Put(0, b, 10);
        return true;
    default:
        return false;
    }
}
} // namespace

Result Parse(const uint8_t* block, size_t count, SettingsRecord& record)
{
    if (count < 1)
        return Result::NoValues;
    record = SettingsRecord();
    if (!EnvBlock::CheckHeader(block, count, EnvBlock::kMagicSettings))
        return Result::Bad;
    CEnvRecordWalker walker(block, count);
    EnvRecord r;
    for (;;) {
        switch (walker.Next(r)) {
        case Step::Record:
            if (!EnvBlock::CheckRecordCrc(block, r))
                return Result::Bad;
            Take(r, block + r.DataOffset(), r.DataLength(), record);
            break;
        case Step::End:
        case Step::RanOut:
            return Result::Parsed;
        case Step::Bad:
            return Result::Bad;
        }
    }
}

bool Build(uint8_t* block, size_t count, const SettingsRecord& record)
{
    if (!EnvBlock::CheckHeader(block, count, EnvBlock::kMagicSettings))
        return false;
    CEnvRecordWalker walker(block, count);
    EnvRecord r;
    for (;;) {
        switch (walker.Next(r)) {
        case Step::Record:
            if (Give(r, Area{block + r.DataOffset(), r.DataLength()}, record))
                EnvBlock::UpdateRecordCrc(block, r);
            break;
        case Step::End:
        case Step::RanOut:
            return true;
        case Step::Bad:
            return false;
        }
    }
}

} // namespace SettingsBlock
