// Connection, receive path, routing, transfers, the job and its watchdog.
#include "link/session/LinkSession.h"

#include "link/port/LinkPort.h"
#include "link/session/LinkService.h"

#include <algorithm>
#include <cstring>

// Silence after which a request is given up (text of our own).
const char* const CLinkSession::kNoAnswerText = "The product does not answer.\r\nCheck the connection and try again.";

namespace {
const size_t kLineBufferSize = 8192;
// What may queue while a handler waits for the user.
const size_t kQueueLimit = 1024 * 1024;
// The most data one frame's 16-bit length field (frame length - 4) can carry.
constexpr int32_t kMaxChunk = 0xFFFF - 4;
} // namespace

void TransferBuffer::Reset()
{
    // memset, not an element loop: a megabyte per read, even in debug builds.
    std::memset(data.data(), 0, data.size());
    count = 0;
}

bool TransferBuffer::Append(const uint8_t* p, size_t n)
{
    if (n > data.size() - static_cast<size_t>(count))
        return false;
    std::memcpy(&data[count], p, n);
    count += static_cast<int32_t>(n);
    return true;
}

CLinkSession::CLinkSession(ILinkPort& port, CLinkHost& host)
    : m_port(port), m_host(host), m_random(std::random_device{}())
{
}

// ---- registration and routing

void CLinkSession::AddService(CLinkService& service) { m_services.push_back(&service); }

uint32_t CLinkSession::RouteKey(uint8_t kind, uint8_t group, int command, int sub)
{
    auto part = [](int v) { return static_cast<uint32_t>(v < 0 ? 0x1FF : v & 0xFF); };
    return static_cast<uint32_t>(kind) << 26 | static_cast<uint32_t>(group) << 18 | part(command) << 9 | part(sub);
}

bool CLinkSession::Route(uint8_t kind, uint8_t group, int command, int sub, ReplyHandler handler)
{
    return m_routes.emplace(RouteKey(kind, group, command, sub), std::move(handler)).second;
}

const CLinkSession::ReplyHandler* CLinkSession::FindRoute(const LinkFrame::Header& h) const
{
    for (uint32_t key : {RouteKey(h.kind, h.group, h.command, h.sub), RouteKey(h.kind, h.group, h.command, kAny),
                         RouteKey(h.kind, h.group, kAny, kAny)}) {
        auto it = m_routes.find(key);
        if (it != m_routes.end())
            return &it->second;
    }
    return nullptr;
}

// ---- messages

int CLinkSession::Message(const LinkString& text, unsigned style)
{
    return m_host.ShowMessage(m_host.LoadText(text.id, text.english), style);
}

int CLinkSession::Message(const std::string& text, unsigned style) { return m_host.ShowMessage(text, style); }

void CLinkSession::FailInitialSetting(bool disconnect)
{
    Message(LinkStrings::kInitialSettingFailed, CLinkDialogs::kStyleWarning);
    // A connection that failed its setting serves nothing: it ends without
    // the unsaved-files question (the files stay in the list).
    if (disconnect)
        Disconnect(false);
}

void CLinkSession::StubReply(const char* what) { m_host.LogDebugger(std::string("unhandled reply ") + what); }

// ---- connection

bool CLinkSession::IsConnected() const { return m_port.IsOpen(); }

bool CLinkSession::OpenComPort(const std::string& portName, bool quiet)
{
    auto fail = [&](const std::string& text, unsigned style) {
        if (!quiet)
            Message(text, style);
        m_port.Close();
        return false;
    };
    if (portName.empty()) {
        if (!quiet)
            Message(LinkStrings::kSelectPort, CLinkDialogs::kStyleWarning);
        return false;
    }
    if (m_port.Open(portName) != 0)
        return fail("Unable to open COM port", CLinkDialogs::kStyleError);
    if (m_port.SetupPort() != 0 || m_port.SetupHandshake() != 0)
        return fail("Fail to setup the COM port", CLinkDialogs::kStyleWarning);
    if (m_port.SetCommMask(ILinkPort::kEvRxChar | ILinkPort::kEvCts | ILinkPort::kEvDsr | ILinkPort::kEvErr) != 0)
        return fail("Fail to setup handshaking", CLinkDialogs::kStyleWarning);
    m_portName = portName;
    return true;
}

