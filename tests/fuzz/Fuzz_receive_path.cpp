// The whole receive path: bytes from the board in random pieces, through
// frame cutting, routing and every service's reply handler.
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/LinkPort.h"

#include <deque>

namespace {
class Port : public ILinkPort {
public:
    uint32_t Open(const std::string&) override { open = true; return 0; }
    uint32_t SetupPort() override { return 0; }
    uint32_t SetupHandshake() override { return 0; }
    uint32_t SetCommMask(uint32_t) override { return 0; }
    uint32_t Close() override { open = false; return 0; }
    bool IsOpen() const override { return open; }
    uint32_t Write(const void*, size_t, size_t* written) override { if (written) *written = 0; return open ? 0 : 6; }
    uint32_t Read(void*, size_t* count) override { if (count) *count = 0; return 0; }
    int CheckPort(const std::string&) override { return 0; }
    bool open = false;
};

class Host : public CLinkHost {
public:
    int ShowMessage(const std::string&, unsigned, bool*) override { return kIdYes; }
    PasswordChoice AskLoginPassword(std::string& pw) override { pw = "pw"; return PasswordChoice::Ok; }
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
    std::string GetOpenFileName() override { return "main.php"; }
    bool GetEditorText(std::string&, uint32_t&, uint32_t&) override { return false; }
    void OpenEntry(FileEntry&) override {}
    void OnEntryRemoved(const FileEntry&) override {}
    bool IsPhpDebugMode() override { return false; }
    bool IsFirmwareLogMode() override { return false; }
    std::string GetBackupFolder() override { return ""; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One link for the whole run (its buffers are large): each input starts
    // a new connection, so state may also carry over as it does in use.
    static Port port;
    static Host host;
    static CStdLinkFiles files;
    static CDeviceLink link(port, host, files);
    link.Disconnect();
    link.Connect("fuzz");
    const uint8_t sync = static_cast<uint8_t>((link.GetSyncByte() - 0x20) ^ 0x3F);
    link.ReceiveChunk(&sync, 1);
    link.OnIdentifyStart();
    // The first byte picks a transfer to be under way, the next one the
    // piece size; the rest is what the board says.
    if (size < 2)
        return 0;
    switch (data[0] % 5) {
    case 1: link.RequestFsImage(); break;
    case 2: link.RequestSettingsBlock(); break;
    case 3: link.RequestCertBlock(); break;
    case 4: link.Commands().WriteKeyBlock(std::vector<uint8_t>(100, 1)); break;
    default: break;
    }
    size_t piece = data[1] % 64 + 1;
    for (size_t at = 2; at < size; at += piece)
        link.ReceiveChunk(data + at, std::min(piece, size - at));
    // Timers as they come: watchdog, block-write watch, password wait.
    for (unsigned id : {20u, 21u, 21u, 10u, 22u, 23u})
        link.OnTimer(id);
    return 0;
}
