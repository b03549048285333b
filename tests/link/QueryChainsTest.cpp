// The query chains and record readers.
#include "LinkFakes.h"

#include "link/codecs/FrameItemReader.h"
#include "link/services/InfoBlock.h"
#include "link/services/MmapCommand.h"
#include "link/services/NetInfoChain.h"
#include "link/services/ScanChain.h"

#include <map>

namespace {

using Bytes = std::vector<uint8_t>;

// A reply item kept alive with the FrameItem that points into it.
struct Answer {
    Bytes bytes;
    FrameItem item;
    explicit Answer(Bytes b) : bytes(std::move(b)) { FrameItemReader::First(bytes.data(), bytes.size(), item); }
};

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

TEST(NetInfoChain, HostileAnswersEndTheChain)
{
    // A short tick item leaves the time 0.
    NetBoard b = FullBoard("net0");
    b.answers["mmap/net0 ioctl get dad tick"] = ItemBytes(Hex("6F17"));
    ASSERT_EQ(b.Run(true, true), CNetInfoChain::Outcome::kDone);
    EXPECT_EQ(b.chain.Info().conflictTime, 0);
    // A new start forgets everything of the previous board.
    b.chain.Start(true, false);
    EXPECT_TRUE(b.chain.Info().arp.empty());
    EXPECT_EQ(b.chain.Info().wlan.channel, 0);
}

// A poll while the state query is out sends nothing more.
TEST(ScanChain, OneStateQueryAtATime)
{
    CScanChain scan;
    MmapCommand c = scan.Start();
    auto reply = [&](Bytes item) {
        Answer a(std::move(item));
        return scan.OnReply(a.item, c);
    };
    reply(Text("STA"));
    reply(ItemInt(0));                                          // qsize
    EXPECT_EQ(reply(ItemInt(0)), CScanChain::Outcome::kWait);  // started
    EXPECT_EQ(scan.OnTick(c), CScanChain::Outcome::kNext);
    EXPECT_EQ(scan.OnTick(c), CScanChain::Outcome::kWait);
    EXPECT_EQ(reply(ItemInt(1)), CScanChain::Outcome::kWait);  // still scanning
    EXPECT_EQ(scan.OnTick(c), CScanChain::Outcome::kNext);
}

// Oversize SSIDs: e2e.scan_oversize.
TEST(ScanRecord, UndecodableSsidIsDropped)
{
    ScanRecord r;
    Answer hidden(Text("1 -70 0 "));
    EXPECT_TRUE(ScanRecord::Parse(hidden.item, r));
    Answer control(Text("1 -40 0 4D0A"));
    EXPECT_FALSE(ScanRecord::Parse(control.item, r));
}

// An oversize text is cut: e2e.info_oversize.
TEST(InfoBlock, WalkIsBounded)
{
    struct Row { const char* hex; InfoBlock::Result result; const char* text; };
    const Row rows[] = {
        {"41 00 09 00 4142434445", InfoBlock::Result::kFound, "ABCDE"},
        {"10 00 06 00 0102 41 00 07 00 58 00 59", InfoBlock::Result::kFound, "X"},
        {"10 00 06 00 0102", InfoBlock::Result::kEnd, ""},
        {"41 00 10 00 4142", InfoBlock::Result::kBroken, ""},
        {"10 00 04 00 41", InfoBlock::Result::kBroken, ""},
    };
    for (const Row& row : rows) {
        Bytes b = Hex(row.hex);
        std::string text;
        EXPECT_EQ(InfoBlock::Find(b.data(), b.size(), text), row.result) << row.hex;
        EXPECT_EQ(text, row.text) << row.hex;
    }
}

TEST(Uptime, DaysThenClock)
{
    EXPECT_EQ(FormatUptime(3723999), "0days / 01:02:03");
    EXPECT_EQ(FormatUptime(90061500, "%I64d일 %02d:%02d:%02d"), "1일 01:01:01");
    EXPECT_EQ(FormatUptime(90061500, "%s %02d"), "1days / 01:01:01");  // a broken format is not trusted
}

} // namespace
