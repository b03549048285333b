#include "link/codecs/EnvBlock.h"

#include "link/codecs/Crc16.h"

#include <algorithm>
#include <cstring>

namespace EnvBlock {
namespace {
uint16_t GetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t GetLe32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
void PutLe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
constexpr size_t kMaxBlock = 0xFFFF;
} // namespace

void MakeHeader(uint8_t* block, uint32_t magic, uint16_t totalLength)
{
    std::memset(block, 0, kHeaderSize);
    for (int i = 0; i < 4; ++i)
        block[i] = static_cast<uint8_t>(magic >> (8 * i));
    PutLe16(block + 4, totalLength);
    PutLe16(block + 6, CalcCrc16(6, block));
}

bool CheckHeader(const uint8_t* block, size_t count, uint32_t magic, uint16_t* length)
{
    if (count < kHeaderSize || GetLe32(block) != magic || GetLe16(block + 6) != CalcCrc16(6, block))
        return false;
    if (length)
        *length = GetLe16(block + 4);
    return true;
}

bool CheckRecordCrc(const uint8_t* block, const EnvRecord& r)
{
    if (r.length < kMinRecordLength)
        return false;
    return GetLe16(block + r.offset + r.length - 2) == CalcCrc16(r.length - 2u, block + r.offset);
}

void UpdateRecordCrc(uint8_t* block, const EnvRecord& r)
{
    if (r.length >= kMinRecordLength)
        PutLe16(block + r.offset + r.length - 2, CalcCrc16(r.length - 2u, block + r.offset));
}

CEnvRecordWalker::CEnvRecordWalker(const uint8_t* block, size_t count) : m_block(block), m_limit(count)
{
    uint16_t length = 0;
    if (count >= kHeaderSize) {
        length = GetLe16(block + 4);
        m_limit = std::min<size_t>(count, length);
    }
}

CEnvRecordWalker::Step CEnvRecordWalker::Next(EnvRecord& r)
{
    if (m_pos >= m_limit)
        return Step::RanOut;
    size_t left = m_limit - m_pos;
    if (left < kRecordHeadSize)
        return Step::Bad;
    const uint8_t* p = m_block + m_pos;
    r.offset = m_pos;
    r.type = p[0];
    r.sub = p[1];
    r.length = GetLe16(p + 2);
    if (r.type == kEndType) {
        // Its head alone ends the list, whatever length it claims.
        r.length = 0;
        m_pos = m_limit;
        return Step::End;
    }
    if (r.length < kMinRecordLength || r.length > left)
        return Step::Bad;
    m_pos += r.length;
    return Step::Record;
}

void Begin(std::vector<uint8_t>& block) { block.assign(kHeaderSize, 0); }

bool AppendRecord(std::vector<uint8_t>& block, uint8_t type, uint8_t sub, const void* data, size_t n)
{
    size_t length = (n + kMinRecordLength + 3) & ~size_t(3);
    if (length > kMaxBlock || block.size() + length > kMaxBlock)
        return false;
    size_t at = block.size();
    block.resize(at + length, 0);
    uint8_t* p = block.data() + at;
    p[0] = type;
    p[1] = sub;
    PutLe16(p + 2, static_cast<uint16_t>(length));
    if (n)
        std::memcpy(p + kRecordHeadSize, data, n);
    PutLe16(p + length - 2, CalcCrc16(length - 2, p));
    return true;
}

bool AppendRaw(std::vector<uint8_t>& block, const uint8_t* record, size_t length)
{
    if (block.size() + length > kMaxBlock)
        return false;
    block.insert(block.end(), record, record + length);
    return true;
}

void Finish(std::vector<uint8_t>& block, uint32_t magic)
{
    if (block.size() < kHeaderSize)
        block.resize(kHeaderSize, 0);
    MakeHeader(block.data(), magic, static_cast<uint16_t>(std::min(block.size(), kMaxBlock)));
}

} // namespace EnvBlock
