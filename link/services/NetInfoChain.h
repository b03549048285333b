#pragma once
#include <cstdint>

#include "link/services/MmapCommand.h"
#include "link/services/NetworkInfo.h"

struct FrameItem;

// The network-information chain: one 05/30 query after the other, each
// reply's first item deciding the next. It knows nothing of the port: the
// caller sends what Start and OnReply return and keeps the transfer type.
class CNetInfoChain {
public:
    // The board's ARP and neighbour tables end with an empty row; a board
    // that never sends one is cut off here.
    static constexpr int kMaxTableRows = 256;

    enum class Outcome { kNext, kDone, kStopped };

    // Empties the record and returns the first query.
    MmapCommand Start(bool wired, bool wireless);
    // The reply to the query of Step(). kNext: send `next`; kDone: the
    // record is complete; kStopped: the reply did not fit (wrong item type).
    Outcome OnReply(const FrameItem& first, MmapCommand& next);
    // Forget the chain and everything it read.
    void Reset()
    {
        m_info.Reset();
        m_step = 0;
    }

    int32_t Step() const { return m_step; }
    bool IsRunning() const { return m_step != 0; }
    const NetworkInfo& Info() const { return m_info; }

private:
    MmapCommand Ask(int32_t step, int index = 0);
    Outcome AfterPrefix(MmapCommand& next);
    Outcome TableRow(const std::string& text, std::vector<std::string>& table, int32_t step,
                     MmapCommand& next);

    NetworkInfo m_info;
    bool m_wired = false, m_wireless = false;
    int32_t m_step = 0;
    int m_index = 0;
};
