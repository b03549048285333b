#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/services/NetInfoChain.h"
#include "link/services/ScanChain.h"
#include "link/session/LinkService.h"

class CLinkSession;
struct CDeviceInfo;
struct LinkReply;

// Board queries: network information and the clock (05/30 "mmap"
// commands), the wireless scan, the error logs, product information and
// the information block. One chain runs at a
// time, with one request outstanding; a finished result reaches the host's
// reports role from a timer, never from inside a reply handler.
class CBoardQueriesService : public CLinkService {
public:
    enum Timer : unsigned {
        kTimerScanPoll = 11,  // polls the scan state once a second
        kTimerReports = 31,   // hands finished results and messages to the host
        kTimerGuard = 32,     // a query the board never answers
    };
    static constexpr unsigned kGuardMs = 15000;

    // How a start went; the window handlers return 1 only for kStarted.
    enum class Start { kStarted, kNotConnected, kBusy, kUnsupported, kBadDate };

    CBoardQueriesService(CLinkSession& session, CDeviceInfo& info);

    // ---- network information and clock
    Start RequestNetworkInfo();
    void ResetNetworkInfo() { m_net.Reset(); }
    const NetworkInfo& NetInfo() const { return m_net.Info(); }
    Start RequestRtcDate();
    // date: YYYYMMDDhhmmss, nothing else is sent.
    Start RequestRtcSet(const std::string& date);

    // ---- wireless scan
    Start StartScan();
    const std::vector<ScanRecord>& ScanRecords() const { return m_scanRecords; }

    // ---- logs and product information
    Start RequestErrorLog(bool firmware);  // 03/41, 03/42
    Start RequestProductInfo();            // 05/10, then 03/30
    // The chain's last step reads the settings block (another service's).
    void SetSettingsReader(std::function<bool()> read) { m_readSettings = std::move(read); }

    // The chain that runs (none when idle).
    enum class Chain { kNone, kNetwork, kRtcGet, kRtcSet, kScan, kErrorLog, kProductInfo, kInfoBlock };
    Chain Running() const { return m_chain; }
    // Results and messages waiting for the reports timer.
    bool HasPendingReports() const { return !m_deferred.empty(); }

    // CLinkService
    void OnDisconnected() override;
    void OnIspModeEntered(bool) override { OnDisconnected(); }
    bool OnTimer(unsigned id) override;

private:
    Start CanStart(Chain chain);
    Start StartScanChain();
    void Send(const MmapCommand& command);
    void OnReplyMmap(const LinkReply& r);
    void OnMmapRefused();
    void OnNetReply(const FrameItem& item);
    void OnScanReply(CScanChain::Outcome outcome, const MmapCommand& next);
    void OnRtcReply(const FrameItem& item, bool hasItem);
    void OnReplyErrorLog(const LinkReply& r, bool firmware);
    void OnReplyProductInfo(const LinkReply& r);
    void OnReplyInfoBlock(const LinkReply& r);
    // The chain ends: the transfer type it set goes back to idle.
    void EndChain();
    void ArmGuard();
    void OnGuard();
    void FinishScan(bool ok);
    void StartPending();
    // Runs after the reply handler has returned (a timer of the host).
    void Defer(std::function<void()> work);
    void Message(unsigned id, const char* english);

    CLinkSession& m_session;
    CDeviceInfo& m_info;
    CNetInfoChain m_net;
    CScanChain m_scan;
    std::vector<ScanRecord> m_scanRecords;
    Chain m_chain = Chain::kNone;
    // The transfer type this service set last (0: none of ours).
    int32_t m_transfer = 0;
    // Received bytes when the guard was armed: a block read that still
    // moves is not given up.
    int32_t m_guardCount = 0;
    // The 05/30 step whose reply is awaited (0: none).
    int32_t m_outstanding = 0;
    // A start asked for while a reply was outstanding: run once it is in.
    Chain m_pending = Chain::kNone;
    std::vector<std::function<void()>> m_deferred;
    std::function<bool()> m_readSettings;
};
