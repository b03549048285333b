#include "link/codecs/Crc16.h"

#include <array>
#include <initializer_list>

namespace {

// Table of the plain (non-augmented) CRC; the augmented form with register
// 0xFFFF equals the plain form started at 0x1D0F.
constexpr std::array<uint16_t, 256> MakeTable()
{
    std::array<uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t c = static_cast<uint16_t>(i << 8);
        for (int b = 0; b < 8; ++b)
            c = static_cast<uint16_t>((c & 0x8000) ? (c << 1) ^ 0x1021 : (c << 1));
        t[i] = c;
    }
    return t;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();

bool ExtensionIn(const std::string& fileName, std::initializer_list<const char*> list)
{
    const std::string ext = GetFileExtension(fileName);
    for (const char* e : list)
        if (ext == e)
            return true;
    return false;
}

} // namespace

uint16_t CalcCrc16(size_t length, const void* data)
{
    const auto* p = static_cast<const uint8_t*>(data);
    uint16_t crc = 0x1D0F;
    for (size_t i = 0; i < length; ++i)
        crc = static_cast<uint16_t>((crc << 8) ^ kTable[((crc >> 8) ^ p[i]) & 0xFF]);
    return crc;
}

std::string GetFileExtension(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    std::string ext = fileName.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

bool IsTextFile(const std::string& n) { return ExtensionIn(n, {"php", "html", "htm", "asp", "txt", "ini"}); }
bool IsPhpFile(const std::string& n) { return ExtensionIn(n, {"php"}); }
bool IsImageFile(const std::string& n) { return ExtensionIn(n, {"jpeg", "jpg", "bmp", "gif", "png", "ico"}); }
bool IsGifFile(const std::string& n) { return ExtensionIn(n, {"gif"}); }
bool IsPackedFile(const std::string& n) { return ExtensionIn(n, {"kbx"}); }
