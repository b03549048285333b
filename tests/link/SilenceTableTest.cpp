// Every request the link can send to a board that never answers: the job
// ends within its guard, its requester hears of it, and nothing is left
// behind; the boot loader's lines as well, the upgrade dialog their requester.
#include <gtest/gtest.h>

#include "LinkTables.h"

namespace {

using Bytes = std::vector<uint8_t>;
using T = TableLink;

const unsigned kJob = CLinkSession::kDefaultWatchdogMs;
const unsigned kRead = CLinkSession::kReadGuardMs;
const unsigned kQuery = CBoardQueriesService::kGuardMs;
const unsigned kDebug = CDebuggerService::kReplyWaitMs;
// A write the board never pulls: two quiet periods of its watch.
const unsigned kWrite = 2 * CWriteWatch::kPeriodMs;

bool NoAnswerShown(T& t) { return Shown(t, "does not answer"); }
bool NothingAwaited(T&) { return true; }

// The identification job waiting for the reply to `request`.
SilenceRow Identifying(const char* what, const char* request)
{
    return {what, [request](T& t) { t.IdentifyUntil(request); }, kJob, NoAnswerShown};
}

Bytes SettingsBlockBytes()
{
    return Block({Bytes{0x0C, 0, 0x0C, 0, 'Z', 'X', '1', '0', '0', '1', 0xA6, 0x2F}, Bytes{0xFF, 0, 0, 0}});
}

// Reads the settings block as the board serves it.
void ReadSettings(T& t)
{
    Bytes b = SettingsBlockBytes();
    t.link.Settings().RequestSettingsBlock();
    t.Feed(LinkFrame::DataChunk(0, b.data(), b.size()));
    t.Feed(Reply(3, 0x21, ItemInt(static_cast<int32_t>(b.size()))));
    t.port.writes.clear();
}

const unsigned kStep = CBootLoaderService::kDefaultStepMs;

// The upgrade dialog asks for the boot loader: 1 when the board runs it,
// 0 when the board was asked to restart into it.
void Restart(T& t, int acted) { EXPECT_EQ(acted, t.link.BootLoader().OnUpgradeRestartIsp()); }

// A step of the boot loader, its watchdog the guard: the upgrade dialog
// hears exactly `told`.
SilenceRow Boot(const char* what, std::function<void(T&)> start, bool isp = true, unsigned guardMs = kStep,
                std::vector<std::string> told = {"result failed"}, bool reconnectPending = false)
{
    return {what, std::move(start), guardMs, [told](T& t) { return t.host.events == told; }, isp,
            CBootLoaderService::kTimerWatchdog, reconnectPending};
}

// `request` sent to the boot loader, then `lines` from it.
std::function<void(T&)> Isp(void (*request)(T&), std::string lines = "")
{
    return [request, lines](T& t) {
        Restart(t, 1);
        request(t);
        t.Line(lines);
    };
}

// The upgrade started and its first `answered` lines answered ("uf", "ef",
// "uf", "pf" with the image streamed, the image's CRC with the boot flag
// sent, "bf").
std::function<void(T&)> Upgrade(int answered)
{
    return [answered](T& t) {
        static const char* const kAnswers[] = {"200 Command OK\r\n", "200 Command OK\r\n", "200 Command OK\r\n",
                                               "201 Send Firmware\r\n", "204 CRC OK\r\n", "200 Command OK\r\n"};
        Restart(t, 1);
        t.link.BootLoader().OnStartUpgrade(t.image.data(), t.image.size());
        for (int i = 0; i < answered; ++i) {
            t.Line(kAnswers[i]);
            t.RunStream();
            t.Tick(CBootLoaderService::kTimerBootFlag);
        }
    };
}

void DumpEnv(T& t) { t.link.BootLoader().OnIspDumpEnv(); }
void TestFirmware(T& t) { t.link.BootLoader().OnIspTestFirmware(t.image.data(), t.image.size()); }

// The line went out last and the port closed for the board's return.
std::function<bool(T&)> Left(std::string line)
{
    return [line](T& t) {
        return t.sent.size() >= line.size() && t.sent.compare(t.sent.size() - line.size(), line.size(), line) == 0 &&
               !t.port.open;
    };
}

const SilenceRow kRows[] = {
    // Identification and login (the job's watchdog).
    Identifying("01/25 pdb id", "01/25"),
    Identifying("01/11 flash capacity", "01/11"),
    Identifying("01/21 file-system id", "01/21"),
    Identifying("01/22 firmware header", "01/22"),
    Identifying("01/23 MCU id", "01/23"),
    Identifying("01/24 MAC address", "01/24"),
    Identifying("01/40 network interface", "01/40"),
    Identifying("01/33 key hash", "01/33"),
    Identifying("03/11 file-system image", ""),
    {"05/41 login challenge",
     [](T& t) {
         t.Identify();
         t.Feed(Reply(1, 0x25, ItemInt(1), true));
     },
     kJob, NoAnswerShown},
    // Upload.
    {"05/51 upload prepare",
     [](T& t) {
         t.Identified(1 << 20);
         t.Add("a.php", "<?php ?>");
         t.link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
         t.link.Files().OnUploadStart();
     },
     kJob, NoAnswerShown},
    {"04/10 upload write",
     [](T& t) {
         t.Identified(1 << 20);
         t.Add("a.php", "<?php ?>");
         t.link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
         t.link.Files().OnUploadStart();
         t.port.writes.clear();
         t.Feed(Reply(5, 0x51, ItemInt(0)));
     },
     kJob, NoAnswerShown},
    // Block reads and writes.
    {"03/21 settings block", [](T& t) { t.link.Settings().RequestSettingsBlock(); }, kRead,
     [](T& t) { return NoAnswerShown(t) && Told(t, "settings failed"); }},
    {"03/24 certificate block", [](T& t) { t.link.Commands().ReadCertBlock(); }, kRead,
     [](T& t) { return t.host.certRecords == "<none>"; }},
    {"04/21 settings write",
     [](T& t) {
         ReadSettings(t);
         t.link.Settings().WriteSettings(t.link.Settings().Generation());
     },
     kWrite, [](T& t) { return t.host.settingsWritten == std::vector<bool>{false}; }},
    {"04/22 key block", [](T& t) { t.link.Commands().WriteKeyBlock(Block({}, EnvBlock::kMagicKeys)); }, kWrite,
     [](T& t) { return t.host.blocksWritten.size() == 1 && !t.host.blocksWritten[0].second; }},
    {"04/24 certificate block write",
     [](T& t) { t.link.Commands().WriteCertBlock(Block({}, EnvBlock::kMagicCert)); }, kWrite,
     [](T& t) { return t.host.blocksWritten.size() == 1 && !t.host.blocksWritten[0].second; }},
    {"05/24 user password", [](T& t) { t.link.Commands().SetUserPassword("00112233"); },
     CBoardCommandsService::kPasswordPollMs * CBoardCommandsService::kPasswordPolls,
     [](T& t) { return t.host.passwordDone == std::vector<bool>{false}; }},
    // Queries.
    {"05/30 network information",
     [](T& t) {
         t.link.Identity().DeviceInfo().wiredPresent = 1;
         t.link.Queries().RequestNetworkInfo();
     },
     kQuery, NoAnswerShown},
    {"05/30 clock read", [](T& t) { t.link.Queries().RequestRtcDate(); }, kQuery,
     [](T& t) { return Told(t, "rtc failed"); }},
    {"05/30 clock write", [](T& t) { t.link.Queries().RequestRtcSet("20260102030405"); }, kQuery,
     [](T& t) { return Told(t, "rtc set failed"); }},
    {"05/30 scan mode", [](T& t) { t.link.Queries().StartScan(); }, kQuery,
     [](T& t) { return Told(t, "scan failed"); }},
    {"05/30 scan state",
     [](T& t) {
         t.link.Queries().StartScan();
         t.Feed(Reply(5, 0x30, Text("1")));
         t.Feed(Reply(5, 0x30, ItemInt(0)));
         t.Feed(Reply(5, 0x30, ItemInt(0)));
     },
     (CScanChain::kMaxPolls + 1) * 1000, [](T& t) { return Told(t, "scan failed"); }},
    {"05/30 scan result count",
     [](T& t) {
         t.link.Queries().StartScan();
         t.Feed(Reply(5, 0x30, Text("1")));
         t.Feed(Reply(5, 0x30, ItemInt(0)));
         t.Feed(Reply(5, 0x30, ItemInt(0)));
         t.Advance(1000);
         t.Feed(Reply(5, 0x30, ItemInt(0)));
     },
     kQuery, [](T& t) { return Told(t, "scan failed"); }},
    {"03/41 script error log", [](T& t) { t.link.Queries().RequestErrorLog(false); }, kQuery, NoAnswerShown},
    {"03/42 firmware error log", [](T& t) { t.link.Queries().RequestErrorLog(true); }, kQuery, NoAnswerShown},
    {"05/10 product information", [](T& t) { t.link.Queries().RequestProductInfo(); }, kQuery, NoAnswerShown},
    {"03/30 information block",
     [](T& t) {
         t.link.Queries().RequestProductInfo();
         t.Feed(Reply(5, 0x10, Bytes{0, 3, 0, 8, 0, 0, 0, 0, 0, 0, 0, 9}));
     },
     kQuery, NoAnswerShown},
    // Debugger.
    {"01/60 watch value",
     [](T& t) {
         t.PausedWith({"$a"});
         t.link.Debugger().OnWatchNext(0, true);
     },
     kDebug, [](T& t) { return t.host.values[0] == "?|?|?"; }},
    {"03/50 long watch string",
     [](T& t) {
         t.PausedWith({"$s"});
         t.link.Debugger().OnWatchNext(0, true);
         t.Feed(Reply(1, 0x60, Text("abc") + ItemInt(100)));
     },
     kDebug, [](T& t) { return t.host.values[0] == "STR[100]|abc|616263"; }},
    {"06/42 breakpoint list",
     [](T& t) {
         t.host.openFile = "a.php";
         t.link.Debugger().ReadBreakpoints("a.php");
     },
     kDebug, [](T& t) { return t.host.log.back().find("no answer") != std::string::npos; }},
    // Requests that await no reply: nothing may wait for one.
    {"01/51 task state", [](T& t) { t.link.Debugger().RequestTaskState(); }, kJob, NothingAwaited},
    {"02/21 run", [](T& t) { t.link.Debugger().RunTask(); }, kJob, NothingAwaited},
    {"02/21 stop", [](T& t) { t.link.Debugger().StopTask(); }, kJob, NothingAwaited},
    {"06/11 pause", [](T& t) { t.link.Debugger().Pause(); }, kJob, NothingAwaited},
    {"06/50 step in", [](T& t) { t.link.Debugger().StepIn(); }, kJob, NothingAwaited},
    {"06/60 step over", [](T& t) { t.link.Debugger().StepOver(); }, kJob, NothingAwaited},
    {"02/11 debug mode", [](T& t) { t.link.Debugger().SetDebugMode(1); }, kJob, NothingAwaited},
    {"02/13 firmware log", [](T& t) { t.link.Debugger().SetFirmwareLog(true); }, kJob, NothingAwaited},
    {"06/12 set breakpoint", [](T& t) { t.link.Debugger().SendDebug12("a.php", 3); }, kJob, NothingAwaited},
    {"06/22 clear breakpoint", [](T& t) { t.link.Debugger().SendDebug22("a.php", 3); }, kJob, NothingAwaited},
    {"06/13 run to line", [](T& t) { t.link.Debugger().SendDebug13("a.php", 3); }, kJob, NothingAwaited},
    {"06/21 clear all breakpoints", [](T& t) { t.link.Debugger().SendDebug21(); }, kJob, NothingAwaited},
    {"05/22 reboot", [](T& t) { t.link.Commands().RequestReboot(false); }, kJob, NothingAwaited},
    {"05/26 reboot into debug mode", [](T& t) { t.link.Commands().RequestReboot(true); }, kJob, NothingAwaited},
    {"05/60 firmware file", [](T& t) { t.link.Commands().ChangeFirmwareFile("fw.bin"); }, kJob, NothingAwaited},
    // The boot loader's lines, and the restart into it from the script firmware.
    Boot("05/23 restart into the boot loader", [](T& t) { Restart(t, 0); }, false),
    Boot("05/23 accepted, the board never comes back",
         [](T& t) {
             Restart(t, 0);
             t.Feed(Reply(5, 0x23, ItemInt(0)));
         },
         false, kStep, {"result failed"}, true),
    Boot("de 0", Isp(DumpEnv)),
    Boot("de 0, part of the dump", Isp(DumpEnv, "de 0\r\n65 56 6E 53\r\n")),
    Boot("tf 0", Isp(TestFirmware)),
    Boot("the test header", Isp(TestFirmware, "201 Send Firmware\r\n")),
    Boot("uf", Upgrade(0)),
    Boot("ef", Upgrade(1)),
    Boot("uf again", Upgrade(2)),
    Boot("pf", Upgrade(3)),
    // The image's line time at 115200 baud on top of the step's guard.
    Boot("the image", Upgrade(4), true, kStep + 10000 * 10 * 1000 / 115200),
    Boot("bf", Upgrade(5), true, kStep, {"result ok", "result failed"}),
    // Lines that await no answer: the board leaves and its return is awaited.
    {"rs 10", [](T& t) { t.link.BootLoader().SendIspReset(); }, kJob, Left("rs 10\r"), true, 0, true},
    {"jf 10", Upgrade(6), kJob, Left("jf 10\r"), true, 0, true},
};

class SilenceTable : public TableLink, public ::testing::WithParamInterface<SilenceRow> {
    void SetUp() override
    {
        bootLoader = GetParam().bootLoader;
        TableLink::SetUp();
    }
};

TEST_P(SilenceTable, EndsTellsAndLeavesTheLinkIdle) { RunSilenceRow(*this, GetParam()); }

INSTANTIATE_TEST_SUITE_P(Requests, SilenceTable, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<SilenceRow>& i) { return std::to_string(i.index); });

