// Board answers to the 05/30 query chains: each item answers the network and
// scan chains in turn, and is read as a scan result.
#include "tests/fuzz/FuzzTarget.h"

#include "link/codecs/FrameItemReader.h"
#include "link/services/NetInfoChain.h"
#include "link/services/ScanChain.h"
#include "tests/fuzz/FuzzLink.h"

// Answers as a board sends them: texts, counts, scan results.
std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    auto text = [](const std::string& t) { return ItemBytes(std::vector<uint8_t>(t.begin(), t.end())); };
    return {text("192.168.0.5") + text("255.255.255.0") + text("10.0.0.1") + text("10.0.0.2"),
            text("STA") + ItemInt(0) + ItemInt(2) + text("6 -52 3 4D79415031") +
                text(std::string("o\x17\0\0\0\0\0\0", 8))};
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
