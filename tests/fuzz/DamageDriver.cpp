// Runs a fuzz target without libFuzzer on its seeds, damaged at random the way
// files and boards damage data, under the native build's sanitizers.
// `damage_x [iterations] [seed]`.
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
    // Little-endian length fields set to extremes.
    static const uint16_t extremes[] = {0, 1, 3, 4, 5, 6, 0x7FFF, 0xFFFF, 0x1000};
    for (long i = 0; i < iterations; ++i) {
        std::vector<uint8_t> d = seeds.empty() ? std::vector<uint8_t>() : seeds[rng() % seeds.size()];
        for (int e = 1 + static_cast<int>(rng() % 6); e > 0; --e) {
            const size_t at = d.empty() ? 0 : rng() % d.size();
            const unsigned kind = rng() % 5;
            if (d.empty() || kind == 0) {
                d.insert(d.begin() + static_cast<long>(at), static_cast<uint8_t>(rng()));
            } else if (kind == 1) {
                d[at] = static_cast<uint8_t>(rng() % 2 ? rng() : d[at] ^ (1u << (rng() % 8)));
            } else if (kind == 2 && at + 1 < d.size()) {
                const uint16_t v = extremes[rng() % (sizeof extremes / sizeof extremes[0])];
                d[at] = static_cast<uint8_t>(v);
                d[at + 1] = static_cast<uint8_t>(v >> 8);
            } else if (kind == 3) {
                d.resize(rng() % (d.size() + 1));
            } else if (kind == 4) {  // a piece repeated
                const size_t n = 1 + rng() % std::min<size_t>(64, d.size() - at);
                const auto from = d.begin() + static_cast<long>(at);
                const std::vector<uint8_t> piece(from, from + static_cast<long>(n));
                d.insert(d.begin() + static_cast<long>(at), piece.begin(), piece.end());
            }
        }
        LLVMFuzzerTestOneInput(d.data(), d.size());
    }
    std::printf("%ld inputs\n", iterations);
    return 0;
}
