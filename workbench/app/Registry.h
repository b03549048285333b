// The program's registry key, HKEY_CURRENT_USER "SOFTWARE\TavrelSystems\zarvod",
// holding one open handle (none: 0).
#pragma once

#include <windows.h>

class CRegistry {
public:
    static const char* const kKeyPath;

    CRegistry() = default;
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;
    ~CRegistry() { Close(); }

    bool Open();       // the existing key
    bool CreateKey();  // opened or created
    void Close();
    bool IsOpen() const { return m_key != nullptr; }

    // Written and flushed; false without a key or when the write failed.
    bool WriteDword(const char* name, DWORD value);
    // value = 0 first; true only for a REG_DWORD of exactly four bytes, so a
    // value of another type (a string, a binary blob) never passes for a number.
    bool ReadDword(const char* name, DWORD& value);

private:
    HKEY m_key = nullptr;
};
