// The query chains and record readers: 05/30 commands, network information,
// wireless scan, information block and uptime.
#include "LinkFakes.h"

#include "link/codecs/FrameItemReader.h"
#include "link/services/InfoBlock.h"
#include "link/services/MmapCommand.h"
#include "link/services/NetInfoChain.h"
#include "link/services/ScanChain.h"

#include <map>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

// A reply item kept alive with the FrameItem that points into it.
struct Answer {
    Bytes bytes;
    FrameItem item;
    explicit Answer(Bytes b) : bytes(std::move(b)) { FrameItemReader::First(bytes.data(), bytes.size(), item); }
};
Bytes Text(const std::string& s) { return ItemBytes(Bytes(s.begin(), s.end())); }

TEST(MmapCommand, FramesCarryThePaddedSizeAlone)
{
    struct { MmapCommand c; const char* hex; } rows[] = {
        {MmapCommand::Network(MmapCommand::kIpAddr, true),
         "50 00 00 24 05 30 00 20 00 06 00 1C 6d6d61702f6e657430 20696f63746c20676574 20697061646472 0000"},
        {MmapCommand::Network(MmapCommand::kWlanChannel, true),
         "50 00 00 20 05 30 00 1C 00 06 00 18 6d6d61702f6e657431 20696f63746c20676574 206368 00 00"},
    };
    for (auto& r : rows)
        EXPECT_EQ(r.c.Frame(0), Hex(r.hex)) << r.c.text;
    std::vector<uint8_t> rtc = MmapCommand::RtcSet("20260102030405").Frame(3);
    EXPECT_EQ(rtc.size(), 52u);
    EXPECT_EQ(Bytes(rtc.begin(), rtc.begin() + 12), Hex("50 03 00 30 05 30 00 2C 00 06 00 28"));
    for (const char* bad : {"2026010203040", "202601020304050", "2026010203040x", ""})
        EXPECT_FALSE(MmapCommand::RtcSet(bad).IsValid()) << bad;
    EXPECT_EQ(MmapCommand::RtcGet().text, "mmap/rtc0 ioctl get date");
    EXPECT_EQ(MmapCommand::Scan(MmapCommand::kScanQueueSize).text, "mmap/net1 ioctl scan qsize 32");
}

// Runs the network chain against a table of answers by command text.
struct NetBoard {
    std::map<std::string, Bytes> answers;
    std::vector<std::string> asked;
    CNetInfoChain chain;
    CNetInfoChain::Outcome Run(bool wired, bool wireless, size_t limit = 2000)
    {
        MmapCommand c = chain.Start(wired, wireless);
        for (size_t i = 0; i < limit; ++i) {
            asked.push_back(c.text);
            auto it = answers.find(c.text);
            Answer a(it != answers.end() ? it->second : Text(""));
            auto outcome = chain.OnReply(a.item, c);
            if (outcome != CNetInfoChain::Outcome::kNext)
                return outcome;
        }
        return CNetInfoChain::Outcome::kNext;
    }
};

NetBoard FullBoard(const std::string& dev)
{
    NetBoard b;
    auto q = [&](const std::string& dv, const std::string& name, Bytes item) {
        b.answers["mmap/" + dv + " ioctl get " + name] = std::move(item);
    };
    q(dev, "ipaddr", Text("10.0.0.5"));
    q(dev, "dad count", ItemInt(2));
    q(dev, "dad addr", Text("02:00:00:00:00:09"));
    q(dev, "dad tick", ItemBytes(Hex("6F17000000000000")));
    q(dev, "prefix6", ItemInt(64));
    q(dev, "gwaddr6", Text("FE80::1"));
    q("net1", "ch", ItemInt(6));
    q("net1", "rssi", ItemInt(-52));
    q("net1", "akm", Text("PSK"));
    q("net1", "cipher", Text("CCMP"));
    q(dev, "arp 0", Text("a"));
    q(dev, "arp 1", Text("b"));
    q(dev, "ndc 0", Text("n"));
    return b;
}

