// Connection, receive path, timers and the wait box.
#include "link/DeviceLink.h"

#include "link/LinkFiles.h"
#include "link/LinkPort.h"

#include <algorithm>
#include <cstring>

namespace {
// Wait-box silence after which a job is given up (text of our own).
const char* const kNoAnswerText = "The product does not answer.\r\nCheck the connection and try again.";
const size_t kLineBufferSize = 8192;
}

CDeviceLink::CDeviceLink(ILinkPort& port, CLinkHost& host, ILinkFiles& files)
    : m_port(port), m_host(host), m_files(files), m_random(std::random_device{}()),
      m_image(kImageBufferSize, 0), m_block(kBlockBufferSize, 0)
{
}

CDeviceLink::~CDeviceLink() = default;

bool CDeviceLink::IsConnected() const { return m_port.IsOpen(); }

int CDeviceLink::Message(const LinkString& text, unsigned style)
{
    return m_host.ShowMessage(m_host.LoadText(text.id, text.english), style);
}

int CDeviceLink::Message(const std::string& text, unsigned style)
{
    return m_host.ShowMessage(text, style);
}

bool CDeviceLink::OpenComPort(const std::string& portName)
{
    if (portName.empty()) {
        Message(LinkStrings::kSelectPort, CLinkDialogs::kStyleWarning);
        return false;
    }
    if (m_port.Open(portName) != 0) {
        Message(std::string("Unable to open COM port"), CLinkDialogs::kStyleError);
        m_port.Close();
        return false;
    }
    if (m_port.SetupPort() != 0 || m_port.SetupHandshake() != 0) {
        Message(std::string("Fail to setup the COM port"), CLinkDialogs::kStyleWarning);
        m_port.Close();
        return false;
    }
    if (m_port.SetCommMask(ILinkPort::kEvRxChar | ILinkPort::kEvCts | ILinkPort::kEvDsr |
                           ILinkPort::kEvErr) != 0) {
        Message(std::string("Fail to setup handshaking"), CLinkDialogs::kStyleWarning);
        m_port.Close();
        return false;
    }
    m_portName = portName;
    return true;
}

