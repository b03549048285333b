// libFuzzer target: the record walks over a board's certificate records (the
// certificate lookup and the carrying over of records into a key block).
#include "config/KeyBlocks.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x10010) return 0;
    ByteVector der;
    int n = CKeyBlocks::FindCertificate(data, static_cast<int>(size), der);
    if (n > 0 && der.size() != static_cast<size_t>(n)) __builtin_trap();
    RsaPrimes rsa{ByteVector(128, 1), ByteVector(128, 2)};
    ByteVector block;
    std::string error;
    if (CKeyBlocks::BuildKeyBlock(rsa, nullptr, data, static_cast<int>(size), block, error) &&
        (block.size() > 0xFFFF || block.size() < 16 + 264))
        __builtin_trap();
    return 0;
}
