// Network information, clock, wireless scan, error logs and product
// information: 05/30 query chains and the block reads 03/30, 03/41, 03/42.
#include "link/services/BoardQueriesService.h"

#include "link/DeviceInfo.h"
#include "link/LinkStrings.h"
#include "link/codecs/FrameItemReader.h"
#include "link/services/InfoBlock.h"
#include "link/session/LinkSession.h"

#include <cstring>

namespace {
constexpr LinkString kUptimeFormat{185, "%I64ddays / %02d:%02d:%02d"};
constexpr LinkString kNotSupported{195, "It doesn't support."};
constexpr LinkString kWlanUnavailable{200, "You cannot use the WLAN. "};
constexpr LinkString kLinkBusy{250, "The product is busy with another job.\r\nTry again when it has finished."};

using Start = CBoardQueriesService::Start;
using Chain = CBoardQueriesService::Chain;
} // namespace

CBoardQueriesService::CBoardQueriesService(CLinkSession& session, CDeviceInfo& info)
    : m_session(session), m_info(info)
{
    using R = const LinkReply&;
    m_session.RouteReply(5, 3, CLinkSession::kAny, [this](R r) { OnReplyMmap(r); });
    m_session.RouteReply(3, 4, 1, [this](R r) { OnReplyErrorLog(r, false); });
    m_session.RouteReply(3, 4, 2, [this](R r) { OnReplyErrorLog(r, true); });
    m_session.RouteReply(5, 1, CLinkSession::kAny, [this](R r) { OnReplyProductInfo(r); });
    m_session.RouteReply(3, 3, CLinkSession::kAny, [this](R r) { OnReplyInfoBlock(r); });
    m_session.AddService(*this);
}

// ---- starting

Start CBoardQueriesService::CanStart(Chain chain)
{
    if (!m_session.IsConnected() || m_session.IsIspMode())
        return Start::kNotConnected;
    // One job at a time; a chain of ours or another service's transfer.
    if (m_chain != Chain::kNone || !m_session.IsTransferIdle() || m_session.IsJobRunning()) {
        m_session.Message(kLinkBusy, CLinkDialogs::kStyleWarning);
        return Start::kBusy;
    }
    m_chain = chain;
    return Start::kStarted;
}

void CBoardQueriesService::Send(const MmapCommand& command)
{
    m_session.SetTransferType(command.step);
    m_transfer = command.step;
    m_outstanding = command.step;
    if (command.step != MmapCommand::kScanState)
        ArmGuard();
    // A query that could not be written is never answered: end the chain
    // now, the way a lost link ends it.
    if (m_session.WriteRequest(command.Request()) != 0) {
        m_session.Host().LogDebugger("board query: the request could not be written");
        m_pending = Chain::kNone;
        OnDisconnected();
    }
}

Start CBoardQueriesService::RequestNetworkInfo()
{
    const bool wired = m_info.wiredPresent != 0, wireless = m_info.wirelessPresent != 0;
    if (m_session.IsConnected() && !wired && !wireless) {
        m_session.Message(kNotSupported, CLinkDialogs::kStyleWarning);
        return Start::kUnsupported;
    }
    // Asked again while a query is out: its late reply is dropped, then
    // the chain starts over.
    if (m_chain == Chain::kNetwork && m_outstanding != 0) {
        m_pending = Chain::kNetwork;
        return Start::kStarted;
    }
    Start s = CanStart(Chain::kNetwork);
    if (s == Start::kNotConnected)
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
    if (s != Start::kStarted)
        return s;
    Send(m_net.Start(wired, wireless));
    return s;
}

Start CBoardQueriesService::RequestRtcDate()
{
    Start s = CanStart(Chain::kRtcGet);
    if (s == Start::kNotConnected)
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
    if (s == Start::kStarted)
        Send(MmapCommand::RtcGet());
    return s;
}

Start CBoardQueriesService::RequestRtcSet(const std::string& date)
{
    // The board's frame has room for exactly 14 digits.
    MmapCommand command = MmapCommand::RtcSet(date);
    if (!command.IsValid())
        return Start::kBadDate;
    Start s = CanStart(Chain::kRtcSet);
    if (s == Start::kNotConnected)
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
    if (s == Start::kStarted)
        Send(command);
    return s;
}

Start CBoardQueriesService::StartScan()
{
    Start s = StartScanChain();
    // A scan that cannot start ends too: the asking dialog waits for it.
    if (s != Start::kStarted)
        Defer([this]() { m_session.Host().OnScanDone(nullptr); });
    return s;
}

