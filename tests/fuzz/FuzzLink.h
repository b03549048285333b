#pragma once
// A port and a host that do nothing, and frames as the board builds them,
// for fuzz targets, tests and benchmarks that drive the whole link. A user
// overrides only what it checks.
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/LinkPort.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

inline std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// kind 0 reply, 1 window or data, 2 event, 3 script output, 4 firmware log.
inline std::vector<uint8_t> Frame(uint8_t kind, uint8_t group, uint8_t code, const std::vector<uint8_t>& items)
{
    size_t n = items.size();
    return std::vector<uint8_t>{0x50, uint8_t(kind << 4), uint8_t((n + 4) >> 8), uint8_t(n + 4), group, code,
                                uint8_t(n >> 8), uint8_t(n)} + items;
}

inline std::vector<uint8_t> ItemInt(int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    return {0, 2, 0, 4, uint8_t(u >> 24), uint8_t(u >> 16), uint8_t(u >> 8), uint8_t(u)};
}

// Type 7 (bytes) or 6 (text): the padded size plus the pad count.
inline std::vector<uint8_t> ItemPadded(uint8_t type, std::vector<uint8_t> b)
{
    size_t pad = (4 - b.size() % 4) % 4, field = b.size() + 2 * pad;
    b.resize(b.size() + pad, 0);
    return std::vector<uint8_t>{0, type, uint8_t(field >> 8), uint8_t(field)} + b;
}
inline std::vector<uint8_t> ItemBytes(const std::vector<uint8_t>& b) { return ItemPadded(7, b); }
inline std::vector<uint8_t> ItemText(const std::string& t)
{
    return ItemPadded(6, std::vector<uint8_t>(t.c_str(), t.c_str() + t.size() + 1));
}

// Reads hand out `input`; writes succeed while open, fail once closed.
class FuzzPort : public ILinkPort {
public:
    uint32_t Open(const std::string&) override { open = true; return 0; }
    uint32_t SetupPort() override { return 0; }
    uint32_t SetupHandshake() override { return 0; }
    uint32_t SetCommMask(uint32_t) override { return 0; }
    uint32_t Close() override { open = false; return 0; }
    bool IsOpen() const override { return open; }
    uint32_t Write(const void*, size_t length, size_t* written) override
    {
        if (written) *written = open ? length : 0;
        return open ? 0u : static_cast<uint32_t>(kErrInvalidHandle);
    }
    uint32_t Read(void* buffer, size_t* count) override
    {
        size_t n = std::min(input.size(), kReadMax);
        std::memcpy(buffer, input.data(), n);
        input.erase(0, n);
        if (count) *count = n;
        return 0;
    }
    int CheckPort(const std::string&) override { return 0; }
    bool open = false;
    std::string input;
};

class FuzzHost : public CLinkHost {
public:
    int ShowMessage(const std::string&, unsigned, bool*) override { return kIdOk; }
    PasswordChoice AskLoginPassword(std::string&) override { return PasswordChoice::Cancel; }
    void OpenWaitBox(int) override {}
    void EndWaitBox() override {}
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void LogDebugger(const std::string&) override {}
    void AddOutput(const char*, size_t) override {}
    void AddFirmwareLog(const char*, size_t) override {}
    void SetTimer(unsigned, unsigned) override {}
    void KillTimer(unsigned) override {}
    void EnableConnectButtons(bool) override {}
    void OnLinkDisconnected() override {}
    void OnIspModeEntered(bool) override {}
    void UpdateFlashUsage(int, int) override {}
    void RefreshFileList() override {}
    std::string GetOpenFileName() override { return std::string(); }
    bool GetEditorText(std::string&, uint32_t&, uint32_t&) override { return false; }
    void OpenEntry(FileEntry&) override {}
    void OnEntryRemoved(const FileEntry&) override {}
    bool IsPhpDebugMode() override { return false; }
    bool IsFirmwareLogMode() override { return false; }
    std::string GetBackupFolder() override { return std::string(); }
};
