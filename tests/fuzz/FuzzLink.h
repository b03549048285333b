#pragma once
// A port and a host that do nothing, for fuzz targets that drive the whole
// link. A target overrides only what it checks.
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/LinkPort.h"

#include <algorithm>
#include <cstring>
#include <string>

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
    void OnIspModeEntered() override {}
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
