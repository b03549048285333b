#include "link/services/MmapCommand.h"

#include <cstdio>

LinkFrame::RequestBuilder MmapCommand::Request() const
{
    LinkFrame::RequestBuilder request(5, 3, 0);
    request.Text(text, false);
    return request;
}

MmapCommand MmapCommand::Network(int32_t step, bool wired, int index)
{
    static const char* const kNames[] = {
        "ipaddr", "netmask", "gwaddr", "nsaddr", "dad count", "ipaddr6 0", "ipaddr6 1", "gwaddr6",
        "prefix6", "mode", "ch", "ssid", "rssi", "rsna", "akm", "cipher", "arp %d", "ndc %d",
        "dad addr", "dad tick",
    };
    if (!IsNetworkStep(step))
        return MmapCommand();
    const bool wireless = step >= kWlanMode && step <= kWlanCipher;
    char name[32];
    std::snprintf(name, sizeof name, kNames[step - kIpAddr], index);
    MmapCommand c;
    c.step = step;
    c.text = std::string(wired && !wireless ? "mmap/net0" : "mmap/net1") + " ioctl get " + name;
    return c;
}

MmapCommand MmapCommand::RtcGet() { return MmapCommand{kRtcGet, "mmap/rtc0 ioctl get date"}; }

bool MmapCommand::IsRtcDate(const std::string& date)
{
    if (date.size() != 14)
        return false;
    for (char ch : date)
        if (ch < '0' || ch > '9')
            return false;
    return true;
}

MmapCommand MmapCommand::RtcSet(const std::string& date)
{
    if (!IsRtcDate(date))
        return MmapCommand();
    return MmapCommand{kRtcSet, "mmap/rtc0 ioctl set date " + date};
}

MmapCommand MmapCommand::Scan(int32_t step, int channel, int entry)
{
    char text[64];
    switch (step) {
    case kWlanMode: return MmapCommand{step, "mmap/net1 ioctl get mode"};
    case kScanQueueSize: return MmapCommand{step, "mmap/net1 ioctl scan qsize 32"};
    case kScanStart: return MmapCommand{step, "mmap/net1 ioctl scan start"};
    case kScanState: return MmapCommand{step, "mmap/net1 ioctl scan state"};
    case kScanCount:
        std::snprintf(text, sizeof text, "mmap/net1 ioctl scan result %d", channel);
        return MmapCommand{step, text};
    case kScanResult:
        std::snprintf(text, sizeof text, "mmap/net1 ioctl scan result %d %d", channel, entry);
        return MmapCommand{step, text};
    default:
        return MmapCommand();
    }
}
