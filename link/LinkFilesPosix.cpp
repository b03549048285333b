#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

uint32_t LinkErrorFromErrno(int e);

// rename() replaces an existing target atomically on POSIX.
uint32_t ReplaceFileAtomically(const std::string& source, const std::string& target)
{
    return std::rename(source.c_str(), target.c_str()) == 0 ? 0 : LinkErrorFromErrno(errno);
}
