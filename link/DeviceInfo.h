#pragma once
#include <cstdint>
#include <string>

// The board's identity as the identification chain and the image header
// leave it. Texts of ids are lower-case hex.
struct CDeviceInfo {
    int wiredPresent = 0;
    int wirelessPresent = 0;
    uint8_t pdbHigh = 0, pdbLow = 0;
    int32_t fsCapacity = 0;
    int uploadsRefused = 0;
    int fsValue = 0;
    std::string fsId;
    std::string firmwareHeader;
    std::string mcuId;
    std::string macAddress;
    std::string fsHash;
    std::string productInfo;
    std::string infoBlock;
    std::string envcHash;
};