Start CBoardQueriesService::StartScanChain()
{
    if (!m_session.IsConnected() || m_session.IsIspMode())
        return Start::kNotConnected;
    if (m_chain == Chain::kScan) {
        if (m_outstanding != 0) {
            m_pending = Chain::kScan;
            return Start::kStarted;
        }
        // Between polls: the old scan is dropped without a result.
        m_session.Host().KillTimer(kTimerScanPoll);
        EndChain();
    }
    Start s = CanStart(Chain::kScan);
    if (s != Start::kStarted)
        return s;
    // The poll timer runs from here to the end: it also bounds a scan the
    // board never finishes.
    m_session.Host().SetTimer(kTimerScanPoll, 1000);
    Send(m_scan.Start());
    return s;
}

void CBoardQueriesService::StartPending()
{
    const Chain pending = m_pending;
    m_pending = Chain::kNone;
    if (pending == Chain::kNetwork)
        RequestNetworkInfo();
    else if (pending == Chain::kScan)
        StartScan();
}

Start CBoardQueriesService::RequestErrorLog(bool firmware)
{
    Start s = CanStart(Chain::kErrorLog);
    if (s != Start::kStarted)
        return s;
    m_transfer = CLinkSession::kTransferErrorLog;
    m_session.StartRead(LinkFrame::RequestBuilder(3, 4, firmware ? 2 : 1), m_transfer);
    ArmGuard();
    return s;
}

Start CBoardQueriesService::RequestProductInfo()
{
    Start s = CanStart(Chain::kProductInfo);
    if (s != Start::kStarted)
        return s;
    m_session.WriteBare(5, 1, 0);
    ArmGuard();
    return s;
}

// ---- ending

void CBoardQueriesService::EndChain()
{
    // Only the type this service set goes back to idle: a reply never
    // clears another job's transfer.
    if (m_transfer != 0)
        m_session.EndTransfer(m_transfer);
    m_transfer = 0;
    m_outstanding = 0;
    m_chain = Chain::kNone;
    m_session.Host().KillTimer(kTimerGuard);
}

void CBoardQueriesService::FinishScan(bool ok)
{
    m_session.Host().KillTimer(kTimerScanPoll);
    if (m_scan.IsRunning())
        m_scan.Fail(CScanChain::Failure::kBoard);
    m_scanRecords = ok ? m_scan.TakeRecords() : std::vector<ScanRecord>();
    EndChain();
    // The asking dialog always hears the end, with the list or without.
    std::vector<ScanRecord> records = m_scanRecords;
    Defer([this, ok, records]() { m_session.Host().OnScanDone(ok ? &records : nullptr); });
}

void CBoardQueriesService::OnDisconnected()
{
    const Chain chain = m_chain;
    m_pending = Chain::kNone;
    if (chain == Chain::kScan) {
        FinishScan(false);
    } else if (chain != Chain::kNone) {
        EndChain();
        if (chain == Chain::kRtcGet)
            Defer([this]() { m_session.Host().OnRtcDate(false, std::string()); });
        else if (chain == Chain::kRtcSet)
            Defer([this]() { m_session.Host().OnRtcSetResult(false); });
    }
}

void CBoardQueriesService::ArmGuard()
{
    m_guardCount = m_session.Image().count;
    m_session.Host().SetTimer(kTimerGuard, kGuardMs);
}

void CBoardQueriesService::OnGuard()
{
    m_session.Host().KillTimer(kTimerGuard);
    const bool reading = m_chain == Chain::kErrorLog || m_chain == Chain::kInfoBlock;
    if (reading && m_session.Image().count != m_guardCount) {
        ArmGuard();
        return;
    }
    if (m_chain == Chain::kNone || (m_chain == Chain::kScan && m_outstanding == MmapCommand::kScanState))
        return;
    m_session.Host().LogDebugger("board query: no answer, given up");
    m_pending = Chain::kNone;
    const Chain chain = m_chain;
    if (m_transfer != 0)
        m_session.AbandonTransfer(m_transfer);
    OnDisconnected();
    // The clock and the scan tell their dialogs; the others asked the user.
    if (chain != Chain::kRtcGet && chain != Chain::kRtcSet && chain != Chain::kScan)
        Defer([this]() {
            m_session.Host().ShowMessage(CLinkSession::kNoAnswerText, CLinkDialogs::kStyleWarning);
        });
}

