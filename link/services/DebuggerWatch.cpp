// The watch list's values: one 01/60 per row while the task is paused, long
// strings completed by a 03/50 block read.
#include "link/services/DebuggerService.h"

#include "link/codecs/FrameItemReader.h"
#include "link/services/DebugCodec.h"
#include "link/session/LinkSession.h"

using LinkFrame::RequestBuilder;

namespace {
void SetRow(CLinkHost& host, int row, const DebugCodec::WatchValue& v)
{
    host.SetWatchValue(row, v.type, v.value, v.full);
}
} // namespace

int CDebuggerService::OnWatchNext(int32_t task, bool start)
{
    CLinkHost& host = m_session.Host();
    if (!m_session.IsConnected() || m_session.IsIspMode() || m_taskState != 2 || host.GetWatchCount() < 1)
        return 0;
    if (m_watchWaiting != Waiting::kNone) {
        // The rows may have changed: read them again once the reply is in.
        if (start) {
            m_watchRestart = true;
            m_watchTask = task;
        }
        return start ? 1 : 0;
    }
    if (!m_session.IsTransferIdle())
        return 0;
    if (start)
        m_watchRow = 0;
    m_watchTask = task;
    return SendWatchRow();
}

void CDebuggerService::WaitForWatch(Waiting kind)
{
    m_watchWaiting = kind;
    m_watchGuardCount = m_session.Image().count;
    m_session.Host().SetTimer(kTimerWatchWait, kReplyWaitMs);
}

int CDebuggerService::SendWatchRow()
{
    CLinkHost& host = m_session.Host();
    for (; m_watchRow < host.GetWatchCount(); ++m_watchRow) {
        DebugCodec::WatchRequest req;
        if (!DebugCodec::SplitWatchName(host.GetWatchName(m_watchRow), req)) {
            // A name the board cannot be asked for: "?" and on to the next.
            SetRow(host, m_watchRow, DebugCodec::UnknownValue());
            continue;
        }
        m_session.WriteRequest(
            RequestBuilder(1, 6, 0).Int32(m_watchTask).Text(req.base).Bytes(req.index.data(), req.index.size()));
        WaitForWatch(Waiting::kValue);
        return 1;
    }
    return 0;
}

void CDebuggerService::NextWatchRow()
{
    ++m_watchRow;
    if (m_watchRow < m_session.Host().GetWatchCount())
        OnWatchNext(0, false);
}

// True when this reply is the one the chain waits for and the chain goes on
// with it; a restart asked for meanwhile starts here instead.
bool CDebuggerService::TakeWatchReply(Waiting kind)
{
    if (m_watchWaiting != kind)
        return false;  // late, or for a read that was given up
    m_watchWaiting = Waiting::kNone;
    m_session.Host().KillTimer(kTimerWatchWait);
    if (m_watchRestart) {
        m_watchRestart = false;
        OnWatchNext(m_watchTask, true);
        return false;
    }
    // Rows removed while the reply was on its way.
    return m_watchRow < m_session.Host().GetWatchCount();
}

void CDebuggerService::OnReplyWatch(const LinkReply& r)
{
    if (!TakeWatchReply(Waiting::kValue))
        return;
    CLinkHost& host = m_session.Host();
    DebugCodec::WatchValue v;
    DebugCodec::WatchReply kind = r.Refused() ? DebugCodec::WatchReply::kBad
                                              : DebugCodec::DecodeWatchReply(r.payload, r.length, v);
    switch (kind) {
    case DebugCodec::WatchReply::kBad:
        SetRow(host, m_watchRow, DebugCodec::UnknownValue());
        break;
    case DebugCodec::WatchReply::kUnknownType:
        break;
    case DebugCodec::WatchReply::kShown:
        SetRow(host, m_watchRow, v);
        break;
    case DebugCodec::WatchReply::kLongString:
        // The first bytes at once; the 03/5x reply completes the row.
        SetRow(host, m_watchRow, v);
        m_watchLength = v.boardLength;
        if (RequestWatchString())
            return;
        break;
    }
    NextWatchRow();
}

bool CDebuggerService::RequestWatchString()
{
    DebugCodec::WatchRequest req;
    if (!m_session.IsTransferIdle() ||
        !DebugCodec::SplitWatchName(m_session.Host().GetWatchName(m_watchRow), req))
        return false;
    m_session.StartRead(RequestBuilder(3, 5, 0).Int32(0).Text(req.base).Bytes(req.index.data(), req.index.size()),
                        CLinkSession::kTransferWatchString);
    WaitForWatch(Waiting::kString);
    return true;
}

void CDebuggerService::OnReplyWatchString(const LinkReply& r)
{
    // Only the read this chain started gives the transfer back.
    if (m_watchWaiting != Waiting::kString)
        return;
    m_session.EndTransfer(CLinkSession::kTransferWatchString);
    if (!TakeWatchReply(Waiting::kString))
        return;
    // The row keeps the first bytes unless the whole string came, as long
    // as the board announced it; a refusal ends this row, not the chain.
    FrameItem item;
    const TransferBuffer& got = m_session.Image();
    if (!r.Refused() && FrameItemReader::First(r.payload, r.length, item) && item.IsInt32() &&
        !m_session.TransferOverflowed() && item.Int32() == got.count && got.count == m_watchLength) {
        SetRow(m_session.Host(), m_watchRow,
               DebugCodec::LongStringValue(got.data.data(), static_cast<size_t>(got.count)));
    } else {
        Log("watch " + m_session.Host().GetWatchName(m_watchRow) + ": " + std::to_string(got.count) + " of " +
            std::to_string(m_watchLength) + " bytes came" + (r.Refused() ? " (refused)" : ""));
    }
    NextWatchRow();
}
