#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// IPv6 text <-> 16 bytes in network order (8 big-endian groups).
bool ParseIPv6(const std::string& text, uint8_t addr[16]);
// Upper-case "%X" groups; the first run of zero groups (even a single one)
// becomes "::". This is the form the board's pages show, not RFC 5952's.
std::string FormatIPv6(const uint8_t addr[16]);

// The value of one hex digit, -1 for any other character.
int HexValue(char c);

// Decodes hex pairs into printable ASCII (wireless names in scan results).
// Fails with out = "?" on a byte outside 32..126, and leaves out untouched
// when there are more than 255 pairs.
bool HexToAscii(const char* hex, size_t hexLength, std::string& out);

// The text after the last '/', or the whole path when it has none.
std::string GetFileNameFromPath(const std::string& path);
