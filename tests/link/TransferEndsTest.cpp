// How block reads, long watch strings and given-up transfers end: the
// requester always hears, and the link is back in step afterwards.
#include "link/codecs/FrameItemReader.h"

#include <gtest/gtest.h>

#include <functional>

#include "LinkTables.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kName = {0x0C, 0, 0x0C, 0, 'Z', 'X', '1', '0', '0', '1', 0xA6, 0x2F};
const Bytes kEnd = {0xFF, 0, 0, 0};

class TransferEnds : public TableLink {
protected:
    void Serve(const Bytes& data, uint8_t code, const Bytes& reply, bool refused = false)
    {
        if (!data.empty())
            Feed(LinkFrame::DataChunk(0, data.data(), data.size()));
        Feed(Reply(3, code, reply, refused));
    }
    static int32_t Size(const Bytes& b) { return static_cast<int32_t>(b.size()); }
    int Windows()
    {
        int n = 0;
        for (auto& w : port.writes)
            n += w.size() == 8 && w[1] >> 4 == 1 && (w[4] & 0x40);
        port.writes.clear();
        return n;
    }
};

// Every way a settings read can fail is said, and whatever waited for the
// block (the Settings, information or upgrade dialog) hears it failed.
TEST_F(TransferEnds, EverySettingsReadEndsInADialogOrAMessage)
{
    const Bytes good = Block({kName, kEnd});
    const Bytes badMagic = Block({kName, kEnd}, EnvBlock::kMagicKeys);
    const Bytes badRecord = Block({Bytes{0x0C, 0, 0x0C, 0, 'Z', 'X', '1', '0', '0', '1', 0xA6, 0x2E}});
    struct Case {
        const char* what;
        Bytes data, reply;
        bool refused;
        const char* message;  // nullptr: the dialog opens
    } cases[] = {
        {"a block", good, ItemInt(Size(good)), false, nullptr},
        {"a text instead of the count", good, Text("ok"), false, LinkStrings::kConfigReadFailed.english},
        {"an empty refusal", {}, {}, true, LinkStrings::kConfigReadFailed.english},
        {"refused", {}, ItemInt(5), true, LinkStrings::kConfigReadFailed.english},
        {"nothing there", {}, ItemInt(16), true, "There's no configuration value."},
        {"the keys' magic", badMagic, ItemInt(Size(badMagic)), false, LinkStrings::kConfigReadFailed.english},
        {"a record's CRC", badRecord, ItemInt(Size(badRecord)), false, LinkStrings::kConfigReadFailed.english},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.messages.clear();
        host.told.clear();
        host.settingsRead = 0;
        ASSERT_TRUE(link.Settings().RequestSettingsBlock());
        Serve(c.data, 0x21, c.reply, c.refused);
        if (c.message) {
            EXPECT_EQ(host.messages, std::vector<std::string>{c.message});
            EXPECT_EQ(host.told, std::vector<std::string>{"settings failed"});
            EXPECT_EQ(host.settingsRead, 0);
        } else {
            EXPECT_TRUE(host.messages.empty());
            EXPECT_EQ(host.settingsRead, 1);
        }
        ExpectIdle(c.what);
    }
}

