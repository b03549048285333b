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
bool Lookup(const char* path, const char* section, const char* key, std::string& value) {
    for (const auto& entry : Read(path, section)) {
        if (!SameKey(entry.first, key)) continue;
        value = entry.second;
        if (value.size() > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return true;
    }
    return false;
}

bool Cached(const char* section, const char* key, const char* path) {
    // A key that looks like a comment is not in a section's listing.
    return g_depth > 0 && ::GetCurrentThreadId() == g_thread && section && key && *key != ';' && path && *path;
}

}  // namespace

DWORD GetString(const char* section, const char* key, const char* fallback, char* out, DWORD size,
                const char* path) {
    if (!Cached(section, key, path)) return ::GetPrivateProfileStringA(section, key, fallback, out, size, path);
    if (!out || size == 0) return 0;
    std::string value;
    if (!Lookup(path, section, key, value)) value = fallback ? fallback : "";
    const size_t n = value.size() < size - 1 ? value.size() : size - 1;
    memcpy(out, value.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

UINT GetInt(const char* section, const char* key, int fallback, const char* path) {
    if (!Cached(section, key, path)) return ::GetPrivateProfileIntA(section, key, fallback, path);
    // As the system reads it: at most 29 characters, an empty value is the
    // fallback, then a decimal number after blanks and a sign, up to the first
    // other character.
    char text[30];
    if (GetString(section, key, "", text, sizeof text, path) == 0) return static_cast<UINT>(fallback);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p && *p <= ' ') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    UINT n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) n = n * 10 + (*p - '0');
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
