#include "link/codecs/IspTextLine.h"

#include "link/codecs/Crc16.h"

#include <cstring>

namespace IspTextLine {

const char kDumpEnv[] = "de 0\r";
const char kTestFirmware[] = "tf 0\r";
const char kUnlock[] = "uf fcdb\r";
const char kErase[] = "ef dfcb\r";
const char kProgram[] = "pf decf\r";
const char kBootFlag[] = "bf 400 QUIVER RESTACK\r";
const char kJumpFirmware[] = "jf 10\r";
const char kReset[] = "rs 10\r";

const char kReady[] = "100 ";
const char kDone[] = "200 ";
const char kDumpEcho[] = "de 0";
const char kSendFirmware[] = "201 Send Firmware";
const char kTestOk[] = "202 Test OK";
const char kCommandOk[] = "200 Command OK";
const char kCrcOk[] = "204 CRC OK";

namespace {

const size_t kMaxName = 1023;
const uint32_t kEnvMagic = 0x536E5665;  // "eVnS"

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

} // namespace

bool StartsWith(const std::string& line, const char* prefix)
{
    return line.compare(0, std::strlen(prefix), prefix) == 0;
}

bool IsFailure(const std::string& line)
{
    for (const char* p : {"300 ", "304 ", "305 ", "306 ", "307 "})
        if (StartsWith(line, p))
            return true;
    return false;
}

bool AppendDumpLine(const std::string& line, std::vector<uint8_t>& dump, size_t limit)
{
    if (line.size() <= 2)
        return false;
    const size_t end = line.size() - 2;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < end; i += 3) {
        int hi = HexDigit(line[i]);
        int lo = i + 1 < line.size() ? HexDigit(line[i + 1]) : -1;
        // A line with anything but hex pairs is some other text of the
        // boot loader, not half a dump line.
        if (hi < 0 || lo < 0)
            return false;
        bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    for (uint8_t b : bytes) {
        if (dump.size() >= limit)
            break;
        dump.push_back(b);
    }
    return true;
}

std::string GetEnvStringRecord(const uint8_t* dump, size_t count)
{
    if (!dump || count < 16)
        return std::string();
    const uint32_t magic = uint32_t(dump[0]) | uint32_t(dump[1]) << 8 | uint32_t(dump[2]) << 16 |
                           uint32_t(dump[3]) << 24;
    if (magic != kEnvMagic || U16(dump + 6) != CalcCrc16(6, dump))
        return std::string();
    size_t at = 16;
    while (count - at >= 4) {
        const uint8_t* r = dump + at;
        const size_t length = U16(r + 2);
        // Lengths under 4 would overlap the record's own CRC with its head.
        if (length < 4 || length > count - at)
            return std::string();
        if (U16(r + length - 2) != CalcCrc16(length - 2, r))
            return std::string();
        if (r[0] == 0x0C && r[1] == 0 && length > 6) {
            size_t n = length - 6;
            const void* zero = std::memchr(r + 4, 0, n);
            if (zero)
                n = static_cast<size_t>(static_cast<const uint8_t*>(zero) - (r + 4));
            if (n > kMaxName)
                n = kMaxName;
            return std::string(reinterpret_cast<const char*>(r + 4), n);
        }
        if (r[0] == 0xFF)
            return std::string();
        at += length;
    }
    return std::string();
}

} // namespace IspTextLine
