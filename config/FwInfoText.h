// The lines of the product and firmware information dialog, from the texts
// the identification left (hex texts, two digits per byte).
#pragma once

#include <string>

namespace FwInfoText {

// "00:1a:2b:..." from 12 hex digits; pairs a short text lacks stay empty.
std::string Mac(const std::string& hex);
// The firmware size in KiB ("64K") from header bytes 4 and 5 (u16 in 16-byte
// units); "" when the header text is 12 characters or shorter.
std::string Size(const std::string& header);
// "1.2.3" or "1.2.3.b5" from header bytes 12 and 13; "" when the header text
// is 28 characters or shorter.
std::string Version(const std::string& header);
// A text copied from a fixed-size board record: up to its first zero byte.
std::string Bounded(const std::string& raw);

} // namespace FwInfoText
