#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A firmware image file (".kbx" from the maker), read whole into memory and
// checked before anything is sent to the boot loader. Little-endian header:
//   4  u16  record area position, in 16-byte units
//   8  u16  CRC-16 of every byte from offset 16 to the end
//   22 u16  record area length, in 16-byte units
// Records {u8 type, u8, u16 length with the head, body}; a 'C' record holds
// sub-records of the same shape from its offset 20, and the first one of type
// 12 carries the firmware name. The file goes to the board unchanged.
namespace FirmwareImage {

constexpr size_t kHeaderSize = 24;
// Far above any board's flash: a larger file is not an image of ours.
constexpr size_t kMaxSize = 16u * 1024 * 1024;
constexpr size_t kMaxNameLength = 1023;

struct CheckResult {
    bool ok = false;
    std::string name;  // empty when the image carries none
};

// ok false means "File is incorrect.": too short or too long, a CRC that
// does not match, a record area that reaches past the end of the file, or a
// record or name record met on the way to the name that reaches past what
// holds it. Without a name record the name is empty.
CheckResult Check(const uint8_t* data, size_t size);

// The upgrade dialog's progress: percent and the bar's right edge for a bar
// of `width` pixels. 64-bit, so images near the size cap do not overflow.
int ProgressPercent(uint64_t sent, uint64_t total);
int ProgressWidth(uint64_t sent, uint64_t total, int width);

} // namespace FirmwareImage

// The message for a file that fails the check (the dialog shows it).
constexpr const char* kFirmwareIncorrectText = "File is incorrect.";
