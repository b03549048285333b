// The receive path under a flood: 4 MiB of script output arriving in 4 KiB
// reads while a handler waits for the user (the password prompt), then
// drained. Taken frames must leave the buffer once per batch, not one by one.
#include <benchmark/benchmark.h>

#include "tests/fuzz/FuzzLink.h"

#include <functional>

namespace {

class PromptHost : public FuzzHost {
public:
    int ShowMessage(const std::string&, unsigned, bool*) override { return kIdYes; }
    PasswordChoice AskLoginPassword(std::string& pw) override
    {
        if (onPrompt) onPrompt();
        pw = "pw";
        return PasswordChoice::Ok;
    }
    void AddOutput(const char*, size_t n) override { output += n; }
    bool IsPhpDebugMode() override { return true; }
    std::function<void()> onPrompt;
    size_t output = 0;
};

void BM_OutputFloodBehindAPrompt(benchmark::State& state)
{
    std::vector<uint8_t> output = Frame(3, 0, 0, std::vector<uint8_t>(4088, 'x'));  // 4 KiB a frame
    std::vector<uint8_t> login = Frame(0, 0x21, 0x25, ItemInt(13));
    std::vector<uint8_t> challenge = Frame(0, 5, 0x41, ItemBytes(std::vector<uint8_t>(16, 1)));
    std::vector<uint8_t> mcu = Frame(0, 1, 0x23, ItemBytes({1, 2, 3, 4}));
    for (auto _ : state) {
        FuzzPort port;
        PromptHost host;
        CStdLinkFiles files;
        CDeviceLink link(port, host, files);
        link.Session().Connect("bench");
        const uint8_t sync = static_cast<uint8_t>((link.Session().GetSyncByte() - 0x20) ^ 0x3F);
        link.Session().ReceiveChunk(&sync, 1);
        link.Session().ReceiveChunk(login.data(), login.size());
        link.Session().ReceiveChunk(challenge.data(), challenge.size());
        host.onPrompt = [&] {
            for (int i = 0; i < 1024; ++i)
                link.Session().ReceiveChunk(output.data(), output.size());
        };
        link.Session().ReceiveChunk(mcu.data(), mcu.size());
        benchmark::DoNotOptimize(host.output);
    }
}
BENCHMARK(BM_OutputFloodBehindAPrompt)->Unit(benchmark::kMillisecond);

} // namespace
