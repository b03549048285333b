// Message-box wrapping of one long line (a board's error text, a path list), with a
// width function that costs what measuring costs: a walk over the bytes.
#include "ui/boxes/MessageLayout.h"

#include <benchmark/benchmark.h>

namespace {

int SevenPerByte(const CString& s) {
    int w = 0;
    for (int i = 0; i < s.GetLength(); ++i) w += s.GetAt(i) == ' ' ? 4 : 7;
    return w;
}

void BM_WrapOneLongLine(benchmark::State& state) {
    CString text;
    while (text.GetLength() < state.range(0)) text += "value \xC7\xD1\xB1\xDB out of range; ";
    for (auto _ : state) {
        CStringArray lines;
        lines.Add(text);
        msgbox::WrapLines(lines, SevenPerByte);
        benchmark::DoNotOptimize(lines.GetSize());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WrapOneLongLine)->RangeMultiplier(4)->Range(1 << 10, 1 << 16);

}  // namespace

BENCHMARK_MAIN();