// The board wakes up while the user reads that it did not answer: its late
// reply finds no read and tells no one a second time.
TEST_F(TransferEnds, ALateReplyDuringTheNoAnswerMessageIsDropped)
{
    struct Case {
        const char* what;
        std::function<void()> start;
        Bytes late;
    } cases[] = {
        {"settings", [&] { link.Settings().RequestSettingsBlock(); }, Reply(3, 0x21, ItemInt(0))},
        {"certificate", [&] { link.Commands().ReadCertBlock(); }, Reply(3, 0x24, ItemInt(16), true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.told.clear();
        host.certRecords = "?";
        host.settingsRead = 0;
        c.start();
        host.onMessage = [&] {
            host.onMessage = nullptr;
            Feed(c.late);
        };
        Advance(CLinkSession::kReadGuardMs);
        EXPECT_EQ(host.settingsRead, 0);
        EXPECT_EQ(host.told.size() + (host.certRecords == "<none>" ? 1 : 0), 1u);
        ExpectIdle(c.what);
    }
}

// The dialog's message promises it an answer: a reply without a count is one.
TEST_F(TransferEnds, ACertificateReplyWithoutACountStillAnswersTheDialog)
{
    const Bytes replies[] = {{}, Text("no"), ItemBytes({1, 2, 3, 4})};
    for (const Bytes& r : replies) {
        for (bool refused : {false, true}) {
            host.certRecords = "?";
            ASSERT_TRUE(link.Commands().ReadCertBlock());
            Feed(Reply(3, 0x24, r, refused));
            EXPECT_EQ(host.certRecords, "<none>");
            ExpectIdle("certificate reply");
        }
    }
}

// A long string is shown whole only when all of it came; a refusal or a
// short read ends that row, not the chain.
TEST_F(TransferEnds, LongWatchStringsEndTheirRowAndTheChainGoesOn)
{
    const std::string whole(100, 'w');
    const std::string first = "STR[100]|abc|616263";
    struct Case {
        const char* what;
        Bytes data, reply;
        bool refused;
        std::string row0;
    } cases[] = {
        {"whole", Bytes(whole.begin(), whole.end()), ItemInt(100), false, "STR[100]|" + whole + "|"},
        {"refused", {}, ItemInt(1), true, first},
        {"10 of 100 bytes, owned up to", Bytes(10, 'w'), ItemInt(10), false, first},
        {"10 of 100 bytes, said to be 100", Bytes(10, 'w'), ItemInt(100), false, first},
        {"no count", Bytes(whole.begin(), whole.end()), Text("x"), false, first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.values.clear();
        PausedWith({"$s", "$t"});
        ASSERT_EQ(link.Debugger().OnWatchNext(0, true), 1);
        Feed(Reply(1, 0x60, Text("abc") + ItemInt(100)));
        ASSERT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferWatchString);
        port.writes.clear();
        Serve(c.data, 0x50, c.reply, c.refused);
        EXPECT_EQ(host.values[0].substr(0, c.row0.size()), c.row0);
        EXPECT_EQ(link.Debugger().WatchRow(), 1);
        Feed(Reply(1, 0x60, Text("t") + ItemInt(1)));
        EXPECT_EQ(host.values[1], "STR[1]|t|74");
        ExpectIdle(c.what);
    }
}

// A slow string is not given up while it comes; once the board went silent
// its late data gets no window and never reaches the next read.
TEST_F(TransferEnds, ASlowStringGoesOnAndLateDataStaysOut)
{
    PausedWith({"$s"});
    link.Debugger().OnWatchNext(0, true);
    Feed(Reply(1, 0x60, Text("ab") + ItemInt(100)));
    const Bytes ten(25, 'x');
    for (int i = 0; i < 4; ++i) {
        Advance(CDebuggerService::kReplyWaitMs - 1000);
        Feed(LinkFrame::DataChunk(0, ten.data(), ten.size()));
    }
    Feed(Reply(3, 0x50, ItemInt(100)));
    EXPECT_EQ(host.values[0].substr(0, 110), "STR[100]|" + std::string(100, 'x') + "|");

    link.Debugger().OnWatchNext(0, true);
    Feed(Reply(1, 0x60, Text("ab") + ItemInt(100)));
    Feed(LinkFrame::DataChunk(0, ten.data(), ten.size()));
    Advance(2 * CDebuggerService::kReplyWaitMs);
    ExpectIdle("string given up");
    port.writes.clear();
    Feed(LinkFrame::DataChunk(0, ten.data(), ten.size()));
    EXPECT_EQ(Windows(), 0);
    link.Debugger().OnWatchNext(0, true);
    Feed(Reply(1, 0x60, Text("ab") + ItemInt(100)));
    EXPECT_EQ(link.Session().Image().count, 0);
}

// The board's count is an int32: 256 results are 256, a negative count none,
// and a count no board can mean is bounded.
TEST_F(TransferEnds, ScanCountsAreKeptAsTheBoardsNumbers)
{
    struct Case {
        int32_t count;
        int results;
    } cases[] = {{256, 256}, {-1, 0}, {300, 300}, {0x7FFFFFFF, CScanChain::kMaxChannelResults}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        CScanChain scan;
        MmapCommand next = scan.Start();
        auto reply = [&](const Bytes& item) {
            FrameItem f;
            EXPECT_TRUE(FrameItemReader::First(item.data(), item.size(), f));
            return scan.OnReply(f, next);
        };
        reply(Text("STA"));
        reply(ItemInt(0));
        reply(ItemInt(0));
        scan.OnTick(next);
        reply(ItemInt(0));  // done: the counts follow
        reply(ItemInt(c.count));
        for (int ch = 2; ch <= CScanChain::kChannels; ++ch)
            reply(ItemInt(0));
        int results = 0;
        while (next.step == MmapCommand::kScanResult && results <= CScanChain::kMaxChannelResults + 1) {
            ++results;
            if (reply(Text("1 -50 0 41")) != CScanChain::Outcome::kNext)
                break;
        }
        EXPECT_EQ(results, c.results);
    }
}

// A settings write given up on a stalled board leaves the link in step: the
// cut-off frame is dropped and the board is told the write ended, so the next
// write goes through at once.
TEST_F(TransferEnds, AfterAGivenUpWriteTheNextOneStartsClean)
{
    const Bytes block = Block({kName, kEnd});
    ASSERT_TRUE(link.Settings().RequestSettingsBlock());
    Serve(block, 0x21, ItemInt(Size(block)));
    ASSERT_TRUE(link.Settings().WriteSettings(link.Settings().Generation()));
    Feed(LinkFrame::WindowFrame(0, 16));
    Bytes window = LinkFrame::WindowFrame(0, 16);
    Feed(Bytes(window.begin(), window.begin() + 4));  // the board stalls mid-frame
    port.writes.clear();
    Advance(2 * CWriteWatch::kPeriodMs);
    EXPECT_EQ(host.settingsWritten, std::vector<bool>{false});
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], LinkFrame::DataChunk(port.writes[0][1] & 0x0F, nullptr, 0));
    ExpectIdle("write given up");

    ASSERT_TRUE(link.Settings().WriteSettings(link.Settings().Generation()));
    port.writes.clear();
    Feed(window);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].size(), 8u + 16u);
    for (int i = 0; i < 10 && !link.Session().WriteAllSent(); ++i)
        Feed(window);
    Feed(Reply(4, 0x21, ItemInt(Size(block))));
    EXPECT_EQ(host.settingsWritten, (std::vector<bool>{false, true}));
    ExpectIdle("second write");
}

} // namespace
