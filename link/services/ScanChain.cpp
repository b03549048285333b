#include "link/services/ScanChain.h"

#include "link/codecs/FrameItemReader.h"

#include <algorithm>
#include <iterator>

using S = MmapCommand;
using Outcome = CScanChain::Outcome;

MmapCommand CScanChain::Ask(int32_t step, int channel, int entry)
{
    m_step = step;
    m_awaiting = true;
    return MmapCommand::Scan(step, channel, entry);
}

MmapCommand CScanChain::Start()
{
    m_records.clear();
    m_failure = Failure::kNone;
    m_polls = 0;
    m_channel = 1;
    m_entry = 0;
    return Ask(S::kWlanMode);
}

Outcome CScanChain::Finish(Failure why)
{
    m_step = 0;
    m_awaiting = false;
    m_failure = why;
    if (why != Failure::kNone)
        m_records.clear();
    return why == Failure::kNone ? Outcome::kDone : Outcome::kFailed;
}

void CScanChain::Fail(Failure why) { Finish(why); }

Outcome CScanChain::NextResult(MmapCommand& next)
{
    for (; m_channel <= kChannels; ++m_channel, m_entry = 0) {
        if (m_entry < m_counts[m_channel - 1]) {
            next = Ask(S::kScanResult, m_channel, m_entry);
            ++m_entry;
            return Outcome::kNext;
        }
    }
    return Finish(Failure::kNone);
}

Outcome CScanChain::OnReply(const FrameItem& item, MmapCommand& next)
{
    if (!m_awaiting)
        return Outcome::kWait;
    m_awaiting = false;
    const bool text = item.type == LinkFrame::kItemBytes;
    const bool number = item.IsInt32();
    switch (m_step) {
    case S::kWlanMode:
        if (!text)
            return Finish(Failure::kBoard);
        // An empty mode: the wireless interface cannot be used.
        if (item.Text().empty())
            return Finish(Failure::kNoWlan);
        m_records.clear();
        next = Ask(S::kScanQueueSize);
        return Outcome::kNext;
    case S::kScanQueueSize:
        if (!number || item.Int32() != 0)
            return Finish(Failure::kBoard);
        m_records.clear();
        next = Ask(S::kScanStart);
        return Outcome::kNext;
    case S::kScanStart:
        if (!number)
            return Finish(Failure::kBoard);
        return Outcome::kWait;
    case S::kScanState:
        if (!number)
            return Finish(Failure::kBoard);
        if (item.Int32() != 0)
            return Outcome::kWait;
        std::fill(std::begin(m_counts), std::end(m_counts), 0);
        m_channel = 1;
        next = Ask(S::kScanCount, m_channel);
        return Outcome::kNext;
    case S::kScanCount:
        if (!number)
            return Finish(Failure::kBoard);
        m_counts[m_channel - 1] = std::clamp<int32_t>(item.Int32(), 0, kMaxChannelResults);
        if (m_channel < kChannels) {
            ++m_channel;
            next = Ask(S::kScanCount, m_channel);
            return Outcome::kNext;
        }
        m_channel = 1;
        m_entry = 0;
        return NextResult(next);
    case S::kScanResult: {
        if (!text)
            return Finish(Failure::kBoard);
        // A result whose SSID does not fit or decode is left out.
        ScanRecord record;
        if (ScanRecord::Parse(item, record))
            m_records.push_back(std::move(record));
        return NextResult(next);
    }
    default:
        return Finish(Failure::kBoard);
    }
}

Outcome CScanChain::OnTick(MmapCommand& next)
{
    if (m_step == 0)
        return Outcome::kWait;
    if (++m_polls > kMaxPolls)
        return Finish(Failure::kNoAnswer);
    const bool polling = (m_step == S::kScanStart || m_step == S::kScanState) && !m_awaiting;
    if (!polling)
        return Outcome::kWait;
    next = Ask(S::kScanState);
    return Outcome::kNext;
}
