// Wire codec of the board simulator: frames, items and the CRC-16 of the
// stored containers. Written apart from link/ on purpose, so that the two
// implementations check each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace boardsim {

using Bytes = std::vector<uint8_t>;

// Frame kinds (high nibble of byte 1).
enum FrameKind : uint8_t {
  kKindCommand = 0,
  kKindData = 1,
  kKindEvent = 2,
  kKindOutput = 3,
  kKindFwLog = 4,
};

// Bits of header byte 4 besides the group.
constexpr uint8_t kFlagRefused = 0x20;
constexpr uint8_t kFlagWindow = 0x40;

// Item types.
enum ItemType : uint8_t {
  kItemBool = 1,
  kItemInt32 = 2,
  kItemInt64 = 3,
  kItemDouble = 5,
  kItemText = 6,
  kItemBytes = 7,
};

constexpr uint8_t kSyncCr = 0x0D;
constexpr uint8_t kFrameStart = 0x50;

// CRC-16 of the containers: polynomial 0x1021, MSB first, register 0xFFFF,
// the message followed by 16 zero bits (augmented form).
uint16_t Crc16(const uint8_t* data, size_t length);
inline uint16_t Crc16(const Bytes& b) { return Crc16(b.data(), b.size()); }

// The board's one-byte answer to a sync byte; 0 when the byte is no sync byte.
uint8_t SyncAnswer(uint8_t syncByte);
bool IsSyncByte(uint8_t b);

// One decoded frame.
struct Frame {
  uint8_t kind = 0;
  uint8_t seq = 0;
  uint8_t group = 0;
  uint8_t command = 0;   // high nibble of byte 5
  uint8_t sub = 0;       // low nibble of byte 5
  bool refused = false;
  bool window = false;
  uint16_t field67 = 0;  // payload length, or the window size of a window frame
  Bytes payload;

  uint8_t Code() const { return static_cast<uint8_t>(command << 4 | sub); }
};

// One item of a kind-0 payload.
struct Item {
  uint8_t type = 0;
  uint16_t field = 0;  // the length field as sent
  Bytes value;         // the data bytes (pad removed by the rule of the type)

  int32_t AsInt32() const;
  int64_t AsInt64() const;
  std::string AsText() const;  // up to the first NUL
};

// Item encoders. Text items carry their NUL; `padOnly` writes the padded size
// without the pad count in the length field (the few requests that do so).
void PutInt32(Bytes& out, int32_t v);
void PutInt64(Bytes& out, int64_t v);
void PutText(Bytes& out, const std::string& text, bool padOnly = false);
void PutBytes(Bytes& out, const uint8_t* data, size_t n);
inline void PutBytes(Bytes& out, const Bytes& b) { PutBytes(out, b.data(), b.size()); }

// The length field of a type 6/7 item of d bytes, with or without pad count.
uint16_t VarLengthField(size_t d, bool padOnly = false);
// The data length a reader gets back from a length field.
int VarDataLength(uint16_t field);

// Frame encoders.
Bytes EncodeCommand(uint8_t seq, uint8_t group, uint8_t code, const Bytes& items,
                    bool refused = false);
Bytes EncodeWindow(uint8_t seq, uint16_t window);
Bytes EncodeChunk(uint8_t seq, const uint8_t* data, size_t n);
Bytes EncodeText(uint8_t kind, uint8_t seq, const std::string& text);

// Bounded item reader: false when an item would run past the payload.
bool ParseItems(const Bytes& payload, std::vector<Item>& items, std::string* why = nullptr);

// Incremental decoder of the program-to-board stream: frames, sync bytes and
// noise. The board resynchronises on the start byte: bytes that cannot begin
// a frame or a sync are dropped and counted.
class FrameDecoder {
 public:
  struct Event {
    enum Type { kFrame, kSync, kBadFrame } type;
    Frame frame;          // kFrame
    uint8_t syncByte = 0; // kSync
    std::string why;      // kBadFrame
  };

  // Largest frame accepted: a full 8192-byte chunk with its header, and room
  // for a program that grants more.
  static constexpr size_t kMaxFrame = 8 + 65535;

  void Feed(const uint8_t* data, size_t n, std::vector<Event>& out);
  void Reset();
  size_t DroppedBytes() const { return dropped_; }

 private:
  Bytes buf_;
  int pendingSync_ = -1;
  size_t dropped_ = 0;
};

// Text of a frame for the log: "01/25 seq 3 refused [int32 13]".
std::string Describe(const Frame& f);
std::string Hex(const uint8_t* data, size_t n);
inline std::string Hex(const Bytes& b) { return Hex(b.data(), b.size()); }
bool ParseHex(const std::string& text, Bytes& out);

}  // namespace boardsim
