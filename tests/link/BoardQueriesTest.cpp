// The board-queries service on a scripted port: chains, the transfer type
// they hold, late replies, and results reaching the host only from a timer.
#include "LinkFakes.h"

#include "link/services/NetworkInfo.h"
#include "link/services/ScanRecord.h"

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
    void OnScanDone(const std::vector<ScanRecord>* r) override { scans.push_back(r ? int(r->size()) : -1); }
    void OnErrorLog(bool fw, const std::string& text) override { logs.push_back((fw ? "fw:" : "php:") + text); }
    void OnProductInfo(const std::string& up, const std::string& info) override { products.push_back(up + "|" + info); }
    std::vector<NetworkInfo> net;
    std::vector<std::string> rtc, logs, products;
    std::vector<int> scans;
};

Bytes Text(const std::string& s) { return ItemBytes(Bytes(s.begin(), s.end())); }
Bytes Data(const std::string& s)
{
    size_t n = s.size();
    Bytes f = {0x50, 0x10, uint8_t((n + 4) >> 8), uint8_t(n + 4), 0, 0, uint8_t(n >> 8), uint8_t(n)};
    return f + Bytes(s.begin(), s.end());
}

class QueriesTest : public ::testing::Test {
protected:
    FakePort port;
    ReportHost host;
    CStdLinkFiles files;
    CDeviceLink link{port, host, files};
    CBoardQueriesService& q = link.Queries();

    void SetUp() override
    {
        ASSERT_TRUE(link.Connect("COM3"));
        Feed({static_cast<uint8_t>((link.GetSyncByte() - 0x20) ^ 0x3F)});
        link.ShowWaitDialog(false);
        link.DeviceInfo().wiredPresent = 1;
        port.writes.clear();
    }
    void Feed(const Bytes& bytes)
    {
        port.input.insert(port.input.end(), bytes.begin(), bytes.end());
        link.OnSerialEvent(ILinkPort::kEvRxChar);
    }
    void Mmap(const Bytes& item, bool refused = false) { Feed(Reply(5, 0x30, item, refused)); }
    // The text of the 05/30 command written last.
    std::string LastCommand()
    {
        if (port.writes.empty()) return "";
        const Bytes& f = port.writes.back();
        return f.size() > 12 ? std::string(reinterpret_cast<const char*>(&f[12])) : "";
    }
    void Reports() { link.OnTimer(CBoardQueriesService::kTimerReports); }
};