bool CLinkSession::Connect(const std::string& portName, bool quiet)
{
    ++m_connectionNumber;
    m_syncLine.clear();
    if (!OpenComPort(portName, quiet)) {
        // A reset asked for this board must not reach the next one connected.
        m_resetMode = false;
        return false;
    }
    for (CLinkService* s : m_services)
        s->OnConnecting();
    m_host.EnableConnectButtons(true);
    // One sync byte per connect attempt: a slow board that answers an
    // earlier resend is still answering the same byte.
    int s;
    do {
        s = static_cast<int>(m_random() % 30) + 1;
    } while (s == 14 || s == 15);
    m_syncByte = static_cast<uint8_t>(s + 0x20);
    SendSyncByte();
    m_host.SetTimer(kTimerSync, 100);
    return true;
}

void CLinkSession::SendSyncByte()
{
    m_syncWait = true;
    m_rx.clear();
    m_rxPos = m_limitPos = 0;
    const uint8_t bytes[2] = {m_syncByte, 0x0D};
    m_port.Write(bytes, sizeof bytes);
}

bool CLinkSession::HasUnsavedWork() const
{
    return std::any_of(m_services.begin(), m_services.end(), [](const CLinkService* s) { return s->HasUnsavedWork(); });
}

bool CLinkSession::AskToDropUnsavedWork()
{
    return Message(LinkStrings::kUnsavedFiles, CLinkDialogs::kStyleQuestion) == CLinkDialogs::kIdYes;
}

bool CLinkSession::Disconnect(bool askUnsaved)
{
    // The user's Disconnect asks, also while a return is awaited; the
    // link's own closes pass askUnsaved false.
    if (askUnsaved && HasUnsavedWork() && !AskToDropUnsavedWork())
        return false;
    ++m_connectionNumber;
    if (m_port.IsOpen())
        m_port.Close();
    m_host.KillTimer(kTimerSync);
    m_host.KillTimer(kTimerOpenWaitBox);
    m_syncWait = false;
    m_syncLine.clear();
    m_rx.clear();
    m_rxPos = m_limitPos = 0;
    // The wait box would otherwise stay up over a closed port.
    if (m_jobRunning)
        ShowWaitDialog(false);
    m_host.EnableConnectButtons(false);
    m_host.OnLinkDisconnected();
    m_resetMode = false;
    for (CLinkService* s : m_services)
        s->OnDisconnected();
    // A transfer cut off here must not hold the next connection's.
    m_transferType = kTransferNone;
    m_guardedType = kTransferNone;
    m_host.KillTimer(kTimerReadGuard);
    m_sentCount = 0;
    m_writeStarted = false;
    m_writeEnded = false;
    m_reconnectPending = false;
    return true;
}

void CLinkSession::CloseForReturn()
{
    Disconnect(false);
    m_reconnectPending = true;
}

// ---- receive path

int CLinkSession::OnSerialEvent(uint32_t wParam)
{
    uint32_t events = wParam & 0xFFFF, errors = wParam >> 16;
    if (errors != 0 || (events & ILinkPort::kEvErr))
        return 0;
    if (!(events & ILinkPort::kEvRxChar))
        return 1;
    uint8_t chunk[ILinkPort::kReadMax + 1];
    while (m_port.IsOpen()) {
        std::memset(chunk, 0, sizeof chunk);
        size_t count = 0;
        m_port.Read(chunk, &count);
        if (count < 1)
            break;
        ReceiveChunk(chunk, count);
        if (count != ILinkPort::kReadMax)
            break;
    }
    return 1;
}

