#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "link/LinkHost.h"
#include "link/LinkStrings.h"
#include "link/codecs/LinkFrame.h"

class ILinkPort;
class CLinkService;

// One complete reply as a service receives it: the header with its length
// fields in host order, and the payload after the header.
struct LinkReply {
    const LinkFrame::Header& header;
    const uint8_t* payload;
    size_t length;
    bool Refused() const { return header.refused; }
};

// A buffer a windowed transfer reads into or writes from. Never grows: data
// that does not fit marks the transfer as overflowed.
struct TransferBuffer {
    explicit TransferBuffer(size_t size) : data(size, 0) {}
    void Reset();
    bool Append(const uint8_t* p, size_t n);
    std::vector<uint8_t> data;
    int32_t count = 0;
};

// The connection to one board: the port, connect and sync (and the boot
// loader's answer), the receive path that cuts frames and boot-loader lines
// out of one buffer before they are acted on, the sequence counters, the
// routing table, the one windowed transfer engine, the job (wait box) and its
// watchdog. Services register the replies they own; the session routes each
// complete frame by kind, group, command and sub and knows no reply's meaning.
// Single-threaded: every call comes on the UI thread.
class CLinkSession {
public:
    // Window timers the session starts through the host. Services use ids of
    // their own and receive every id the session does not know.
    enum Timer : unsigned {
        kTimerSync = 1, kTimerOpenWaitBox = 2, kTimerWatchdog = 20, kTimerReadGuard = 44,
    };
    // Which transfer or query is under way (0 = none): one at a time.
    enum TransferType : int32_t {
        kTransferNone = 0, kTransferFsImage = 1, kTransferUpload = 2, kTransferSettingsRead = 3,
        kTransferSettingsWrite = 4, kTransferCertRead = 5, kTransferCertWrite = 6, kTransferKeyWrite = 7,
        kTransferErrorLog = 8, kTransferInfoBlock = 9, kTransferInitNet0 = 32, kTransferInitNet1 = 33,
        kTransferWatchString = 40,
    };
    enum WaitMode { kWaitUpload = 0, kWaitIdentify = 1, kWaitIdentifyAgain = 2 };

    static constexpr size_t kImageBufferSize = 1024 * 1024;
    static constexpr size_t kBlockBufferSize = 64 * 1024;
    static constexpr unsigned kDefaultWatchdogMs = 15000;
    // Silence after which a read outside a job is given up.
    static constexpr unsigned kReadGuardMs = 15000;
    // What the user is told when the board leaves a request unanswered.
    static const char* const kNoAnswerText;
    // Wildcard for a route's command or sub.
    static constexpr int kAny = -1;

    using ReplyHandler = std::function<void(const LinkReply&)>;

    CLinkSession(ILinkPort& port, CLinkHost& host);
    CLinkSession(const CLinkSession&) = delete;
    CLinkSession& operator=(const CLinkSession&) = delete;

    // ---- registration
    // A service that hears the session's life-cycle notices (connect,
    // disconnect, boot loader, abandoned job, its own timers).
    void AddService(CLinkService& service);
    // Routes frames of this kind, group, command and sub (kAny matches every
    // value; the most exact route wins). False when the route is taken.
    bool Route(uint8_t kind, uint8_t group, int command, int sub, ReplyHandler handler);
    bool RouteReply(uint8_t group, int command, int sub, ReplyHandler handler)
    {
        return Route(LinkFrame::kCommand, group, command, sub, std::move(handler));
    }

