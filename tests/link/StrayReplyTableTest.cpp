// Every job against every reply or event of another kind arriving before
// each of its steps: the job's state stays as it was and it ends as it ends
// without the stray, with its own result (the boot loader's steps as well).
#include <gtest/gtest.h>

#include "LinkTables.h"

#include <sstream>

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
        {"01/31", Reply(1, 0x31, ItemBytes({0xEE}))},
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
        {"05/23", Reply(5, 0x23, ItemInt(0))},
        {"05/23 refused", Reply(5, 0x23, ItemInt(1), true)},
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

using Step = JobStep;
using Own = std::vector<std::string>;

Step Feeds(const std::string& what, Bytes reply, Own own)
{
    return {what, [reply](T& t) { t.Feed(reply); }, std::move(own)};
}

// A block read's data, then the reply that counts it.
std::vector<Step> Served(const Bytes& data, uint8_t group, uint8_t code, Own own)
{
    return {Feeds("data", LinkFrame::DataChunk(0, data.data(), data.size()), own),
            Feeds(own.front(), Reply(group, code, ItemInt(static_cast<int32_t>(data.size()))), own)};
}

// The board pulls the write through windows, then answers with the count.
std::vector<Step> Pulled(uint8_t code, int32_t count, Own own)
{
    return {{"windows",
             [](T& t) {
                 for (int i = 0; i < 100 && !t.link.Session().WriteAllSent(); ++i)
                     t.Feed(LinkFrame::WindowFrame(0, 64));
             },
             own},
            Feeds(own.front(), Reply(4, code, ItemInt(count)), {own.front()})};
}

void ReadSettings(T& t)
{
    t.link.Settings().RequestSettingsBlock();
    t.Feed(LinkFrame::DataChunk(0, kSettings.data(), kSettings.size()));
    t.Feed(Reply(3, 0x21, ItemInt(static_cast<int32_t>(kSettings.size()))));
    t.host.settingsRead = 0;
}

// The identification's own replies from 01/25 on, in the order the chain
// asks for them, each awaited alone.
std::vector<Step> IdentificationReplies()
{
    return {
        Feeds("01/25", Reply(1, 0x25, ItemBytes({3, 7, 9})), {"01/25", "01/25 refused"}),
        Feeds("01/11", Reply(1, 0x11, ItemInt(1 << 20)), {"01/11"}),
        Feeds("01/21", Reply(1, 0x21, ItemBytes({0xAB, 1})), {"01/21"}),
        Feeds("01/22", Reply(1, 0x22, ItemBytes({0x5A})), {}),
        Feeds("01/23", Reply(1, 0x23, ItemBytes(Bytes(12, 0x22))), {"01/23"}),
        Feeds("01/24", Reply(1, 0x24, ItemBytes(Bytes(6, 1))), {}),
        Feeds("01/40 wired", Reply(1, 0x40, ItemInt(0)), {"01/40"}),
        Feeds("01/40 wireless", Reply(1, 0x40, ItemInt(0)), {"01/40"}),
        Feeds("01/33", Reply(1, 0x33, ItemBytes({0xDE})), {"01/33"}),
        Feeds("03/11", Reply(3, 0x11, ItemInt(16), true), {"03/11", "data"}),
    };
}

