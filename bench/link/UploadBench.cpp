// Upload of a 1 MiB image to the simulated board over a pseudo-terminal whose
// board side paces the line at 115200 baud. Reports our time against the
// line-rate time (1 MiB at 11520 bytes/s) and the link thread's own CPU time
// per data chunk.
#include <benchmark/benchmark.h>

#include "LinkRunner.h"
#include "tests/boardsim/BoardSim.h"

#include <ctime>
#include <memory>

namespace {

double ThreadCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_Upload1MiBAt115200(benchmark::State& state)
{
    const double lineSeconds = 1048576.0 / 11520.0;
    for (auto _ : state) {
        boardsim::SimOptions sim;
        sim.paceBaud = 115200;
        CBoardSim board(sim);
        std::string error;
        if (!board.Start(&error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        CheckOptions o;
        o.port = board.SlavePath();
        o.watchdogMs = 30000;
        CheckRunner runner(o);
        runner.Host().quiet = true;
        CDeviceLink& link = runner.Link();
        if (!link.Session().Connect(o.port) ||
            !runner.RunUntil([&] { return link.Files().ImageReadCount() > 0; }, 120).empty()) {
            state.SkipWithError("identification failed");
            return;
        }
        // One file that makes the image exactly 1 MiB.
        link.Files().FreeFileEntries();
        auto e = std::make_unique<FileEntry>();
        e->name = "big.bin";
        e->nameLength = 8;
        e->data.assign(1048576 - 16 - 4 - 8 - 8 - 8, '\x5a');
        e->state = FileEntry::kChanged;
        link.Files().Entries().Insert(std::move(e));

        auto start = std::chrono::steady_clock::now();
        double cpu0 = ThreadCpuSeconds();
        bool sawUpload = false;
        link.Files().SetUploadStarted(true);
        link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
        std::string why = runner.RunUntil([&] {
            sawUpload = sawUpload || link.Session().GetTransferType() == CLinkSession::kTransferUpload;
            return (sawUpload && link.Session().GetTransferType() != CLinkSession::kTransferUpload) || !link.Session().IsJobRunning();
        }, 300);
        double cpu = ThreadCpuSeconds() - cpu0;
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!why.empty() || link.Session().SentCount() != 1048576) {
            state.SkipWithError(("upload failed: " + why).c_str());
            return;
        }
        state.SetIterationTime(seconds);
        double chunks = 1048576.0 / 8192.0 + 1;
        state.counters["line_ratio"] = seconds / lineSeconds;
        state.counters["cpu_ms_per_chunk"] = cpu * 1000.0 / chunks;
        state.counters["seconds"] = seconds;
        link.Session().Disconnect();
        board.Stop();
    }
}
BENCHMARK(BM_Upload1MiBAt115200)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
