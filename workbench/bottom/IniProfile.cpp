#include "workbench/bottom/IniProfile.h"

#include "framework/Profile.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

CString CIniProfile::s_testFolder;
CIniProfile::PathSource CIniProfile::s_read = nullptr;
CIniProfile::PathSource CIniProfile::s_write = nullptr;

bool CIniProfile::Exists()
{
    const DWORD attributes = ::GetFileAttributesA(m_path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CIniProfile::GetInt(const char* section, const char* key, int fallback)
{
    return static_cast<int>(profile::GetInt(section, key, fallback, m_path));
}

std::string CIniProfile::GetString(const char* section, const char* key, const char* fallback, size_t maxBytes)
{
    std::vector<char> buf(maxBytes + 1, '\0');
    profile::GetString(section, key, fallback, buf.data(), static_cast<DWORD>(buf.size()), m_path);
    return buf.data();
}

void CIniProfile::WriteString(const char* section, const char* key, const std::string& value)
{
    profile::WriteString(section, key, value.c_str(), m_path);
}

CString CIniProfile::InitIniPath(bool forWriting)
{
    const PathSource source = forWriting ? s_write : s_read;
    if (source)
        return source();
    CString folder = s_testFolder;
    if (folder.IsEmpty()) {
        char appData[MAX_PATH] = {};
        if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
            return CString();
        folder = appData;
        folder += "\\ZarvoD";
    }
    if (forWriting)
        ::CreateDirectoryA(folder, nullptr);
    return folder + "\\Init.ini";
}