TEST(NetInfoChain, WalksEveryStepAndKeepsEachAnswer)
{
    NetBoard b = FullBoard("net0");
    ASSERT_EQ(b.Run(true, true), CNetInfoChain::Outcome::kDone);
    const std::vector<std::string> order = {
        "ipaddr", "netmask", "gwaddr", "nsaddr", "dad count", "dad addr", "dad tick", "ipaddr6 0",
        "ipaddr6 1", "gwaddr6", "prefix6", "mode", "ch", "ssid", "rssi", "rsna", "akm", "cipher",
        "arp 0", "arp 1", "arp 2", "ndc 0", "ndc 1"};
    ASSERT_EQ(b.asked.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        bool wlan = i >= 11 && i <= 17;
        EXPECT_EQ(b.asked[i], std::string(wlan ? "mmap/net1" : "mmap/net0") + " ioctl get " + order[i]);
    }
    const NetworkInfo& n = b.chain.Info();
    EXPECT_EQ(n.ipv4, "10.0.0.5");
    EXPECT_EQ(n.conflictCount, 2);
    EXPECT_EQ(n.conflictMac, "02:00:00:00:00:09");
    EXPECT_EQ(n.conflictTime, 5);  // 5999 ms
    EXPECT_EQ(n.prefix6, 64);
    EXPECT_EQ(n.wlan.channel, 6);
    EXPECT_EQ(n.wlan.signal, "-52");
    EXPECT_EQ(n.wlan.akm, "PSK");
    EXPECT_EQ(n.wlan.cipher, "CCMP");
    EXPECT_EQ(n.arp, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(n.neighbours, (std::vector<std::string>{"n"}));
}

TEST(NetInfoChain, InterfacesChooseDevicesAndEnds)
{
    NetBoard wirelessOnly = FullBoard("net1");
    wirelessOnly.answers["mmap/net1 ioctl get dad count"] = ItemInt(0);
    ASSERT_EQ(wirelessOnly.Run(false, true), CNetInfoChain::Outcome::kDone);
    for (auto& a : wirelessOnly.asked)
        EXPECT_EQ(a.rfind("mmap/net1 ", 0), 0u) << a;
    EXPECT_EQ(wirelessOnly.asked[5], "mmap/net1 ioctl get ipaddr6 0");  // count 0 skips dad addr

    NetBoard wiredOnly = FullBoard("net0");
    ASSERT_EQ(wiredOnly.Run(true, false), CNetInfoChain::Outcome::kDone);
    EXPECT_EQ(wiredOnly.asked.back(), "mmap/net0 ioctl get prefix6");
    EXPECT_TRUE(wiredOnly.chain.Info().arp.empty());
}

TEST(NetInfoChain, HostileAnswersEndTheChain)
{
    // The wrong item type at a text or an integer step stops it.
    NetBoard wrong = FullBoard("net0");
    wrong.answers["mmap/net0 ioctl get netmask"] = ItemInt(1);
    EXPECT_EQ(wrong.Run(true, true), CNetInfoChain::Outcome::kStopped);
    EXPECT_FALSE(wrong.chain.IsRunning());
    NetBoard lying = FullBoard("net0");
    lying.answers["mmap/net0 ioctl get prefix6"] = Hex("00 02 01 04 00 00 00 40");
    EXPECT_EQ(lying.Run(true, true), CNetInfoChain::Outcome::kStopped);
    EXPECT_EQ(lying.chain.Info().ipv6Gateway, "FE80::1");  // what came before stands

    // Tables that never end are cut; a short tick item leaves the time 0.
    NetBoard endless = FullBoard("net0");
    endless.answers["mmap/net0 ioctl get dad tick"] = ItemBytes(Hex("6F17"));
    for (int i = 0; i < 400; ++i) {
        endless.answers["mmap/net0 ioctl get arp " + std::to_string(i)] = Text("row");
        endless.answers["mmap/net0 ioctl get ndc " + std::to_string(i)] = Text("row");
    }
    ASSERT_EQ(endless.Run(true, true), CNetInfoChain::Outcome::kDone);
    EXPECT_EQ(endless.chain.Info().arp.size(), size_t(CNetInfoChain::kMaxTableRows));
    EXPECT_EQ(endless.chain.Info().neighbours.size(), size_t(CNetInfoChain::kMaxTableRows));
    EXPECT_EQ(endless.chain.Info().conflictTime, 0);

    // A new start forgets everything of the previous board.
    endless.chain.Start(true, false);
    EXPECT_TRUE(endless.chain.Info().arp.empty());
    EXPECT_TRUE(endless.chain.Info().wlan.ssid.empty() && endless.chain.Info().wlan.channel == 0);
}

TEST(ScanChain, AsksEveryResultOfTheCountedChannels)
{
    CScanChain scan;
    MmapCommand c = scan.Start();
    std::vector<std::string> asked;
    auto reply = [&](Bytes item) {
        Answer a(std::move(item));
        return scan.OnReply(a.item, c);
    };
    EXPECT_EQ(reply(Text("STA")), CScanChain::Outcome::kNext);
    EXPECT_EQ(reply(ItemInt(0)), CScanChain::Outcome::kNext);  // qsize
    EXPECT_EQ(reply(ItemInt(0)), CScanChain::Outcome::kWait);  // started
    EXPECT_EQ(scan.OnTick(c), CScanChain::Outcome::kNext);
    EXPECT_EQ(scan.OnTick(c), CScanChain::Outcome::kWait);     // one state query at a time
    EXPECT_EQ(reply(ItemInt(1)), CScanChain::Outcome::kWait);
    ASSERT_EQ(scan.OnTick(c), CScanChain::Outcome::kNext);
    ASSERT_EQ(reply(ItemInt(0)), CScanChain::Outcome::kNext);
    for (int ch = 1; ch <= 14; ++ch) {
        EXPECT_EQ(c.text, "mmap/net1 ioctl scan result " + std::to_string(ch));
        CScanChain::Outcome o = reply(ItemInt(ch == 1 ? 2 : ch == 6 ? 1 : 0));
        ASSERT_EQ(o, CScanChain::Outcome::kNext);
    }
    const char* results[] = {"1 -40 3 4D79415031", "1 -70 0 " /* hidden */, "6 -52 3 4D79415031"};
    for (const char* r : results) {
        asked.push_back(c.text);
        CScanChain::Outcome o = reply(Text(r));
        EXPECT_EQ(o, asked.size() < 3 ? CScanChain::Outcome::kNext : CScanChain::Outcome::kDone);
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"mmap/net1 ioctl scan result 1 0", "mmap/net1 ioctl scan result 1 1",
                                                "mmap/net1 ioctl scan result 6 0"}));
    ASSERT_EQ(scan.Records().size(), 3u);
    const ScanRecord& r = scan.Records()[2];
    EXPECT_EQ(r.channel, 6);
    EXPECT_EQ(r.signal, -52);
    EXPECT_EQ(r.flags, 3);
    EXPECT_EQ(r.ssidHexLength, 10u);
    EXPECT_EQ(r.ssid, "MyAP1");
    EXPECT_FALSE(scan.IsRunning());
}

