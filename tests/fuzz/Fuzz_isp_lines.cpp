// The boot loader's side of the link on any input: the receive path cuts it
// into lines (bounded), the boot loader service acts on them in whatever
// state the first byte picks. Nothing may be read out of bounds, the dump
// stays within 64 KiB, the image goes out at most once and success is
// reported at most once.
#include "tests/fuzz/FuzzTarget.h"

#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/LinkPort.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Port : public ILinkPort {
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

class Host : public CLinkHost {
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
    void SetTimer(unsigned id, unsigned) override { timers |= 1ull << (id % 64); }
    void KillTimer(unsigned id) override { timers &= ~(1ull << (id % 64)); }
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
    bool OnUpgradeResult(bool ok) override
    {
        successes += ok;
        return true;
    }
    uint64_t timers = 0;
    int successes = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    Port port;
    Host host;
    CStdLinkFiles files;
    CDeviceLink link(port, host, files);
    CBootLoaderService& boot = link.BootLoader();
    link.Connect("COM1");
    port.input = "100 ISP\r\n";
    link.OnSerialEvent(ILinkPort::kEvRxChar);

    static const std::vector<uint8_t> image(9000, 0x42);
    boot.OnUpgradeRestartIsp();
    switch (data[0] % 4) {
    case 0: boot.OnIspDumpEnv(); break;
    case 1: boot.OnIspTestFirmware(image.data(), image.size()); break;
    case 2: boot.OnStartUpgrade(image.data(), image.size()); break;
    default: break;
    }
    // Chunks of the rest, their sizes taken from the input, with the
    // service's timers running between them.
    size_t at = 2, chunk = 1 + data[1] % 64;
    while (at < size && port.open) {
        size_t n = std::min(chunk, size - at);
        port.input.assign(reinterpret_cast<const char*>(data + at), n);
        link.OnSerialEvent(ILinkPort::kEvRxChar);
        at += n;
        for (unsigned id : {CBootLoaderService::kTimerStream, CBootLoaderService::kTimerTestOk})
            if (host.timers & (1ull << id))
                link.OnTimer(id);
        chunk = 1 + (chunk * 7 + n) % 97;
    }
    if (boot.Dump().size() > CBootLoaderService::kDumpSize || boot.SentBytes() > image.size() ||
        host.successes > 1)
        std::abort();
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    auto seed = [](uint8_t state, const std::string& text) {
        std::vector<uint8_t> b = {state, 13};
        b.insert(b.end(), text.begin(), text.end());
        return b;
    };
    return {
        seed(0, "de 0\r\n65 56 6E 53 30 00 AB CD 00 00 00 00 00 00 00 00\r\n0C 00 10 00 5A 56 00 00 "
                "00 00 00 00 00 00 12 34\r\n200 OK\r\n"),
        seed(1, "201 Send Firmware\r\n202 Test OK\r\n300 x\r\n"),
        seed(2, "200 Command OK\r\n200 Command OK\r\n200 Command OK\r\n201 Send Firmware\r\n"
                "201 Send Firmware\r\n204 CRC OK\r\n204 CRC OK\r\n200 Command OK\r\n"),
        seed(3, std::string(9000, 'x') + "\n305 \r\n"),
    };
}
