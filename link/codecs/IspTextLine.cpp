#include "link/codecs/IspTextLine.h"

#include "link/codecs/TextHelpers.h"

#include "link/codecs/EnvBlock.h"

#include <algorithm>
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
        int hi = HexValue(line[i]);
        int lo = i + 1 < line.size() ? HexValue(line[i + 1]) : -1;
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
    if (!dump || !EnvBlock::CheckHeader(dump, count, EnvBlock::kMagicSettings))
        return std::string();
    EnvBlock::CEnvRecordWalker walker(dump, count);
    EnvBlock::EnvRecord r;
    while (walker.Next(r) == EnvBlock::CEnvRecordWalker::Step::Record) {
        if (!EnvBlock::CheckRecordCrc(dump, r))
            return std::string();
        if (r.type == 0x0C && r.sub == 0 && r.DataLength() > 0) {
            const uint8_t* text = dump + r.DataOffset();
            size_t n = std::min(r.DataLength(), kMaxName);
            const void* zero = std::memchr(text, 0, n);
            if (zero)
                n = static_cast<size_t>(static_cast<const uint8_t*>(zero) - text);
            return std::string(reinterpret_cast<const char*>(text), n);
        }
    }
    return std::string();
}

} // namespace IspTextLine
