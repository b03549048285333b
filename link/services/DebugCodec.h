#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// What the debugger puts into its requests and reads out of the board's
// replies and events: watch names and their index encoding, typed watch
// values, break and breakpoint items, task state and resource items. Pure
// functions over bytes; every walk goes through the bounded item reader.
namespace DebugCodec {

// The board takes debugger requests into a 512-byte buffer: the names of
// one request (with their zeros and padding) may fill 484 bytes of it.
constexpr size_t kMaxNameArea = 484;
// A long string is completed by a block read past this many bytes.
constexpr int32_t kShortStringMax = 64;

// Bytes a text or byte-string item of d data bytes takes on the wire after
// its head: the data padded to a multiple of 4.
inline size_t PaddedSize(size_t d) { return (d + 3) & ~size_t(3); }

// True when a breakpoint request for this file name fits the board's buffer.
bool FileNameFits(const std::string& name);

// The index part of a watch name (from its first "[" on) in the board's
// form: each [n] becomes "[@c " with c = n + 0x40, the last blank dropped.
// Empty when the brackets do not pair (the board then reads the base name).
// false when an index is no decimal number in 0..191 (so c stays a
// printable byte of its own) or a "]" does not follow its "[".
bool EncodeWatchName(const std::string& text, std::string& out);

// A watch name split for 01/60 and 03/50: the base name and the index
// bytes as sent (blanks as zero bytes, with the terminating zero). false
// when the name cannot be asked for (bad index, or too long for a request).
struct WatchRequest {
    std::string base;
    std::string index;
};
bool SplitWatchName(const std::string& name, WatchRequest& out);

// One row of the watch list as the board described it.
struct WatchValue {
    std::string type, value, full;
    // A string's length on the board (its reply's second item).
    int32_t boardLength = 0;
};
enum class WatchReply {
    kShown,       // out holds the row's texts
    kLongString,  // out holds the first bytes; the rest comes by a block read
    kUnknownType, // nothing to show (a type the list has no text for)
    kBad,         // the item is cut short or lies about its length
};
WatchReply DecodeWatchReply(const uint8_t* payload, size_t length, WatchValue& out);
// The row of a long string read whole: "STR[n]", its text, its hex.
WatchValue LongStringValue(const uint8_t* data, size_t length);
// "?" in all three columns: the board refused or the name cannot be sent.
WatchValue UnknownValue();

// "%.13f" of any double, however large, and fixed texts for NaN and
// infinities, so the texts do not depend on the C library's printf (MinGW's
// own stdio, which this build uses, and glibc both write nan and inf today).
std::string FormatDouble(double value);

// The items of a break event and of a breakpoint read-back: the first and
// second int32 and the first text item. Missing values stay 0 and empty; a
// broken item ends the walk and what came before stands.
struct DebugItems {
    int32_t first = 0, second = 0;
    std::string file;
    int ints = 0;
    bool hasFile = false;
};
DebugItems ReadDebugItems(const uint8_t* payload, size_t length);

// Task-state reply: exactly two int32 items (task, state) in 16 bytes.
bool ReadTaskState(const uint8_t* payload, size_t length, int32_t& task, int32_t& state);

// Items at fixed 8-byte steps (resource events and replies): sets values[i]
// for each of the first count items that is a whole int32 item inside the
// payload; the others are left as they were. Returns a mask of those set
// (bit i for item i).
int ReadFixedInts(const uint8_t* payload, size_t length, int32_t* values, int count);

// Script output and firmware log: the payload as text up to its first zero.
std::string PayloadText(const uint8_t* payload, size_t length);

// Lines of a file as the editor shows them: CR LF, CR or LF end a line,
// and the text after the last end is a line of its own (even when empty).
int CountLines(const std::string& data);

} // namespace DebugCodec
