#include "link/codecs/LinkFrame.h"

#include <cstring>

namespace LinkFrame {

uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t GetU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}
void PutU16(uint8_t* p, uint16_t v) { p[0] = static_cast<uint8_t>(v >> 8); p[1] = static_cast<uint8_t>(v); }
void PutU32(uint8_t* p, uint32_t v)
{
    PutU16(p, static_cast<uint16_t>(v >> 16));
    PutU16(p + 2, static_cast<uint16_t>(v));
}

Header ParseHeader(const uint8_t* f)
{
    Header h;
    h.kind = f[1] >> 4;
    h.sequence = f[1] & 0x0F;
    h.length = GetU16(f + 2);
    h.group = f[4] & 0x0F;
    h.refused = (f[4] & kRefusedFlag) != 0;
    h.window = (f[4] & kWindowFlag) != 0;
    h.command = f[5] >> 4;
    h.sub = f[5] & 0x0F;
    h.payloadLength = GetU16(f + 6);
    return h;
}

uint16_t TextLengthField(size_t d, bool withPadCount)
{
    size_t p = Pad4(d);
    return static_cast<uint16_t>(withPadCount ? d + p + p : d + p);
}

RequestBuilder::RequestBuilder(uint8_t group, uint8_t command, uint8_t sub)
    : m_group(group), m_code(static_cast<uint8_t>(command << 4 | (sub & 0x0F)))
{
}

void RequestBuilder::Item(uint8_t type, uint16_t field, const void* data, size_t length, size_t area)
{
    size_t at = m_items.size();
    m_items.resize(at + 4 + area, 0);
    m_items[at + 1] = type;
    PutU16(&m_items[at + 2], field);
    if (length)
        std::memcpy(&m_items[at + 4], data, length);
}

RequestBuilder& RequestBuilder::Int32(int32_t value)
{
    uint8_t v[4];
    PutU32(v, static_cast<uint32_t>(value));
    Item(kItemInt32, 4, v, 4, 4);
    return *this;
}

RequestBuilder& RequestBuilder::Text(const std::string& text, bool withPadCount)
{
    size_t d = text.size() + 1;
    Item(kItemText, TextLengthField(d, withPadCount), text.c_str(), d, d + Pad4(d));
    return *this;
}

RequestBuilder& RequestBuilder::Bytes(const void* data, size_t length)
{
    Item(kItemBytes, TextLengthField(length), data, length, length + Pad4(length));
    return *this;
}

std::vector<uint8_t> RequestBuilder::Build(uint8_t sequence) const
{
    std::vector<uint8_t> f(kHeaderSize + m_items.size(), 0);
    f[0] = kStartByte;
    f[1] = sequence & 0x0F;
    PutU16(&f[2], static_cast<uint16_t>(4 + m_items.size()));
    f[4] = m_group;
    f[5] = m_code;
    PutU16(&f[6], static_cast<uint16_t>(m_items.size()));
    if (!m_items.empty())
        std::memcpy(&f[8], m_items.data(), m_items.size());
    return f;
}

std::vector<uint8_t> WindowFrame(uint8_t sequence, uint16_t window)
{
    std::vector<uint8_t> f(kHeaderSize, 0);
    f[0] = kStartByte;
    f[1] = static_cast<uint8_t>(kData << 4 | (sequence & 0x0F));
    PutU16(&f[2], 4);
    f[4] = kWindowFlag;
    PutU16(&f[6], window);
    return f;
}

std::vector<uint8_t> DataChunk(uint8_t sequence, const uint8_t* data, size_t length)
{
    std::vector<uint8_t> f(kHeaderSize + length, 0);
    f[0] = kStartByte;
    f[1] = static_cast<uint8_t>(kData << 4 | (sequence & 0x0F));
    PutU16(&f[2], static_cast<uint16_t>(length + 4));
    PutU16(&f[6], static_cast<uint16_t>(length));
    if (length)
        std::memcpy(&f[8], data, length);
    return f;
}

} // namespace LinkFrame
