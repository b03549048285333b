// Firmware flashing of a 512 KiB image through the simulated boot loader on
// a pseudo-terminal paced at 115200 baud both ways: from the first unlock
// command to the board's CRC answer, against the line-rate time of the image
// (524288 bytes at 11520 bytes/s). The goal is a line_ratio within 1.03.
#include <benchmark/benchmark.h>

#include "LinkRunner.h"
#include "tests/boardsim/BoardSim.h"

#include <deque>
#include <string>
#include <vector>

namespace {

class Dialog : public CLinkUpgrade {
public:
    void OnUpgradeTestOk() override { events.push_back("test ok"); }
    bool OnUpgradeResult(bool ok) override
    {
        events.push_back(ok ? "ok" : "failed");
        return false;  // no boot flag: the board stays, the run ends here
    }
    std::deque<std::string> events;
};

void BM_Flash512KiBAt115200(benchmark::State& state)
{
    const size_t size = 512 * 1024;
    const double lineSeconds = size / 11520.0;
    const std::string bytes = FirmwareImageBytes(size, "ZX1001");
    const std::vector<uint8_t> image(bytes.begin(), bytes.end());
    for (auto _ : state) {
        boardsim::SimOptions sim;
        sim.paceBaud = 115200;
        sim.isp = true;
        CBoardSim board(sim);
        std::string error;
        if (!board.Start(&error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        CheckOptions o;
        o.port = board.SlavePath();
        CheckRunner runner(o);
        runner.Host().quiet = true;
        Dialog dialog;
        runner.Host().upgrade = &dialog;
        CDeviceLink& link = runner.Link();
        CBootLoaderService& boot = link.BootLoader();
        auto next = [&] {
            std::string why = runner.RunUntil([&] { return !dialog.events.empty(); }, 300);
            std::string e = dialog.events.empty() ? why : dialog.events.front();
            if (!dialog.events.empty())
                dialog.events.pop_front();
            return e;
        };
        if (!link.Session().Connect(o.port) || !runner.RunUntil([&] { return link.Session().IsIspMode(); }, 30).empty() ||
            boot.OnUpgradeRestartIsp() != 1 || boot.OnIspTestFirmware(image.data(), size) != 1 ||
            next() != "test ok") {
            state.SkipWithError("no boot loader");
            return;
        }
        auto start = std::chrono::steady_clock::now();
        boot.OnStartUpgrade(image.data(), size);
        std::string result = next();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result != "ok" || board.Firmware() != image) {
            state.SkipWithError(("flash failed: " + result).c_str());
            return;
        }
        state.SetIterationTime(seconds);
        state.counters["line_ratio"] = seconds / lineSeconds;
        state.counters["seconds"] = seconds;
        runner.Host().upgrade = nullptr;
        link.Session().Disconnect();
        board.Stop();
    }
}
BENCHMARK(BM_Flash512KiBAt115200)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
