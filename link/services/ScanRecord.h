#pragma once
#include <cstdint>
#include <string>

struct FrameItem;

// One access point of a wireless scan, from the board's result text
// "<channel> <signal> <flags hex> <SSID hex>".
struct ScanRecord {
    static constexpr size_t kMaxSsidHex = 256;

    uint8_t channel = 0;
    uint8_t flags = 0;         // bits 0-2 non-zero: a secured network
    std::string ssidHex;       // as it came, at most kMaxSsidHex characters
    std::string ssid;          // decoded
    int32_t signal = 0;
    uint32_t ssidHexLength = 0;

    bool IsSecured() const { return (flags & 7) != 0; }

    // false when the SSID hex is longer than a record holds or does not
    // decode: such a result is left out of the list.
    static bool Parse(const FrameItem& item, ScanRecord& out);
};