void CLinkSession::ReceiveChunk(const uint8_t* data, size_t length)
{
    if (length == 0)
        return;
    if (m_syncWait) {
        m_syncWait = false;
        // Bytes that came while the answer waited for the user (the
        // question about unsaved files) are taken once it is given.
        ++m_receiveDepth;
        OnSyncAnswer(data, length);
        --m_receiveDepth;
        if (m_receiveDepth == 0 && m_rxPos < m_rx.size())
            DrainPending();
        return;
    }
    m_rx.insert(m_rx.end(), data, data + length);
    // A handler that runs a modal loop brings us back here: the outer call
    // takes these bytes once its frame is done.
    if (m_receiveDepth > 0) {
        LimitQueue();
        return;
    }
    DrainPending();
}

void CLinkSession::DrainPending()
{
    ++m_receiveDepth;
    m_dropNoted = false;
    ProcessPending();
    // Taken frames leave the buffer once per batch, not one by one.
    CompactReceiveBuffer();
    --m_receiveDepth;
}

void CLinkSession::ProcessPending()
{
    size_t before;
    do {
        before = m_rxPos;
        if (!m_port.IsOpen()) {
            m_rx.clear();
            m_rxPos = m_limitPos = 0;
            return;
        }
        if (m_ispMode)
            TakeIspLines();
        else
            TakeBinaryFrames();
    } while (m_rxPos < m_rx.size() && m_rxPos != before);
}

void CLinkSession::OnSyncAnswer(const uint8_t* chunk, size_t length)
{
    static const std::string kReadyLine = "100 ";
    if (m_syncLine.empty() && chunk[0] == ((m_syncByte - 0x20) ^ 0x3F)) {
        m_ispMode = false;
        m_host.SetTimer(kTimerOpenWaitBox, 10);
        return;
    }
    // The boot loader answers with a line, which may come in pieces: its
    // first bytes are collected before they are judged. ('1' is never the
    // script firmware's answer: the sync bytes that would give it are not used.)
    m_syncLine.append(reinterpret_cast<const char*>(chunk), std::min(length, kReadyLine.size() - m_syncLine.size()));
    if (m_syncLine.size() < kReadyLine.size() && kReadyLine.compare(0, m_syncLine.size(), m_syncLine) == 0) {
        m_syncWait = true;
        return;
    }
    const bool ready = m_syncLine == kReadyLine;
    m_syncLine.clear();
    if (ready) {
        m_ispMode = true;
        // Back, as its boot loader: the return is no longer awaited.
        const bool returned = m_reconnectPending;
        m_reconnectPending = false;
        if (returned)
            for (CLinkService* s : m_services)
                if (s->OnBootLoaderReturned())
                    return;
        // The boot loader has no files to show: changed ones go only when
        // the user agrees, as at Disconnect.
        bool keepWork = false;
        if (HasUnsavedWork()) {
            const uint32_t connection = m_connectionNumber;
            keepWork = !AskToDropUnsavedWork();
            // Gone or connected again meanwhile: that connection decides.
            if (connection != m_connectionNumber || !m_port.IsOpen() || !m_ispMode)
                return;
        }
        for (CLinkService* s : m_services)
            s->OnIspModeEntered(keepWork);
        m_host.OnIspModeEntered(keepWork);
        Message(LinkStrings::kIspMode, CLinkDialogs::kStyleWarning);
    } else {
        m_ispMode = false;
        FailInitialSetting(true);
    }
}

