// The settings pages' and dialogs' rules against records built here.
#include "config/NetworkPageModel.h"
#include "config/SettingsDialogModel.h"
#include "config/UserDialogsModel.h"
#include "config/WlanPageModel.h"
#include "link/codecs/Sha1.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr uint32_t kDhcp = 1u << 2, kDnsAuto = 1u << 3, kIpv6On = 1u << 4, kIpv6Static = 1u << 6;

bool SameRecord(const SettingsRecord& a, const SettingsRecord& b)
{
    return std::memcmp(a.ipv4Address, b.ipv4Address, 4) == 0 && std::memcmp(a.ipv4Mask, b.ipv4Mask, 4) == 0 &&
           std::memcmp(a.ipv4Gateway, b.ipv4Gateway, 4) == 0 && std::memcmp(a.ipv4Dns, b.ipv4Dns, 4) == 0 &&
           std::memcmp(a.ipv6Address, b.ipv6Address, 16) == 0 && a.ipv6Prefix == b.ipv6Prefix &&
           std::memcmp(a.ssid, b.ssid, 32) == 0 && std::memcmp(a.sharedKey, b.sharedKey, 63) == 0 &&
           std::memcmp(a.preSharedKey, b.preSharedKey, 32) == 0 && a.flags == b.flags &&
           a.wlanOptions == b.wlanOptions;
}

SettingsRecord BoardRecord()
{
    SettingsRecord r;
    const uint8_t ip[4] = {192, 168, 0, 20}, mask[4] = {255, 255, 255, 0}, gw[4] = {192, 168, 0, 1}, dns[4] = {8, 8, 4, 4};
    std::memcpy(r.ipv4Address, ip, 4);
    std::memcpy(r.ipv4Mask, mask, 4);
    std::memcpy(r.ipv4Gateway, gw, 4);
    std::memcpy(r.ipv4Dns, dns, 4);
    std::memcpy(r.ssid, "office", 6);
    std::memcpy(r.sharedKey, "password", 8);
    CalcWpaPsk("password", "office", r.preSharedKey);
    r.flags = 1;                                      // WLAN on, static IPv4
    r.wlanOptions = 1 | (6u << 10) | (3u << 18);      // infrastructure, channel 6, 802.11b/g
    return r;
}

} // namespace

// What each choice shows is on the page at once; what must hold is the record.
TEST(NetworkPageModelTest, StoreWithoutEditsChangesNothing)
{
    // Multicast IPv6 with a prefix over 128: locked, so neither shown wrong nor refused.
    for (uint32_t flags : {0u, kDhcp, kDhcp | kDnsAuto, kIpv6On | kIpv6Static}) {
        SettingsRecord r = BoardRecord();
        r.flags = flags;
        r.ipv6Address[0] = 0xFF;
        r.ipv6Prefix = 200;
        const SettingsRecord before = r;
        CNetworkPageModel m(r, true);
        m.Fill();
        m.ApplyEnabling(CNetworkPageModel::kInfrastructure);
        CNetworkPageModel::StoreResult res = m.Store();
        EXPECT_TRUE(res.stored) << flags;
        EXPECT_TRUE(SameRecord(r, before)) << flags;
    }
}

TEST(NetworkPageModelTest, AnUnlockedIpv6GroupIsCheckedBeforeAnythingIsStored)
{
    struct Case {
        const char *address, *prefix;
        CNetworkPageModel::Field refused;
    } cases[] = {
        {"fe80::1", "64", CNetworkPageModel::kNoField},
        {"", "", CNetworkPageModel::kNoField},
        {"ff02::1", "64", CNetworkPageModel::kIpv6Address},
        {"::1", "64", CNetworkPageModel::kIpv6Address},
        {"fe80::1", "129", CNetworkPageModel::kIpv6Prefix},
    };
    for (const Case& c : cases) {
        SettingsRecord r = BoardRecord();
        const SettingsRecord before = r;
        CNetworkPageModel m(r, true);
        m.Fill();
        NetworkPageState& s = m.State();
        s.ipv6Locked = false;
        s.ipv6Sel = 1;
        s.ipv6Static = true;
        s.ipv6Address = c.address;
        s.ipv6Prefix = c.prefix;
        s.ipv4[NetworkPageState::kAddress] = 0x0A000009;
        CNetworkPageModel::StoreResult res = m.Store();
        EXPECT_EQ(res.focus, c.refused) << c.address;
        if (c.refused != CNetworkPageModel::kNoField) {
            EXPECT_EQ(res.messageId, static_cast<unsigned>(IDS_BAD_IPV6));
            EXPECT_TRUE(SameRecord(r, before)) << c.address;
        } else {
            EXPECT_EQ(r.flags & (kIpv6On | kIpv6Static), kIpv6On | kIpv6Static);
        }
    }
}

