#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The settings the workbench understands, copied out of the board's settings
// block (an EnvBlock with magic "eVnS") and written back into the same
// records. Addresses stay as the records hold them (network byte order);
// the container's own numbers are little-endian.
struct SettingsRecord {
    std::string firmwareName;       // record 0x0C/0 data as read (zero padding included)
    uint8_t ipv4Address[4] = {}, ipv4Mask[4] = {}, ipv4Gateway[4] = {}, ipv4Dns[4] = {};
    uint8_t ipv6Address[16] = {};
    uint16_t ipv6Prefix = 0;
    uint8_t ipv6Gateway[16] = {}, ipv6Dns[16] = {};
    uint8_t dot1xBlock[32] = {};
    uint32_t dot1xValues[4] = {};
    uint8_t ssid[32] = {};
    uint8_t sharedKey[63] = {};
    uint8_t preSharedKey[32] = {};
    uint32_t flags = 0;
    uint32_t wlanOptions = 0;
    uint16_t optionWord = 0;
    uint8_t optionRest[22] = {};    // read only
    std::string dot1xIdentity;      // records 0x08/4 and 0x08/5 (L - 8 bytes)
    std::string dot1xPassword;

    // The firmware name as text: up to its first zero byte ("" when absent).
    std::string FirmwareNameText() const { return firmwareName.substr(0, firmwareName.find('\0')); }
};

namespace SettingsBlock {

enum class Result { Parsed, NoValues, Bad };

// Copies the known records of a block of count bytes into record (zeroed
// first). Bad: wrong magic or header CRC, or a bad record (the values copied
// before it stay). Running out of records without an end record is fine.
Result Parse(const uint8_t* block, size_t count, SettingsRecord& record);

// Writes record's values back into the known records of the block, in place,
// each bounded by its record's data area, and gives each of them a new CRC.
// The header is not changed. False on a bad block or record.
bool Build(uint8_t* block, size_t count, const SettingsRecord& record);

} // namespace SettingsBlock
