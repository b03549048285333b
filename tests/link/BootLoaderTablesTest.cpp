// The boot loader's rows of the link's two tables. Silence: for every line
// the program sends the boot loader (and the restart into it), a board that
// answers nothing ends the attempt within its guard, the upgrade dialog is
// told, and nothing is left running. Stray replies: a line or frame of
// another kind in the middle of a step changes neither the step nor how the
// upgrade ends.
#include "LinkFakes.h"

#include <memory>

namespace {

using Svc = CBootLoaderService;


// One link on a scripted port per run: the rows start from nothing.
struct Rig {
    FakePort port;
    UpgradeHost host;
    CStdLinkFiles files;
    CDeviceLink link{port, host, files};
    Svc& boot = link.BootLoader();
    std::vector<uint8_t> image = std::vector<uint8_t>(10000);

    Rig()
    {
        for (size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<uint8_t>(i * 13 + 5);
    }
    void Feed(const std::string& text)
    {
        port.input.insert(port.input.end(), text.begin(), text.end());
        link.Session().OnSerialEvent(ILinkPort::kEvRxChar);
    }
    void Tick(unsigned id)
    {
        if (host.HasTimer(id))
            link.Session().OnTimer(id);
    }
    // The port opened, the sync answered by the script firmware or the boot loader.
    void Connect(bool isp)
    {
        link.Session().Connect("COM3");
        const uint8_t answer = static_cast<uint8_t>((link.Session().GetSyncByte() - 0x20) ^ 0x3F);
        Feed(isp ? std::string("100 ISP boot loader ready\r\n") : std::string(1, static_cast<char>(answer)));
        Tick(CLinkSession::kTimerSync);
        Tick(CLinkSession::kTimerOpenWaitBox);
        link.Session().CloseJob();
        port.writes.clear();
        host.messages.clear();
    }
    void Stream()
    {
        while (host.HasTimer(Svc::kTimerStream))
            link.Session().OnTimer(Svc::kTimerStream);
    }
    std::string Written()
    {
        auto w = port.TakeWrites();
        return std::string(w.begin(), w.end());
    }
};

// The environment dump of a block that names the installed firmware.
std::string DumpLines(const std::string& name)
{
    std::vector<uint8_t> b;
    EnvBlock::Begin(b);
    EnvBlock::AppendRecord(b, 0x0C, 0, name.data(), name.size() + 1);
    EnvBlock::Finish(b, EnvBlock::kMagicSettings);
    std::string text = "de 0\r\n";
    for (size_t at = 0; at < b.size(); at += 16) {
        for (size_t i = at; i < std::min(b.size(), at + 16); ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X ", b[i]);
            text += hex;
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

// ---- silence

TEST(BootLoaderSilence, EveryLineEndsWithinItsGuard)
{
    using Start = std::function<void(Rig&)>;
    auto toProgram = [](Rig& r) {
        r.boot.OnStartUpgrade(r.image.data(), r.image.size());
        for (int i = 0; i < 3; ++i)
            r.Feed("200 Command OK\r\n");
    };
    // The image's line time at 115200 baud on top of the step's guard.
    const unsigned afterImage = Svc::kDefaultStepMs + 10000 * 10 * 1000 / 115200;
    struct Row {
        const char* what;
        bool isp;
        Start start;  // sends the line; the board's answer is then awaited
        unsigned guardMs;
        std::vector<std::string> told;
        bool reconnectPending;
    } rows[] = {
        {"05/23 restart into the boot loader", false, [](Rig&) {}, Svc::kDefaultStepMs, {"result failed"}, false},
        {"05/23 accepted, the board never comes back", false, [](Rig& r) {
             auto reply = Reply(5, 0x23, ItemInt(0));
             r.Feed(std::string(reply.begin(), reply.end()));
         }, Svc::kDefaultStepMs, {"result failed"}, true},
        {"de 0", true, [](Rig& r) { r.boot.OnIspDumpEnv(); }, Svc::kDefaultStepMs, {"result failed"}, false},
        {"de 0, part of the dump", true, [](Rig& r) {
             r.boot.OnIspDumpEnv();
             r.Feed("de 0\r\n65 56 6E 53\r\n");
         }, Svc::kDefaultStepMs, {"result failed"}, false},
        {"tf 0", true, [](Rig& r) { r.boot.OnIspTestFirmware(r.image.data(), r.image.size()); },
         Svc::kDefaultStepMs, {"result failed"}, false},
        {"the test header", true, [](Rig& r) {
             r.boot.OnIspTestFirmware(r.image.data(), r.image.size());
             r.Feed("201 Send Firmware\r\n");
         }, Svc::kDefaultStepMs, {"result failed"}, false},
        {"uf", true, [](Rig& r) { r.boot.OnStartUpgrade(r.image.data(), r.image.size()); }, Svc::kDefaultStepMs,
         {"result failed"}, false},
        {"ef", true, [](Rig& r) {
             r.boot.OnStartUpgrade(r.image.data(), r.image.size());
             r.Feed("200 Command OK\r\n");
         }, Svc::kDefaultStepMs, {"result failed"}, false},
        {"uf again", true, [](Rig& r) {
             r.boot.OnStartUpgrade(r.image.data(), r.image.size());
             r.Feed("200 Command OK\r\n200 Command OK\r\n");
         }, Svc::kDefaultStepMs, {"result failed"}, false},
        {"pf", true, toProgram, Svc::kDefaultStepMs, {"result failed"}, false},
        {"the image", true, [=](Rig& r) {
             toProgram(r);
             r.Feed("201 Send Firmware\r\n");
             r.Stream();
         }, afterImage, {"result failed"}, false},
        {"bf", true, [=](Rig& r) {
             toProgram(r);
             r.Feed("201 Send Firmware\r\n");
             r.Stream();
             r.Feed("204 CRC OK\r\n");
             r.Tick(Svc::kTimerBootFlag);
         }, Svc::kDefaultStepMs, {"result ok", "result failed"}, false},
    };
    for (const Row& row : rows) {
        Rig r;
        r.Connect(row.isp);
        EXPECT_EQ(row.isp ? 1 : 0, r.boot.OnUpgradeRestartIsp()) << row.what;
        row.start(r);
        ASSERT_TRUE(r.host.HasTimer(Svc::kTimerWatchdog)) << row.what;
        EXPECT_EQ(row.guardMs, r.host.timers[Svc::kTimerWatchdog]) << row.what;
        r.Written();
        r.link.Session().OnTimer(Svc::kTimerWatchdog);

        EXPECT_EQ(row.told, r.host.events) << row.what;
        EXPECT_EQ(CLinkSession::kTransferNone, r.link.Session().GetTransferType()) << row.what;
        EXPECT_FALSE(r.link.Session().IsJobRunning()) << row.what;
        EXPECT_FALSE(r.boot.IsUpgradeKnown()) << row.what;
        EXPECT_TRUE(r.boot.IsIdle()) << row.what;
        // Only a board that accepted the restart is still let back in.
        EXPECT_EQ(row.reconnectPending, r.link.Session().IsReconnectPending()) << row.what;
        EXPECT_TRUE(r.host.timers.empty()) << row.what << ": timer " << r.host.timers.begin()->first;
        EXPECT_EQ("", r.Written()) << row.what;
    }
}

// "jf" and "rs" wait for no answer: the board leaves and its return is awaited.
TEST(BootLoaderSilence, LinesThatAwaitNoAnswerLeaveNothingRunning)
{
    struct Row {
        const char* what;
        std::function<void(Rig&)> send;
        const char* line;
    } rows[] = {
        {"rs 10", [](Rig& r) { r.boot.SendIspReset(); }, "rs 10\r"},
        {"jf 10", [](Rig& r) {
             r.boot.OnUpgradeRestartIsp();
             r.boot.OnStartUpgrade(r.image.data(), r.image.size());
             r.Feed("200 Command OK\r\n200 Command OK\r\n200 Command OK\r\n201 Send Firmware\r\n");
             r.Stream();
             r.Feed("204 CRC OK\r\n");
             r.Tick(Svc::kTimerBootFlag);
             r.Feed("200 Command OK\r\n");
         }, "jf 10\r"},
    };
    for (const Row& row : rows) {
        Rig r;
        r.Connect(true);
        row.send(r);
        const std::string written = r.Written();
        EXPECT_EQ(row.line, written.substr(written.size() - std::string(row.line).size())) << row.what;
        EXPECT_FALSE(r.port.open) << row.what;
        EXPECT_TRUE(r.link.Session().IsReconnectPending()) << row.what;
        EXPECT_FALSE(r.boot.IsUpgradeKnown()) << row.what;
        EXPECT_TRUE(r.boot.IsIdle()) << row.what;
        EXPECT_TRUE(r.host.timers.empty()) << row.what;
    }
}

// ---- stray replies

namespace {

// What the program did over a whole upgrade: every byte it wrote, every
// report to the dialog, and how the link was left.
struct Outcome {
    std::string written;
    std::vector<std::string> events;
    bool open, reconnectPending;
    bool operator==(const Outcome& o) const
    {
        return written == o.written && events == o.events && open == o.open && reconnectPending == o.reconnectPending;
    }
};

enum Kind { kReady, kSend, kTestOk, kCommandOk, kCrcOk, kDumpLine, kEcho, kText, kFrame, kKinds };

std::string StrayOf(Kind k)
{
    switch (k) {
    case kReady: return "100 ISP boot loader ready\r\n";
    case kSend: return "201 Send Firmware\r\n";
    case kTestOk: return "202 Test OK\r\n";
    case kCommandOk: return "200 Command OK\r\n";
    case kCrcOk: return "204 CRC OK\r\n";
    case kDumpLine: return "65 56 6E 53\r\n";
    case kEcho: return "de 0\r\n";
    case kText: return "hello from the boot loader\r\n";
    default: {
        auto f = Frame(3, 0, 0, ItemText("output"));
        return std::string(f.begin(), f.end()) + "\r\n";
    }
    }
}

// One point of the upgrade: what happens there, and the kinds that are the
// awaited answer's own (the rest are strays there).
struct Point {
    const char* what;
    std::function<void(Rig&)> run;
    std::vector<Kind> own;
};

Outcome RunUpgrade(const std::vector<Point>& points, size_t strayAt, Kind stray)
{
    Rig r;
    r.Connect(true);
    for (size_t i = 0; i < points.size(); ++i) {
        if (i == strayAt)
            r.Feed(StrayOf(stray));
        points[i].run(r);
    }
    return Outcome{r.Written(), r.host.events, r.port.open, r.link.Session().IsReconnectPending()};
}

} // namespace

TEST(BootLoaderStrayReplies, AStrayLineChangesNeitherStepNorResult)
{
    auto board = [](const std::string& line) { return [line](Rig& r) { r.Feed(line); }; };
    auto tick = [](unsigned id) { return [id](Rig& r) { r.Tick(id); }; };
    const std::vector<Point> points = {
        {"dump asked", [](Rig& r) {
             r.boot.OnUpgradeRestartIsp();
             r.boot.OnIspDumpEnv();
         }, {}},
        // "200 " ends the dump and hex lines are its data.
        {"dump lines", board(DumpLines("ZV-FW-STD")), {kCommandOk, kDumpLine}},
        {"dump end", board("200 Environment done\r\n"), {kCommandOk, kDumpLine}},
        {"tf 0", [](Rig& r) { r.boot.OnIspTestFirmware(r.image.data(), r.image.size()); }, {}},
        {"201 for the header", board("201 Send Firmware\r\n"), {kSend}},
        {"202", board("202 Test OK\r\n"), {kTestOk}},
        {"the test's pause", tick(Svc::kTimerTestOk), {}},
        {"uf", [](Rig& r) { r.boot.OnStartUpgrade(r.image.data(), r.image.size()); }, {}},
        {"200 to uf", board("200 Command OK\r\n"), {kCommandOk}},
        {"200 to ef", board("200 Command OK\r\n"), {kCommandOk}},
        {"200 to uf again", board("200 Command OK\r\n"), {kCommandOk}},
        // "204" before the image's end is a failure, not a stray.
        {"201 for the image", board("201 Send Firmware\r\n"), {kSend, kCrcOk}},
        {"first block", tick(Svc::kTimerStream), {kCrcOk}},
        {"the other blocks", [](Rig& r) { r.Stream(); }, {kCrcOk}},
        {"204", board("204 CRC OK\r\n"), {kCrcOk}},
        {"boot flag due", tick(Svc::kTimerBootFlag), {}},
        {"200 to bf", board("200 Command OK\r\n"), {kCommandOk}},
    };
    const Outcome clean = RunUpgrade(points, points.size(), kReady);
    ASSERT_EQ((std::vector<std::string>{"name ZV-FW-STD", "test ok", "result ok"}), clean.events);
    ASSERT_EQ("jf 10\r", clean.written.substr(clean.written.size() - 6));
    ASSERT_FALSE(clean.open);

    for (size_t at = 1; at < points.size(); ++at) {
        for (int k = 0; k < kKinds; ++k) {
            const std::vector<Kind>& own = points[at].own;
            if (std::find(own.begin(), own.end(), static_cast<Kind>(k)) != own.end())
                continue;
            const Outcome o = RunUpgrade(points, at, static_cast<Kind>(k));
            EXPECT_TRUE(o == clean) << "before " << points[at].what << ": " << StrayOf(static_cast<Kind>(k))
                                    << "events: " << testing::PrintToString(o.events);
        }
    }
}

// The restart into the boot loader: frames and lines of other kinds while
// its answer is awaited.
TEST(BootLoaderStrayReplies, TheRestartOutlastsOtherFrames)
{
    auto bytes = [](const std::vector<uint8_t>& f) { return std::string(f.begin(), f.end()); };
    const std::string strays[] = {
        bytes(Frame(3, 0, 0, ItemText("script output"))),
        bytes(Frame(4, 0, 0, ItemText("firmware log"))),
        bytes(Reply(5, 0x24, ItemInt(0))),
        bytes(Reply(5, 0x24, ItemInt(16), true)),
        "200 Command OK\r\n",
    };
    for (const std::string& stray : strays) {
        Rig r;
        r.Connect(false);
        r.boot.OnUpgradeRestartIsp();
        r.Feed(stray);
        EXPECT_TRUE(r.port.open) << stray;
        EXPECT_TRUE(r.host.events.empty()) << stray;
        EXPECT_TRUE(r.host.HasTimer(Svc::kTimerWatchdog)) << stray;
        r.Feed(bytes(Reply(5, 0x23, ItemInt(0))));
        EXPECT_FALSE(r.port.open) << stray;
        EXPECT_TRUE(r.link.Session().IsReconnectPending()) << stray;
        // The board comes back as its boot loader: the dialog goes on.
        r.link.Session().Connect("COM3");
        r.Feed("100 ISP boot loader ready\r\n");
        EXPECT_EQ(std::vector<std::string>{"connected"}, r.host.events) << stray;
        EXPECT_TRUE(r.host.messages.empty()) << stray;
    }
}
