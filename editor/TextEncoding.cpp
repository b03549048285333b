#include "editor/TextEncoding.h"

#include "editor/CodePageConverter.h"

#include <cstring>

namespace {

uint32_t LineEndsOfBytes(const char* data, size_t length)
{
    const void* cr = std::memchr(data, '\r', length);
    if (cr) {
        size_t at = static_cast<const char*>(cr) - data;
        return (at + 1 < length && data[at + 1] == '\n') ? kLineEndCrLf : kLineEndLoneCr;
    }
    return std::memchr(data, '\n', length) ? kLineEndLf : kLineEndCrLf;
}

uint32_t LineEndsOfUnits(const char* data, size_t length, bool bigEndian)
{
    size_t units = length / 2;
    auto unit = [&](size_t i) {
        unsigned a = static_cast<unsigned char>(data[2 * i]);
        unsigned b = static_cast<unsigned char>(data[2 * i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    bool lf = false;
    for (size_t i = 0; i < units; ++i) {
        unsigned u = unit(i);
        if (u == 0x0D)
            return (i + 1 < units && unit(i + 1) == 0x0A) ? kLineEndCrLf : kLineEndLoneCr;
        if (u == 0x0A)
            lf = true;
    }
    return lf ? kLineEndLf : kLineEndCrLf;
}

// Strict UTF-8 (no overlong forms, surrogates or values past U+10FFFF);
// anything else becomes '?'. Returns false when something was replaced.
bool Utf8ToUtf16(const unsigned char* s, size_t n, std::u16string& out)
{
    out.clear();
    out.reserve(n);
    bool whole = true;
    size_t i = 0;
    while (i < n) {
        unsigned c = s[i];
        if (c < 0x80) {
            out.push_back(static_cast<char16_t>(c));
            ++i;
            continue;
        }
        int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        bool ok = more > 0 && c < 0xF5 && i + more < n;
        unsigned cp = ok ? (c & (0x3Fu >> more)) : 0;
        for (int k = 1; ok && k <= more; ++k) {
            unsigned t = s[i + k];
            if ((t & 0xC0) != 0x80)
                ok = false;
            else
                cp = cp << 6 | (t & 0x3F);
        }
        static const unsigned minimum[4] = {0, 0x80, 0x800, 0x10000};
        if (ok && (cp < minimum[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)))
            ok = false;
        if (!ok) {
            out.push_back(u'?');
            whole = false;
            ++i;
            while (i < n && (s[i] & 0xC0) == 0x80)
                ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += more + 1;
    }
    return whole;
}

// Lone surrogates have no form anywhere: '?' before the converter sees them.
bool MendSurrogates(std::u16string& units)
{
    bool whole = true;
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            units[i] = u'?';
            whole = false;
        }
    }
    return whole;
}

} // namespace

bool IsUtf8Text(const char* data, size_t length)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(data);
    bool multi = false;
    size_t i = 0;
    while (i < length) {
        unsigned c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t more;
        if ((c & 0xE0) == 0xC0)
            more = 1;
        else if ((c & 0xF0) == 0xE0)
            more = 2;
        else if ((c & 0xF8) == 0xF0)
            more = 3;
        else
            return false;
        if (length - i <= more)
            return false;
        for (size_t k = 1; k <= more; ++k)
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
        multi = true;
        i += more + 1;
    }
    return multi;
}

uint32_t DetectTextEncoding(const char* data, size_t length)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(data);
    uint32_t enc;
    if (length >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF)
        enc = kEncodingUtf8Sig;
    else if (length >= 2 && s[0] == 0xFF && s[1] == 0xFE)
        enc = kEncodingUtf16Le;
    else if (length >= 2 && s[0] == 0xFE && s[1] == 0xFF)
        enc = kEncodingUtf16Be;
    else if (IsUtf8Text(data, length))
        enc = kEncodingUtf8;
    else if (length > 1 && std::memchr(data, 0, length - 1))
        return kEncodingNul;
    else
        enc = kEncodingAnsi;
    if (enc == kEncodingUtf16Le || enc == kEncodingUtf16Be)
        return enc | LineEndsOfUnits(data, length, enc == kEncodingUtf16Be);
    return enc | LineEndsOfBytes(data, length);
}

bool ConvertToAnsi(const char* data, size_t length, uint32_t encoding, const CCodePageConverter& converter,
                   std::string& out)
{
    std::u16string units;
    bool whole = true;
    encoding &= kEncodingMask;
    if (encoding == kEncodingUtf16Le || encoding == kEncodingUtf16Be) {
        size_t n = length / 2;
        if (length % 2)
            whole = false; // half a unit at the end
        bool big = encoding == kEncodingUtf16Be;
        units.resize(n > 0 ? n - 1 : 0); // the first unit is the signature
        for (size_t i = 1; i < n; ++i) {
            unsigned a = static_cast<unsigned char>(data[2 * i]);
            unsigned b = static_cast<unsigned char>(data[2 * i + 1]);
            units[i - 1] = static_cast<char16_t>(big ? (a << 8 | b) : (b << 8 | a));
        }
        whole = MendSurrogates(units) && whole;
    } else if (encoding == kEncodingUtf8Sig || encoding == kEncodingUtf8) {
        size_t skip = encoding == kEncodingUtf8Sig ? 3 : 0;
        whole = Utf8ToUtf16(reinterpret_cast<const unsigned char*>(data) + skip, length - skip, units);
    } else {
        out.assign(data, length);
        return true;
    }
    return converter.FromUtf16(units.data(), units.size(), out) && whole;
}

bool HasOnlyCrLf(std::string_view text)
{
    size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        if (text[i] == '\r' && (i + 1 >= n || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}

std::string_view TextToInsert(std::string_view text, std::string& own)
{
    text = text.substr(0, text.find('\0'));
    if (HasOnlyCrLf(text))
        return text;
    own = NormalizeLineEnds(text);
    return own;
}

std::string NormalizeLineEnds(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 16);
    size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < n && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

DecodedText DecodeFileText(const char* data, size_t length, const CCodePageConverter& converter)
{
    DecodedText r;
    r.encoding = DetectTextEncoding(data, length);
    std::string text;
    if (r.encoding == kEncodingNul) {
        text.assign(data, length);
    } else if (!ConvertToAnsi(data, length, r.encoding, converter, text)) {
        r.problems |= kLoadUnconvertible;
    }
    // The buffer is a C string: whatever follows a NUL cannot be held.
    size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        text.resize(nul);
        r.problems |= kLoadCutAtNul;
    }
    // Every line end becomes CR LF, whichever kind came first; NUL data too,
    // since rows are cut at CR LF alone.
    if (HasOnlyCrLf(text))
        r.text = std::move(text);
    else
        r.text = NormalizeLineEnds(text);
    return r;
}
