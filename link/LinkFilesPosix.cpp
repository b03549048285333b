#include "link/LinkFiles.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

uint32_t LinkErrorFromErrno(int e);

// rename() replaces an existing target atomically on POSIX.
uint32_t ReplaceFileAtomically(const std::string& source, const std::string& target)
{
    return std::rename(source.c_str(), target.c_str()) == 0 ? 0 : LinkErrorFromErrno(errno);
}

bool FlushToDisk(std::FILE* f) { return ::fsync(::fileno(f)) == 0 || errno == EINVAL; }

int64_t FileSize64(std::FILE* f)
{
    struct stat st;
    return ::fstat(::fileno(f), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

bool CStdLinkFiles::Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

uint32_t CStdLinkFiles::CreateFolder(const std::string& path)
{
    // Every level that is missing; levels that exist or cannot be made are
    // passed over, the last one decides.
    for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        ::mkdir(path.substr(0, at).c_str(), 0777);
    ::mkdir(path.c_str(), 0777);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return 0;
    return kErrAccessDenied;
}

char CStdLinkFiles::Separator() const { return '/'; }
