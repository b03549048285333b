#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The serial port as the link core sees it. CSerialPort implements it on
// Win32 and POSIX; tests put a scripted port in its place. Results are Win32
// error codes (0 success) on every platform.
class ILinkPort {
public:
    enum : uint32_t {
        kEvRxChar = 0x0001, kEvCts = 0x0008, kEvDsr = 0x0010, kEvBreak = 0x0040, kEvErr = 0x0080,
    };
    enum : uint32_t {
        kErrInvalidFunction = 1, kErrFileNotFound = 2, kErrAccessDenied = 5, kErrInvalidHandle = 6,
        kErrAlreadyInitialized = 1247, kErrTimeout = 1460,
    };
    // Largest read; callers pass a buffer one byte larger, zeroed.
    static constexpr size_t kReadMax = 4095;

    virtual ~ILinkPort() = default;
    virtual uint32_t Open(const std::string& portName) = 0;
    virtual uint32_t SetupPort() = 0;
    virtual uint32_t SetupHandshake() = 0;
    virtual uint32_t SetCommMask(uint32_t mask) = 0;
    virtual uint32_t Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual uint32_t Write(const void* data, size_t length, size_t* written = nullptr) = 0;
    virtual uint32_t Read(void* buffer, size_t* count = nullptr) = 0;
    // 0 free, 1 gone, 2 held by someone, -1 other error.
    virtual int CheckPort(const std::string& portName) = 0;
};
