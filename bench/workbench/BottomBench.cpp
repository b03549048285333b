// The bottom pane's text work: the hex dump of a long watched string, and a
// log pane taking a stream of board output in frame-sized pieces (the text
// the edit would hold, cut as the pane cuts it). Both should grow linearly.
#include "workbench/bottom/HexDump.h"
#include "workbench/bottom/LogTrim.h"

#include <benchmark/benchmark.h>

namespace {

void BM_HexDump(benchmark::State& state) {
    const std::string value(static_cast<size_t>(state.range(0)) * 2, 'a');
    for (auto _ : state) benchmark::DoNotOptimize(FormatHexDump(value).size());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_HexDump)->RangeMultiplier(8)->Range(1 << 10, 1 << 20);

bool NoLeadBytes(unsigned char) { return false; }

void BM_LogStream(benchmark::State& state) {
    const std::string piece = "output line of the running script\r\n";
    std::string frame;
    while (frame.size() < 1000) frame += piece;
    const int frames = static_cast<int>(state.range(0) / static_cast<int64_t>(frame.size()));
    for (auto _ : state) {
        std::string shown;
        for (int i = 0; i < frames; ++i) {
            if (shown.size() + frame.size() > CLogTrim::kLimit) {
                const size_t old = shown.size();
                shown += frame;
                shown.erase(0, CLogTrim::FrontCut(shown, old, CLogTrim::kKeep, &NoLeadBytes).bytes);
            } else {
                shown += frame;
            }
        }
        benchmark::DoNotOptimize(shown.size());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LogStream)->RangeMultiplier(8)->Range(1 << 14, 1 << 23);

}  // namespace

BENCHMARK_MAIN();
