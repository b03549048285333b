#include "link/codecs/PasswordRecord.h"

#include "link/codecs/TextHelpers.h"

#include "link/codecs/Crc16.h"
#include "link/codecs/Sha1.h"

#include <cstring>

namespace PasswordRecord {
namespace {
void PutLe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
} // namespace

void LoginSalt(const std::string& mcuIdHex, uint8_t salt[20])
{
    std::memset(salt, 0, 20);
    for (size_t n = 0; n < 20 && 2 * n + 1 < mcuIdHex.size(); ++n) {
        int hi = HexValue(mcuIdHex[2 * n]), lo = HexValue(mcuIdHex[2 * n + 1]);
        if (hi < 0 || lo < 0)
            break;
        salt[n] = static_cast<uint8_t>(hi << 4 | lo);
    }
}

void Key(const std::string& password, const std::string& mcuIdHex, uint8_t key[32])
{
    uint8_t salt[20];
    LoginSalt(mcuIdHex, salt);
    Pbkdf2Sha1Key32(salt, sizeof salt, password.substr(0, 32), key);
}

void Make(const std::string& password, const std::string& mcuIdHex, uint8_t record[kSize])
{
    std::memset(record, 0, kSize);
    record[0] = 1;
    Key(password, mcuIdHex, record + 4);
    PutLe16(record + 2, CalcCrc16(32, record + 4));
    PutLe16(record + 36, CalcCrc16(36, record));
}

void MakeDelete(uint8_t record[kSize])
{
    std::memset(record, 0, kSize);
    PutLe16(record + 36, CalcCrc16(36, record));
}

std::string Hex(const uint8_t record[kSize])
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < kSize; ++i) {
        text += digits[record[i] >> 4];
        text += digits[record[i] & 15];
    }
    return text;
}

} // namespace PasswordRecord