    // ---- connection
    // quiet: a failed open says nothing (a caller that retries says it once).
    bool Connect(const std::string& portName, bool quiet = false);
    bool OpenComPort(const std::string& portName, bool quiet = false);
    // askUnsaved (the user's Disconnect): asks about unsaved work first;
    // false when the user keeps the connection. The link's own closes (the
    // board gone, restarting or refusing the connection) pass false. The
    // board's return is no longer awaited afterwards.
    bool Disconnect(bool askUnsaved = true);
    // The board restarts on purpose: the link closes without a question and
    // the board's return is awaited (reconnect pending).
    void CloseForReturn();
    void SendSyncByte();
    bool IsConnected() const;
    // The board has answered this connection's sync byte (as its script
    // firmware or as its boot loader); false while a return is awaited.
    bool HasAnswered() const { return IsConnected() && !m_syncWait; }
    // Changes on every connect and disconnect: a caller that waited for the
    // user compares it to know its connection is still the one it asked about.
    uint32_t ConnectionNumber() const { return m_connectionNumber; }
    bool IsIspMode() const { return m_ispMode; }
    void SetIspMode(bool on) { m_ispMode = on; }
    const std::string& PortName() const { return m_portName; }
    uint8_t GetSyncByte() const { return m_syncByte; }
    bool IsResetMode() const { return m_resetMode; }
    void SetResetMode(bool on) { m_resetMode = on; }
    bool IsReconnectPending() const { return m_reconnectPending; }
    void SetReconnectPending(bool on) { m_reconnectPending = on; }
    ILinkPort& Port() { return m_port; }
    CLinkHost& Host() { return m_host; }

    // ---- receive path
    // wParam of the port's event message: events in the low word, comm
    // errors in the high word. 1 when it read, 0 when it ignored the event.
    int OnSerialEvent(uint32_t wParam);
    // One chunk as read from the port. Safe to call from inside a handler:
    // the bytes then wait until the outer call has finished its frame.
    void ReceiveChunk(const uint8_t* data, size_t length);
    void OnTimer(unsigned id);
    // True while a reply handler runs (it may be waiting for the user).
    bool InHandler() const { return m_dispatchDepth > 0; }

    // ---- requests (each writes one whole frame)
    void SendFrame(const std::vector<uint8_t>& frame);
    uint32_t WriteRequest(const LinkFrame::RequestBuilder& request);
    uint32_t WriteBare(uint8_t group, uint8_t command, uint8_t sub);
    // A frame built by hand: it takes the next command sequence number.
    uint8_t NextCommandSequence() { return m_commandSeq.Next(); }

    // ---- transfer engine
    int32_t GetTransferType() const { return m_transferType; }
    void SetTransferType(int32_t type) { m_transferType = type; }
    // One job at a time: a job starts only while no transfer or query runs.
    bool IsTransferIdle() const { return m_transferType == kTransferNone; }
    // A job's end returns the link to idle only when the type is still the
    // one its request set: a late reply never ends another job's transfer.
    void EndTransfer(int32_t type);
    // A transfer the board stopped serving is given up: its type goes back
    // to idle (when it is still this one) and the link is brought back in
    // step. Bytes of a frame cut off are dropped, and a write the board may
    // still hold open is ended with the empty chunk, so that the board's
    // next request starts clean.
    void AbandonTransfer(int32_t type);
    // Guards a read outside a job: after kReadGuardMs in which no data came
    // it is abandoned and every service hears OnTransferGivenUp(type). Its
    // end (EndTransfer) stops the guard.
    void GuardRead(int32_t type);
    // Sends the request, grants the first window and reads into the
    // buffer of this transfer type (cleared first). False (nothing sent)
    // while a write runs: the read would wipe the buffer being sent.
    bool StartRead(const LinkFrame::RequestBuilder& request, int32_t type);
    bool IsWriteRunning() const;
    // Sends the request; the board then pulls the buffer of this type
    // through windows. False when the request could not be written.
    bool StartWrite(const LinkFrame::RequestBuilder& request, int32_t type);
    TransferBuffer& Image() { return m_image; }
    const TransferBuffer& Image() const { return m_image; }
    TransferBuffer& Block() { return m_block; }
    const TransferBuffer& Block() const { return m_block; }
    int32_t SentCount() const { return m_sentCount; }
    // The write's last byte and the empty chunk that ends it went out.
    bool WriteAllSent() const { return m_writeEnded; }
    bool TransferOverflowed() const { return m_overflow; }