void CLinkSession::TakeBinaryFrames()
{
    using namespace LinkFrame;
    for (;;) {
        // Resynchronise on the start byte: garbage must not hold the frame
        // that follows it hostage.
        auto begin = m_rx.begin() + static_cast<std::ptrdiff_t>(m_rxPos);
        m_rxPos = static_cast<size_t>(std::find(begin, m_rx.end(), kStartByte) - m_rx.begin());
        if (m_rx.size() - m_rxPos < kHeaderSize)
            return;
        Header h = ParseHeader(m_rx.data() + m_rxPos);
        bool windowFrame = h.kind == kData && h.window;
        // The length field alone makes a frame: a board may fill bytes 6-7
        // of its replies otherwise. Only a window frame carries its window
        // there. Kinds we do not know are no frame start.
        bool sane = h.length >= 4 && h.kind <= kFirmwareLog && (!windowFrame || h.length == 4);
        if (!sane) {
            ++m_rxPos;
            continue;
        }
        if (!windowFrame)
            h.payloadLength = static_cast<uint16_t>(h.length - 4);
        size_t total = h.length + 4u;
        if (m_rx.size() - m_rxPos < total)
            return;
        // Out of the buffer before it is handled: a handler that pumps
        // messages may receive more bytes meanwhile.
        std::vector<uint8_t> frame(m_rx.begin() + static_cast<std::ptrdiff_t>(m_rxPos),
                                   m_rx.begin() + static_cast<std::ptrdiff_t>(m_rxPos + total));
        m_rxPos += total;
        // Replies and transfer frames answer the job; script output and
        // firmware logs go on whether or not the board still serves it.
        if (h.kind == kCommand || h.kind == kData)
            ArmWatchdog();
        ++m_dispatchDepth;
        DispatchFrame(h, frame.data());
        --m_dispatchDepth;
        if (!m_port.IsOpen() || m_ispMode)
            return;
    }
}

void CLinkSession::TakeIspLines()
{
    for (;;) {
        auto begin = m_rx.begin() + static_cast<std::ptrdiff_t>(m_rxPos);
        auto end = std::find(begin, m_rx.end(), uint8_t(0x0A));
        if (end == m_rx.end()) {
            if (m_rx.size() - m_rxPos >= kLineBufferSize)
                m_rxPos = m_rx.size();
            return;
        }
        std::string line(begin, end + 1);
        m_rxPos = static_cast<size_t>(end + 1 - m_rx.begin());
        ArmWatchdog();
        ++m_dispatchDepth;
        for (CLinkService* s : m_services)
            s->OnIspLine(line);
        m_host.LogDebugger(line);
        --m_dispatchDepth;
        if (!m_port.IsOpen() || !m_ispMode)
            return;
    }
}

void CLinkSession::CompactReceiveBuffer()
{
    m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(m_rxPos));
    m_rxPos = 0;
    m_limitPos = 0;
}

void CLinkSession::LimitQueue()
{
    using namespace LinkFrame;
    // A handler waits for the user while the board goes on talking: keep
    // every reply and transfer frame, drop script output and firmware logs
    // past the limit. Only what arrived since the last call is looked at.
    size_t pos = std::max(m_limitPos, m_rxPos), dropped = 0;
    while (pos < m_rx.size()) {
        if (m_rx[pos] != kStartByte) {
            ++pos;
            continue;
        }
        if (m_rx.size() - pos < kHeaderSize)
            break;
        Header h = ParseHeader(m_rx.data() + pos);
        if (h.length < 4) {
            ++pos;
            continue;
        }
        size_t total = h.length + 4u;
        if (m_rx.size() - pos < total)
            break;
        bool chatter = h.kind == kOutput || h.kind == kFirmwareLog;
        if (chatter && pos - m_rxPos + total > kQueueLimit) {
            // At the tail: the erase moves only what came after it.
            m_rx.erase(m_rx.begin() + static_cast<std::ptrdiff_t>(pos),
                       m_rx.begin() + static_cast<std::ptrdiff_t>(pos + total));
            dropped += total;
            continue;
        }
        pos += total;
    }
    m_limitPos = pos;
    if (dropped && !m_dropNoted) {
        m_dropNoted = true;
        m_host.LogDebugger("Output and firmware log dropped while waiting for the user (over 1 MiB queued).");
    }
}

