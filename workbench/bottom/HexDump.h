// The hex dump of a watched string: its full value is two hex digits per
// byte; each line shows 16 bytes as "offset | hex | text". Portable.
#pragma once

#include <string>

// The whole dump, "\r\n" after every line, built at once (the dialog sets
// it in one go). An odd last digit is dropped; a pair that is no hex number
// reads as 0; bytes outside 0x21..0x7E show as ".".
std::string FormatHexDump(const std::string& fullValue);