    // ---- job (the wait box is up while one runs) and its watchdog
    bool IsJobRunning() const { return m_jobRunning; }
    void ShowWaitDialog(bool show, int mode = kWaitIdentify);
    void CloseJob() { ShowWaitDialog(false); }
    // The job is given up (the board stopped answering, or the user stopped
    // waiting for a lost one): its transfer ends, every service lets go of it
    // (a wait for the board to come back ends with its timers).
    void AbandonJob();
    // A reply that never comes ends the job after this much silence.
    void SetWatchdogPeriod(unsigned milliseconds) { m_watchdogMs = milliseconds; }

    // ---- messages
    int Message(const LinkString& text, unsigned style);
    // Asks whether changed files may go (the question Disconnect asks): true for Yes.
    // It runs a message loop.
    bool AskToDropUnsavedWork();
    int Message(const std::string& text, unsigned style);
    void FailInitialSetting(bool disconnect);
    // A reply that no service handles yet is logged.
    void StubReply(const char* what);

private:
    static uint32_t RouteKey(uint8_t kind, uint8_t group, int command, int sub);
    const ReplyHandler* FindRoute(const LinkFrame::Header& h) const;
    void SendWindow();
    void ProcessPending();
    void OnSyncAnswer(const uint8_t* chunk, size_t length);
    void TakeBinaryFrames();
    void TakeIspLines();
    void CompactReceiveBuffer();
    void LimitQueue();
    void DispatchFrame(const LinkFrame::Header& h, const uint8_t* frame);
    void DispatchDataFrame(const LinkFrame::Header& h, const uint8_t* payload);
    void SendChunk(TransferBuffer& buffer, uint16_t window, bool progress);
    void ArmWatchdog();
    void OnWatchdog();
    void OnReadGuard();
    // Takes what the buffer holds, as the outermost receive call.
    void DrainPending();
    // Some service holds work the user has not saved.
    bool HasUnsavedWork() const;

    ILinkPort& m_port;
    CLinkHost& m_host;
    std::minstd_rand m_random;
    std::vector<CLinkService*> m_services;
    std::map<uint32_t, ReplyHandler> m_routes;

    LinkFrame::SequenceCounter m_commandSeq;
    LinkFrame::SequenceCounter m_dataSeq;

    std::string m_portName;
    uint8_t m_syncByte = 0;
    bool m_syncWait = false;
    std::string m_syncLine;  // the boot loader's answer so far, while incomplete
    bool m_ispMode = false;
    bool m_jobRunning = false;
    int m_waitMode = kWaitIdentify;  // the running job's wait box
    bool m_reconnectPending = false;
    bool m_resetMode = false;
    uint32_t m_connectionNumber = 0;

    // Receive path: bytes not yet taken as frames or lines. Complete frames
    // leave this buffer before they are dispatched.
    std::vector<uint8_t> m_rx;
    size_t m_rxPos = 0;     // bytes before it are taken
    size_t m_limitPos = 0;  // LimitQueue has looked at the bytes before it
    bool m_dropNoted = false;
    int m_receiveDepth = 0;
    int m_dispatchDepth = 0;
    unsigned m_watchdogMs = kDefaultWatchdogMs;

    int32_t m_transferType = kTransferNone;
    int32_t m_guardedType = kTransferNone;
    int32_t m_guardCount = 0;
    TransferBuffer m_image{kImageBufferSize};
    TransferBuffer m_block{kBlockBufferSize};
    int32_t m_sentCount = 0;
    // The board granted the write a window: only then does it hold a write
    // open that an abandoned transfer must end.
    bool m_writeStarted = false;
    bool m_writeEnded = false;
    bool m_overflow = false;
};
