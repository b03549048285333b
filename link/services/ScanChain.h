#pragma once
#include <cstdint>
#include <vector>

#include "link/services/MmapCommand.h"
#include "link/services/ScanRecord.h"

struct FrameItem;

// The wireless scan: wireless mode, queue size, start, state polls, the
// per-channel counts, then every result. Like the network chain it only
// decides; the caller sends, polls and keeps the transfer type. Every way
// out is kDone or kFailed, so the asking dialog always hears the end.
class CScanChain {
public:
    static constexpr int kChannels = 14;
    // State polls (one a second) before a scan that never ends is given up.
    static constexpr int kMaxPolls = 60;
    // Results asked for per channel at most: a count the board gets wrong
    // must not ask for millions.
    static constexpr int32_t kMaxChannelResults = 1024;

    enum class Outcome {
        kNext,          // send `next`
        kWait,          // nothing to send now
        kDone,          // Records() is the result
        kFailed,        // the scan ended without a result
    };
    // Why a scan failed, for the message the user sees.
    enum class Failure { kNone, kNoWlan, kBoard, kNoAnswer };

    MmapCommand Start();
    Outcome OnReply(const FrameItem& first, MmapCommand& next);
    // One tick of the poll timer, which runs from Start to the end: once the
    // scan has started it asks the state, unless a query is still unanswered;
    // kFailed once kMaxPolls ticks have passed, whatever the board did.
    Outcome OnTick(MmapCommand& next);
    // The scan ends here (refusal, closed port): no further query.
    void Fail(Failure why);

    bool IsRunning() const { return m_step != 0; }
    // The step of the query in flight (0: none).
    int32_t Step() const { return m_awaiting ? m_step : 0; }
    Failure FailureReason() const { return m_failure; }
    const std::vector<ScanRecord>& Records() const { return m_records; }
    std::vector<ScanRecord> TakeRecords() { return std::move(m_records); }

private:
    MmapCommand Ask(int32_t step, int channel = 0, int entry = 0);
    Outcome NextResult(MmapCommand& next);
    Outcome Finish(Failure why);

    std::vector<ScanRecord> m_records;
    int32_t m_counts[kChannels] = {};
    int32_t m_step = 0;
    bool m_awaiting = false;
    int m_channel = 1, m_entry = 0, m_polls = 0;
    Failure m_failure = Failure::kNone;
};
