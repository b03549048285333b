#include "link/services/NetInfoChain.h"

#include "link/codecs/FrameItemReader.h"

using S = MmapCommand;
using Outcome = CNetInfoChain::Outcome;

namespace {

// Steps whose text answer only fills one field and asks the next step.
struct TextStep {
    int32_t step;
    std::string NetworkInfo::*field;
    std::string WlanStatusRecord::*wlanField;
    int32_t next;
};
const TextStep kTextSteps[] = {
    {S::kIpAddr, &NetworkInfo::ipv4, nullptr, S::kNetmask},
    {S::kNetmask, &NetworkInfo::netmask, nullptr, S::kGwAddr},
    {S::kGwAddr, &NetworkInfo::gateway, nullptr, S::kNsAddr},
    {S::kNsAddr, &NetworkInfo::nameServer, nullptr, S::kDadCount},
    {S::kDadAddr, &NetworkInfo::conflictMac, nullptr, S::kDadTick},
    {S::kIpAddr6Local, &NetworkInfo::ipv6LinkLocal, nullptr, S::kIpAddr6Global},
    {S::kIpAddr6Global, &NetworkInfo::ipv6Global, nullptr, S::kGwAddr6},
    {S::kGwAddr6, &NetworkInfo::ipv6Gateway, nullptr, S::kPrefix6},
    {S::kWlanMode, nullptr, &WlanStatusRecord::mode, S::kWlanChannel},
    {S::kWlanSsid, nullptr, &WlanStatusRecord::ssid, S::kWlanRssi},
    {S::kWlanRsna, nullptr, &WlanStatusRecord::rsna, S::kWlanAkm},
    {S::kWlanAkm, nullptr, &WlanStatusRecord::akm, S::kWlanCipher},
};

bool IsIntStep(int32_t step)
{
    return step == S::kDadCount || step == S::kPrefix6 || step == S::kWlanChannel || step == S::kWlanRssi;
}

} // namespace

MmapCommand CNetInfoChain::Ask(int32_t step, int index)
{
    m_step = step;
    return MmapCommand::Network(step, m_wired, index);
}

MmapCommand CNetInfoChain::Start(bool wired, bool wireless)
{
    m_info.Reset();
    m_wired = wired;
    m_wireless = wireless;
    m_index = 0;
    return Ask(S::kIpAddr);
}

Outcome CNetInfoChain::AfterPrefix(MmapCommand& next)
{
    // The wireless record and the tables are only read from a board that
    // has the wireless interface.
    if (!m_wireless) {
        m_step = 0;
        return Outcome::kDone;
    }
    next = Ask(S::kWlanMode);
    return Outcome::kNext;
}

Outcome CNetInfoChain::TableRow(const std::string& text, std::vector<std::string>& table, int32_t step,
                                MmapCommand& next)
{
    ++m_index;
    if (!text.empty() && m_index < kMaxTableRows) {
        table.push_back(text);
        next = Ask(step, m_index);
        return Outcome::kNext;
    }
    if (!text.empty())
        table.push_back(text);
    m_index = 0;
    if (step == S::kArp) {
        next = Ask(S::kNdc, 0);
        return Outcome::kNext;
    }
    m_step = 0;
    return Outcome::kDone;
}

Outcome CNetInfoChain::OnReply(const FrameItem& item, MmapCommand& next)
{
    const int32_t step = m_step;
    if (step == 0)
        return Outcome::kStopped;
    const bool intStep = IsIntStep(step);
    const bool fits = intStep ? item.IsInt32() : item.type == LinkFrame::kItemBytes;
    if (!fits) {
        m_step = 0;
        return Outcome::kStopped;
    }
    if (intStep) {
        const int32_t v = item.Int32();
        switch (step) {
        case S::kDadCount:
            m_info.conflictCount = v;
            next = Ask(v > 0 ? S::kDadAddr : S::kIpAddr6Local);
            return Outcome::kNext;
        case S::kPrefix6:
            m_info.prefix6 = v;
            return AfterPrefix(next);
        case S::kWlanChannel:
            m_info.wlan.channel = v;
            next = Ask(S::kWlanSsid);
            return Outcome::kNext;
        default:  // rssi
            m_info.wlan.signal = std::to_string(v);
            next = Ask(S::kWlanRsna);
            return Outcome::kNext;
        }
    }
    const std::string text = item.Text();
    for (const TextStep& t : kTextSteps) {
        if (t.step != step)
            continue;
        if (t.field)
            m_info.*t.field = text;
        else
            m_info.wlan.*t.wlanField = text;
        next = Ask(t.next);
        return Outcome::kNext;
    }
    switch (step) {
    case S::kDadTick: {
        // Milliseconds as a little-endian int64 in the first 8 bytes; a
        // shorter item leaves the time unknown (0).
        int64_t ms = 0;
        if (item.length >= 8)
            for (int i = 7; i >= 0; --i)
                ms = static_cast<int64_t>(static_cast<uint64_t>(ms) << 8 | item.data[i]);
        m_info.conflictTime = ms / 1000;
        next = Ask(S::kIpAddr6Local);
        return Outcome::kNext;
    }
    case S::kWlanCipher:
        m_info.wlan.cipher = text;
        m_info.arp.clear();
        m_index = 0;
        next = Ask(S::kArp, 0);
        return Outcome::kNext;
    case S::kArp:
        return TableRow(text, m_info.arp, S::kArp, next);
    case S::kNdc:
        return TableRow(text, m_info.neighbours, S::kNdc, next);
    default:
        m_step = 0;
        return Outcome::kStopped;
    }
}
