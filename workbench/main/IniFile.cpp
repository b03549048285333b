#include "workbench/main/IniFile.h"

#include "framework/Profile.h"

#include <windows.h>
#include <shlobj.h>

bool CIniFile::s_writing = false;
CString CIniFile::s_folderOverride;

CString CIniFile::Folder() {
    if (!s_folderOverride.IsEmpty()) return s_folderOverride;
    // Looked up once: every key read asks for it, and under Wine each look-up
    // reads the registry (about half a millisecond, dozens of reads at start).
    static const CString folder = [] {
        char base[MAX_PATH] = {};
        ::SHGetSpecialFolderPathA(nullptr, base, CSIDL_APPDATA, TRUE);
        return CString(base) + "\\ZarvoD";
    }();
    return folder;
}

CString CIniFile::Path() { return Folder() + "\\Init.ini"; }

CString CIniFile::WritePath() { return s_writing ? Folder() + "\\Init.ini.new" : Path(); }

bool CIniFile::Exists() { return ::GetFileAttributesA(Path()) != INVALID_FILE_ATTRIBUTES; }

void CIniFile::BeginWrite() {
    ::CreateDirectoryA(Folder(), nullptr);
    s_writing = true;
    // A file left by a crash must not lend its stale sections to this one.
    ::DeleteFileA(WritePath());
}

bool CIniFile::CommitWrite() {
    if (!s_writing) return false;
    const CString temp = WritePath();
    s_writing = false;
    if (::GetFileAttributesA(temp) == INVALID_FILE_ATTRIBUTES) return false;
    // The profile functions may keep the file cached: flush before the move.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, temp);
    return ::MoveFileExA(temp, Path(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

int CIniFile::GetInt(const char* section, const char* key, int fallback) {
    return static_cast<int>(profile::GetInt(section, key, fallback, Path()));
}

CString CIniFile::GetString(const char* section, const char* key, const char* fallback, size_t max) {
    std::string buffer(max, '\0');
    const DWORD n = profile::GetString(section, key, fallback, &buffer[0], static_cast<DWORD>(max), Path());
    buffer.resize(n);
    return CString(buffer);
}

void CIniFile::WriteInt(const char* section, const char* key, int value) {
    CString text;
    text.Format("%d", value);
    WriteString(section, key, text);
}

void CIniFile::WriteString(const char* section, const char* key, const char* value) {
    profile::WriteString(section, key, value, WritePath());
}
