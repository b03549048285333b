// Every job against every reply or event of another kind arriving in its
// middle: the job's state stays as it was and it ends with its own result.
// (The boot loader's jobs have a table of their own.)
#include <gtest/gtest.h>

#include "LinkTables.h"

namespace {

using Bytes = std::vector<uint8_t>;
using T = TableLink;

Bytes Uptime() { return Bytes{0, 3, 0, 8, 0, 0, 0, 0, 0, 0, 0x10, 0}; }

// Replies and events a board may send at any time, by name.
const std::vector<std::pair<std::string, Bytes>>& Strays()
{
    static const std::vector<std::pair<std::string, Bytes>> strays = {
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
};

// A link of its own for each pair.
struct PairLink : TableLink {
    void TestBody() override {}
};

class StrayTable : public ::testing::TestWithParam<StrayJob> {};

TEST_P(StrayTable, OtherRepliesLeaveTheJobAlone)
{
    const StrayJob& job = GetParam();
    for (auto& stray : Strays()) {
        if (std::find(job.own.begin(), job.own.end(), stray.first) != job.own.end())
            continue;
        SCOPED_TRACE(std::string(job.what) + " <- " + stray.first);
        PairLink t;
        t.SetUp();
        job.start(t);
        const std::string before = JobState(t);
        t.Feed(stray.second);
        EXPECT_EQ(JobState(t), before);
        job.finish(t);
        EXPECT_TRUE(job.done(t)) << "the job did not end with its own result";
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, StrayTable, ::testing::ValuesIn(kJobs),
                         [](const ::testing::TestParamInfo<StrayJob>& i) { return std::to_string(i.index); });

} // namespace
