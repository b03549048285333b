#include "framework/Profile.h"

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace profile {
namespace {

using Section = std::vector<std::pair<std::string, std::string>>;

int g_depth = 0;
DWORD g_thread = 0;  // the snapshot's; other threads read the file
std::map<std::string, Section> g_sections;  // by path and section, folded to lower case

std::string Folded(const char* path, const char* section) {
    std::string id = std::string(path) + '\n' + section;
    for (char& c : id)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return id;
}

bool SameKey(const std::string& a, const char* b) { return ::lstrcmpiA(a.c_str(), b) == 0; }

std::string Trimmed(const char* begin, const char* end) {
    while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t')) --end;
    return std::string(begin, end);
}

// Section and key names are looked up without the blanks around them: any
// white space, and ^Z (a DOS end of file).
std::string Name(const char* name) {
    auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; };
    const char* begin = name;
    const char* end = name + strlen(name);
    while (begin < end && blank(*begin)) ++begin;
    while (end > begin && blank(end[-1])) --end;
    return std::string(begin, end);
}

// Quotes around a whole value (or fallback) go.
std::string Unquoted(std::string value) {
    if (value.size() > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    return value;
}

const Section& Read(const char* path, const char* section) {
    const std::string id = Folded(path, section);
    auto found = g_sections.find(id);
    if (found != g_sections.end()) return found->second;
    // "key=value" strings, as the file's first section of that name holds them
    // (blank and comment lines left out); a full buffer is asked again, larger.
    std::vector<char> buffer(4096);
    for (;;) {
        const DWORD n = ::GetPrivateProfileSectionA(section, buffer.data(), static_cast<DWORD>(buffer.size()), path);
        if (n + 2 < buffer.size() || buffer.size() >= (1u << 24)) break;
        buffer.assign(buffer.size() * 4, '\0');
    }
    Section entries;
    for (const char* p = buffer.data(); *p; p += strlen(p) + 1) {
        // Blanks around the name and the value go, as a key read drops them;
        // a line without "=" reads as no key at all.
        const char* eq = strchr(p, '=');
        if (eq) entries.emplace_back(Trimmed(p, eq), Trimmed(eq + 1, p + strlen(p)));
    }
    return g_sections.emplace(id, std::move(entries)).first->second;
}

// The value a key read gives: the first entry of that name, the quotes
// around it dropped. False when the key is missing.
bool Lookup(const char* path, const std::string& section, const std::string& key, std::string& value) {
    for (const auto& entry : Read(path, section.c_str())) {
        if (!SameKey(entry.first, key.c_str())) continue;
        value = Unquoted(entry.second);
        return true;
    }
    return false;
}

bool Cached(const char* section, const char* key, const char* path) {
    // A key that looks like a comment is not in a section's listing.
    return g_depth > 0 && ::GetCurrentThreadId() == g_thread && section && key && Name(key)[0] != ';' && path && *path;
}

// Trailing spaces of a fallback go (Windows' documentation: all of them;
// Wine keeps the first character of a fallback of spaces only), then its quotes.
std::string Fallback(const char* fallback) {
    std::string value = fallback ? fallback : "";
    value.erase(value.find_last_not_of(' ') + 1);
    return Unquoted(value);
}

}  // namespace

DWORD GetString(const char* section, const char* key, const char* fallback, char* out, DWORD size,
                const char* path) {
    if (!Cached(section, key, path)) return ::GetPrivateProfileStringA(section, key, fallback, out, size, path);
    if (!out || size == 0) return 0;
    std::string value;
    if (!Lookup(path, Name(section), Name(key), value)) value = Fallback(fallback);
    const size_t n = value.size() < size - 1 ? value.size() : size - 1;
    memcpy(out, value.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

UINT GetInt(const char* section, const char* key, int fallback, const char* path) {
    if (!Cached(section, key, path)) return ::GetPrivateProfileIntA(section, key, fallback, path);
    // As the system reads it: at most 29 characters, an empty value is the
    // fallback, then after blanks and a sign a number, hexadecimal after "0x",
    // octal after "0o", binary after "0b" (lower case only), else decimal, up
    // to the first character that is no digit of its base.
    char text[30];
    if (GetString(section, key, "", text, sizeof text, path) == 0) return static_cast<UINT>(fallback);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p && *p <= ' ') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    UINT base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
        base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
        p += 2;
    }
    UINT n = 0;
    for (;; ++p) {
        const UINT digit = *p >= '0' && *p <= '9'   ? *p - '0'
                           : *p >= 'a' && *p <= 'z' ? *p - 'a' + 10
                           : *p >= 'A' && *p <= 'Z' ? *p - 'A' + 10
                                                    : base;
        if (digit >= base) break;
        n = n * base + digit;
    }
    return negative ? 0u - n : n;
}

BOOL WriteString(const char* section, const char* key, const char* value, const char* path) {
    g_sections.clear();
    return ::WritePrivateProfileStringA(section, key, value, path);
}

void BeginSnapshot() {
    if (g_depth++ == 0) g_thread = ::GetCurrentThreadId();
}

void EndSnapshot() {
    if (g_depth > 0 && --g_depth == 0) g_sections.clear();
}

}  // namespace profile
