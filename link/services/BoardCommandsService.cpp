// Restarts, key and certificate blocks, the user password, the firmware file.
#include "link/services/BoardCommandsService.h"

#include "link/codecs/TextHelpers.h"

#include "link/codecs/EnvBlock.h"
#include "link/codecs/FrameItemReader.h"
#include "link/port/LinkPort.h"
#include "link/session/LinkSession.h"

#include <algorithm>

using LinkFrame::RequestBuilder;

namespace {
// The largest certificate block the dialog's 64 KiB copy takes (records + header).
constexpr int32_t kMaxCertBlock = 65552;

} // namespace

CBoardCommandsService::CBoardCommandsService(CLinkSession& session) : m_session(session)
{
    using R = const LinkReply&;
    m_session.RouteReply(5, 2, 2, [this](R r) { OnReplyReboot(r); });
    m_session.RouteReply(5, 2, 6, [this](R r) { OnReplyReboot(r); });
    m_session.RouteReply(5, 2, 4, [this](R r) { OnReplySetPassword(r); });
    m_session.RouteReply(3, 2, 4, [this](R r) { OnReplyCertBlock(r); });
    m_session.RouteReply(4, 2, 2, [this](R r) { OnReplyBlockWrite(r, kKey); });
    m_session.RouteReply(4, 2, 4, [this](R r) { OnReplyBlockWrite(r, kCert); });
    m_session.AddService(*this);
}

void CBoardCommandsService::SendSystemCommand(uint8_t sub, int32_t value)
{
    if (sub == kReboot || sub == kRebootDebug)
        m_rebootAsked = true;
    m_session.WriteRequest(RequestBuilder(5, 2, sub).Int32(value));
}

bool CBoardCommandsService::RequestReboot(bool phpDebug)
{
    if (!m_session.IsConnected()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return false;
    }
    SendSystemCommand(phpDebug ? kRebootDebug : kReboot, 200);
    return true;
}

void CBoardCommandsService::OnReplyReboot(const LinkReply& r)
{
    // Only a restart this link asked for closes it.
    if (!m_rebootAsked) {
        m_session.Host().LogDebugger("restart reply dropped: no restart was asked for");
        return;
    }
    m_rebootAsked = false;
    if (r.Refused()) {
        // The board stays as it is: so does the link.
        m_session.Message(std::string("The product refused to restart."), CLinkDialogs::kStyleWarning);
        return;
    }
    m_session.Host().OnBoardRestarting();
    // The board leaves the bus and comes back: its arrival reconnects.
    m_session.CloseForReturn();
}

// ---- certificate block read

bool CBoardCommandsService::ReadCertBlock()
{
    if (!m_session.IsConnected()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return false;
    }
    if (!m_session.IsTransferIdle() ||
        !m_session.StartRead(RequestBuilder(3, 2, 4), CLinkSession::kTransferCertRead))
        return false;
    m_certReading = true;
    m_session.GuardRead(CLinkSession::kTransferCertRead);
    return true;
}

void CBoardCommandsService::EndCertRead(bool told)
{
    m_certReading = false;
    if (!told)
        m_session.Host().OnCertBlockRead(false, nullptr, 0);
}

void CBoardCommandsService::OnReplyCertBlock(const LinkReply& r)
{
    // Only the read this service started ends here.
    if (!m_certReading || m_session.GetTransferType() != CLinkSession::kTransferCertRead) {
        m_session.Host().LogDebugger("certificate block: late reply dropped");
        return;
    }
    m_session.EndTransfer(CLinkSession::kTransferCertRead);
    EndCertRead(true);
    FrameItem item;
    if (!FrameItemReader::First(r.payload, r.length, item) || !item.IsInt32()) {
        // The dialog waits for an answer: no block is one.
        m_session.Host().OnCertBlockRead(false, nullptr, 0);
        return;
    }
    const TransferBuffer& image = m_session.Image();
    int32_t v = item.Int32();
    // Only what arrived counts, never the board's word for it.
    bool ok = !r.Refused() && !m_session.TransferOverflowed() && v == image.count && v >= 16 &&
              v <= kMaxCertBlock && EnvBlock::CheckHeader(image.data.data(), static_cast<size_t>(v), EnvBlock::kMagicCert);
    if (ok)
        m_session.Host().OnCertBlockRead(true, image.data.data() + EnvBlock::kHeaderSize, static_cast<size_t>(v) - 16);
    else
        m_session.Host().OnCertBlockRead(false, nullptr, 0);
}

