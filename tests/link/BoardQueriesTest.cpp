// The board-queries service: chains, the transfer they hold, late replies.
#include "LinkFakes.h"

#include "link/services/MmapCommand.h"
#include "link/services/NetworkInfo.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Start = CBoardQueriesService::Start;

class ReportHost : public FakeHost {
public:
    void OnNetworkInfo(const NetworkInfo& info) override
    {
        net.push_back(info);
        if (whileShown) whileShown();  // a modal dialog pumps messages
    }
    std::function<void()> whileShown;
    void OnRtcDate(bool ok, const std::string& date) override { rtc.push_back(ok ? date : "fail"); }
    void OnRtcSetResult(bool ok) override { rtc.push_back(ok ? "set" : "set failed"); }
    void OnErrorLog(bool fw, const std::string& text) override { logs.push_back((fw ? "fw:" : "php:") + text); }
    void OnProductInfo(const std::string& up, const std::string& info) override { products.push_back(up + "|" + info); }
    std::vector<NetworkInfo> net;
    std::vector<std::string> rtc, logs, products;
};

Bytes Data(const std::string& s) { return Frame(1, 0, 0, Bytes(s.begin(), s.end())); }

class QueriesTest : public LinkTest<ReportHost> {
protected:
    CBoardQueriesService& q = link.Queries();

    void SetUp() override
    {
        Synced();
        link.Session().ShowWaitDialog(false);
        link.Identity().DeviceInfo().wiredPresent = 1;
    }
    void Mmap(const Bytes& item, bool refused = false) { Feed(Reply(5, 0x30, item, refused)); }
    void Reports() { link.Session().OnTimer(CBoardQueriesService::kTimerReports); }
};

TEST_F(QueriesTest, RequestBytes)
{
    // Block reads: the request and one window frame of 8192.
    struct Row { const char* what; std::function<void()> start; const char* hex; };
    const Row rows[] = {
        {"03/41", [&] { q.RequestErrorLog(false); }, "50 00 00 04 03 41 00 00 50 10 00 04 40 00 20 00"},
        {"05/10", [&] { q.RequestProductInfo(); }, "50 01 00 04 05 10 00 00"},
    };
    for (const Row& r : rows) {
        link.Session().SetTransferType(0);
        q.OnDisconnected();  // forget the chain the row before started
        port.writes.clear();
        r.start();
        EXPECT_EQ(port.TakeWrites(), Hex(r.hex)) << r.what;
    }
    // The information block follows the uptime reply.
    Feed(Reply(5, 0x10, Hex("00 03 00 08 00 00 00 00 05 5E 3A BC")));
    EXPECT_EQ(port.TakeWrites(), Hex("50 02 00 04 03 30 00 00 50 11 00 04 40 00 20 00"));
    EXPECT_EQ(q.RequestRtcSet("20261231235959"), Start::kBusy);  // the block read holds the link
}

// A restart drops the reply out; another job's transfer and replies stay its own.
TEST_F(QueriesTest, ARestartDropsTheReplyOutAndABusyLinkRefuses)
{
    ASSERT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    EXPECT_EQ(link.Session().GetTransferType(), 10);
    EXPECT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    port.writes.clear();
    Mmap(Text("10.9.9.9"));
    ASSERT_FALSE(port.writes.empty());
    EXPECT_EQ(port.writes.back(), MmapCommand::Network(MmapCommand::kIpAddr, true).Frame(port.writes.back()[1] & 0x0F));
    link.Session().OnTimer(CBoardQueriesService::kTimerGuard);
    link.Session().SetTransferType(CLinkSession::kTransferCertRead);
    EXPECT_EQ(q.RequestNetworkInfo(), Start::kBusy);
    EXPECT_EQ(host.messages.back(), "The product is busy with another job.\r\nTry again when it has finished.");
    Mmap(ItemInt(1));
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferCertRead);
}

TEST_F(QueriesTest, ReplyAndTimerWhileAReportIsShown)
{
    link.Identity().DeviceInfo().wiredPresent = 0;
    link.Identity().DeviceInfo().wirelessPresent = 0;
    EXPECT_EQ(q.RequestNetworkInfo(), Start::kUnsupported);
    link.Identity().DeviceInfo().wiredPresent = 1;
    ASSERT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    for (const Bytes& a : {Text("a"), Text("b"), Text("c"), Text("d"), ItemInt(0), Text("e"), Text("f"), Text("g")})
        Mmap(a);
    // While the dialog is up, the clock is asked and answered, and the
    // reports timer fires again inside it.
    host.whileShown = [&] {
        host.whileShown = nullptr;
        ASSERT_EQ(q.RequestRtcDate(), Start::kStarted);
        Mmap(Text("20260102030405"));
        Reports();
    };
    Mmap(ItemInt(64));
    Reports();
    EXPECT_EQ(host.net.size(), 1u);
    EXPECT_EQ(host.rtc, (std::vector<std::string>{"20260102030405"}));
    Reports();
    EXPECT_EQ(host.net.size(), 1u);
    EXPECT_EQ(link.Session().GetTransferType(), 0);
}

TEST_F(QueriesTest, ChainFailuresReturnToIdle)
{
    // Wrong item type, a refusal, no answer at all (lying items: e2e.netinfo_lying).
    ASSERT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    Mmap(ItemInt(3));
    EXPECT_EQ(link.Session().GetTransferType(), 0);
    ASSERT_EQ(q.RequestRtcDate(), Start::kStarted);
    Mmap(ItemInt(38), true);
    EXPECT_EQ(link.Session().GetTransferType(), 0);
    ASSERT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    EXPECT_TRUE(host.HasTimer(CBoardQueriesService::kTimerGuard));
    link.Session().OnTimer(CBoardQueriesService::kTimerGuard);
    EXPECT_EQ(link.Session().GetTransferType(), 0);
    Reports();
    // The refusal said so; the query nobody answered says so too.
    EXPECT_EQ(host.messages, (std::vector<std::string>{LinkStrings::kConfigReadFailed.english,
                                                       CLinkSession::kNoAnswerText}));
    EXPECT_EQ(host.rtc, (std::vector<std::string>{"fail"}));
    EXPECT_TRUE(host.net.empty());
}

// A date typed that is none, and an answer that is no date.
TEST_F(QueriesTest, ClockReadsAndWritesOnlyFourteenDigits)
{
    port.writes.clear();
    EXPECT_EQ(q.RequestRtcSet("2026123123595"), Start::kBadDate);
    EXPECT_TRUE(port.writes.empty());
    ASSERT_EQ(q.RequestRtcDate(), Start::kStarted);
    Mmap(Text("2026-01-02"));
    Reports();
    EXPECT_EQ(host.rtc, (std::vector<std::string>{"fail"}));
    EXPECT_EQ(link.Session().GetTransferType(), 0);
}

// Both logs and the product information: e2e.logs, e2e.info*.
TEST_F(QueriesTest, ALogOfAnotherSizeIsDropped)
{
    ASSERT_EQ(q.RequestErrorLog(true), Start::kStarted);
    Feed(Data("boot\r\n"));
    Feed(Reply(3, 0x42, ItemInt(6)));
    ASSERT_EQ(q.RequestErrorLog(false), Start::kStarted);
    Feed(Data("abc"));
    Feed(Reply(3, 0x41, ItemInt(4)));  // announced size differs: dropped
    EXPECT_EQ(link.Session().GetTransferType(), 0);
    Feed(Reply(3, 0x41, ItemInt(3)));  // late: nothing
    Reports();
    EXPECT_EQ(host.logs, (std::vector<std::string>{"fw:boot\r\n"}));
}

} // namespace
