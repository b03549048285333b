#include "workbench/app/Registry.h"

const char* const CRegistry::kKeyPath = "SOFTWARE\\TavrelSystems\\zarvod";

bool CRegistry::Open() {
    Close();
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_ALL_ACCESS, &m_key) != ERROR_SUCCESS) m_key = nullptr;
    return m_key != nullptr;
}

bool CRegistry::CreateKey() {
    Close();
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr) !=
        ERROR_SUCCESS)
        m_key = nullptr;
    return m_key != nullptr;
}

void CRegistry::Close() {
    if (m_key) ::RegCloseKey(m_key);
    m_key = nullptr;
}

bool CRegistry::WriteDword(const char* name, DWORD value) {
    if (!m_key) return false;
    if (::RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
        ERROR_SUCCESS)
        return false;
    ::RegFlushKey(m_key);
    return true;
}

bool CRegistry::ReadDword(const char* name, DWORD& value) {
    value = 0;
    if (!m_key) return false;
    DWORD type = 0, size = sizeof(DWORD), read = 0;
    const LONG r = ::RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size);
    if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(DWORD)) return false;
    value = read;
    return true;
}