// ---- key and certificate block writes

bool CBoardCommandsService::StartBlockWrite(const std::vector<uint8_t>& block, Writing which)
{
    if (!m_session.IsConnected()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return false;
    }
    TransferBuffer& image = m_session.Image();
    if (m_session.GetTransferType() != CLinkSession::kTransferNone || m_writing != kNone || block.empty() ||
        block.size() > image.data.size())
        return false;
    image.Reset();
    std::copy(block.begin(), block.end(), image.data.begin());
    image.count = static_cast<int32_t>(block.size());
    m_writing = which;
    m_writeLength = image.count;
    m_watch.Start();
    bool sent = which == kKey ? m_session.StartWrite(RequestBuilder(4, 2, 2), CLinkSession::kTransferKeyWrite)
                              : m_session.StartWrite(RequestBuilder(4, 2, 4), CLinkSession::kTransferCertWrite);
    if (!sent) {
        m_writing = kNone;
        m_session.SetTransferType(CLinkSession::kTransferNone);
        return false;
    }
    // The reply ends the write; a board that stops pulling windows ends it too.
    m_session.Host().SetTimer(kTimerBlockWrite, kBlockWriteWatchMs);
    return true;
}

bool CBoardCommandsService::WriteKeyBlock(const std::vector<uint8_t>& block) { return StartBlockWrite(block, kKey); }
bool CBoardCommandsService::WriteCertBlock(const std::vector<uint8_t>& block) { return StartBlockWrite(block, kCert); }

bool CBoardCommandsService::WriteKeyThenCert(const std::vector<uint8_t>& keyBlock, const std::vector<uint8_t>& certBlock)
{
    if (!StartBlockWrite(keyBlock, kKey))
        return false;
    m_pendingCert = certBlock;
    return true;
}

void CBoardCommandsService::OnReplyBlockWrite(const LinkReply& r, Writing which)
{
    int32_t expected = which == kKey ? CLinkSession::kTransferKeyWrite : CLinkSession::kTransferCertWrite;
    if (m_session.GetTransferType() == expected)
        m_session.SetTransferType(CLinkSession::kTransferNone);
    if (m_writing != which)
        return;
    FrameItem item;
    bool ok = !r.Refused() && FrameItemReader::First(r.payload, r.length, item) && item.IsInt32() &&
              item.Int32() == m_writeLength && m_session.SentCount() == m_writeLength;
    EndBlockWrite(ok);
}

void CBoardCommandsService::EndBlockWrite(bool ok)
{
    Writing which = m_writing;
    m_writing = kNone;
    m_session.Host().KillTimer(kTimerBlockWrite);
    if (m_session.GetTransferType() == CLinkSession::kTransferKeyWrite ||
        m_session.GetTransferType() == CLinkSession::kTransferCertWrite)
        m_session.SetTransferType(CLinkSession::kTransferNone);
    std::vector<uint8_t> cert;
    cert.swap(m_pendingCert);
    m_session.Host().OnBlockWritten(which == kKey ? CLinkBlockResults::kKeyBlock : CLinkBlockResults::kCertBlock, ok);
    // The certificate goes only after its key was taken.
    if (ok && which == kKey && !cert.empty() && !StartBlockWrite(cert, kCert))
        m_session.Host().OnBlockWritten(CLinkBlockResults::kCertBlock, false);
}

// ---- password

