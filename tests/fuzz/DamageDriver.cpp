// Runs a fuzz target without libFuzzer: its seeds, damaged at random in the
// ways files and boards damage data (flipped and overwritten bytes, length
// fields set to extremes, cut and repeated pieces), under the sanitizers of
// the native build. `fuzz_x [iterations] [seed]`.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "tests/fuzz/FuzzTarget.h"

int main(int argc, char** argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 20000;
    std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1u);
    const std::vector<std::vector<uint8_t>> seeds = FuzzSeeds();
    for (long i = 0; i < iterations; ++i) {
        std::vector<uint8_t> d = seeds.empty() ? std::vector<uint8_t>() : seeds[rng() % seeds.size()];
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            const size_t at = d.empty() ? 0 : rng() % d.size();
            switch (rng() % 6) {
            case 0:
                if (!d.empty()) d[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
                break;
            case 1:
                if (!d.empty()) d[at] = static_cast<uint8_t>(rng());
                break;
            case 2: {  // a little-endian u16 to an extreme
                static const uint16_t extremes[] = {0, 1, 3, 4, 5, 6, 0x7FFF, 0xFFFF, 0x1000};
                if (d.size() >= 2 && at + 1 < d.size()) {
                    uint16_t v = extremes[rng() % (sizeof extremes / sizeof extremes[0])];
                    d[at] = static_cast<uint8_t>(v);
                    d[at + 1] = static_cast<uint8_t>(v >> 8);
                }
                break;
            }
            case 3:
                d.resize(d.empty() ? 0 : rng() % (d.size() + 1));
                break;
            case 4: {  // repeat a piece
                if (d.empty()) break;
                size_t n = 1 + rng() % std::min<size_t>(64, d.size() - at);
                std::vector<uint8_t> piece(d.begin() + static_cast<long>(at), d.begin() + static_cast<long>(at + n));
                d.insert(d.begin() + static_cast<long>(at), piece.begin(), piece.end());
                break;
            }
            default:
                d.insert(d.begin() + static_cast<long>(at), static_cast<uint8_t>(rng()));
                break;
            }
        }
        LLVMFuzzerTestOneInput(d.data(), d.size());
    }
    std::printf("%ld inputs\n", iterations);
    return 0;
}
