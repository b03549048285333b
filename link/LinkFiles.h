#pragma once
#include <cstdint>
#include <string>

// The PC's files as the link core uses them. Paths are the platform's own
// (backslashes on Windows). Results are Win32 error codes (0 success), so the
// messages that depend on them read the same on every platform.
class ILinkFiles {
public:
    enum : uint32_t {
        kErrFileNotFound = 2, kErrAccessDenied = 5, kErrWriteProtect = 19, kErrSharing = 32, kErrOther = 31,
        kErrTooLarge = 223,
    };
    // No file the link reads (packed files, linked PC files) can be larger
    // than a board image; a bigger one is refused before it is read.
    static constexpr uint64_t kMaxReadSize = 1024 * 1024 + 64 * 1024;
    virtual ~ILinkFiles() = default;
    // Whole file; kErrTooLarge (nothing read) above kMaxReadSize.
    virtual uint32_t ReadFile(const std::string& path, std::string& data) = 0;
    // Writes the whole file so that the old one survives any failure: a
    // temporary file beside it, every write checked, then a replace.
    virtual uint32_t WriteFileSafely(const std::string& path, const std::string& data) = 0;
    virtual bool Exists(const std::string& path) = 0;
    virtual uint32_t Delete(const std::string& path) = 0;
    virtual uint32_t CreateFolder(const std::string& path) = 0;
    virtual char Separator() const = 0;
};

// The C library and the platform's own calls. Paths stay bytes in the
// system's ANSI code page: none of them is read as UTF-8.
class CStdLinkFiles : public ILinkFiles {
public:
    uint32_t ReadFile(const std::string& path, std::string& data) override;
    uint32_t WriteFileSafely(const std::string& path, const std::string& data) override;
    bool Exists(const std::string& path) override;
    uint32_t Delete(const std::string& path) override;
    uint32_t CreateFolder(const std::string& path) override;
    char Separator() const override;
};
