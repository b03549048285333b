// The receive path under a flood: 4 MiB of script output arriving in 4 KiB
// reads while a handler waits for the user (the password prompt), then
// drained. Taken frames must leave the buffer once per batch, not one by one.
#include <benchmark/benchmark.h>

#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/LinkPort.h"

#include <functional>

namespace {

class NullPort : public ILinkPort {
public:
    uint32_t Open(const std::string&) override { open = true; return 0; }
    uint32_t SetupPort() override { return 0; }
    uint32_t SetupHandshake() override { return 0; }
    uint32_t SetCommMask(uint32_t) override { return 0; }
    uint32_t Close() override { open = false; return 0; }
    bool IsOpen() const override { return open; }
    uint32_t Write(const void*, size_t, size_t* w) override { if (w) *w = 0; return 0; }
    uint32_t Read(void*, size_t* count) override { if (count) *count = 0; return 0; }
    int CheckPort(const std::string&) override { return 0; }
    bool open = false;
};

class PromptHost : public CLinkHost {
public:
    int ShowMessage(const std::string&, unsigned, bool*) override { return kIdYes; }
    PasswordChoice AskLoginPassword(std::string& pw) override
    {
        if (onPrompt) onPrompt();
        pw = "pw";
        return PasswordChoice::Ok;
    }
    void OpenWaitBox(int) override {}
    void EndWaitBox() override {}
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void LogDebugger(const std::string&) override {}
    void AddOutput(const char*, size_t n) override { output += n; }
    void AddFirmwareLog(const char*, size_t) override {}
    void SetTimer(unsigned, unsigned) override {}
    void KillTimer(unsigned) override {}
    void EnableConnectButtons(bool) override {}
    void OnLinkDisconnected() override {}
    void OnIspModeEntered() override {}
    void UpdateFlashUsage(int, int) override {}
    void RefreshFileList() override {}
    std::string GetOpenFileName() override { return ""; }
    bool GetEditorText(std::string&, uint32_t&, uint32_t&) override { return false; }
    void OpenEntry(FileEntry&) override {}
    void OnEntryRemoved(const FileEntry&) override {}
    bool IsPhpDebugMode() override { return true; }
    bool IsFirmwareLogMode() override { return false; }
    std::string GetBackupFolder() override { return ""; }
    std::function<void()> onPrompt;
    size_t output = 0;
};

std::vector<uint8_t> Frame(uint8_t kind, uint8_t group, uint8_t code, std::vector<uint8_t> payload)
{
    size_t n = payload.size();
    std::vector<uint8_t> f = {0x50, static_cast<uint8_t>(kind << 4), static_cast<uint8_t>((n + 4) >> 8),
                              static_cast<uint8_t>(n + 4), group, code, static_cast<uint8_t>(n >> 8),
                              static_cast<uint8_t>(n)};
    f.insert(f.end(), payload.begin(), payload.end());
    return f;
}

void BM_OutputFloodBehindAPrompt(benchmark::State& state)
{
    std::vector<uint8_t> output = Frame(3, 0, 0, std::vector<uint8_t>(4088, 'x'));  // 4 KiB a frame
    std::vector<uint8_t> login = Frame(0, 0x21, 0x25, {0, 2, 0, 4, 0, 0, 0, 13});
    std::vector<uint8_t> challenge = Frame(0, 5, 0x41, std::vector<uint8_t>{0, 7, 0, 16});
    challenge.resize(challenge.size() + 16, 1);
    challenge[3] = static_cast<uint8_t>(challenge.size() - 4);
    challenge[7] = 20;
    std::vector<uint8_t> mcu = Frame(0, 1, 0x23, {0, 7, 0, 4, 1, 2, 3, 4});
    for (auto _ : state) {
        NullPort port;
        PromptHost host;
        CStdLinkFiles files;
        CDeviceLink link(port, host, files);
        link.Connect("bench");
        const uint8_t sync = static_cast<uint8_t>((link.GetSyncByte() - 0x20) ^ 0x3F);
        link.ReceiveChunk(&sync, 1);
        link.ReceiveChunk(login.data(), login.size());
        link.ReceiveChunk(challenge.data(), challenge.size());
        host.onPrompt = [&] {
            for (int i = 0; i < 1024; ++i)
                link.ReceiveChunk(output.data(), output.size());
        };
        link.ReceiveChunk(mcu.data(), mcu.size());
        benchmark::DoNotOptimize(host.output);
    }
}
BENCHMARK(BM_OutputFloodBehindAPrompt)->Unit(benchmark::kMillisecond);

} // namespace