std::vector<Step> Then(std::vector<Step> a, const std::vector<Step>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The last frame written is this request.
bool LastSent(T& t, uint8_t group, uint8_t code)
{
    return !t.port.writes.empty() && t.port.writes.back().size() >= 8 && (t.port.writes.back()[4] & 0x0F) == group &&
           t.port.writes.back()[5] == code;
}

std::vector<StrayJob> ScriptJobs()
{
    return {
        {"identification", Then({{"start", [](T& t) { t.Identify(); }, {}}}, IdentificationReplies()),
         [](T& t) { return t.link.Identity().IsIdentified() && !t.link.Session().IsJobRunning(); }},
        // A board with a user password: one prompt, one answer.
        {"identification with a login",
         Then({{"start",
                [](T& t) {
                    t.host.passwords = {"secret"};
                    t.Identify();
                },
                {}},
               Feeds("01/25 refused", Reply(1, 0x25, ItemInt(1), true), {"01/25", "01/25 refused"}),
               Feeds("05/41", Reply(5, 0x41, ItemBytes(Bytes(16, 0x11))), {"05/41"}),
               Feeds("01/23 before the prompt", Reply(1, 0x23, ItemBytes(Bytes(12, 0x22))), {"01/23"}),
               Feeds("05/42", Reply(5, 0x42, ItemInt(0)), {"05/42"})},
              // From here on as without a login (a step each there).
              {{"the identification",
                [](T& t) {
                    for (const Step& s : IdentificationReplies())
                        s.run(t);
                },
                {"01/25", "01/25 refused"}}}),
         [](T& t) {
             return t.link.Identity().IsIdentified() && t.link.Identity().IsLoggedIn() && t.host.passwordPrompts == 1 &&
                    !t.link.Session().IsJobRunning();
         }},
        {"settings read",
         Then({{"start", [](T& t) { t.link.Settings().RequestSettingsBlock(); }, {}}},
              Served(kSettings, 3, 0x21, {"03/21", "03/21 refused", "data"})),
         [](T& t) { return t.host.settingsRead == 1; }},
        {"certificate read",
         Then({{"start", [](T& t) { t.link.Commands().ReadCertBlock(); }, {}}},
              Served(Block({Bytes(20, 2)}, EnvBlock::kMagicCert), 3, 0x24, {"03/24", "data"})),
         [](T& t) { return t.host.certRecords.size() == 20; }},
        {"settings write",
         Then({{"start",
                [](T& t) {
                    ReadSettings(t);
                    t.link.Settings().WriteSettings(t.link.Settings().Generation());
                },
                {}}},
              Pulled(0x21, static_cast<int32_t>(kSettings.size()), {"04/21", "window"})),
         [](T& t) { return t.host.settingsWritten == std::vector<bool>{true}; }},
        {"key block write",
         Then({{"start", [](T& t) { t.link.Commands().WriteKeyBlock(kKeys); }, {}}},
              Pulled(0x22, static_cast<int32_t>(kKeys.size()), {"04/22", "window"})),
         [](T& t) { return t.host.blocksWritten.size() == 1 && t.host.blocksWritten[0].second; }},
        {"certificate block write",
         Then({{"start", [](T& t) { t.link.Commands().WriteCertBlock(kKeys); }, {}}},
              Pulled(0x24, static_cast<int32_t>(kKeys.size()), {"04/24", "window"})),
         [](T& t) { return t.host.blocksWritten.size() == 1 && t.host.blocksWritten[0].second; }},
        {"error log",
         Then(Then({{"start", [](T& t) { t.link.Queries().RequestErrorLog(false); }, {}}},
                   Served(Bytes{'e', 'r', 'r'}, 3, 0x41, {"03/41", "data"})),
              {{"the report's pause", [](T& t) { t.Advance(20); }, {}}}),
         [](T& t) { return Told(t, "error log"); }},
        {"product information",
         {{"start", [](T& t) { t.link.Queries().RequestProductInfo(); }, {}},
          Feeds("05/10", Reply(5, 0x10, Uptime()), {"05/10"})},
         [](T& t) { return t.link.Queries().Running() == CBoardQueriesService::Chain::kInfoBlock; }},
        {"clock read",
         {{"start", [](T& t) { t.link.Queries().RequestRtcDate(); }, {}},
          Feeds("05/30", Reply(5, 0x30, Text("20260102030405")), {"05/30", "05/30 refused"}),
          {"the report's pause", [](T& t) { t.Advance(20); }, {}}},
         [](T& t) { return Told(t, "rtc"); }},
        {"watch value",
         {{"start",
           [](T& t) {
               t.PausedWith({"$a", "$b"});
               t.link.Debugger().OnWatchNext(0, true);
           },
           {}},
          Feeds("01/60", Reply(1, 0x60, Text("v") + ItemInt(1)), {"01/60", "01/60 refused", "break event"})},
         [](T& t) { return t.host.values[0] == "STR[1]|v|76" && t.link.Debugger().WatchRow() == 1; }},
        {"long watch string",
         Then({{"start",
                [](T& t) {
                    t.PausedWith({"$s"});
                    t.link.Debugger().OnWatchNext(0, true);
                },
                {}},
               Feeds("01/60", Reply(1, 0x60, Text("ab") + ItemInt(70)), {"01/60", "01/60 refused", "break event"})},
              Served(Bytes(70, 'x'), 3, 0x50, {"03/50", "03/50 refused", "data", "break event"})),
         [](T& t) { return t.host.values[0].rfind("STR[70]|" + std::string(70, 'x') + "|", 0) == 0; }},
        {"breakpoint list",
         {{"start",
           [](T& t) {
               t.host.openFile = "a.php";
               t.link.Debugger().ReadBreakpoints("a.php");
           },
           {}},
          Feeds("06/42", Reply(6, 0x42, ItemInt(0) + ItemInt(5) + ItemText("a.php")), {"06/42"})},
         [](T& t) { return t.host.marks.count(4) == 1 && t.link.Debugger().IsReadingBreakpoints(); }},
        // The whole upload: the write, the board's count, the read-back of the
        // image it now holds, and the script started.
        {"upload",
         {{"start",
           [](T& t) {
               t.Identified(1 << 20);
               t.Add("a.php", "<?php echo 1; ?>");
               t.link.Files().SetUploadStarted(true);
               t.link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
               t.link.Files().OnUploadStart();
           },
           {}},
          Feeds("05/51", Reply(5, 0x51, ItemInt(0)), {"05/51"}),
          {"windows",
           [](T& t) {
               for (int i = 0; i < 100 && !t.link.Session().WriteAllSent(); ++i)
                   t.Feed(LinkFrame::WindowFrame(0, 64));
               const TransferBuffer& image = t.link.Session().Image();
               t.board.assign(image.data.begin(), image.data.begin() + image.count);
           },
           {"window", "04/10"}},
          {"04/10", [](T& t) { t.Feed(Reply(4, 0x10, ItemInt(static_cast<int32_t>(t.board.size())))); }, {"04/10"}},
          Feeds("01/31", Reply(1, 0x31, ItemBytes({1, 2})), {"01/31"}),
          Feeds("01/21", Reply(1, 0x21, ItemBytes({0xAB, 2})), {"01/21"}),
          {"data", [](T& t) { t.Feed(LinkFrame::DataChunk(0, t.board.data(), t.board.size())); }, {"03/11", "data"}},
          {"03/11", [](T& t) { t.Feed(Reply(3, 0x11, ItemInt(static_cast<int32_t>(t.board.size())))); },
           {"03/11", "data"}},
          Feeds("02/21", Reply(2, 0x21, ItemInt(0)), {"02/21"})},
         [](T& t) {
             return !t.link.Session().IsJobRunning() && t.link.Files().Entries().At(0).state == FileEntry::kInStep &&
                    LastSent(t, 1, 0x51);
         }},
        // The restart into the boot loader; the board comes back as its boot
        // loader and the upgrade dialog goes on. (While the port is closed
        // nothing can arrive, and the sync wait takes any first chunk as
        // the board's answer: strays are fed only before the restart's reply.)
        {"restart into the boot loader",
         {{"start", [](T& t) { EXPECT_EQ(0, t.link.BootLoader().OnUpgradeRestartIsp()); }, {}},
          {"05/23",
           [](T& t) {
               t.Feed(Reply(5, 0x23, ItemInt(0)));
               EXPECT_FALSE(t.port.open);
               EXPECT_TRUE(t.link.Session().IsReconnectPending());
               t.link.Session().Connect("COM3");
               t.Line("100 ISP boot loader ready\r\n");
           },
           {"05/23", "05/23 refused"}}},
         [](T& t) {
             return t.host.events == std::vector<std::string>{"connected"} && t.host.messages.empty() &&
                    !t.link.Session().IsReconnectPending();
         }},
    };
}

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

// A whole upgrade through the boot loader.
StrayJob Upgrade()
{
    auto board = [](const std::string& line) { return [line](T& t) { t.Line(line); }; };
    auto tick = [](unsigned id) { return [id](T& t) { t.Tick(id); }; };
    std::vector<Step> steps = {
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
        // Until its last block is out, no answer to the image is awaited.
        {"201 for the image", board("201 Send Firmware\r\n"), {"201"}},
        {"first block", tick(Svc::kTimerStream), {}},
        {"second block", tick(Svc::kTimerStream), {}},
        {"last block", [](T& t) { t.RunStream(); }, {}},
        {"204", board("204 CRC OK\r\n"), {"204"}},
        {"boot flag due", tick(Svc::kTimerBootFlag), {}},
        {"200 to bf", board("200 Command OK\r\n"), {"200"}},
    };
    return {"upgrade", steps,
            [](T& t) {
                return t.host.events == std::vector<std::string>{"name ZV-FW-STD", "test ok", "result ok"} &&
                       !t.port.writes.empty() && t.port.writes.back() == Line("jf 10\r") && !t.port.open;
            },
            true};
}

const std::vector<StrayJob>& Jobs()
{
    static const std::vector<StrayJob> jobs = [] {
        std::vector<StrayJob> all = ScriptJobs();
        all.push_back(Upgrade());
        return all;
    }();
    return jobs;
}

// A stray fed before one step of a job (never before its start).
struct Point {
    const StrayJob* job;
    size_t at;
};

void PrintTo(const Point& p, std::ostream* os) { *os << p.job->what << " before " << p.job->steps[p.at].what; }

std::vector<Point> Points()
{
    std::vector<Point> points;
    for (const StrayJob& job : Jobs())
        for (size_t at = 1; at < job.steps.size(); ++at)
            points.push_back({&job, at});
    return points;
}

// A link of its own for each run.
struct PairLink : TableLink {
    void TestBody() override {}
};

// A run of a job, a stray fed before step `at`: the job's check, and what
// it left (its state, all the link told its host and, for the boot loader's
// steps, every byte written; a framed reply may ask for more, as a run's
// asks for the task state).
std::string RunJob(const Point& p, const Stray* stray)
{
    const StrayJob& job = *p.job;
    PairLink t;
    t.bootLoader = job.bootLoader;
    t.SetUp();
    for (size_t i = 0; i < job.steps.size(); ++i) {
        if (i == p.at && stray) {
            const std::string before = JobState(t);
            t.Feed(stray->second);
            EXPECT_EQ(JobState(t), before) << "the stray changed the job";
        }
        job.steps[i].run(t);
    }
    EXPECT_TRUE(job.done(t)) << "the job did not end with its own result";
    using testing::PrintToString;
    return JobState(t) + "\ntold " + PrintToString(t.host.told) + "\nreports " + PrintToString(t.host.events) +
           "\nmessages " + PrintToString(t.host.messages) + (job.bootLoader ? "\nwrote " + PrintToString(t.Written()) : "");
}

class StrayTable : public ::testing::TestWithParam<Point> {};

TEST_P(StrayTable, OtherRepliesLeaveTheJobAlone)
{
    const Point& p = GetParam();
    const std::string clean = RunJob(p, nullptr);
    ASSERT_FALSE(HasFailure()) << "without a stray";
    const Own& own = p.job->steps[p.at].own;
    for (const Stray& stray : p.job->bootLoader ? BootStrays() : Strays()) {
        if (std::find(own.begin(), own.end(), stray.first) != own.end())
            continue;
        std::ostringstream where;
        PrintTo(p, &where);
        SCOPED_TRACE(where.str() + " <- " + stray.first);
        EXPECT_EQ(RunJob(p, &stray), clean);
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, StrayTable, ::testing::ValuesIn(Points()),
                         [](const ::testing::TestParamInfo<Point>& i) { return std::to_string(i.index); });

} // namespace
