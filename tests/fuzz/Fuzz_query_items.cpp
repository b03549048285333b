// Board answers to the 05/30 query chains: every item of the payload, in
// turn, answers the network-information and scan chains, and is read as a
// scan result.
#include "tests/fuzz/FuzzTarget.h"

#include "link/codecs/FrameItemReader.h"
#include "link/services/NetInfoChain.h"
#include "link/services/ScanChain.h"

#include <string>
#include <vector>

namespace {
void PutItem(std::vector<uint8_t>& out, uint8_t type, const std::string& value)
{
    size_t pad = (4 - value.size() % 4) % 4;
    size_t field = type == 7 ? value.size() + 2 * pad : value.size();
    out.insert(out.end(), {0, type, static_cast<uint8_t>(field >> 8), static_cast<uint8_t>(field)});
    out.insert(out.end(), value.begin(), value.end());
    out.insert(out.end(), pad, 0);
}
} // namespace

// Answers as a board sends them: texts, counts, scan results.
std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    std::vector<uint8_t> texts, mixed;
    for (const char* t : {"192.168.0.5", "255.255.255.0", "10.0.0.1", "10.0.0.2"})
        PutItem(texts, 7, t);
    PutItem(mixed, 7, "STA");
    PutItem(mixed, 2, std::string("\0\0\0\0", 4));
    PutItem(mixed, 2, std::string("\0\0\0\2", 4));
    PutItem(mixed, 7, "6 -52 3 4D79415031");
    PutItem(mixed, 7, std::string("o\x17\0\0\0\0\0\0", 8));
    return {texts, mixed};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> payload(data, data + size);
    CNetInfoChain net;
    CScanChain scan;
    MmapCommand n = net.Start(size % 2 == 0, true), s = scan.Start();
    FrameItemReader reader(payload.data(), payload.size());
    FrameItem item;
    while (reader.Next(item)) {
        // An exact copy: a read past the item leaves its heap block.
        std::vector<uint8_t> exact(item.data, item.data + item.length);
        item.data = exact.data();
        ScanRecord record;
        ScanRecord::Parse(item, record);
        if (net.IsRunning())
            net.OnReply(item, n);
        if (scan.IsRunning() && scan.OnReply(item, s) == CScanChain::Outcome::kWait)
            scan.OnTick(s);
    }
    return 0;
}
