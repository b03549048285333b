#pragma once
// Shared fixture of the table tests that walk every request and every job:
// a host whose timers run on a simulated clock, and the checks of an idle
// link, with the board's script firmware or its boot loader at the other
// end: a SilenceRow per request, a StrayJob per job.
#include "LinkFakes.h"

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// A recording host whose timers fall due on a clock the test moves, and
// which keeps what every requester is told (the upgrade dialog's reports
// in `events`).
class ClockHost : public UpgradeHost {
public:
    void SetTimer(unsigned id, unsigned ms) override
    {
        FakeHost::SetTimer(id, ms);
        due[id] = now + ms;
    }
    void KillTimer(unsigned id) override
    {
        FakeHost::KillTimer(id);
        due.erase(id);
    }
    void OpenWaitBox(int mode) override
    {
        FakeHost::OpenWaitBox(mode);
        ++waitBoxes;
    }
    void SetProgressRange(int) override {}
    int GetWatchCount() override { return static_cast<int>(watches.size()); }
    std::string GetWatchName(int row) override { return watches.at(static_cast<size_t>(row)); }
    void SetWatchValue(int row, const std::string& t, const std::string& v, const std::string& f) override
    {
        values[row] = t + "|" + v + "|" + f;
    }
    void UpdateButtonStates(int s) override { taskStates.push_back(s); }
    int GetEditorRowCount() override { return 40; }
    void SetBreakpointMark(int row, bool on) override { marks[row] = on; }
    void OnNetworkInfo(const NetworkInfo&) override { told.push_back("netinfo"); }
    void OnRtcDate(bool ok, const std::string&) override { told.push_back(ok ? "rtc" : "rtc failed"); }
    void OnRtcSetResult(bool ok) override { told.push_back(ok ? "rtc set" : "rtc set failed"); }
    void OnScanDone(const std::vector<ScanRecord>* r) override { told.push_back(r ? "scan" : "scan failed"); }
    void OnErrorLog(bool, const std::string&) override { told.push_back("error log"); }
    void OnProductInfo(const std::string&, const std::string&) override { told.push_back("product info"); }
    void OnSettingsReadFailed() override { told.push_back("settings failed"); }

    uint64_t now = 0;
    std::map<unsigned, uint64_t> due;
    std::vector<std::string> watches, told;
    std::map<int, std::string> values;
    std::map<int, bool> marks;
    std::vector<int> taskStates;
    int waitBoxes = 0;
};

