#include "link/services/DebugCodec.h"

#include "link/codecs/FrameItemReader.h"
#include "link/codecs/LinkFrame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace DebugCodec {

namespace {

bool Trim(const std::string& s, size_t& b, size_t& e)
{
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return b < e;
}

// A decimal index in 0..191: n + 0x40 then stays a byte above the blank and
// the zero that separate the indexes on the wire.
bool ParseIndex(const std::string& s, size_t b, size_t e, int& n)
{
    if (!Trim(s, b, e))
        return false;
    if (s[b] == '+')
        ++b;
    if (b == e || e - b > 3)
        return false;
    n = 0;
    for (size_t i = b; i < e; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        n = n * 10 + (s[i] - '0');
    }
    return n <= 191;
}

uint64_t GetU64(const uint8_t* p)
{
    return static_cast<uint64_t>(LinkFrame::GetU32(p)) << 32 | LinkFrame::GetU32(p + 4);
}

std::string HexOf(const uint8_t* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s(n * 2, '0');
    for (size_t i = 0; i < n; ++i) {
        s[2 * i] = digits[p[i] >> 4];
        s[2 * i + 1] = digits[p[i] & 15];
    }
    return s;
}

} // namespace

bool FileNameFits(const std::string& name) { return PaddedSize(name.size() + 1) <= kMaxNameArea; }

bool EncodeWatchName(const std::string& text, std::string& out)
{
    out.clear();
    size_t opens = 0, closes = 0;
    for (char c : text) {
        opens += c == '[';
        closes += c == ']';
    }
    if (opens == 0 || opens != closes)
        return true;
    size_t pos = 0;
    for (size_t k = 0; k < opens; ++k) {
        size_t open = text.find('[', pos);
        // The "]" that closes this "[" comes after it, never before.
        size_t close = open == std::string::npos ? open : text.find(']', open + 1);
        int n = 0;
        if (close == std::string::npos || !ParseIndex(text, open + 1, close, n)) {
            out.clear();
            return false;
        }
        out += '[';
        out += '@';
        out += static_cast<char>(n + 0x40);
        out += ' ';
        pos = close + 1;
    }
    out.pop_back();
    return true;
}

bool SplitWatchName(const std::string& name, WatchRequest& out)
{
    size_t open = name.find('[');
    std::string encoded;
    if (open != std::string::npos && !EncodeWatchName(name.substr(open), encoded))
        return false;
    out.base = name.substr(0, open);
    out.index = encoded;
    for (char& c : out.index)
        if (c == ' ')
            c = '\0';
    out.index += '\0';
    return PaddedSize(out.base.size() + 1) + PaddedSize(out.index.size()) <= kMaxNameArea;
}

WatchReply DecodeWatchReply(const uint8_t* payload, size_t length, WatchValue& out)
{
    FrameItemReader reader(payload, length);
    FrameItem item;
    if (!reader.Next(item))
        return WatchReply::kBad;
    switch (item.type) {
    case LinkFrame::kItemBool:
    case LinkFrame::kItemInt64:
    case LinkFrame::kItemDouble: {
        if (item.length < 8)
            return WatchReply::kBad;
        uint64_t bits = GetU64(item.data);
        if (item.type == LinkFrame::kItemBool) {
            out.type = "BOOL";
            out.value = bits != 0 ? "TRUE" : "FALSE";
        } else if (item.type == LinkFrame::kItemInt64) {
            out.type = "INT";
            out.value = std::to_string(static_cast<long long>(bits));
        } else {
            double d;
            static_assert(sizeof d == sizeof bits, "IEEE double");
            std::memcpy(&d, &bits, sizeof d);
            out.type = "FLOAT";
            out.value = FormatDouble(d);
        }
        out.full = out.value;
        return WatchReply::kShown;
    }
    case LinkFrame::kItemBytes: {
        // The string's full length on the board follows; without it the
        // bytes at hand are all there is.
        FrameItem next;
        int32_t full = static_cast<int32_t>(item.length);
        if (reader.Next(next) && next.IsInt32())
            full = next.Int32();
        out.type = "STR[" + std::to_string(full) + "]";
        out.boardLength = full;
        out.value = item.Text();
        out.full = HexOf(item.data, item.length);
        return full > kShortStringMax ? WatchReply::kLongString : WatchReply::kShown;
    }
    default:
        return WatchReply::kUnknownType;
    }
}

WatchValue LongStringValue(const uint8_t* data, size_t length)
{
    WatchValue v;
    v.type = "STR[" + std::to_string(length) + "]";
    v.value = PayloadText(data, length);
    v.full = HexOf(data, length);
    return v;
}

WatchValue UnknownValue() { return WatchValue{"?", "?", "?"}; }

std::string FormatDouble(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    int n = std::snprintf(nullptr, 0, "%.13f", value);
    if (n <= 0)
        return "?";
    std::string s(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(&s[0], s.size(), "%.13f", value);
    s.resize(static_cast<size_t>(n));
    return s;
}

DebugItems ReadDebugItems(const uint8_t* payload, size_t length)
{
    DebugItems d;
    FrameItemReader reader(payload, length);
    FrameItem item;
    while (reader.Next(item)) {
        if (item.IsInt32()) {
            if (d.ints == 0)
                d.first = item.Int32();
            else if (d.ints == 1)
                d.second = item.Int32();
            ++d.ints;
        } else if (item.type == LinkFrame::kItemText && !d.hasFile) {
            d.file = item.Text();
            d.hasFile = true;
        }
    }
    return d;
}

bool ReadTaskState(const uint8_t* payload, size_t length, int32_t& task, int32_t& state)
{
    if (length != 16)
        return false;
    int32_t v[2] = {0, 0};
    int set = ReadFixedInts(payload, length, v, 2);
    if (!(set & 2))
        return false;
    task = v[0];
    state = v[1];
    return true;
}

int ReadFixedInts(const uint8_t* payload, size_t length, int32_t* values, int count)
{
    int set = 0;
    for (int i = 0; i < count; ++i) {
        size_t at = static_cast<size_t>(i) * 8;
        if (at + 8 > length)
            break;
        if (payload[at + 1] == LinkFrame::kItemInt32) {
            values[i] = static_cast<int32_t>(LinkFrame::GetU32(payload + at + 4));
            set |= 1 << i;
        }
    }
    return set;
}

std::string PayloadText(const uint8_t* payload, size_t length)
{
    size_t n = 0;
    while (n < length && payload[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(payload), n);
}

int CountLines(const std::string& data)
{
    int lines = 1;
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\r') {
            ++lines;
            if (i + 1 < data.size() && data[i + 1] == '\n')
                ++i;
        } else if (data[i] == '\n') {
            ++lines;
        }
    }
    return lines;
}

} // namespace DebugCodec
