#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The board's information block (a 03/30 read): records {u8 type, u8 sub,
// u16 little-endian length L counting the 4-byte head, L - 4 data bytes}.
namespace InfoBlock {

// The information text is kept in a buffer of this size on the board's
// side of things: longer texts are cut to kMaxText - 1 characters.
constexpr size_t kMaxText = 1024;

enum class Result {
    kFound,   // the 'A' record: text set
    kEnd,     // walked to the end without one
    kBroken,  // a record whose length lies (0..3 or past the data)
};

Result Find(const uint8_t* data, size_t count, std::string& text);

} // namespace InfoBlock

// The board's time since start (string 185's format: days, then hh:mm:ss).
// format holds "%I64d" for the days and three "%02d"; a format without them
// in that order falls back to the English one.
std::string FormatUptime(int64_t milliseconds, const std::string& format = "%I64ddays / %02d:%02d:%02d");