// A link on a synced port (the sync resend and the wait-box timers done),
// or on a board that runs its boot loader.
class TableLink : public LinkTest<ClockHost> {
public:
    void SetUp() override
    {
        if (bootLoader) {
            ASSERT_TRUE(link.Session().Connect("COM3"));
            Line("100 ISP boot loader ready\r\n");
            Tick(CLinkSession::kTimerSync);
            Tick(CLinkSession::kTimerOpenWaitBox);
            link.Session().CloseJob();
        } else {
            Synced();
            link.Session().OnTimer(CLinkSession::kTimerSync);
            host.KillTimer(CLinkSession::kTimerOpenWaitBox);
        }
        port.writes.clear();
        host.messages.clear();
        host.log.clear();
        for (size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<uint8_t>(i * 13 + 5);
    }
    bool bootLoader = false;
    std::string sent;  // what a silence row's start wrote
    std::vector<uint8_t> board;  // the file-system image the board holds
    // The firmware image the boot loader's rows send.
    std::vector<uint8_t> image = std::vector<uint8_t>(10000);

    using LinkTest::Feed;
    // A line (or any bytes) from the board.
    void Line(const std::string& text)
    {
        if (!text.empty())
            Feed(text);
    }
    void Tick(unsigned id)
    {
        if (host.HasTimer(id))
            link.Session().OnTimer(id);
    }

    // Moves the clock, firing each timer as it falls due (window timers
    // repeat until killed).
    void Advance(uint64_t ms)
    {
        const uint64_t end = host.now + ms;
        for (;;) {
            unsigned id = 0;
            uint64_t when = end + 1;
            for (auto& d : host.due)
                if (d.second < when) {
                    when = d.second;
                    id = d.first;
                }
            if (when > end)
                break;
            host.now = when;
            host.due[id] = when + host.timers[id];
            link.Session().OnTimer(id);
        }
        host.now = end;
    }

    // The identification wait box up, its first request sent.
    void Identify()
    {
        link.Session().OnTimer(CLinkSession::kTimerOpenWaitBox);
        link.OnIdentifyStart();
    }
    // The identification answered up to (not including) the reply to the
    // request `until` ("01/11", ...; "" answers it all, up to the image read).
    void IdentifyUntil(const std::string& until, int32_t capacity = 0)
    {
        Identify();
        const std::pair<const char*, std::vector<uint8_t>> steps[] = {
            {"01/25", Reply(1, 0x25, ItemBytes({3, 7, 9}))},
            {"01/11", capacity ? Reply(1, 0x11, ItemInt(capacity)) : Reply(1, 0x11, ItemInt(16), true)},
            {"01/21", Reply(1, 0x21, ItemBytes({0xAB, 0x01}))},
            {"01/22", Reply(1, 0x22, ItemBytes({0x5A}))},
            {"01/23", Reply(1, 0x23, ItemBytes(Hex("00112233445566778899AABB")))},
            {"01/24", Reply(1, 0x24, ItemBytes(Hex("0002A5010203")))},
            {"01/40", Reply(1, 0x40, ItemInt(0))},
            {"01/40 wireless", Reply(1, 0x40, ItemInt(0))},
            {"01/33", Reply(1, 0x33, ItemBytes({0xDE, 0xAD}))},
        };
        for (auto& s : steps) {
            if (until == s.first)
                return;
            Feed(s.second);
        }
    }
    // Identified with this flash capacity, an empty file system read: the
    // wait box is down and the board's task is stopped.
    void Identified(int32_t capacity)
    {
        IdentifyUntil("", capacity);
        Feed(Reply(3, 0x11, ItemInt(16), true));
        Feed(Reply(1, 0x51, ItemInt(0) + ItemInt(1)));
        port.writes.clear();
    }
    // The board's task paused, with these watch rows.
    void PausedWith(std::vector<std::string> watches)
    {
        host.watches = std::move(watches);
        Feed(Reply(1, 0x51, ItemInt(0) + ItemInt(2)));
    }

    // Nothing of a job is left: no transfer type, no job, no pending flag,
    // no service waiting for a reply, no timer. Only a board that was sent
    // away on purpose is still let back in.
    void ExpectIdle(const std::string& what, bool reconnectPending = false)
    {
        SCOPED_TRACE(what);
        CLinkSession& s = link.Session();
        EXPECT_EQ(s.GetTransferType(), CLinkSession::kTransferNone);
        EXPECT_FALSE(s.IsJobRunning());
        EXPECT_FALSE(host.waitBoxOpen);
        EXPECT_EQ(s.IsReconnectPending(), reconnectPending);
        EXPECT_FALSE(link.BootLoader().IsUpgradeKnown());
        EXPECT_TRUE(link.BootLoader().IsIdle());
        EXPECT_FALSE(link.Settings().IsReading());
        EXPECT_FALSE(link.Settings().IsWriting());
        EXPECT_FALSE(link.Commands().IsBlockWriteRunning());
        EXPECT_FALSE(link.Commands().IsCertReadRunning());
        EXPECT_FALSE(link.Commands().IsPasswordChangePending());
        EXPECT_EQ(link.Queries().Running(), CBoardQueriesService::Chain::kNone);
        EXPECT_FALSE(link.Queries().HasPendingReports());
        EXPECT_FALSE(link.Debugger().IsReadingWatches());
        EXPECT_FALSE(link.Debugger().IsReadingBreakpoints());
        EXPECT_FALSE(link.Files().IsImageReadPending());
        std::string running;
        for (auto& t : host.timers)
            running += std::to_string(t.first) + " ";
        EXPECT_EQ(running, "") << "timers still running";
    }
};

// One request a board leaves unanswered: `start` sends it (and whatever
// leads to it; what it wrote is kept in `sent`); within guardMs the job
// must end, `told` must hold and the link must be idle. A guard kept by one
// timer (`guardTimer`) runs exactly guardMs and nothing goes out meanwhile
// (others may write: a given-up transfer resyncs, a scan polls).
struct SilenceRow {
    const char* what;
    std::function<void(TableLink&)> start;
    unsigned guardMs;
    std::function<bool(TableLink&)> told;
    bool bootLoader = false;  // the board runs its boot loader
    unsigned guardTimer = 0;
    bool reconnectPending = false;
};

inline void PrintTo(const SilenceRow& row, std::ostream* os) { *os << row.what; }

inline void RunSilenceRow(TableLink& t, const SilenceRow& row)
{
    SCOPED_TRACE(row.what);
    row.start(t);
    t.sent = t.Written();
    ASSERT_FALSE(t.sent.empty()) << "nothing was sent";
    if (row.guardTimer) {
        ASSERT_TRUE(t.host.HasTimer(row.guardTimer)) << "unguarded";
        EXPECT_EQ(t.host.timers[row.guardTimer], row.guardMs);
    }
    // A result goes to the host from a short timer after the guard.
    t.Advance(row.guardMs + 100);
    // Frames as "GG/CC ", "W " and "D "; the boot loader's lines as they are.
    const std::string during = row.bootLoader ? t.Written() : t.Sent();
    // The board granted no window: no write of it is open that a data chunk would end.
    if (!row.bootLoader)
        EXPECT_EQ(during.find("D "), std::string::npos) << "a data chunk for a write the board never started";
    EXPECT_TRUE(row.told(t)) << "the requester was not told; told " << testing::PrintToString(t.host.told)
                             << ", the upgrade dialog " << testing::PrintToString(t.host.events);
    t.ExpectIdle(row.what, row.reconnectPending);
    if (row.guardTimer) {
        EXPECT_EQ(during, "") << "written while the guard ran";
    }
}

// One step of a job as the board or the user takes it, and the strays that
// are the answer awaited before it (never fed there).
struct JobStep {
    std::string what;
    std::function<void(TableLink&)> run;
    std::vector<std::string> own;
};

// One job that replies and events of other kinds must leave alone, as a
// list of steps (the first starts it); `done` checks its result.
struct StrayJob {
    std::string what;
    std::vector<JobStep> steps;
    std::function<bool(TableLink&)> done;
    bool bootLoader = false;  // the board runs its boot loader
};

inline void PrintTo(const StrayJob& job, std::ostream* os) { *os << job.what; }

// What a stray must not change: the job's state as the link keeps it.
inline std::string JobState(TableLink& t)
{
    CLinkSession& s = t.link.Session();
    std::string state = "type " + std::to_string(s.GetTransferType()) + (s.IsJobRunning() ? " job" : "") +
                        (s.IsConnected() ? " connected" : "") + " sent " + std::to_string(s.SentCount()) +
                        " image " + std::to_string(s.Image().count) + " block " + std::to_string(s.Block().count);
    state += t.link.Settings().IsReading() ? " settings-read" : "";
    state += t.link.Settings().IsWriting() ? " settings-write" : "";
    state += t.link.Commands().IsCertReadRunning() ? " cert-read" : "";
    state += t.link.Commands().IsBlockWriteRunning() ? " block-write" : "";
    state += " chain " + std::to_string(static_cast<int>(t.link.Queries().Running()));
    state += t.link.Debugger().IsReadingWatches() ? " watches" : "";
    state += t.link.Debugger().IsReadingBreakpoints() ? " breakpoints" : "";
    state += t.link.Identity().IsLoginPending() ? " login" : "";
    char awaited[24];
    std::snprintf(awaited, sizeof awaited, " awaits %04X", t.link.Identity().AwaitedReply());
    state += awaited;
    state += " watch row " + std::to_string(t.link.Debugger().WatchRow());
    const CBootLoaderService& b = t.link.BootLoader();
    state += " boot step " + std::to_string(b.GetStep()) + " sent " + std::to_string(b.SentBytes()) +
             (b.IsIdle() ? " idle" : "") + (b.IsUpgradeKnown() ? " upgrade" : "") + (b.IsStreaming() ? " streaming" : "") +
             (t.host.HasTimer(CBootLoaderService::kTimerWatchdog) ? " watchdog" : "");
    return state + (t.port.open ? " open" : "") + (s.IsReconnectPending() ? " reconnect" : "");
}

inline bool Told(TableLink& t, const std::string& what)
{
    for (auto& s : t.host.told)
        if (s == what)
            return true;
    return false;
}
inline bool Shown(TableLink& t, const std::string& part)
{
    for (auto& m : t.host.messages)
        if (m.find(part) != std::string::npos)
            return true;
    return false;
}
