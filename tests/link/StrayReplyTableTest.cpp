// Every job against every reply or event of another kind arriving in its
// middle: the job's state stays as it was and it ends as it ends without
// the stray, with its own result (the boot loader's steps as well).
#include <gtest/gtest.h>

#include "LinkTables.h"

namespace {

using Bytes = std::vector<uint8_t>;
using T = TableLink;
using Stray = std::pair<std::string, Bytes>;
using Svc = CBootLoaderService;

Bytes Line(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes Uptime() { return Bytes{0, 3, 0, 8, 0, 0, 0, 0, 0, 0, 0x10, 0}; }

// Replies and events a board may send at any time, by name.
const std::vector<Stray>& Strays()
{
    static const std::vector<Stray> strays = {
        {"01/25", Reply(1, 0x25, ItemBytes({3, 7, 9}))},
        {"01/25 refused", Reply(1, 0x25, ItemInt(1), true)},
        {"01/11", Reply(1, 0x11, ItemInt(1 << 20))},
        {"01/21", Reply(1, 0x21, ItemBytes({0xAB, 1}))},
        {"01/23", Reply(1, 0x23, ItemBytes({0x5A}))},
        {"01/33", Reply(1, 0x33, ItemBytes({0xDE}))},
        {"01/40", Reply(1, 0x40, ItemInt(0))},
        {"01/51", Reply(1, 0x51, ItemInt(0) + ItemInt(2))},
        {"01/60", Reply(1, 0x60, Text("v") + ItemInt(1))},
        {"01/60 refused", Reply(1, 0x60, ItemInt(1), true)},
        {"02/21", Reply(2, 0x21, ItemInt(0))},
        {"03/11", Reply(3, 0x11, ItemInt(0))},
        {"03/21", Reply(3, 0x21, ItemInt(0))},
        {"03/21 refused", Reply(3, 0x21, ItemInt(16), true)},
        {"03/24", Reply(3, 0x24, ItemInt(16), true)},
        {"03/30", Reply(3, 0x30, ItemInt(0))},
        {"03/41", Reply(3, 0x41, ItemInt(0))},
        {"03/50", Reply(3, 0x50, ItemInt(0))},
        {"03/50 refused", Reply(3, 0x50, ItemInt(1), true)},
        {"04/10", Reply(4, 0x10, ItemInt(0))},
        {"04/21", Reply(4, 0x21, ItemInt(0))},
        {"04/22", Reply(4, 0x22, ItemInt(0))},
        {"04/24", Reply(4, 0x24, ItemInt(0))},
        {"05/10", Reply(5, 0x10, Uptime())},
        {"05/22", Reply(5, 0x22, ItemInt(0))},
        {"05/24", Reply(5, 0x24, ItemInt(0))},
        {"05/24 refused", Reply(5, 0x24, ItemInt(1), true)},
        {"05/30", Reply(5, 0x30, ItemInt(0))},
        {"05/30 refused", Reply(5, 0x30, ItemInt(1), true)},
        {"05/41", Reply(5, 0x41, ItemBytes(Bytes(16, 0x11)))},
        {"05/42", Reply(5, 0x42, ItemInt(0))},
        {"05/51", Reply(5, 0x51, ItemInt(0))},
        {"06/13", Reply(6, 0x13, ItemInt(0))},
        {"06/42", Reply(6, 0x42, ItemInt(0) + ItemInt(2) + ItemText("a.php"))},
        {"break event", Frame(2, 1, 0x20, ItemInt(0) + ItemInt(3) + ItemText("a.php"))},
        {"resource event", Frame(2, 2, 0x20, ItemInt(1) + ItemInt(2) + ItemInt(3))},
        {"output", Frame(3, 0, 0, Text("hello"))},
        {"firmware log", Frame(4, 0, 0, Text("fw"))},
        {"data", LinkFrame::DataChunk(0, reinterpret_cast<const uint8_t*>("junk"), 4)},
        {"window", LinkFrame::WindowFrame(0, 64)},
        {"boot loader line", Line("200 Command OK\r\n")},
    };
    return strays;
}

// What the boot loader may send at any time.
const std::vector<Stray>& BootStrays()
{
    static const std::vector<Stray> strays = {
        {"100", Line("100 ISP boot loader ready\r\n")},
        {"201", Line("201 Send Firmware\r\n")},
        {"202", Line("202 Test OK\r\n")},
        {"200", Line("200 Command OK\r\n")},
        {"204", Line("204 CRC OK\r\n")},
        {"dump line", Line("65 56 6E 53\r\n")},
        {"echo", Line("de 0\r\n")},
        {"text", Line("hello from the boot loader\r\n")},
        {"frame", Frame(3, 0, 0, ItemText("output")) + Line("\r\n")},
    };
    return strays;
}

const Bytes kSettings = Block({Bytes{0x0C, 0, 0x0C, 0, 'Z', 'X', '1', '0', '0', '1', 0xA6, 0x2F}, Bytes{0xFF, 0, 0, 0}});
const Bytes kKeys = Block({Bytes(200, 1)}, EnvBlock::kMagicKeys);

void Serve(T& t, const Bytes& data, uint8_t group, uint8_t code)
{
    if (!data.empty())
        t.Feed(LinkFrame::DataChunk(0, data.data(), data.size()));
    t.Feed(Reply(group, code, ItemInt(static_cast<int32_t>(data.size()))));
}

// The board pulls the write through windows, then answers with the count.
void Pull(T& t, uint8_t code, int32_t count)
{
    for (int i = 0; i < 100 && !t.link.Session().WriteAllSent(); ++i)
        t.Feed(LinkFrame::WindowFrame(0, 64));
    t.Feed(Reply(4, code, ItemInt(count)));
}

void ReadSettings(T& t)
{
    t.link.Settings().RequestSettingsBlock();
    Serve(t, kSettings, 3, 0x21);
    t.host.settingsRead = 0;
}

// The identification's own replies, in the order the chain asks for them.
void AnswerIdentification(T& t)
{
    t.Feed(Reply(1, 0x25, ItemBytes({3, 7, 9})) + Reply(1, 0x11, ItemInt(1 << 20)) +
           Reply(1, 0x21, ItemBytes({0xAB, 1})) + Reply(1, 0x22, ItemBytes({0x5A})) +
           Reply(1, 0x23, ItemBytes(Bytes(12, 0x22))) + Reply(1, 0x24, ItemBytes(Bytes(6, 1))) +
           Reply(1, 0x40, ItemInt(0)) + Reply(1, 0x40, ItemInt(0)) + Reply(1, 0x33, ItemBytes({0xDE})));
    t.Feed(Reply(3, 0x11, ItemInt(16), true));
}

const StrayJob kJobs[] = {
    {"identification", [](T& t) { t.Identify(); },
     {"01/25", "01/25 refused", "01/11", "01/21", "01/23", "01/33", "01/40", "05/41", "05/42", "03/11"},
     AnswerIdentification,
     [](T& t) { return t.link.Identity().IsIdentified() && !t.link.Session().IsJobRunning(); }},
    {"settings read", [](T& t) { t.link.Settings().RequestSettingsBlock(); }, {"03/21", "03/21 refused", "data"},
     [](T& t) { Serve(t, kSettings, 3, 0x21); }, [](T& t) { return t.host.settingsRead == 1; }},
    {"certificate read", [](T& t) { t.link.Commands().ReadCertBlock(); }, {"03/24", "data"},
     [](T& t) { Serve(t, Block({Bytes(20, 2)}, EnvBlock::kMagicCert), 3, 0x24); },
     [](T& t) { return t.host.certRecords.size() == 20; }},
    {"settings write",
     [](T& t) {
         ReadSettings(t);
         t.link.Settings().WriteSettings(t.link.Settings().Generation());
     },
     {"04/21", "window"}, [](T& t) { Pull(t, 0x21, static_cast<int32_t>(kSettings.size())); },
     [](T& t) { return t.host.settingsWritten == std::vector<bool>{true}; }},
    {"key block write", [](T& t) { t.link.Commands().WriteKeyBlock(kKeys); }, {"04/22", "window"},
     [](T& t) { Pull(t, 0x22, static_cast<int32_t>(kKeys.size())); },
     [](T& t) { return t.host.blocksWritten.size() == 1 && t.host.blocksWritten[0].second; }},
    {"certificate block write", [](T& t) { t.link.Commands().WriteCertBlock(kKeys); }, {"04/24", "window"},
     [](T& t) { Pull(t, 0x24, static_cast<int32_t>(kKeys.size())); },
     [](T& t) { return t.host.blocksWritten.size() == 1 && t.host.blocksWritten[0].second; }},
    {"error log", [](T& t) { t.link.Queries().RequestErrorLog(false); }, {"03/41", "data"},
     [](T& t) {
         Serve(t, Bytes{'e', 'r', 'r'}, 3, 0x41);
         t.Advance(20);
     },
     [](T& t) { return Told(t, "error log"); }},
    {"product information", [](T& t) { t.link.Queries().RequestProductInfo(); }, {"05/10"},
     [](T& t) { t.Feed(Reply(5, 0x10, Uptime())); },
     [](T& t) { return t.link.Queries().Running() == CBoardQueriesService::Chain::kInfoBlock; }},
    {"clock read", [](T& t) { t.link.Queries().RequestRtcDate(); }, {"05/30", "05/30 refused"},
     [](T& t) {
         t.Feed(Reply(5, 0x30, Text("20260102030405")));
         t.Advance(20);
     },
     [](T& t) { return Told(t, "rtc"); }},
    {"watch value",
     [](T& t) {
         t.PausedWith({"$a", "$b"});
         t.link.Debugger().OnWatchNext(0, true);
     },
     {"01/60", "01/60 refused", "break event"}, [](T& t) { t.Feed(Reply(1, 0x60, Text("v") + ItemInt(1))); },
     [](T& t) { return t.host.values[0] == "STR[1]|v|76" && t.link.Debugger().WatchRow() == 1; }},
    {"long watch string",
     [](T& t) {
         t.PausedWith({"$s"});
         t.link.Debugger().OnWatchNext(0, true);
         t.Feed(Reply(1, 0x60, Text("ab") + ItemInt(70)));
     },
     {"03/50", "03/50 refused", "data", "break event"},
     [](T& t) { Serve(t, Bytes(70, 'x'), 3, 0x50); },
     [](T& t) { return t.host.values[0].rfind("STR[70]|" + std::string(70, 'x') + "|", 0) == 0; }},
    {"breakpoint list",
     [](T& t) {
         t.host.openFile = "a.php";
         t.link.Debugger().ReadBreakpoints("a.php");
     },
     {"06/42"}, [](T& t) { t.Feed(Reply(6, 0x42, ItemInt(0) + ItemInt(5) + ItemText("a.php"))); },
     [](T& t) { return t.host.marks.count(4) == 1 && t.link.Debugger().IsReadingBreakpoints(); }},
    {"upload",
     [](T& t) {
         t.Identified(1 << 20);
         t.Add("a.php", "<?php echo 1; ?>");
         t.link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
         t.link.Files().OnUploadStart();
         t.Feed(Reply(5, 0x51, ItemInt(0)));
     },
     {"04/10", "05/51", "window"},
     [](T& t) {
         for (int i = 0; i < 100 && !t.link.Session().WriteAllSent(); ++i)
             t.Feed(LinkFrame::WindowFrame(0, 64));
     },
     [](T& t) {
         return t.link.Session().GetTransferType() == CLinkSession::kTransferUpload &&
                t.link.Session().SentCount() == t.link.Session().Image().count;
     }},
    // The restart into the boot loader; the board comes back as its boot
    // loader and the upgrade dialog goes on.
    {"restart into the boot loader", [](T& t) { EXPECT_EQ(0, t.link.BootLoader().OnUpgradeRestartIsp()); }, {},
     [](T& t) {
         t.Feed(Reply(5, 0x23, ItemInt(0)));
         EXPECT_FALSE(t.port.open);
         EXPECT_TRUE(t.link.Session().IsReconnectPending());
         t.link.Session().Connect("COM3");
         t.Line("100 ISP boot loader ready\r\n");
     },
     [](T& t) { return t.host.events == std::vector<std::string>{"connected"} && t.host.messages.empty(); }},
};

// The environment dump of a block that names the installed firmware.
std::string DumpLines(const std::string& name)
{
    const Bytes b = Block({RecordBytes(0x0C, 0, Bytes(name.c_str(), name.c_str() + name.size() + 1))});
    std::string text = "de 0\r\n";
    char hex[4];
    for (size_t i = 0; i < b.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02X ", b[i]);
        text += hex + std::string(i % 16 == 15 || i + 1 == b.size() ? "\r\n" : "");
    }
    return text;
}

// One point of a whole upgrade: what happens there, and the strays that are
// the awaited answer's own there.
struct Point {
    const char* what;
    std::function<void(T&)> run;
    std::vector<std::string> own;
};

// The jobs above, and a whole upgrade with a stray before each of its
// points: a job per point.
std::vector<StrayJob> Jobs()
{
    auto board = [](const std::string& line) { return [line](T& t) { t.Line(line); }; };
    auto tick = [](unsigned id) { return [id](T& t) { t.Tick(id); }; };
    static const std::vector<Point> points = {
        {"dump asked",
         [](T& t) {
             t.link.BootLoader().OnUpgradeRestartIsp();
             t.link.BootLoader().OnIspDumpEnv();
         },
         {}},
        // "200 " ends the dump and hex lines are its data.
        {"dump lines", board(DumpLines("ZV-FW-STD")), {"200", "dump line"}},
        {"dump end", board("200 Environment done\r\n"), {"200", "dump line"}},
        {"tf 0", [](T& t) { t.link.BootLoader().OnIspTestFirmware(t.image.data(), t.image.size()); }, {}},
        {"201 for the header", board("201 Send Firmware\r\n"), {"201"}},
        {"202", board("202 Test OK\r\n"), {"202"}},
        {"the test's pause", tick(Svc::kTimerTestOk), {}},
        {"uf", [](T& t) { t.link.BootLoader().OnStartUpgrade(t.image.data(), t.image.size()); }, {}},
        {"200 to uf", board("200 Command OK\r\n"), {"200"}},
        {"200 to ef", board("200 Command OK\r\n"), {"200"}},
        {"200 to uf again", board("200 Command OK\r\n"), {"200"}},
        // "204" before the image's end is a failure, not a stray.
        {"201 for the image", board("201 Send Firmware\r\n"), {"201", "204"}},
        {"first block", tick(Svc::kTimerStream), {"204"}},
        {"the other blocks", [](T& t) { t.RunStream(); }, {"204"}},
        {"204", board("204 CRC OK\r\n"), {"204"}},
        {"boot flag due", tick(Svc::kTimerBootFlag), {}},
        {"200 to bf", board("200 Command OK\r\n"), {"200"}},
    };
    std::vector<StrayJob> jobs(std::begin(kJobs), std::end(kJobs));
    auto upgraded = [](T& t) {
        return t.host.events == std::vector<std::string>{"name ZV-FW-STD", "test ok", "result ok"} &&
               !t.port.writes.empty() && t.port.writes.back() == Line("jf 10\r") && !t.port.open;
    };
    for (size_t at = 1; at < points.size(); ++at) {
        auto run = [](size_t from, size_t to) {
            return [from, to](T& t) {
                for (size_t i = from; i < to; ++i)
                    points[i].run(t);
            };
        };
        jobs.push_back({std::string("upgrade before ") + points[at].what, run(0, at), points[at].own,
                        run(at, points.size()), upgraded, true});
    }
    return jobs;
}

// A link of its own for each run.
struct PairLink : TableLink {
    void TestBody() override {}
};

// A run of a job, a stray fed in its middle: the job's check, and what it
// left (its state, all the link told its host and, for the boot loader's
// steps, every byte written; a framed reply may ask for more, as a run's
// asks for the task state).
std::string RunJob(const StrayJob& job, const Stray* stray)
{
    PairLink t;
    t.bootLoader = job.bootLoader;
    t.SetUp();
    job.start(t);
    const std::string before = JobState(t);
    if (stray) {
        t.Feed(stray->second);
        EXPECT_EQ(JobState(t), before) << "the stray changed the job";
    }
    job.finish(t);
    EXPECT_TRUE(job.done(t)) << "the job did not end with its own result";
    using testing::PrintToString;
    return JobState(t) + "\ntold " + PrintToString(t.host.told) + "\nreports " + PrintToString(t.host.events) +
           "\nmessages " + PrintToString(t.host.messages) + (job.bootLoader ? "\nwrote " + PrintToString(t.Written()) : "");
}

class StrayTable : public ::testing::TestWithParam<StrayJob> {};

TEST_P(StrayTable, OtherRepliesLeaveTheJobAlone)
{
    const StrayJob& job = GetParam();
    const std::string clean = RunJob(job, nullptr);
    ASSERT_FALSE(HasFailure()) << "without a stray";
    for (const Stray& stray : job.bootLoader ? BootStrays() : Strays()) {
        if (std::find(job.own.begin(), job.own.end(), stray.first) != job.own.end())
            continue;
        SCOPED_TRACE(job.what + " <- " + stray.first);
        EXPECT_EQ(RunJob(job, &stray), clean);
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, StrayTable, ::testing::ValuesIn(Jobs()),
                         [](const ::testing::TestParamInfo<StrayJob>& i) { return std::to_string(i.index); });

} // namespace
