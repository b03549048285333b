#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The board's typed-record container (settings, key and certificate blocks):
// a 16-byte header {u32 magic, u16 total length, u16 CRC of bytes 0-5, 8 zero
// bytes}, then records {u8 type, u8 sub, u16 L, data, zero padding, u16 CRC of
// the first L - 2 bytes}. Little-endian throughout.
namespace EnvBlock {

constexpr uint32_t kMagicSettings = 0x536E5665;  // "eVnS"
constexpr uint32_t kMagicKeys = 0x436E5665;      // "eVnC"
constexpr uint32_t kMagicCert = 0x4D6E5665;      // "eVnM"
constexpr size_t kHeaderSize = 16;
constexpr size_t kRecordHeadSize = 4;
// The smallest sound record: head and CRC.
constexpr size_t kMinRecordLength = 6;
constexpr uint8_t kEndType = 0xFF;

// One record as it lies in a block.
struct EnvRecord {
    size_t offset = 0;      // of its head in the block
    uint8_t type = 0;
    uint8_t sub = 0;
    uint16_t length = 0;    // L (0 for an end record: its head alone counts)
    // L - 6 bytes from offset + 4: data and padding, never the CRC.
    size_t DataLength() const { return length >= kMinRecordLength ? length - kMinRecordLength : 0; }
    size_t DataOffset() const { return offset + kRecordHeadSize; }
};

// Writes the header of a block of totalLength bytes (records + 16).
void MakeHeader(uint8_t* block, uint32_t magic, uint16_t totalLength);
// Magic and header CRC; length receives the header's total length.
bool CheckHeader(const uint8_t* block, size_t count, uint32_t magic, uint16_t* length = nullptr);
bool CheckRecordCrc(const uint8_t* block, const EnvRecord& record);
// Recomputes a record's CRC in place.
void UpdateRecordCrc(uint8_t* block, const EnvRecord& record);

// Walks the records of a block whose header was checked: from offset 16 up
// to the smaller of the bytes held and the header's length.
class CEnvRecordWalker {
public:
    enum class Step { Record, End, RanOut, Bad };
    CEnvRecordWalker(const uint8_t* block, size_t count);
    // Record: record is filled and the walk moves past it. End: a type-255
    // record (record filled). RanOut: no bytes left. Bad: a truncated head,
    // L below 6 or past what is left; the walk stays there.
    Step Next(EnvRecord& record);
private:
    const uint8_t* m_block;
    size_t m_limit;
    size_t m_pos = kHeaderSize;
};

// Building a block in a growing buffer: Begin, records, Finish.
void Begin(std::vector<uint8_t>& block);
// A record of n data bytes: L = n + 6 rounded up to 4, zero padding, CRC.
// False (nothing added) when L or the block would pass 65,535 bytes.
bool AppendRecord(std::vector<uint8_t>& block, uint8_t type, uint8_t sub, const void* data, size_t n);
// A record copied whole (head and CRC as found).
bool AppendRaw(std::vector<uint8_t>& block, const uint8_t* record, size_t length);
// Fills in the header for the records appended.
void Finish(std::vector<uint8_t>& block, uint32_t magic);

} // namespace EnvBlock