TEST(ScanRecord, OversizeOrUndecodableSsidIsDropped)
{
    ScanRecord r;
    Answer longHex(Text("1 -40 0 " + std::string(258, '4')));
    EXPECT_FALSE(ScanRecord::Parse(longHex.item, r));
    Answer fits(Text("1 -40 0 " + std::string(256, '4')));
    EXPECT_TRUE(ScanRecord::Parse(fits.item, r));
    Answer control(Text("1 -40 0 4D0A"));
    EXPECT_FALSE(ScanRecord::Parse(control.item, r));
}

TEST(InfoBlock, WalkIsBounded)
{
    struct Row { const char* hex; InfoBlock::Result result; const char* text; };
    const Row rows[] = {
        {"41 00 09 00 4142434445", InfoBlock::Result::kFound, "ABCDE"},
        {"10 00 06 00 0102 41 00 07 00 58 00 59", InfoBlock::Result::kFound, "X"},
        {"10 00 06 00 0102", InfoBlock::Result::kEnd, ""},
        {"41 00 00 00 4142", InfoBlock::Result::kBroken, ""},
        {"41 00 03 00 4142", InfoBlock::Result::kBroken, ""},
        {"41 00 10 00 4142", InfoBlock::Result::kBroken, ""},
        {"10 00 04 00 41", InfoBlock::Result::kBroken, ""},
    };
    for (const Row& row : rows) {
        Bytes b = Hex(row.hex);
        std::string text;
        EXPECT_EQ(InfoBlock::Find(b.data(), b.size(), text), row.result) << row.hex;
        EXPECT_EQ(text, row.text) << row.hex;
    }
    Bytes big = Hex("41 00 D4 07");  // L = 2004
    big.resize(2004, 'Z');
    std::string text;
    EXPECT_EQ(InfoBlock::Find(big.data(), big.size(), text), InfoBlock::Result::kFound);
    EXPECT_EQ(text.size(), InfoBlock::kMaxText - 1);
}

// Random answers at every step of both chains and random blocks: the
// sanitizers watch every read; each chain must end, never run away.
TEST(QueryRecords, RandomAnswersStayInBounds)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 2000; ++round) {
        Bytes b(rng() % 48);
        for (auto& x : b)
            x = static_cast<uint8_t>(rng());
        if (b.size() >= 4 && round % 3) {
            b[0] = 0;
            b[1] = round % 3 == 1 ? 7 : 2;
            b[2] = 0;
        }
        std::string text;
        InfoBlock::Find(b.data(), b.size(), text);
        EXPECT_LT(text.size(), InfoBlock::kMaxText);
        // An exact copy of the item, so a read past its end leaves the heap block.
        FrameItem item;
        if (!FrameItemReader::First(b.data(), b.size(), item))
            continue;
        Bytes exact(item.data, item.data + item.length);
        item.data = exact.data();
        ScanRecord record;
        ScanRecord::Parse(item, record);
        CNetInfoChain net;
        CScanChain scan;
        MmapCommand c = net.Start(true, true), s = scan.Start();
        for (int i = 0; i < 600 && net.OnReply(item, c) == CNetInfoChain::Outcome::kNext; ++i) {}
        for (int i = 0; i < 600 && scan.IsRunning(); ++i)
            if (scan.OnReply(item, s) == CScanChain::Outcome::kWait)
                scan.OnTick(s);
        EXPECT_FALSE(net.IsRunning());
        EXPECT_FALSE(scan.IsRunning());
    }
}

TEST(Uptime, DaysThenClock)
{
    EXPECT_EQ(FormatUptime(90061500), "1days / 01:01:01");
    EXPECT_EQ(FormatUptime(3723999), "0days / 01:02:03");
    EXPECT_EQ(FormatUptime(90061500, "%I64d일 %02d:%02d:%02d"), "1일 01:01:01");
    EXPECT_EQ(FormatUptime(90061500, "%s %02d"), "1days / 01:01:01");  // a broken format is not trusted
}

} // namespace
