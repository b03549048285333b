// The information dialogs' texts, the search lists' rules and the upgrade
// dialog's states, without windows (the Korean texts: the Win32 suite).
#include "config/FwInfoText.h"
#include "config/NetInfoReport.h"
#include "config/ScanListRules.h"
#include "config/UpgradeModel.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

bool Has(const std::string& s, const std::string& piece) { return s.find(piece) != std::string::npos; }

} // namespace

TEST(NetInfoReport, NetworkConflictsAndTheirTime) {
    NetworkInfo n;  // no IPv4 address yet
    n.netmask = "255.255.255.0";
    n.ipv6Global = "2001:DB8::5";
    n.prefix6 = 64;
    n.ipv6Gateway = "FE80::FE";
    std::string text = NetInfoReport::Network(n, false);
    EXPECT_TRUE(Has(text, "  Local IP address - \r\n  Subnet mask - 255.255.255.0\r\n")) << text;
    EXPECT_TRUE(Has(text, "  Global - 2001:DB8::5 / 64\r\n"));
    EXPECT_FALSE(Has(text, "conflict"));  // only when there was one
    n.conflictCount = 2;
    n.conflictMac = "00:11:22:33:44:55";
    // 1 day 1 h 1 min 1 s; the hours and minutes come from the whole count.
    for (auto [seconds, time] : {std::pair<int64_t, const char*>{90061, "1days / 01:01:01"},
                                 {3723, "0days / 01:02:03"}, {59, "0days / 00:00:59"}}) {
        n.conflictTime = seconds;
        text = NetInfoReport::Network(n, false);
        EXPECT_TRUE(Has(text, "FE80::FE\r\n\r\nIP address conflict information\r\n  Number of conflict - 2\r\n"));
        EXPECT_EQ(text.substr(text.size() - std::strlen(time)), time) << seconds;
    }
}

TEST(NetInfoReport, WirelessSecurityAndNeighbours) {
    const std::string head = "  Mode : STA\r\n  Channel : 11\r\n  SSID : Net\r\n  Signal strength : -55dbm\r\n";
    struct Case { const char *rsna, *akm, *expected; } cases[] = {
        {"WPA2", "", "  Security : WPA2 / None\r\n"},
        {"WEP", "PSK", "  Security : WEP"},
    };
    for (const Case& c : cases) {
        // The signed level reads as the magnitude does.
        WlanStatusRecord w{"STA", "Net", c.rsna[0] == 'W' ? "55" : "-55", c.rsna, c.akm, "CCMP", 11};
        EXPECT_EQ(NetInfoReport::Wireless(&w, false), head + c.expected) << c.rsna << "/" << c.akm;
    }
    WlanStatusRecord ap{"AP", "Mine", "40", "", "", "", 1};  // an access point shows no signal
    EXPECT_EQ(NetInfoReport::Wireless(&ap, false), "  Mode : AP\r\n  Channel : 1\r\n  SSID : Mine\r\n  Security : None\r\n");
    EXPECT_EQ(NetInfoReport::Wireless(nullptr, false), "");

    const std::vector<std::string> none;
    EXPECT_EQ(NetInfoReport::Neighbours(&none, nullptr, false), "IPv4 ARP cache table");
    EXPECT_EQ(NetInfoReport::Neighbours(nullptr, &none, false), "");
}

TEST(FwInfoText, SizeVersionMacAndBoundedName) {
    struct Case { const char *header, *size, *version; } cases[] = {
        {"000000000010", "", ""},                                    // 12 characters: neither
        {"0000000000100000000000000000", "64K", ""},                 // 28: the size only
        {"000000000010000000000000123500", "64K", "1.2.3.b5"},       // 30: both
        {"00000000ffff0000000000000000zz", "1023K", "0.0.0"},        // not hex: 0
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FwInfoText::Size(c.header), c.size) << c.header;
        EXPECT_EQ(FwInfoText::Version(c.header), c.version) << c.header;
    }
    EXPECT_EQ(FwInfoText::Mac("0011223344ab"), "00:11:22:33:44:ab");
    EXPECT_EQ(FwInfoText::Mac("00112"), "00:11:2:::");
    EXPECT_EQ(FwInfoText::Bounded(std::string("ZarvoOS\0\0junk", 13)), "ZarvoOS");
    EXPECT_EQ(FwInfoText::Bounded(std::string()), "");
}

TEST(ScanListRules, IconsChannelsAndRows) {
    using namespace ScanListRules;
    const std::pair<int, unsigned> icons[] = {{50, kSignal1}, {51, kSignal2}, {60, kSignal2},
                                              {61, kSignal3}, {70, kSignal3}, {71, kSignal4}, {-52, kSignal1}};
    for (auto [signal, image] : icons) EXPECT_EQ(SignalImage(signal), image) << signal;

    std::vector<ScanRecord> records(3);
    records[0].channel = 6, records[0].ssid = "A";
    records[1].channel = 1, records[1].ssid = "B";
    records[2].channel = 6, records[2].ssid = "C";
    EXPECT_EQ(Channel(records, 6).heading, "Channel 6(2)");
    EXPECT_EQ(Channel(records, 6).ssids, "A,C");

    EXPECT_EQ(RowAt(30, 15, 20, 3), 2);
    EXPECT_EQ(RowAt(0, 60, 20, 3), -1);  // below the last row
    EXPECT_EQ(RowAt(0, 5, 40, 0), -1);
}

// The dialog's states, refusals and failures: the upgrade roads and the Win32 suite.
TEST(UpgradeModel, BootLoaderNamesAndBigImages) {
    CUpgradeModel m;
    m.Choose();
    ASSERT_TRUE(m.Accept(1000, "FW_A", ""));       // unknown: any name passes
    EXPECT_FALSE(m.OnEnvName(true, "FW_B"));       // the boot loader's name still counts
    EXPECT_TRUE(m.SendEnabled());

    // Images of many megabytes: no overflow, and the bar stays in its box.
    CUpgradeModel big;
    big.Choose();
    ASSERT_TRUE(big.Accept(16u << 20, "X", ""));
    big.OnIspConnected();
    big.OnProgress(15u << 20);
    EXPECT_EQ(big.ProgressText(), "93%");
    EXPECT_EQ(big.BarRight(299), 280);
    big.OnProgress(20u << 20);
    EXPECT_EQ(big.ProgressText(), "100%");
    EXPECT_EQ(big.BarRight(299), 299);
    big.OnResult(true);
    EXPECT_EQ(big.Sent(), big.Total());
}