TEST(WlanPageModelTest, StoreWithoutEditsLeavesTheRecordBitIdentical)
{
    for (uint32_t options : {1u | (6u << 10) | (3u << 18), 2u | (14u << 10) | (5u << 18) | (2u << 3), 7u | (255u << 10)}) {
        SettingsRecord r = BoardRecord();
        r.wlanOptions = options;
        const SettingsRecord before = r;
        CWlanPageModel m(r, "0030f9a1b2c3");
        m.Init();
        m.Fill();
        WlanAdvancedState a = m.AdvancedFromRecord();
        CWlanPageModel::ApplyPhyRules(a, m.State().topology);
        m.StoreAdvanced(a);
        ASSERT_TRUE(m.Store().stored);
        EXPECT_TRUE(SameRecord(r, before)) << std::hex << options;
    }
}

TEST(WlanPageModelTest, FullFieldsAreStoredWithoutTerminatorAndThePskComesFromThem)
{
    SettingsRecord r = BoardRecord();
    CWlanPageModel m(r, "");
    m.Init();
    m.Fill();
    m.State().ssid = std::string(32, 'A');
    m.State().key = std::string(63, 'k');
    ASSERT_TRUE(m.Store().stored);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(r.ssid), 32), std::string(32, 'A'));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(r.sharedKey), 63), std::string(63, 'k'));
    uint8_t psk[32];
    ASSERT_TRUE(CalcWpaPsk(std::string(63, 'k'), std::string(32, 'A'), psk));
    EXPECT_EQ(std::memcmp(r.preSharedKey, psk, 32), 0);
    // Read back bounded by the fields, not by a terminator that is not there.
    CWlanPageModel again(r, "");
    again.Init();
    again.Fill();
    EXPECT_EQ(again.State().ssid.size(), 32u);
    EXPECT_EQ(again.State().key.size(), 63u);
}

TEST(WlanPageModelTest, StoreRefusesWhatDoesNotFitAndShortSoftApKeys)
{
    struct Case {
        int topology;
        std::string ssid, key;
        unsigned message;
    } cases[] = {
        // A soft AP's short keys: the Win32 suite, through the dialog.
        {2, "ap", "", 0},
        {1, "ap", "1234567", 0},
        {1, std::string(33, 'S'), "", IDS_TEXT_TOO_LONG},
        {1, std::string(34, '\xB0'), "", IDS_TEXT_TOO_LONG},  // seventeen Korean characters
        {1, "ap", std::string(64, 'k'), IDS_TEXT_TOO_LONG},
    };
    for (const Case& c : cases) {
        SettingsRecord r = BoardRecord();
        const SettingsRecord before = r;
        CWlanPageModel m(r, "");
        m.Init();
        m.Fill();
        m.OnTopologyClicked(c.topology);
        m.State().ssid = c.ssid;
        m.State().key = c.key;
        CWlanPageModel::StoreResult res = m.Store();
        EXPECT_EQ(res.stored, c.message == 0) << c.key;
        if (!res.stored) {
            EXPECT_EQ(res.messageId, c.message);
            EXPECT_TRUE(SameRecord(r, before));
        }
    }
}

TEST(WlanPageModelTest, FillReplacesTheMacTokenAndStoreWritesWhatIsShown)
{
    SettingsRecord r = BoardRecord();
    std::memcpy(r.ssid, "Dev_$emac_id", 12);
    r.flags = 0;  // WLAN off at open
    CWlanPageModel m(r, "0030F9A1B2C3");
    m.Init();
    m.Fill();
    EXPECT_EQ(m.State().ssid, "Dev_A1B2C3");
    m.OnWlanChanged(1);
    m.OnTopologyClicked(0);
    m.OnDot1xChanged(1);
    ASSERT_TRUE(m.Store().stored);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(r.ssid)), "Dev_A1B2C3");
    EXPECT_EQ(r.wlanOptions & 0x7F, 0u | (1u << 3));
    EXPECT_EQ(r.flags & 1, 1u);
}

