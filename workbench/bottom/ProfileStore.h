// Keys of an INI file as the watch list reads and writes them; the Win32
// implementation goes through the profile functions, tests keep a map.
// Portable.
#pragma once

#include <string>

class CProfileStore {
public:
    virtual ~CProfileStore() = default;
    virtual bool Exists() = 0;
    virtual int GetInt(const char* section, const char* key, int fallback) = 0;
    // At most maxBytes bytes of the value.
    virtual std::string GetString(const char* section, const char* key, const char* fallback, size_t maxBytes) = 0;
    virtual void WriteString(const char* section, const char* key, const std::string& value) = 0;
};
