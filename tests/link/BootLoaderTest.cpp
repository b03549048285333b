// The boot loader service on a scripted port.
#include "LinkFakes.h"


namespace {

using Svc = CBootLoaderService;


// Takes at most `cap` bytes per write; `zeroWrites` writes take nothing.
class CappedPort : public FakePort {
public:
    uint32_t Write(const void* data, size_t length, size_t* written) override
    {
        if (zeroWrites > 0 && open) {
            --zeroWrites;
            if (written) *written = 0;
            return kErrTimeout;
        }
        return FakePort::Write(data, std::min(length, cap), written);
    }
    size_t cap = SIZE_MAX;
    int zeroWrites = 0;
};

class BootLoaderTest : public LinkTest<UpgradeHost, CappedPort> {
public:
    Svc& boot = link.BootLoader();
    std::vector<uint8_t> image;

    BootLoaderTest() : image(10000)
    {
        for (size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<uint8_t>(i * 7 + i / 256);
    }
    void EnterIsp()
    {
        link.Session().Connect("COM3");
        Feed("100 ISP boot loader ready\r\n");
        link.Session().OnTimer(CLinkSession::kTimerSync);  // answered: it stops
        Written();
        host.messages.clear();
    }
    // From the start command to the board's "201" for the image.
    void ToStreaming()
    {
        boot.OnStartUpgrade(image.data(), image.size());
        for (int i = 0; i < 3; ++i)
            Feed("200 Command OK\r\n");
        Feed("201 Send Firmware\r\n");
        Written();
    }
};

} // namespace

// What the replies start runs from the message loop, never inside the receive path.
TEST_F(BootLoaderTest, RepliesStartTheirWorkFromTheMessageLoop)
{
    EnterIsp();
    boot.OnUpgradeRestartIsp();
    boot.OnIspTestFirmware(image.data(), image.size());
    Feed("201 Send Firmware\r\n");
    Feed("202 Test OK\r\n");
    EXPECT_EQ(1000u, host.timers[Svc::kTimerTestOk]);
    link.Session().OnTimer(Svc::kTimerTestOk);
    boot.OnStartUpgrade(image.data(), image.size());
    for (int i = 0; i < 4; ++i)  // the last "200", at the program step, does nothing
        Feed("200 Command OK\r\n");
    Written();
    Feed("201 Send Firmware\r\n");
    EXPECT_TRUE(port.writes.empty());
    RunStream();
    ASSERT_EQ(3u, port.writes.size());
    EXPECT_EQ(1808u, port.writes[2].size());
    Written();  // the image and progress: ShortAndEmptyWrites
    Feed("204 CRC OK\r\n");
    EXPECT_EQ("", Written());
    link.Session().OnTimer(Svc::kTimerBootFlag);
    EXPECT_EQ("bf 400 QUIVER RESTACK\r", Written());
    Feed("200 Command OK\r\n");
    EXPECT_EQ("jf 10\r", Written());
    EXPECT_TRUE(link.Session().IsReconnectPending());
    EXPECT_EQ((std::vector<std::string>{"test ok", "result ok"}), host.events);
    EXPECT_FALSE(host.HasTimer(Svc::kTimerWatchdog));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(BootLoaderTest, RepliesOutOfTurnChangeNothing)
{
    EnterIsp();
    boot.OnUpgradeRestartIsp();
    // Nothing outstanding: no test header, no start, no image, no boot flag.
    Feed("201 Send Firmware\r\n202 Test OK\r\n200 Command OK\r\n100 again\r\n");
    EXPECT_EQ("", Written());
    EXPECT_FALSE(host.HasTimer(Svc::kTimerTestOk));
    // "201" and "204" at the first unlock do nothing.
    boot.OnStartUpgrade(image.data(), image.size());
    Written();
    Feed("201 Send Firmware\r\n204 CRC OK\r\n");
    EXPECT_EQ("", Written());
    EXPECT_EQ(Svc::kStepUnlock, boot.GetStep());
    // "204" after the image with no upgrade dialog known: back to step 0,
    // no boot flag.
    ToStreaming();
    RunStream();
    Written();
    boot.ForgetUpgrade();
    Feed("204 CRC OK\r\n");
    EXPECT_EQ(Svc::kStepIdle, boot.GetStep());
    EXPECT_EQ("", Written());
    EXPECT_TRUE(host.events.empty());
}

TEST_F(BootLoaderTest, ReplyDuringStreamingStreamsOnce)
{
    EnterIsp();
    boot.OnUpgradeRestartIsp();
    ToStreaming();
    link.Session().OnTimer(Svc::kTimerStream);
    // The success box pumps messages: a repeated answer arrives inside it.
    host.duringResult = [&] { Feed("204 CRC OK\r\n"); };
    Feed("201 Send Firmware\r\n");
    RunStream();
    EXPECT_EQ(std::string(image.begin(), image.end()), Written());
    Feed("204 CRC OK\r\n");
    EXPECT_EQ(1, std::count(host.events.begin(), host.events.end(), "result ok"));
    link.Session().OnTimer(Svc::kTimerBootFlag);
    EXPECT_EQ("bf 400 QUIVER RESTACK\r", Written());
}

// What happens inside the pumping success box keeps the boot flag back.
TEST_F(BootLoaderTest, BootFlagWaitsForWhatCameDuringTheSuccessBox)
{
    struct Case {
        const char* what;
        std::function<void(BootLoaderTest&)> during;
    } cases[] = {
        {"a failure line", [](BootLoaderTest& t) { t.Feed("305 Flash write error\r\n"); }},
        {"the board left and came back", [](BootLoaderTest& t) {
             t.link.Session().Disconnect();
             t.EnterIsp();
         }},
    };
    for (auto& c : cases) {
        EnterIsp();
        boot.OnUpgradeRestartIsp();
        ToStreaming();
        RunStream();
        Written();
        host.duringResult = [&] { c.during(*this); };
        Feed("204 CRC OK\r\n");
        host.duringResult = nullptr;
        link.Session().OnTimer(Svc::kTimerBootFlag);
        EXPECT_EQ("", Written()) << c.what;
        link.Session().Disconnect();
    }
}

TEST_F(BootLoaderTest, ShortAndEmptyWrites)
{
    EnterIsp();
    boot.OnUpgradeRestartIsp();
    port.cap = 1000;
    ToStreaming();
    RunStream();
    // The rest of each short write follows from the count actually written.
    EXPECT_EQ(std::string(image.begin(), image.end()), Written());
    EXPECT_EQ(10000u, host.progress.back());

    host.events.clear();
    ToStreaming();
    port.zeroWrites = 1000;
    RunStream();
    EXPECT_EQ((std::vector<std::string>{"result failed"}), host.events);
    EXPECT_EQ(Svc::kIdleRetries + 1, 1000 - port.zeroWrites);
}

// Silence while streaming and a port gone: e2e.flash_silent, e2e.flash_unplug.
TEST_F(BootLoaderTest, EveryAbnormalEndReportsFailure)
{
    struct Case {
        const char* what;
        std::function<void(BootLoaderTest&)> run;
    } cases[] = {
        {"silence after unlock", [](BootLoaderTest& t) {
             t.boot.OnStartUpgrade(t.image.data(), t.image.size());
             t.link.Session().OnTimer(Svc::kTimerWatchdog);
         }},
        {"silence after the test header", [](BootLoaderTest& t) {
             t.boot.OnIspTestFirmware(t.image.data(), t.image.size());
             t.Feed("201 Send Firmware\r\n");
             t.link.Session().OnTimer(Svc::kTimerWatchdog);
         }},
        {"empty image", [](BootLoaderTest& t) { t.boot.OnIspTestFirmware(nullptr, 0); }},
    };
    for (auto& c : cases) {
        BootLoaderTest& t = *this;
        t.EnterIsp();
        t.boot.OnUpgradeRestartIsp();
        t.host.events.clear();
        c.run(t);
        EXPECT_EQ((std::vector<std::string>{"result failed"}), t.host.events) << c.what;
        EXPECT_FALSE(t.host.HasTimer(Svc::kTimerWatchdog)) << c.what;
        if (t.port.open)
            t.link.Session().Disconnect();
        t.port.open = false;
    }
}

// The dump's cap: IspTextLine.DumpLinesAndReplies.
TEST_F(BootLoaderTest, AFailedDumpHasNoName)
{
    EnterIsp();
    boot.OnIspDumpEnv();
    Feed("300 No environment\r\n");
    EXPECT_EQ((std::vector<std::string>{"name -"}), host.events);
}

// "204 CRC OK" confirms the image only once its last block went out (an
// earlier one awaits nothing and changes nothing: the image goes on); the
// boot flag follows only the dialog's yes to that confirmation.
TEST_F(BootLoaderTest, CrcOkCountsOnlyAfterTheLastBlock)
{
    struct Case {
        const char* what;
        std::function<void(BootLoaderTest&)> before;  // up to the "204"
        bool early;                                   // the image is not all out
        bool bootFlag;
    } cases[] = {
        {"before the board asked for the image", [](BootLoaderTest& t) {
             t.boot.OnStartUpgrade(t.image.data(), t.image.size());
             for (int i = 0; i < 3; ++i)
                 t.Feed("200 Command OK\r\n");
         }, true, true},
        {"after the first block", [](BootLoaderTest& t) {
             t.ToStreaming();
             t.link.Session().OnTimer(Svc::kTimerStream);
         }, true, true},
        {"after the last block", [](BootLoaderTest& t) {
             t.ToStreaming();
             t.RunStream();
         }, false, true},
        {"after the last block, the dialog does not answer yes", [](BootLoaderTest& t) {
             t.host.answer = false;
             t.ToStreaming();
             t.RunStream();
         }, false, false},
        {"a second attempt before its image", [](BootLoaderTest& t) {
             t.ToStreaming();
             t.RunStream();
             t.Feed("305 Flash write error\r\n");
             t.boot.OnUpgradeRestartIsp();
             t.boot.OnStartUpgrade(t.image.data(), t.image.size());
             for (int i = 0; i < 3; ++i)
                 t.Feed("200 Command OK\r\n");
             t.host.events.clear();
         }, true, true},
    };
    for (auto& c : cases) {
        EnterIsp();
        boot.OnUpgradeRestartIsp();
        host.events.clear();
        host.answer = true;
        c.before(*this);
        Written();
        Feed("204 CRC OK\r\n");
        if (c.early) {
            EXPECT_EQ(std::vector<std::string>{}, host.events) << c.what;
            Feed("201 Send Firmware\r\n");
            RunStream();
            EXPECT_EQ(image.size(), boot.SentBytes()) << c.what;
            Written();
            Feed("204 CRC OK\r\n");
        }
        EXPECT_EQ((std::vector<std::string>{"result ok"}), host.events) << c.what;
        // Nothing more of the image goes out after its confirmation.
        Feed("201 Send Firmware\r\n");
        RunStream();
        link.Session().OnTimer(Svc::kTimerBootFlag);
        EXPECT_EQ(c.bootFlag ? "bf 400 QUIVER RESTACK\r" : "", Written()) << c.what;
        link.Session().Disconnect();
    }
}

// A board silent after the boot flag ends the attempt within its guard, also
// when the dialog was closed after its success box.
TEST_F(BootLoaderTest, TheBootFlagIsWatched)
{
    struct Case {
        const char* what;
        bool closeDialog;
        std::vector<std::string> events;
    } cases[] = {
        {"the dialog open", false, {"result ok", "result failed"}},
        {"the dialog closed", true, {"result ok"}},
    };
    for (auto& c : cases) {
        EnterIsp();
        boot.OnUpgradeRestartIsp();
        host.events.clear();
        ToStreaming();
        RunStream();
        Written();
        Feed("204 CRC OK\r\n");
        link.Session().OnTimer(Svc::kTimerBootFlag);
        ASSERT_EQ("bf 400 QUIVER RESTACK\r", Written()) << c.what;
        if (c.closeDialog)
            boot.ForgetUpgrade();
        ASSERT_TRUE(host.HasTimer(Svc::kTimerWatchdog)) << c.what;
        link.Session().OnTimer(Svc::kTimerWatchdog);
        EXPECT_EQ(c.events, host.events) << c.what;
        EXPECT_EQ(Svc::kStepIdle, boot.GetStep()) << c.what;
        EXPECT_TRUE(host.timers.empty()) << c.what;
        // A late answer does not jump into a firmware nobody confirmed.
        Feed("200 Command OK\r\n");
        EXPECT_EQ("", Written()) << c.what;
        EXPECT_TRUE(port.open) << c.what;
        link.Session().Disconnect();
    }
}

// The restart into the boot loader: a refusal keeps the link and ends the
// attempt at once; an acceptance closes the port for the board's return.
TEST_F(BootLoaderTest, RestartIntoTheBootLoaderRefusedOrAccepted)
{
    for (bool refused : {true, false}) {
        link.Session().Connect("COM3");
        Feed(std::string(1, static_cast<char>(SyncAnswer())));
        link.Session().OnTimer(CLinkSession::kTimerSync);
        host.events.clear();
        EXPECT_EQ(0, boot.OnUpgradeRestartIsp());
        auto reply = Reply(5, 0x23, ItemInt(refused ? 16 : 0), refused);
        Feed(std::string(reply.begin(), reply.end()));
        EXPECT_EQ(refused, port.open) << refused;
        EXPECT_EQ(!refused, link.Session().IsReconnectPending()) << refused;
        EXPECT_EQ(!refused, link.Session().IsIspMode()) << refused;
        EXPECT_EQ(refused ? std::vector<std::string>{"result failed"} : std::vector<std::string>{}, host.events)
            << refused;
        // The board's return is awaited only after an acceptance.
        EXPECT_EQ(!refused, host.HasTimer(Svc::kTimerWatchdog)) << refused;
        link.Session().Disconnect();
        link.Session().SetReconnectPending(false);
        link.Session().SetIspMode(false);
        host.timers.clear();
    }
}

// A restart reply nobody asked for, in the middle of a key-block write:
// accepted or refused, the write goes on and the link stays as it is.
TEST_F(BootLoaderTest, AnUnaskedRestartReplyChangesNothing)
{
    const std::vector<uint8_t> keys = Block({std::vector<uint8_t>(300, 1)}, EnvBlock::kMagicKeys);
    for (bool refused : {true, false}) {
        link.Session().Connect("COM3");
        Feed(std::string(1, static_cast<char>(SyncAnswer())));
        link.Session().OnTimer(CLinkSession::kTimerSync);
        host.KillTimer(CLinkSession::kTimerOpenWaitBox);
        ASSERT_TRUE(link.Commands().WriteKeyBlock(keys));
        Feed(LinkFrame::WindowFrame(0, 100));
        host.log.clear();
        Feed(Reply(5, 0x23, ItemInt(refused ? 16 : 0), refused));
        EXPECT_TRUE(port.open) << refused;
        EXPECT_FALSE(link.Session().IsReconnectPending()) << refused;
        EXPECT_FALSE(link.Session().IsIspMode()) << refused;
        EXPECT_EQ(1u, host.log.size()) << refused;
        Pull(100);
        Feed(Reply(4, 0x22, ItemInt(static_cast<int32_t>(keys.size()))));
        EXPECT_EQ((std::vector<std::pair<CLinkBlockResults::BlockKind, bool>>{{CLinkBlockResults::kKeyBlock, true}}),
                  host.blocksWritten)
            << refused;
        host.blocksWritten.clear();
        link.Session().Disconnect();
    }
}

// The boot loader's answer to the sync byte may come in pieces.
TEST_F(BootLoaderTest, SyncAnswerInPieces)
{
    struct Case {
        std::vector<std::string> reads;
        bool isp;
    } cases[] = {
        {{"10", "0 ISP boot loader ready\r\n"}, true},
        {{"1", "0", "0", " ISP boot loader ready\r\n"}, true},
        {{"100", " ISP\r\n"}, true},
        {{"100 ISP boot loader ready\r\n"}, true},
        {{"10", "x"}, false},
        {{"1", "01 \r\n"}, false},
    };
    for (auto& c : cases) {
        std::string all;
        for (auto& r : c.reads)
            all += r;
        link.Session().Connect("COM3");
        host.messages.clear();
        for (auto& r : c.reads)
            Feed(r);
        EXPECT_EQ(c.isp, link.Session().IsIspMode()) << all;
        EXPECT_EQ(c.isp, port.open) << all;
        EXPECT_EQ(std::vector<std::string>{c.isp ? LinkStrings::kIspMode.english
                                                 : LinkStrings::kInitialSettingFailed.english},
                  host.messages)
            << all;
        link.Session().Disconnect();
        link.Session().SetIspMode(false);
    }
}