TEST_F(QueriesTest, RequestBytes)
{
    // Block reads: the request and one window frame of 8192.
    struct Row { const char* what; std::function<void()> start; const char* hex; };
    const Row rows[] = {
        {"02/12", [&] { link.RequestDebugMode(2); }, "50 00 00 0C 02 12 00 08 00 02 00 04 00 00 00 01"},
        {"02/13", [&] { link.RequestFirmwareLog(true); }, "50 01 00 0C 02 13 00 08 00 02 00 04 00 00 00 01"},
        {"03/41", [&] { q.RequestErrorLog(false); }, "50 02 00 04 03 41 00 00 50 10 00 04 40 00 20 00"},
        {"03/42", [&] { q.RequestErrorLog(true); }, "50 03 00 04 03 42 00 00 50 11 00 04 40 00 20 00"},
        {"05/10", [&] { q.RequestProductInfo(); }, "50 04 00 04 05 10 00 00"},
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
    EXPECT_EQ(port.TakeWrites(), Hex("50 05 00 04 03 30 00 00 50 12 00 04 40 00 20 00"));
    EXPECT_EQ(q.RequestRtcSet("20261231235959"), Start::kBusy);  // the block read holds the link
}

TEST_F(QueriesTest, NetworkChainEndsIdleAndReportsFromATimer)
{
    ASSERT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    EXPECT_EQ(LastCommand(), "mmap/net0 ioctl get ipaddr");
    EXPECT_EQ(link.GetTransferType(), 10);
    // Asked again with a reply out: the reply is dropped, the chain restarts.
    EXPECT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    port.writes.clear();
    Mmap(Text("10.9.9.9"));
    EXPECT_EQ(LastCommand(), "mmap/net0 ioctl get ipaddr");
    const Bytes answers[] = {Text("10.0.0.5"), Text("255.0.0.0"), Text("10.0.0.1"), Text("10.0.0.2"), ItemInt(0),
                             Text("FE80::5"), Text(""), Text(""), ItemInt(64)};
    for (const Bytes& a : answers)
        Mmap(a);
    EXPECT_EQ(link.GetTransferType(), 0);
    EXPECT_TRUE(host.net.empty());  // not from inside the reply handler
    Reports();
    ASSERT_EQ(host.net.size(), 1u);
    EXPECT_EQ(host.net[0].ipv4, "10.0.0.5");
    EXPECT_EQ(host.net[0].prefix6, 64);
    // A late reply now touches nothing; another job's transfer makes a start busy.
    port.writes.clear();
    Mmap(Text("late"));
    EXPECT_TRUE(port.writes.empty());
    link.Session().SetTransferType(CLinkSession::kTransferCertRead);
    EXPECT_EQ(q.RequestNetworkInfo(), Start::kBusy);
    EXPECT_EQ(host.messages.back(), "The product is busy with another job.\r\nTry again when it has finished.");
    Mmap(ItemInt(1));
    EXPECT_EQ(link.GetTransferType(), CLinkSession::kTransferCertRead);
}

TEST_F(QueriesTest, ReplyAndTimerWhileAReportIsShown)
{
    link.DeviceInfo().wiredPresent = 0;
    link.DeviceInfo().wirelessPresent = 0;
    EXPECT_EQ(q.RequestNetworkInfo(), Start::kUnsupported);
    link.DeviceInfo().wiredPresent = 1;
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
    EXPECT_EQ(link.GetTransferType(), 0);
}

TEST_F(QueriesTest, ChainFailuresReturnToIdle)
{
    // Wrong item type, a lying item length, a refusal, no answer at all.
    ASSERT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    Mmap(ItemInt(3));
    EXPECT_EQ(link.GetTransferType(), 0);
    ASSERT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    Mmap(Hex("00 07 01 00 41 42 43 44"));
    EXPECT_EQ(link.GetTransferType(), 0);
    ASSERT_EQ(q.RequestRtcDate(), Start::kStarted);
    Mmap(ItemInt(38), true);
    EXPECT_EQ(link.GetTransferType(), 0);
    ASSERT_EQ(q.RequestNetworkInfo(), Start::kStarted);
    EXPECT_TRUE(host.HasTimer(CBoardQueriesService::kTimerGuard));
    link.OnTimer(CBoardQueriesService::kTimerGuard);
    EXPECT_EQ(link.GetTransferType(), 0);
    Reports();
    EXPECT_EQ(host.messages, (std::vector<std::string>{LinkStrings::kConfigReadFailed.english}));
    EXPECT_EQ(host.rtc, (std::vector<std::string>{"fail"}));
    EXPECT_TRUE(host.net.empty());
}

TEST_F(QueriesTest, ClockReadsAndWritesOnlyFourteenDigits)
{
    struct Row { std::function<Start()> start; Bytes reply; const char* result; };
    const Row rows[] = {
        {[&] { return q.RequestRtcDate(); }, Text("20260102030405"), "20260102030405"},
        {[&] { return q.RequestRtcDate(); }, Text("2026-01-02"), "fail"},
        {[&] { return q.RequestRtcSet("20261231235959"); }, ItemInt(0), "set"},
        {[&] { return q.RequestRtcSet("20261231235959"); }, ItemInt(22), "set failed"},
        {[&] { return q.RequestRtcSet("20261231235959"); }, Text("0"), "set failed"},
    };
    for (const Row& r : rows) {
        host.rtc.clear();
        ASSERT_EQ(r.start(), Start::kStarted);
        Mmap(r.reply);
        Reports();
        EXPECT_EQ(host.rtc, (std::vector<std::string>{r.result}));
        EXPECT_EQ(link.GetTransferType(), 0);
    }
    port.writes.clear();
    EXPECT_EQ(q.RequestRtcSet("2026123123595"), Start::kBadDate);
    EXPECT_TRUE(port.writes.empty());
    link.Disconnect();
    EXPECT_EQ(q.RequestRtcDate(), Start::kNotConnected);
    EXPECT_EQ(host.messages.back(), LinkStrings::kOpenPortFirst.english);
}

TEST_F(QueriesTest, EveryScanEndsWithItsDoneNotice)
{
    // A whole scan: 2 results on channel 1, the rest empty.
    ASSERT_EQ(q.StartScan(), Start::kStarted);
    Mmap(Text("STA"));
    Mmap(ItemInt(0));
    Mmap(ItemInt(0));
    link.OnTimer(CBoardQueriesService::kTimerScanPoll);
    EXPECT_EQ(LastCommand(), "mmap/net1 ioctl scan state");
    Mmap(ItemInt(0));
    for (int ch = 1; ch <= 14; ++ch)
        Mmap(ItemInt(ch == 1 ? 2 : 0));
    Mmap(Text("1 -40 3 4D79415031"));
    Mmap(Text("1 -60 0 " + std::string(300, '4')));  // too long: dropped
    EXPECT_FALSE(host.HasTimer(CBoardQueriesService::kTimerScanPoll));
    EXPECT_EQ(link.GetTransferType(), 0);
    Reports();
    EXPECT_EQ(host.scans, (std::vector<int>{1}));

    // Failures: refusal, non-zero queue size, a silent board, a closed port.
    struct Row { const char* what; std::function<void()> run; };
    const Row rows[] = {
        {"refused", [&] { Mmap(ItemInt(38), true); }},
        {"qsize", [&] { Mmap(Text("STA")); Mmap(ItemInt(7)); }},
        {"empty mode", [&] { Mmap(Text("")); }},
        {"state as text", [&] {
            Mmap(Text("STA")); Mmap(ItemInt(0)); Mmap(ItemInt(0));
            link.OnTimer(CBoardQueriesService::kTimerScanPoll);
            Mmap(Text("0"));
        }},
        {"silent", [&] {
            Mmap(Text("STA")); Mmap(ItemInt(0)); Mmap(ItemInt(0));
            for (int i = 0; i <= CScanChain::kMaxPolls; ++i) link.OnTimer(CBoardQueriesService::kTimerScanPoll);
        }},
        {"write fails", [&] { port.failWrite = 5; Mmap(Text("STA")); port.failWrite = 0; }},
        {"disconnect", [&] { Mmap(Text("STA")); link.Disconnect(); }},
    };
    for (const Row& r : rows) {
        host.scans.clear();
        ASSERT_EQ(q.StartScan(), Start::kStarted) << r.what;
        r.run();
        Reports();
        EXPECT_EQ(host.scans, (std::vector<int>{-1})) << r.what;
        EXPECT_EQ(link.GetTransferType(), 0) << r.what;
    }
    EXPECT_EQ(host.messages, (std::vector<std::string>{LinkStrings::kNoSearch.english, "You cannot use the WLAN. "}));
    // Not even started (the port is closed): the dialog still hears the end.
    host.scans.clear();
    EXPECT_EQ(q.StartScan(), Start::kNotConnected);
    Reports();
    EXPECT_EQ(host.scans, (std::vector<int>{-1}));
}

TEST_F(QueriesTest, LogsAndProductInformation)
{
    ASSERT_EQ(q.RequestErrorLog(true), Start::kStarted);
    Feed(Data("boot\r\n"));
    Feed(Reply(3, 0x42, ItemInt(6)));
    ASSERT_EQ(q.RequestErrorLog(false), Start::kStarted);
    Feed(Data("abc"));
    Feed(Reply(3, 0x41, ItemInt(4)));  // announced size differs: dropped
    EXPECT_EQ(link.GetTransferType(), 0);
    Feed(Reply(3, 0x41, ItemInt(3)));  // late: nothing
    Reports();
    EXPECT_EQ(host.logs, (std::vector<std::string>{"fw:boot\r\n"}));

    struct Row { const char* block; const char* result; };
    const Row rows[] = {
        {"41 00 09 00 41 42 43 44 45", "1days / 01:01:01|ABCDE"},
        {"41 00 00 00 41 42 43 44 45", nullptr},  // L = 0 stops the chain
    };
    for (const Row& r : rows) {
        host.products.clear();
        ASSERT_EQ(q.RequestProductInfo(), Start::kStarted);
        Feed(Reply(5, 0x10, Hex("00 03 00 08 00 00 00 00 05 5E 3A BC")));  // 90061500 ms
        Bytes block = Hex(r.block);
        Feed(Data(std::string(block.begin(), block.end())));
        Feed(Reply(3, 0x30, ItemInt(static_cast<int32_t>(block.size()))));
        Reports();
        EXPECT_EQ(host.products, r.result ? std::vector<std::string>{r.result} : std::vector<std::string>{});
        // The settings block follows a complete chain, for the dialog.
        const Bytes settingsRead = Hex("03 21 00 00");
        const Bytes& last = port.writes[port.writes.size() - 2];
        EXPECT_EQ(Bytes(last.begin() + 4, last.end()) == settingsRead, r.result != nullptr);
        link.Session().EndTransfer(CLinkSession::kTransferSettingsRead);
        EXPECT_EQ(link.GetTransferType(), 0);
    }
    EXPECT_EQ(link.DeviceInfo().productInfo, "1days / 01:01:01");
}

} // namespace