void CLinkSession::DispatchFrame(const LinkFrame::Header& h, const uint8_t* frame)
{
    const uint8_t* payload = frame + LinkFrame::kHeaderSize;
    switch (h.kind) {
    case LinkFrame::kData:
        DispatchDataFrame(h, payload);
        return;
    case LinkFrame::kOutput:
    case LinkFrame::kFirmwareLog: {
        // Script output and firmware log: text up to the first zero byte.
        size_t n = 0;
        while (n < h.payloadLength && payload[n] != 0)
            ++n;
        const char* text = reinterpret_cast<const char*>(payload);
        if (h.kind == LinkFrame::kOutput)
            m_host.AddOutput(text, n);
        else
            m_host.AddFirmwareLog(text, n);
        return;
    }
    default:
        break;
    }
    if (const ReplyHandler* handler = FindRoute(h)) {
        // A copy: the handler may register or replace routes while it runs.
        ReplyHandler run = *handler;
        run(LinkReply{h, payload, h.payloadLength});
    }
}

// ---- transfer engine

void CLinkSession::SendFrame(const std::vector<uint8_t>& frame) { m_port.Write(frame.data(), frame.size()); }

uint32_t CLinkSession::WriteRequest(const LinkFrame::RequestBuilder& request)
{
    std::vector<uint8_t> frame = request.Build(m_commandSeq.Next());
    return m_port.Write(frame.data(), frame.size());
}

uint32_t CLinkSession::WriteBare(uint8_t group, uint8_t command, uint8_t sub)
{
    return WriteRequest(LinkFrame::RequestBuilder(group, command, sub));
}

void CLinkSession::SendWindow() { SendFrame(LinkFrame::WindowFrame(m_dataSeq.Next())); }

bool CLinkSession::IsWriteRunning() const
{
    return m_transferType == kTransferUpload || m_transferType == kTransferSettingsWrite ||
           m_transferType == kTransferCertWrite || m_transferType == kTransferKeyWrite;
}

bool CLinkSession::StartRead(const LinkFrame::RequestBuilder& request, int32_t type)
{
    if (IsWriteRunning())
        return false;
    (type == kTransferSettingsRead ? m_block : m_image).Reset();
    m_overflow = false;
    WriteRequest(request);
    SendWindow();
    m_transferType = type;
    return true;
}

bool CLinkSession::StartWrite(const LinkFrame::RequestBuilder& request, int32_t type)
{
    m_sentCount = 0;
    m_writeStarted = false;
    m_writeEnded = false;
    m_transferType = type;
    return WriteRequest(request) == 0;
}

void CLinkSession::EndTransfer(int32_t type)
{
    if (m_transferType == type)
        m_transferType = kTransferNone;
    if (m_guardedType == type) {
        m_guardedType = kTransferNone;
        m_host.KillTimer(kTimerReadGuard);
    }
}

void CLinkSession::GuardRead(int32_t type)
{
    m_guardedType = type;
    m_guardCount = (type == kTransferSettingsRead ? m_block : m_image).count;
    m_host.SetTimer(kTimerReadGuard, kReadGuardMs);
}

void CLinkSession::OnReadGuard()
{
    m_host.KillTimer(kTimerReadGuard);
    const int32_t type = m_guardedType;
    if (type == kTransferNone || m_transferType != type)
        return;
    if ((type == kTransferSettingsRead ? m_block : m_image).count != m_guardCount) {
        GuardRead(type);  // data still comes: slow, not silent
        return;
    }
    AbandonTransfer(type);
    for (CLinkService* s : m_services)
        s->OnTransferGivenUp(type);
}

void CLinkSession::AbandonTransfer(int32_t type)
{
    const bool write = type == kTransferUpload || type == kTransferSettingsWrite || type == kTransferCertWrite ||
                       type == kTransferKeyWrite;
    EndTransfer(type);
    // A frame cut off by the stall would swallow the start of the next one.
    // Inside a handler the outer receive call owns the buffer: only what
    // it has not reached yet goes.
    if (m_receiveDepth == 0) {
        m_rx.clear();
        m_rxPos = m_limitPos = 0;
    }
    if (write && m_port.IsOpen() && m_writeStarted && !m_writeEnded) {
        SendFrame(LinkFrame::DataChunk(m_dataSeq.Next(), nullptr, 0));
        m_writeEnded = true;
    }
}

