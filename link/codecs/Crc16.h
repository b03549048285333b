#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The one checksum of every stored or exchanged block: CRC-16/AUG-CCITT
// (poly 0x1021, MSB first, register 0xFFFF, 16 zero bits appended).
uint16_t CalcCrc16(size_t length, const void* data);

// File-type tests by extension: the characters after the last '.', lower-cased.
std::string GetFileExtension(const std::string& fileName);
bool IsTextFile(const std::string& fileName);
bool IsPhpFile(const std::string& fileName);
bool IsImageFile(const std::string& fileName);
bool IsGifFile(const std::string& fileName);
bool IsPackedFile(const std::string& fileName);
