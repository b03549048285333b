#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Wire format of the board's script firmware: an 8-byte header, then typed
// items (kind 0) or raw data (kind 1). Multi-byte fields are big-endian.
namespace LinkFrame {

constexpr uint8_t kStartByte = 0x50;
constexpr size_t kHeaderSize = 8;
// The 16-bit length field counts the frame minus 4, so no legal frame is longer.
constexpr size_t kMaxFrameSize = 0xFFFF + 4;
constexpr uint16_t kWindowSize = 0x2000;

enum Kind : uint8_t { kCommand = 0, kData = 1, kDebugEvent = 2, kOutput = 3, kFirmwareLog = 4 };

constexpr uint8_t kRefusedFlag = 0x20;
constexpr uint8_t kWindowFlag = 0x40;

enum ItemType : uint8_t {
    kItemBool = 1, kItemInt32 = 2, kItemInt64 = 3, kItemDouble = 5, kItemText = 6, kItemBytes = 7
};

// The board answers 'nothing to report' with this refusal code.
constexpr int32_t kNothingToReport = 16;

struct Header {
    uint8_t kind = 0;
    uint8_t sequence = 0;
    uint16_t length = 0;       // frame length - 4
    uint8_t group = 0;
    bool refused = false;
    bool window = false;
    uint8_t command = 0;
    uint8_t sub = 0;
    uint16_t payloadLength = 0; // in a window frame: the window size
};

Header ParseHeader(const uint8_t* frame);
uint16_t GetU16(const uint8_t* p);
uint32_t GetU32(const uint8_t* p);
void PutU16(uint8_t* p, uint16_t v);
void PutU32(uint8_t* p, uint32_t v);

// Length field of a text or byte-string item of d bytes: the padded size plus
// the pad count in its low two bits. A few requests carry the padded size alone.
uint16_t TextLengthField(size_t dataLength, bool withPadCount = true);
inline size_t Pad4(size_t n) { return (4 - n % 4) % 4; }

// A sequence counter: values run 0..15, then 0 again.
class SequenceCounter {
public:
    uint8_t Next() {
        if (m_value > 15) m_value = 0;
        return m_value++;
    }
    uint8_t Peek() const { return m_value > 15 ? 0 : m_value; }
private:
    uint8_t m_value = 0;
};

// Builds one request frame (kind 0) with items.
class RequestBuilder {
public:
    RequestBuilder(uint8_t group, uint8_t command, uint8_t sub);
    RequestBuilder& Int32(int32_t value);
    // Text with its terminating NUL (type 6).
    RequestBuilder& Text(const std::string& text, bool withPadCount = true);
    // Bytes without terminator (type 7).
    RequestBuilder& Bytes(const void* data, size_t length);
    // Finishes the frame with the given sequence number.
    std::vector<uint8_t> Build(uint8_t sequence) const;
private:
    void Item(uint8_t type, uint16_t field, const void* data, size_t length, size_t areaSize);
    uint8_t m_group, m_code;
    std::vector<uint8_t> m_items;
};

std::vector<uint8_t> WindowFrame(uint8_t sequence, uint16_t window = kWindowSize);
std::vector<uint8_t> DataChunk(uint8_t sequence, const uint8_t* data, size_t length);

} // namespace LinkFrame
