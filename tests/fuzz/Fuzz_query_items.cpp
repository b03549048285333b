// Board answers to the 05/30 query chains: every item of the payload, in
// turn, answers the network-information and scan chains, and is read as a
// scan result.
#include "link/codecs/FrameItemReader.h"
#include "link/services/NetInfoChain.h"
#include "link/services/ScanChain.h"

#include <vector>

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