// A WLAN choice the page already has (a list closed on it, a click on the
// item it shows) keeps what was typed; only "Enable" after "Disable" refills.
TEST(WlanPageModelTest, OnlyAChangedWlanChoiceRefillsThePage)
{
    SettingsRecord r = BoardRecord();
    CWlanPageModel m(r, "");
    m.Init();
    m.Fill();
    m.State().ssid = "ZarvoNetX9";
    m.OnDot1xChanged(1);
    m.OnWlanChanged(1);
    EXPECT_EQ(m.State().ssid, "ZarvoNetX9");
    EXPECT_EQ(m.State().dot1xSel, 1);
    EXPECT_TRUE(m.State().idpwEnabled);
    m.OnWlanChanged(0);
    EXPECT_FALSE(m.State().controlsEnabled);
    EXPECT_EQ(m.State().ssid, "ZarvoNetX9");
    m.OnWlanChanged(1);
    EXPECT_TRUE(m.State().controlsEnabled);
    EXPECT_EQ(m.State().ssid, "office");
    EXPECT_EQ(m.State().dot1xSel, 0);
}

TEST(WlanPageModelTest, CredentialBuffersAreBounded)
{
    std::string buffer("old-id\0\0", 8);
    EXPECT_EQ(CWlanPageModel::BufferText(buffer), "old-id");
    EXPECT_TRUE(CWlanPageModel::StoreBuffer(buffer, "new"));
    EXPECT_EQ(buffer, std::string("new\0\0\0\0\0", 8));
    EXPECT_FALSE(CWlanPageModel::StoreBuffer(buffer, "123456789"));
    EXPECT_EQ(CWlanPageModel::BufferText(buffer), "new");
}

TEST(SettingsDialogModelTest, PasswordRecordUsesTheLoginSalt)
{
    EXPECT_EQ(CSettingsDialogModel::PasswordRequest(false, "password1", "0123456789abcdef01234567"),
              "0100d0e5ad06ab96c8da4ef0268fcd83a583c8856783785903b61daae680a719e475907a3d18");
    // Deleting: 36 zero bytes and their CRC, low byte first.
    std::string del = CSettingsDialogModel::PasswordRequest(true, "", "");
    EXPECT_EQ(del.substr(0, 72), std::string(72, '0'));
    EXPECT_EQ(del.size(), 76u);
}

TEST(SettingsDialogModelTest, OneJobAtATimeAndTheButtonsFollow)
{
    CSettingsDialogModel m(true, false, "66317350aa");
    EXPECT_FALSE(m.CertificateEnabled());
    EXPECT_TRUE(CSettingsDialogModel::FirmwareTakesCertificate("66317350"));  // only 4 pairs
    EXPECT_TRUE(m.Start(CSettingsDialogModel::kCertRead));
    EXPECT_FALSE(m.WriteEnabled());
    EXPECT_FALSE(m.Start(CSettingsDialogModel::kWrite));
    m.Finish(CSettingsDialogModel::kWrite);  // not the one running
    EXPECT_EQ(m.Running(), CSettingsDialogModel::kCertRead);
    m.Finish(CSettingsDialogModel::kCertRead);
    EXPECT_TRUE(m.WriteEnabled());
    EXPECT_FALSE(CSettingsDialogModel(false, false, "").WriteEnabled());
}

TEST(UserDialogsModelTest, DatesAndPasswords)
{
    EXPECT_EQ(UserDialogsModel::FormatBoardDate("20150101123030"), "2015-01-01 / 12-30-30");
    EXPECT_EQ(UserDialogsModel::FormatBoardDate("2015"), "2015-- / --");
    EXPECT_FALSE(UserDialogsModel::ManualYearAccepted(1999));
    using namespace UserDialogsModel;
    struct Case {
        int mode;
        std::string password, retype;
        unsigned result;
    } cases[] = {
        {kModeSet, "1234567", "1234567", IDS_PASSWORD_TOO_SHORT},
        {kModeSet, std::string(32, 'p'), std::string(32, 'p'), 0},
        {kModeSet, std::string(33, 'p'), std::string(33, 'p'), IDS_PASSWORD_TOO_SHORT},
        {kModeSet, "Password", "password", IDS_PASSWORD_MISMATCH},
        {kModeLogin, "Password", "", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckPassword(c.mode, c.password, c.retype), c.result) << c.password;
}
