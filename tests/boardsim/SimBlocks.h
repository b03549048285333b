// The board's typed-record blocks (settings "eVnS", keys "eVnC", certificate
// "eVnM") and its password record, as the board checks and keeps them.
// Written apart from link/ on purpose.
#pragma once

#include <string>

#include "tests/boardsim/SimCodec.h"

namespace boardsim {

constexpr uint32_t kMagicSettings = 0x536E5665;
constexpr uint32_t kMagicKeys = 0x436E5665;
constexpr uint32_t kMagicCert = 0x4D6E5665;

// The settings block a fresh board holds: firmware name, addresses, SSID,
// options, one record no program knows, and the end record.
Bytes DefaultSettingsBlock(const std::string& firmwareName);

// Strict check of a whole block as received: magic, header length equal to
// the bytes received, header CRC, zero bytes 8-15, every record's length
// (multiple of 4, at least 6, inside the block) and CRC; a type-255 record
// ends the list. why names the first fault.
bool CheckBlock(const Bytes& block, uint32_t magic, std::string& why);

// Each record of a checked block: "TT/SS L" plus, for the records the
// program edits, the value (for the logs and the tests).
std::vector<std::string> DescribeSettings(const Bytes& block);

// The 38-byte password record: {1, 0, CRC of key (LE), 32-byte key, CRC of
// bytes 0-35 (LE)}, or 36 zero bytes and their CRC to delete the password.
// key is empty for a deletion.
bool CheckPasswordRecord(const Bytes& record, Bytes& key, std::string& why);

// The response to a challenge for a stored 32-byte key.
Bytes LoginResponseForKey(const Bytes& challenge, const Bytes& key);

}  // namespace boardsim