bool CBoardCommandsService::SetUserPassword(const std::string& hexRecord)
{
    if (!m_session.IsConnected()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return false;
    }
    std::vector<uint8_t> record;
    for (size_t i = 0; i + 1 < hexRecord.size() && record.size() < 64; i += 2) {
        int hi = HexValue(hexRecord[i]), lo = HexValue(hexRecord[i + 1]);
        if (hi < 0 || lo < 0)
            break;
        record.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    m_passwordChange = true;
    m_session.WriteRequest(RequestBuilder(5, 2, 4).Int32(200).Bytes(record.data(), record.size()));
    m_passwordWait = true;
    m_passwordPolls = 0;
    m_session.Host().SetTimer(kTimerPasswordWait, kPasswordPollMs);
    return true;
}

void CBoardCommandsService::OnReplySetPassword(const LinkReply& r)
{
    if (r.Refused() && m_passwordWait) {
        m_passwordChange = false;
        EndPasswordWait(false, "The product refused the new password.");
    }
}

void CBoardCommandsService::EndPasswordWait(bool ok, const char* message)
{
    m_passwordWait = false;
    m_session.Host().KillTimer(kTimerPasswordWait);
    if (message)
        m_session.Message(std::string(message), CLinkDialogs::kStyleWarning);
    m_session.Host().OnPasswordDone(ok);
}

void CBoardCommandsService::OnTransferGivenUp(int32_t type)
{
    if (type != CLinkSession::kTransferCertRead || !m_certReading)
        return;
    // Ended before the message: a late reply while it is up finds no read.
    EndCertRead(false);
    m_session.Message(std::string(CLinkSession::kNoAnswerText), CLinkDialogs::kStyleWarning);
}

bool CBoardCommandsService::OnTimer(unsigned id)
{
    if (id == kTimerBlockWrite) {
        if (m_writing == kNone) {
            m_session.Host().KillTimer(kTimerBlockWrite);
        } else if (!m_watch.Tick(m_session.SentCount(), m_session.WriteAllSent())) {
            m_session.AbandonTransfer(m_writing == kKey ? CLinkSession::kTransferKeyWrite
                                                        : CLinkSession::kTransferCertWrite);
            EndBlockWrite(false);
        }
        return true;
    }
    if (id != kTimerPasswordWait)
        return false;
    if (!m_passwordWait) {
        m_session.Host().KillTimer(kTimerPasswordWait);
        return true;
    }
    // Only while disconnected: under Wine CheckPort answers 0 for a port we
    // still hold, and a reconnect then would open it twice.
    // Done only once the link is back; a port that will not open yet is
    // tried again at the next poll (quietly: the end says it once).
    if (!m_session.IsConnected() && m_session.Port().CheckPort(m_session.PortName()) == 0 &&
        m_session.Connect(m_session.PortName(), true)) {
        m_passwordChange = false;
        EndPasswordWait(true, nullptr);
        return true;
    }
    if (++m_passwordPolls >= kPasswordPolls) {
        m_passwordChange = false;
        EndPasswordWait(false, "The product did not come back after the password change.\r\nConnect to it again.");
    }
    return true;
}

void CBoardCommandsService::OnDisconnected()
{
    m_rebootAsked = false;
    if (m_certReading)
        EndCertRead(false);
    // A write cut off by the link going away failed.
    if (m_writing != kNone) {
        m_pendingCert.clear();
        EndBlockWrite(false);
    }
}

// ---- firmware file

void CBoardCommandsService::ChangeFirmwareFile(const std::string& name)
{
    // The second text is empty: four zero bytes with length field 4.
    static const uint8_t empty[4] = {};
    RequestBuilder request(5, 6, 0);
    request.Text(name);
    std::vector<uint8_t> frame = request.Build(m_session.NextCommandSequence());
    frame.insert(frame.end(), {0, LinkFrame::kItemText, 0, 4});
    frame.insert(frame.end(), empty, empty + 4);
    LinkFrame::PutU16(&frame[2], static_cast<uint16_t>(frame.size() - 4));
    LinkFrame::PutU16(&frame[6], static_cast<uint16_t>(frame.size() - 8));
    m_session.SendFrame(frame);
}