bool CDeviceLink::Connect(const std::string& portName)
{
    if (!OpenComPort(portName))
        return false;
    m_uploadStarted = false;
    m_uploadPreparing = false;
    m_loginPending = false;
    m_loggedIn = false;
    m_identified = false;
    m_challenge.clear();
    // A previous board's identity must not salt this board's login or name
    // its backup: the chain fills these again.
    m_info.mcuId.clear();
    m_info.macAddress.clear();
    m_info.firmwareHeader.clear();
    m_info.fsHash.clear();
    m_info.envcHash.clear();
    m_info.pdbHigh = m_info.pdbLow = 0;
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

void CDeviceLink::SendSyncByte()
{
    m_syncWait = true;
    m_rx.clear();
    const uint8_t bytes[2] = {m_syncByte, 0x0D};
    m_port.Write(bytes, sizeof bytes);
}

bool CDeviceLink::Disconnect()
{
    if (HasUnsavedFiles() && !m_reconnectPending &&
        Message(LinkStrings::kUnsavedFiles, CLinkDialogs::kStyleQuestion) != CLinkDialogs::kIdYes)
        return false;
    if (m_port.IsOpen())
        m_port.Close();
    m_host.KillTimer(kTimerSync);
    m_host.KillTimer(kTimerOpenWaitBox);
    m_syncWait = false;
    m_rx.clear();
    // The wait box would otherwise stay up over a closed port.
    if (m_jobRunning)
        ShowWaitDialog(false);
    m_host.EnableConnectButtons(false);
    m_host.OnLinkDisconnected();
    std::memset(m_resourceRows, 0, sizeof m_resourceRows);
    m_resetMode = false;
    m_flashCapacity = 0;
    m_host.UpdateFlashUsage(0, 0);
    m_sameImage = false;
    return true;
}

int CDeviceLink::OnSerialEvent(uint32_t wParam)
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

void CDeviceLink::ReceiveChunk(const uint8_t* data, size_t length)
{
    if (length == 0)
        return;
    if (m_syncWait) {
        m_syncWait = false;
        OnSyncAnswer(data, length);
        return;
    }
    m_rx.insert(m_rx.end(), data, data + length);
    // A handler that runs a modal loop brings us back here: the outer call
    // takes these bytes once its frame is done.
    if (m_receiveDepth > 0)
        return;
    ++m_receiveDepth;
    ProcessPending();
    --m_receiveDepth;
}

void CDeviceLink::ProcessPending()
{
    size_t before;
    do {
        before = m_rx.size();
        if (!m_port.IsOpen()) {
            m_rx.clear();
            return;
        }
        if (m_ispMode)
            TakeIspLines();
        else
            TakeBinaryFrames();
    } while (!m_rx.empty() && m_rx.size() != before);
}

void CDeviceLink::OnSyncAnswer(const uint8_t* chunk, size_t length)
{
    if (chunk[0] == ((m_syncByte - 0x20) ^ 0x3F)) {
        m_ispMode = false;
        m_host.SetTimer(kTimerOpenWaitBox, 10);
    } else if (length >= 4 && std::memcmp(chunk, "100 ", 4) == 0) {
        m_ispMode = true;
        FreeFileEntries();
        m_host.OnIspModeEntered();
        m_info.fsId.clear();
        m_listFsId.clear();
        Message(LinkStrings::kIspMode, CLinkDialogs::kStyleWarning);
    } else {
        m_ispMode = false;
        Message(LinkStrings::kInitialSettingFailed, CLinkDialogs::kStyleWarning);
        Disconnect();
    }
}

void CDeviceLink::TakeBinaryFrames()
{
    using namespace LinkFrame;
    for (;;) {
        // Resynchronise on the start byte: garbage must not hold the frame
        // that follows it hostage.
        auto start = std::find(m_rx.begin(), m_rx.end(), kStartByte);
        m_rx.erase(m_rx.begin(), start);
        if (m_rx.size() < kHeaderSize)
            return;
        Header h = ParseHeader(m_rx.data());
        bool windowFrame = h.kind == kData && h.window;
        bool sane = h.length >= 4 &&
                    (windowFrame ? h.length == 4 : h.payloadLength == h.length - 4);
        if (!sane) {
            // Lengths that disagree: not a frame start.
            m_rx.erase(m_rx.begin());
            continue;
        }
        size_t total = h.length + 4u;
        if (m_rx.size() < total)
            return;
        // Out of the buffer before it is handled: a handler that pumps
        // messages may receive more bytes meanwhile.
        std::vector<uint8_t> frame(m_rx.begin(), m_rx.begin() + total);
        m_rx.erase(m_rx.begin(), m_rx.begin() + total);
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

void CDeviceLink::TakeIspLines()
{
    for (;;) {
        auto end = std::find(m_rx.begin(), m_rx.end(), uint8_t(0x0A));
        if (end == m_rx.end()) {
            if (m_rx.size() >= kLineBufferSize)
                m_rx.clear();
            return;
        }
        std::string line(m_rx.begin(), end + 1);
        m_rx.erase(m_rx.begin(), end + 1);
        ArmWatchdog();
        ++m_dispatchDepth;
        OnIspLine(line);
        --m_dispatchDepth;
        if (!m_port.IsOpen() || !m_ispMode)
            return;
    }
}

void CDeviceLink::OnIspLine(const std::string& line)
{
    // The boot loader's replies are handled with the firmware flashing.
    m_host.LogDebugger(line);
}

void CDeviceLink::OnTimer(unsigned id)
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
    default:
        break;
    }
}

void CDeviceLink::ShowWaitDialog(bool show, int mode)
{
    if (show) {
        m_jobRunning = true;
        ArmWatchdog();
        m_host.OpenWaitBox(mode);
    } else {
        m_host.KillTimer(kTimerWatchdog);
        m_jobRunning = false;
        m_host.EndWaitBox();
    }
}

void CDeviceLink::CloseJob() { ShowWaitDialog(false); }

void CDeviceLink::ArmWatchdog()
{
    if (m_jobRunning && m_watchdogMs)
        m_host.SetTimer(kTimerWatchdog, m_watchdogMs);
}

void CDeviceLink::OnWatchdog()
{
    m_host.KillTimer(kTimerWatchdog);
    if (!m_jobRunning)
        return;
    if (m_dispatchDepth > 0) {
        // A handler waits for the user (password, a question), not the board.
        ArmWatchdog();
        return;
    }
    m_transferType = kTransferNone;
    // An upload cut off here is not confirmed: the backup mark stays.
    m_uploadStarted = false;
    m_uploadPreparing = false;
    ShowWaitDialog(false);
    Message(std::string(kNoAnswerText), CLinkDialogs::kStyleWarning);
}

void CDeviceLink::OnIdentifyStart()
{
    if (m_resetMode) {
        ShowWaitDialog(false);
        RequestSystemCommand(5, 200);
        Disconnect();
        m_reconnectPending = false;
        return;
    }
    RequestIdPdb();
}

void CDeviceLink::FailInitialSetting(bool disconnect)
{
    Message(LinkStrings::kInitialSettingFailed, CLinkDialogs::kStyleWarning);
    if (disconnect)
        Disconnect();
}

void CDeviceLink::StubReply(const char* what)
{
    m_host.LogDebugger(std::string("unhandled reply ") + what);
}