void CLinkSession::DispatchDataFrame(const LinkFrame::Header& h, const uint8_t* payload)
{
    if (h.window) {
        if (h.payloadLength == 0)
            return;
        switch (m_transferType) {
        case kTransferUpload:
        case kTransferCertWrite:
        case kTransferKeyWrite:
            m_writeStarted = true;
            SendChunk(m_image, h.payloadLength, true);
            break;
        case kTransferSettingsWrite:
            m_writeStarted = true;
            SendChunk(m_block, h.payloadLength, false);
            break;
        default:
            break;
        }
        return;
    }
    if (h.payloadLength == 0)
        return;
    switch (m_transferType) {
    case kTransferFsImage:
    case kTransferCertRead:
    case kTransferErrorLog:
    case kTransferInfoBlock:
    case kTransferWatchString:
        // Never past the buffer: the transfer is marked and its reply refused.
        if (!m_image.Append(payload, h.payloadLength))
            m_overflow = true;
        break;
    case kTransferSettingsRead:
        if (!m_block.Append(payload, h.payloadLength))
            m_overflow = true;
        break;
    default:
        // No read runs (it was given up, or never asked for): granting a
        // window would keep the board sending, and its data would land in
        // the next read. Without one it stops.
        return;
    }
    SendWindow();
}

void CLinkSession::SendChunk(TransferBuffer& buffer, uint16_t window, bool progress)
{
    int32_t remaining = std::max<int32_t>(0, buffer.count - m_sentCount);
    int32_t chunk = std::min<int32_t>({window, remaining, kMaxChunk});
    SendFrame(LinkFrame::DataChunk(m_dataSeq.Next(), buffer.data.data() + m_sentCount, static_cast<size_t>(chunk)));
    m_sentCount += chunk;
    if (chunk == 0 && remaining == 0)
        m_writeEnded = true;
    if (progress)
        m_host.SetProgress(m_sentCount);
}

// ---- timers, job and watchdog

void CLinkSession::OnTimer(unsigned id)
{
    switch (id) {
    case kTimerSync:
        if (m_syncWait && m_port.IsOpen())
            SendSyncByte();
        else
            m_host.KillTimer(kTimerSync);
        break;
    case kTimerOpenWaitBox:
        m_host.KillTimer(kTimerOpenWaitBox);
        ShowWaitDialog(true, kWaitIdentify);
        break;
    case kTimerWatchdog:
        OnWatchdog();
        break;
    case kTimerReadGuard:
        OnReadGuard();
        break;
    default:
        for (CLinkService* s : m_services)
            if (s->OnTimer(id))
                break;
        break;
    }
}

void CLinkSession::ShowWaitDialog(bool show, int mode)
{
    if (show) {
        m_jobRunning = true;
        m_waitMode = mode;
        ArmWatchdog();
        m_host.OpenWaitBox(mode);
    } else {
        m_host.KillTimer(kTimerWatchdog);
        m_jobRunning = false;
        m_host.EndWaitBox();
    }
}

void CLinkSession::ArmWatchdog()
{
    if (m_jobRunning && m_watchdogMs)
        m_host.SetTimer(kTimerWatchdog, m_watchdogMs);
}

void CLinkSession::OnWatchdog()
{
    m_host.KillTimer(kTimerWatchdog);
    if (!m_jobRunning)
        return;
    if (m_dispatchDepth > 0) {
        // A handler waits for the user (password, a question), not the board.
        ArmWatchdog();
        return;
    }
    // A connect the board never answered ends with the connection: the
    // port is not held for a silent board, and no later arrival brings it
    // back by itself. Closed before the message: nothing arrives meanwhile.
    const bool connecting = m_waitMode != kWaitUpload && m_port.IsOpen();
    AbandonJob();
    CloseJob();
    if (connecting)
        Disconnect(false);
    Message(std::string(kNoAnswerText), CLinkDialogs::kStyleWarning);
}

void CLinkSession::AbandonJob()
{
    AbandonTransfer(m_transferType);
    for (CLinkService* s : m_services)
        s->OnJobAbandoned();
}