// A given-up wait for the board's return is over: nothing connects later by
// itself, and a disconnect asks about unsaved work again.
TEST_F(TableLink, AGivenUpReconnectIsNoLongerPending)
{
    Add("a.php", "changed", FileEntry::kChanged);
    port.checkPort = 1;
    host.answers = {CLinkDialogs::kIdYes};
    link.Presence().OnPortRemoval();
    ASSERT_TRUE(link.Session().IsReconnectPending());
    port.checkPort = 2;  // gone, and it stays gone
    Advance(kJob + CDevicePresenceService::kReconnectDelayMs);
    EXPECT_TRUE(Shown(*this, "does not answer"));
    ExpectIdle("reconnect given up");
    port.checkPort = 0;
    link.Presence().OnPortArrival();
    Advance(CDevicePresenceService::kRetryMs * CDevicePresenceService::kRetries);
    EXPECT_FALSE(link.Session().IsConnected());
    ASSERT_TRUE(link.Session().Connect("COM3"));
    host.answers = {CLinkDialogs::kIdNo};
    EXPECT_FALSE(link.Session().Disconnect());
}

// A connect the board never answered ends disconnected, a reconnect after
// a restart as well: a board plugged in afterwards (or while the user reads
// the message) is not connected by itself.
TEST_F(TableLink, AConnectNeverAnsweredEndsDisconnected)
{
    struct Case {
        const char* what;
        const char* until;  // the reply never given
        bool afterRestart;
    } cases[] = {
        {"01/25", "01/25", false},
        {"01/21", "01/21", false},
        {"the image", "", false},
        {"01/25 after a restart", "01/25", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.afterRestart) {
            ASSERT_TRUE(link.Commands().RequestReboot(false));
            Feed(Reply(5, 0x22, ItemInt(0)));
            link.Presence().OnPortArrival();
            Feed(std::vector<uint8_t>{SyncAnswer()});
            link.Session().OnTimer(CLinkSession::kTimerSync);
        }
        IdentifyUntil(c.until);
        const int disconnects = host.disconnects;
        host.onMessage = [this] {
            host.onMessage = nullptr;
            link.Presence().OnPortArrival();
        };
        Advance(kJob);
        EXPECT_TRUE(NoAnswerShown(*this));
        EXPECT_FALSE(port.open);
        EXPECT_EQ(host.disconnects, disconnects + 1);
        ExpectIdle(c.what);
        link.Presence().OnPortArrival();
        EXPECT_FALSE(port.open);
        Synced();
        link.Session().OnTimer(CLinkSession::kTimerSync);
        host.KillTimer(CLinkSession::kTimerOpenWaitBox);
        host.messages.clear();
    }
}

} // namespace
