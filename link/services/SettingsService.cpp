// The settings block: read, parse, rebuild, write.
#include "link/services/SettingsService.h"

#include "link/codecs/FrameItemReader.h"
#include "link/session/LinkSession.h"

#include <algorithm>

CSettingsService::CSettingsService(CLinkSession& session) : m_session(session)
{
    using R = const LinkReply&;
    m_session.RouteReply(3, 2, 1, [this](R r) { OnReplySettingsBlock(r); });
    m_session.RouteReply(4, 2, 1, [this](R r) { OnReplySettingsWrite(r); });
    m_session.AddService(*this);
}

void CSettingsService::Reset()
{
    m_record = SettingsRecord();
    ++m_generation;
}

void CSettingsService::OnDisconnected()
{
    Reset();
    if (m_writing)
        EndWrite(false);
    if (m_reading) {
        // Cut off: no block, and whatever waited for it hears so.
        m_reading = false;
        m_session.Host().OnSettingsReadFailed();
    }
}

void CSettingsService::ReadFailed(const std::string& why)
{
    m_session.Message(why, CLinkDialogs::kStyleWarning);
    m_session.Host().OnSettingsReadFailed();
}

void CSettingsService::EndWrite(bool ok)
{
    m_writing = false;
    m_session.Host().KillTimer(kTimerSettingsWrite);
    if (m_session.GetTransferType() == CLinkSession::kTransferSettingsWrite)
        m_session.SetTransferType(CLinkSession::kTransferNone);
    if (ok) {
        m_record = m_pending;
        m_pending = SettingsRecord();
        m_blockAsRead.clear();
    } else {
        // The board keeps what it had: so does the block the next write starts from.
        DropPendingWrite();
    }
    m_session.Host().OnSettingsWritten(ok);
}

void CSettingsService::DropPendingWrite()
{
    TransferBuffer& block = m_session.Block();
    if (m_blockAsRead.size() == static_cast<size_t>(block.count))
        std::copy(m_blockAsRead.begin(), m_blockAsRead.end(), block.data.begin());
    m_pending = SettingsRecord();
    m_blockAsRead.clear();
}

void CSettingsService::OnTransferGivenUp(int32_t type)
{
    if (type != CLinkSession::kTransferSettingsRead || !m_reading)
        return;
    m_reading = false;
    ReadFailed(CLinkSession::kNoAnswerText);
}

bool CSettingsService::OnTimer(unsigned id)
{
    if (id != kTimerSettingsWrite)
        return false;
    if (!m_writing)
        m_session.Host().KillTimer(kTimerSettingsWrite);
    else if (!m_watch.Tick(m_session.SentCount(), m_session.WriteAllSent())) {
        // The board stopped pulling, or never answered.
        m_session.AbandonTransfer(CLinkSession::kTransferSettingsWrite);
        EndWrite(false);
    }
    return true;
}

bool CSettingsService::RequestSettingsBlock()
{
    if (!m_session.IsConnected()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return false;
    }
    if (!m_session.StartRead(LinkFrame::RequestBuilder(3, 2, 1), CLinkSession::kTransferSettingsRead))
        return false;
    m_reading = true;
    m_session.GuardRead(CLinkSession::kTransferSettingsRead);
    return true;
}

void CSettingsService::OnReplySettingsBlock(const LinkReply& r)
{
    // Only the read this service started ends here: a stray reply must not
    // end another job's transfer.
    if (!m_reading || m_session.GetTransferType() != CLinkSession::kTransferSettingsRead) {
        m_session.Host().LogDebugger("settings block: late reply dropped");
        return;
    }
    m_reading = false;
    m_session.EndTransfer(CLinkSession::kTransferSettingsRead);
    const std::string failed = m_session.Host().LoadText(LinkStrings::kConfigReadFailed.id,
                                                         LinkStrings::kConfigReadFailed.english);
    FrameItem item;
    if (!FrameItemReader::First(r.payload, r.length, item) || !item.IsInt32()) {
        // Said, not swallowed: the user asked for the settings.
        ReadFailed(failed);
        return;
    }
    TransferBuffer& block = m_session.Block();
    int32_t v = item.Int32();
    bool nothing = r.Refused() && v == LinkFrame::kNothingToReport;
    if (!nothing && (r.Refused() || m_session.TransferOverflowed() || v != block.count)) {
        ReadFailed(failed);
        return;
    }
    SettingsBlock::Result result =
        SettingsBlock::Parse(block.data.data(), static_cast<size_t>(block.count), m_record);
    ++m_generation;
    if (result == SettingsBlock::Result::NoValues) {
        ReadFailed("There's no configuration value.");
        return;
    }
    if (result != SettingsBlock::Result::Parsed) {
        ReadFailed(failed);
        return;
    }
    m_session.Host().OnSettingsRead();
}

bool CSettingsService::WriteSettings(unsigned generation, const SettingsRecord& edited, int taskState)
{
    if (!m_session.IsConnected()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return false;
    }
    // Only a task the board reported stopped is written under without
    // asking: a task never reported may be running.
    if (taskState == 1)
        return SendEdited(generation, edited);
    // The question runs a message loop: nothing the caller handed in is
    // trusted past it, and the board may be gone or busy once it is answered.
    const SettingsRecord copy = edited;
    const uint32_t connection = m_session.ConnectionNumber();
    const LinkString& question = taskState == 3 ? LinkStrings::kRunningSaveFile : LinkStrings::kDebuggingSaveFile;
    if (m_session.Message(question, CLinkDialogs::kStyleQuestion) != CLinkDialogs::kIdYes)
        return false;
    if (connection != m_session.ConnectionNumber() || !m_session.IsConnected())
        return false;
    return SendEdited(generation, copy);
}

bool CSettingsService::SendEdited(unsigned generation, const SettingsRecord& edited)
{
    const std::string failed = "Failed to change the values.";
    // A record reset or read again since the dialog read it is not the
    // dialog's: writing it would send another block's values. A write under
    // way keeps its own saved block and values.
    if (generation != m_generation || m_session.GetTransferType() != CLinkSession::kTransferNone) {
        m_session.Message(failed, CLinkDialogs::kStyleWarning);
        return false;
    }
    TransferBuffer& block = m_session.Block();
    m_blockAsRead.assign(block.data.begin(), block.data.begin() + block.count);
    m_pending = edited;
    if (!SettingsBlock::Build(block.data.data(), static_cast<size_t>(block.count), edited)) {
        DropPendingWrite();
        m_session.Message(failed, CLinkDialogs::kStyleWarning);
        return false;
    }
    if (!m_session.StartWrite(LinkFrame::RequestBuilder(4, 2, 1), CLinkSession::kTransferSettingsWrite)) {
        m_session.SetTransferType(CLinkSession::kTransferNone);
        DropPendingWrite();
        return false;
    }
    m_writing = true;
    // The reply ends the write; a board that stops pulling windows ends it too.
    m_watch.Start();
    m_session.Host().SetTimer(kTimerSettingsWrite, CWriteWatch::kPeriodMs);
    return true;
}

void CSettingsService::OnReplySettingsWrite(const LinkReply& r)
{
    if (m_session.GetTransferType() == CLinkSession::kTransferSettingsWrite)
        m_session.SetTransferType(CLinkSession::kTransferNone);
    if (!m_writing)
        return;
    FrameItem item;
    // A refusal is a failure whatever its count.
    bool ok = FrameItemReader::First(r.payload, r.length, item) && item.IsInt32() && !r.Refused() &&
              item.Int32() == m_session.Block().count && m_session.SentCount() == m_session.Block().count;
    EndWrite(ok);
}
