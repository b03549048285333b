#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "link/codecs/LinkFrame.h"

// One 05/30 query: a text command "mmap/<device> ioctl <verb> <name> [args]"
// and the step (transfer type) that its reply is read by. The text item
// carries its padded size alone in the length field, unlike most requests.
struct MmapCommand {
    // Steps of the query chains; each is the transfer type while it is asked.
    enum Step : int32_t {
        kIpAddr = 10, kNetmask = 11, kGwAddr = 12, kNsAddr = 13, kDadCount = 14,
        kIpAddr6Local = 15, kIpAddr6Global = 16, kGwAddr6 = 17, kPrefix6 = 18,
        kWlanMode = 19, kWlanChannel = 20, kWlanSsid = 21, kWlanRssi = 22, kWlanRsna = 23,
        kWlanAkm = 24, kWlanCipher = 25, kArp = 26, kNdc = 27, kDadAddr = 28, kDadTick = 29,
        kRtcGet = 30, kRtcSet = 31,
        kScanQueueSize = 34, kScanStart = 35, kScanState = 36, kScanCount = 37, kScanResult = 38,
    };

    int32_t step = 0;
    std::string text;

    bool IsValid() const { return step != 0; }
    LinkFrame::RequestBuilder Request() const;
    std::vector<uint8_t> Frame(uint8_t sequence) const { return Request().Build(sequence); }

    static bool IsNetworkStep(int32_t step) { return step >= kIpAddr && step <= kDadTick; }
    static bool IsScanStep(int32_t step) { return step >= kScanQueueSize && step <= kScanResult; }

    // A network-information step; wired picks net0 for the addressing steps
    // (the wireless steps always ask net1). index: ARP and neighbour rows.
    static MmapCommand Network(int32_t step, bool wired, int index = 0);
    static MmapCommand RtcGet();
    // Empty (invalid) unless date is exactly 14 digits, YYYYMMDDhhmmss: the
    // board's frame has room for no other length.
    static MmapCommand RtcSet(const std::string& date);
    static bool IsRtcDate(const std::string& date);
    static MmapCommand Scan(int32_t step, int channel = 0, int entry = 0);
};
