#include "link/LinkFiles.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>

// Replaces target by source in one step (platform file).
uint32_t ReplaceFileAtomically(const std::string& source, const std::string& target);
// Makes the written bytes durable before the rename makes them the file.
bool FlushToDisk(std::FILE* f);
// Size of an open file, 64-bit even in a 32-bit process; -1 unknown.
int64_t FileSize64(std::FILE* f);

uint32_t LinkErrorFromErrno(int e)
{
    switch (e) {
    case ENOENT: return ILinkFiles::kErrFileNotFound;
    case EACCES: case EPERM: case EISDIR: return ILinkFiles::kErrAccessDenied;
    case EROFS: return ILinkFiles::kErrWriteProtect;
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return ILinkFiles::kErrSharing;
    default: return ILinkFiles::kErrOther;
    }
}

uint32_t CStdLinkFiles::ReadFile(const std::string& path, std::string& data)
{
    data.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return LinkErrorFromErrno(errno);
    int64_t size = FileSize64(f);
    if (size < 0 || static_cast<uint64_t>(size) > kMaxReadSize) {
        std::fclose(f);
        return size < 0 ? static_cast<uint32_t>(kErrOther) : static_cast<uint32_t>(kErrTooLarge);
    }
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.append(buf, n);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    return bad ? static_cast<uint32_t>(kErrOther) : 0u;
}

uint32_t CStdLinkFiles::WriteFileSafely(const std::string& path, const std::string& data)
{
    std::string temp = path + ".part~";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return LinkErrorFromErrno(errno);
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fflush(f) == 0 && ok;
    ok = ok && FlushToDisk(f);
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::remove(temp.c_str());
        return kErrOther;
    }
    uint32_t err = ReplaceFileAtomically(temp, path);
    if (err)
        std::remove(temp.c_str());
    return err;
}

uint32_t CStdLinkFiles::Delete(const std::string& path)
{
    if (std::remove(path.c_str()) != 0)
        return LinkErrorFromErrno(errno);
    return 0;
}
