// The firmware image check on any file: it must answer without reading
// outside the file, a name it finds is bounded and has no zero byte, and a
// file it accepts has its record area inside it.
#include "tests/fuzz/FuzzTarget.h"

#include "link/codecs/FirmwareImage.h"
#include "link/codecs/Crc16.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the input's size, so the sanitizer sees any read past it.
    std::vector<uint8_t> file(data, data + size);
    // Half the inputs get a matching CRC, or the walk behind it is rarely reached.
    if (size >= 24 && (size & 1)) {
        uint16_t crc = CalcCrc16(size - 16, file.data() + 16);
        file[8] = static_cast<uint8_t>(crc);
        file[9] = static_cast<uint8_t>(crc >> 8);
    }
    FirmwareImage::CheckResult r = FirmwareImage::Check(file.data(), file.size());
    if (r.name.size() > FirmwareImage::kMaxNameLength || r.name.find('\0') != std::string::npos)
        std::abort();
    if (!r.ok && !r.name.empty())
        std::abort();
    // An accepted file's record area lies inside it.
    if (r.ok && (size_t(file[4] | file[5] << 8) + size_t(file[22] | file[23] << 8)) * 16 > size)
        std::abort();
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    // 1 KiB image: record area in the last 64 bytes, a 'C' record holding a
    // type-12 name; sizes odd and even so both CRC cases occur.
    std::vector<std::vector<uint8_t>> seeds;
    for (size_t size : {1024u, 1025u, 4096u}) {
        std::vector<uint8_t> b(size, 0x5A);
        const size_t area = 1024 - 64;
        b[4] = static_cast<uint8_t>(area / 16);
        b[5] = 0;
        b[22] = 4;
        b[23] = 0;
        std::memset(&b[area], 0, 64);
        b[area] = 'C';
        b[area + 2] = 40;
        b[area + 20] = 12;
        b[area + 22] = 20;
        std::memcpy(&b[area + 24], "ZV-FW-STD", 9);
        seeds.push_back(b);
    }
    return seeds;
}