bool CBoardQueriesService::OnTimer(unsigned id)
{
    if (id == kTimerReports) {
        m_session.Host().KillTimer(kTimerReports);
        // Taken out first: a report that opens a dialog may pump messages,
        // and what arrives meanwhile queues anew.
        std::vector<std::function<void()>> work;
        work.swap(m_deferred);
        for (auto& w : work)
            w();
        return true;
    }
    if (id == kTimerGuard) {
        OnGuard();
        return true;
    }
    if (id == kTimerScanPoll) {
        if (m_chain != Chain::kScan) {
            m_session.Host().KillTimer(kTimerScanPoll);
            return true;
        }
        MmapCommand next;
        CScanChain::Outcome o = m_scan.OnTick(next);
        if (o == CScanChain::Outcome::kNext)
            Send(next);
        else if (o == CScanChain::Outcome::kFailed)
            FinishScan(false);
        return true;
    }
    return false;
}

void CBoardQueriesService::Defer(std::function<void()> work)
{
    m_deferred.push_back(std::move(work));
    m_session.Host().SetTimer(kTimerReports, 10);
}

void CBoardQueriesService::Message(unsigned id, const char* english)
{
    Defer([this, id, english]() {
        CLinkHost& host = m_session.Host();
        host.ShowMessage(host.LoadText(id, english), CLinkDialogs::kStyleWarning);
    });
}

// ---- 05/3x

void CBoardQueriesService::OnReplyMmap(const LinkReply& r)
{
    const int32_t step = m_outstanding;
    // A reply nobody waits for, or one whose query another job displaced.
    if (step == 0 || m_session.GetTransferType() != step) {
        m_session.Host().LogDebugger("mmap: late reply dropped");
        return;
    }
    m_outstanding = 0;
    m_session.Host().KillTimer(kTimerGuard);
    if (m_pending != Chain::kNone) {
        if (m_chain == Chain::kScan) {
            m_session.Host().KillTimer(kTimerScanPoll);
            m_scan.Fail(CScanChain::Failure::kBoard);
        }
        EndChain();
        StartPending();
        return;
    }
    if (r.Refused()) {
        OnMmapRefused();
        return;
    }
    FrameItem item;
    const bool hasItem = FrameItemReader::First(r.payload, r.length, item);
    if (!hasItem)
        item = FrameItem();  // type 0 fits no step: the chain stops
    MmapCommand next;
    switch (m_chain) {
    case Chain::kNetwork:
        OnNetReply(item);
        break;
    case Chain::kRtcGet:
    case Chain::kRtcSet:
        OnRtcReply(item, hasItem);
        break;
    case Chain::kScan:
        OnScanReply(m_scan.OnReply(item, next), next);
        break;
    default:
        EndChain();
        break;
    }
}

void CBoardQueriesService::OnMmapRefused()
{
    const Chain chain = m_chain;
    if (chain == Chain::kScan) {
        Message(LinkStrings::kNoSearch.id, LinkStrings::kNoSearch.english);
        FinishScan(false);
        return;
    }
    Message(LinkStrings::kConfigReadFailed.id, LinkStrings::kConfigReadFailed.english);
    EndChain();
    if (chain == Chain::kRtcGet)
        Defer([this]() { m_session.Host().OnRtcDate(false, std::string()); });
    else if (chain == Chain::kRtcSet)
        Defer([this]() { m_session.Host().OnRtcSetResult(false); });
}

void CBoardQueriesService::OnNetReply(const FrameItem& item)
{
    const int32_t step = m_net.Step();
    MmapCommand next;
    switch (m_net.OnReply(item, next)) {
    case CNetInfoChain::Outcome::kNext:
        Send(next);
        break;
    case CNetInfoChain::Outcome::kDone: {
        EndChain();
        NetworkInfo copy = m_net.Info();
        Defer([this, copy]() { m_session.Host().OnNetworkInfo(copy); });
        break;
    }
    case CNetInfoChain::Outcome::kStopped:
        EndChain();
        m_session.Host().LogDebugger("network information: step " + std::to_string(step) +
                                     " answered with item type " + std::to_string(item.type));
        break;
    }
}

