#pragma once
// One fuzz target: the libFuzzer entry point and the valid inputs the plain
// driver starts its damage from.
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
std::vector<std::vector<uint8_t>> FuzzSeeds();
