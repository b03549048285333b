#include "link/LinkFiles.h"

#include <windows.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <string>

// msvcrt's rename() refuses an existing target; MoveFileEx replaces it.
uint32_t ReplaceFileAtomically(const std::string& source, const std::string& target)
{
    if (MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return GetLastError();
}

bool FlushToDisk(std::FILE* f) { return _commit(_fileno(f)) == 0; }

// _filelengthi64: ftell's long would wrap past 2 GiB in this 32-bit process.
int64_t FileSize64(std::FILE* f) { return _filelengthi64(_fileno(f)); }

// The ANSI calls: std::filesystem would read these paths as UTF-8, which
// they are not on a Korean (949) or Western (1252) system.
bool CStdLinkFiles::Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint32_t CStdLinkFiles::CreateFolder(const std::string& path)
{
    // Every level that is missing; drive roots and share names fail
    // harmlessly on the way, the last level decides.
    for (size_t at = path.find_first_of("\\/", 1); at != std::string::npos; at = path.find_first_of("\\/", at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return GetLastError();
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_ACCESS_DENIED;
}

char CStdLinkFiles::Separator() const { return '\\'; }