void CBoardQueriesService::OnRtcReply(const FrameItem& item, bool hasItem)
{
    const Chain chain = m_chain;
    EndChain();
    if (chain == Chain::kRtcGet) {
        // Only a date of the one form the time page reads is shown.
        std::string date = hasItem && item.type == LinkFrame::kItemBytes ? item.Text() : std::string();
        const bool ok = MmapCommand::IsRtcDate(date);
        if (!ok)
            date.clear();
        Defer([this, ok, date]() { m_session.Host().OnRtcDate(ok, date); });
    } else {
        // The board answers 0 when it took the date.
        const bool ok = item.IsInt32() && item.Int32() == 0;
        Defer([this, ok]() { m_session.Host().OnRtcSetResult(ok); });
    }
}

void CBoardQueriesService::OnScanReply(CScanChain::Outcome outcome, const MmapCommand& next)
{
    switch (outcome) {
    case CScanChain::Outcome::kNext:
        Send(next);
        break;
    case CScanChain::Outcome::kWait:
        break;
    case CScanChain::Outcome::kDone:
        FinishScan(true);
        break;
    case CScanChain::Outcome::kFailed:
        if (m_scan.FailureReason() == CScanChain::Failure::kNoWlan)
            Message(kWlanUnavailable.id, kWlanUnavailable.english);
        FinishScan(false);
        break;
    }
}

// ---- block reads and product information

namespace {
// The block a read brought, when its reply announces exactly what came.
bool BlockComplete(const LinkReply& r, const CLinkSession& session)
{
    FrameItem item;
    return !r.Refused() && !session.TransferOverflowed() && FrameItemReader::First(r.payload, r.length, item) &&
           item.IsInt32() && item.Int32() == session.Image().count;
}
} // namespace

void CBoardQueriesService::OnReplyErrorLog(const LinkReply& r, bool firmware)
{
    if (m_chain != Chain::kErrorLog || m_session.GetTransferType() != CLinkSession::kTransferErrorLog) {
        m_session.Host().LogDebugger("error log: late reply dropped");
        return;
    }
    EndChain();
    if (!BlockComplete(r, m_session)) {
        m_session.Host().LogDebugger("error log: the board's size differs from the bytes received");
        return;
    }
    const TransferBuffer& b = m_session.Image();
    const char* text = reinterpret_cast<const char*>(b.data.data());
    std::string log(text, strnlen(text, static_cast<size_t>(b.count)));
    Defer([this, firmware, log]() { m_session.Host().OnErrorLog(firmware, log); });
}

void CBoardQueriesService::OnReplyProductInfo(const LinkReply& r)
{
    if (m_chain != Chain::kProductInfo) {
        m_session.Host().LogDebugger("product information: late reply dropped");
        return;
    }
    FrameItem item;
    const bool uptime = !r.Refused() && FrameItemReader::First(r.payload, r.length, item) &&
                        item.type == LinkFrame::kItemInt64 && item.length >= 8;
    m_chain = Chain::kNone;
    m_session.Host().KillTimer(kTimerGuard);
    // The information block follows only while no other job took the link.
    if (!uptime || !m_session.IsTransferIdle())
        return;
    const uint64_t ms = static_cast<uint64_t>(LinkFrame::GetU32(item.data)) << 32 | LinkFrame::GetU32(item.data + 4);
    CLinkHost& host = m_session.Host();
    m_info.productInfo = FormatUptime(static_cast<int64_t>(ms), host.LoadText(kUptimeFormat.id, kUptimeFormat.english));
    m_chain = Chain::kInfoBlock;
    m_transfer = CLinkSession::kTransferInfoBlock;
    m_session.StartRead(LinkFrame::RequestBuilder(3, 3, 0), m_transfer);
    ArmGuard();
}

void CBoardQueriesService::OnReplyInfoBlock(const LinkReply& r)
{
    if (m_chain != Chain::kInfoBlock || m_session.GetTransferType() != CLinkSession::kTransferInfoBlock) {
        m_session.Host().LogDebugger("information block: late reply dropped");
        return;
    }
    EndChain();
    if (!BlockComplete(r, m_session))
        return;
    const TransferBuffer& b = m_session.Image();
    std::string text;
    if (InfoBlock::Find(b.data.data(), static_cast<size_t>(b.count), text) == InfoBlock::Result::kBroken) {
        m_session.Host().LogDebugger("information block: a record's length is wrong");
        return;
    }
    m_info.infoBlock = text;
    const std::string product = m_info.productInfo;
    Defer([this, product, text]() { m_session.Host().OnProductInfo(product, text); });
    // The product and firmware dialog also shows the settings: its reply
    // (CLinkBlockResults::OnSettingsRead) ends the chain.
    if (m_readSettings)
        m_readSettings();
}
