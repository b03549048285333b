// Settings block, board commands and device presence against a scripted port.
#include "link/DeviceLink.h"
#include "link/codecs/Crc16.h"
#include "link/codecs/EnvBlock.h"
#include "link/codecs/SettingsBlock.h"

#include <gtest/gtest.h>

#include <cstring>

#include "LinkFakes.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kName = Hex("0c 00 0c 00 5a 58 31 30 30 31 a6 2f");
const Bytes kEnd = {0xFF, 0, 0, 0};

TEST(SettingsBlockTest, ParsesAndRebuildsOnlyWhatItOwns)
{
    Bytes unknown = RecordBytes(0x20, 1, {9, 8, 7, 6, 5});
    Bytes block = Block({kName, RecordBytes(3, 0, {192, 168, 0, 7}), RecordBytes(9, 1, Bytes{'n', 'e', 't', 'w', 'r', 'k'}),
                         unknown, RecordBytes(0x0D, 1, Bytes(32, 0x11)), kEnd});
    SettingsRecord s;
    ASSERT_EQ(SettingsBlock::Parse(block.data(), block.size(), s), SettingsBlock::Result::Parsed);
    EXPECT_EQ(s.FirmwareNameText(), "ZX1001");
    EXPECT_EQ(s.ipv4Address[3], 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s.ssid), 7), std::string("netwrk\0", 7));
    EXPECT_EQ(s.flags, 0x11111111u);
    Bytes same = block;
    ASSERT_TRUE(SettingsBlock::Build(same.data(), same.size(), s));
    EXPECT_EQ(same, block);
    // Edited values stay inside their records (foreign records and the read
    // back: e2e.settings_write).
    std::memcpy(s.ssid, "longer-than-six", 15);
    ASSERT_TRUE(SettingsBlock::Build(same.data(), same.size(), s));
    SettingsRecord back;
    ASSERT_EQ(SettingsBlock::Parse(same.data(), same.size(), back), SettingsBlock::Result::Parsed);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back.ssid)), "longer");
    EXPECT_EQ(same.size(), block.size());
}

TEST(SettingsBlockTest, BadBlocksTable)
{
    struct Case {
        const char* what;
        Bytes block;
        SettingsBlock::Result result;
    } cases[] = {
        {"empty", {}, SettingsBlock::Result::NoValues},
        {"keys magic", Block({kName}, EnvBlock::kMagicKeys), SettingsBlock::Result::Bad},
        {"bad record length", Block({{3, 0, 5, 0, 1, 2, 3, 4}}), SettingsBlock::Result::Bad},  // the rest: EnvBlockTest
        {"record CRC", Block({Hex("0c 00 0c 00 5a 58 31 30 30 31 a6 2e")}), SettingsBlock::Result::Bad},
        {"no end record", Block({kName}), SettingsBlock::Result::Parsed},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsRecord s;
        s.firmwareName = "stale";
        EXPECT_EQ(SettingsBlock::Parse(c.block.data(), c.block.size(), s), c.result);
    }
}

class BoardServicesTest : public LinkFixture {
protected:
    void SetUp() override { Synced(); }
    // A 03/xx read served whole, then its reply.
};

// A count that differs, a stale record (a write cut off: e2e.settings_write_unplug).
TEST_F(BoardServicesTest, SettingsThatMustNotPass)
{
    Bytes block = Block({kName, RecordBytes(3, 0, {10, 0, 0, 1}), kEnd});
    const int32_t n = static_cast<int32_t>(block.size());
    ASSERT_TRUE(link.Settings().RequestSettingsBlock());
    ServeBlock(block, 0x21, n + 1);
    EXPECT_EQ(host.messages.back(), LinkStrings::kConfigReadFailed.english);
    EXPECT_EQ(host.settingsRead, 0);
    EXPECT_TRUE(link.Session().IsConnected());
    link.Settings().RequestSettingsBlock();
    ServeBlock(block, 0x21, n);
    unsigned generation = link.Settings().Generation();
    link.Settings().RequestSettingsBlock();
    ServeBlock(block, 0x21, n);
    EXPECT_EQ(host.settingsRead, 2);
    port.writes.clear();
    EXPECT_FALSE(link.Settings().WriteSettings(generation));
    EXPECT_TRUE(port.writes.empty());
    link.Session().Disconnect();
    EXPECT_EQ(link.Settings().Record().FirmwareNameText(), "");
}

TEST_F(BoardServicesTest, CertificateReplyTrustsOnlyWhatArrived)
{
    Bytes cert = Block({RecordBytes(0x0B, 2, Bytes(40, 0x30))}, EnvBlock::kMagicCert);
    int32_t n = static_cast<int32_t>(cert.size());
    struct Case {
        const char* what;
        Bytes data;
        int32_t v;
        bool refused;
        std::string expect;
    } cases[] = {
        {"nothing there", {}, 16, true, "<none>"},
        {"refused", cert, n, true, "<none>"},
        {"count lies", cert, n + 100, false, "<none>"},
        {"shorter than a header", Bytes(8, 0), 8, false, "<none>"},
        {"settings magic", Block({kName}), static_cast<int32_t>(Block({kName}).size()), false, "<none>"},
        {"a block", cert, n, false, std::string(cert.begin() + 16, cert.end())},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.certRecords = "?";
        ASSERT_TRUE(link.Commands().ReadCertBlock());
        ServeBlock(c.data, 0x24, c.v, c.refused);
        EXPECT_EQ(host.certRecords, c.expect);
    }
}

TEST_F(BoardServicesTest, KeyThenCertificateStopsAtAFailedKey)
{
    Bytes key = Block({RecordBytes(0x0B, 0, Bytes(258, 1))}, EnvBlock::kMagicKeys);
    Bytes cert = Block({RecordBytes(0x0B, 2, Bytes(10, 2))}, EnvBlock::kMagicCert);
    using K = CLinkBlockResults::BlockKind;
    // Refused key block: the certificate is never sent.
    ASSERT_TRUE(link.Commands().WriteKeyThenCert(key, cert));
    EXPECT_EQ(port.writes[0][5], 0x22);
    EXPECT_EQ(Pull(), key);
    port.writes.clear();
    Feed(Reply(4, 0x22, ItemInt(static_cast<int32_t>(key.size())), true));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(host.blocksWritten, (std::vector<std::pair<K, bool>>{{CLinkBlockResults::kKeyBlock, false}}));
    // Taken: the certificate follows, and its own count decides.
    host.blocksWritten.clear();
    ASSERT_TRUE(link.Commands().WriteKeyThenCert(key, cert));
    Pull();
    port.writes.clear();
    Feed(Reply(4, 0x22, ItemInt(static_cast<int32_t>(key.size()))));
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0][5], 0x24);
    EXPECT_EQ(Pull(), cert);
    Feed(Reply(4, 0x24, ItemInt(3)));
    EXPECT_EQ(host.blocksWritten, (std::vector<std::pair<K, bool>>{{CLinkBlockResults::kKeyBlock, true},
                                                                     {CLinkBlockResults::kCertBlock, false}}));
    // A board that stops pulling, and a link that goes away, end with failure.
    host.blocksWritten.clear();
    ASSERT_TRUE(link.Commands().WriteCertBlock(cert));
    link.Session().OnTimer(CBoardCommandsService::kTimerBlockWrite);
    link.Session().OnTimer(CBoardCommandsService::kTimerBlockWrite);
    ASSERT_TRUE(link.Commands().WriteKeyBlock(key));
    link.Session().Disconnect();
    EXPECT_EQ(host.blocksWritten, (std::vector<std::pair<K, bool>>{{CLinkBlockResults::kCertBlock, false},
                                                                     {CLinkBlockResults::kKeyBlock, false}}));
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferNone);
}

// A port that is back but not open yet is no success; the arrival retries it.
TEST_F(BoardServicesTest, PasswordWaitAndArrivalRetryWaitForAnOpenPort)
{
    const unsigned t = CBoardCommandsService::kTimerPasswordWait;
    link.Commands().SetUserPassword("00");
    port.checkPort = 1;
    link.Presence().OnDeviceChange(0x8004, 5);
    EXPECT_FALSE(link.Session().IsConnected());
    port.checkPort = 0;
    port.failOpen = true;
    link.Session().OnTimer(t);
    EXPECT_TRUE(host.passwordDone.empty());
    port.failOpen = false;
    link.Session().OnTimer(t);
    EXPECT_TRUE(link.Session().IsConnected());
    EXPECT_EQ(host.passwordDone, std::vector<bool>{true});
    EXPECT_TRUE(host.messages.empty());
    // An arrival that opens only a moment later is tried again, quietly; one
    // that never opens says so once, at the last try.
    link.Session().Disconnect();
    link.Session().SetReconnectPending(true);
    port.failOpen = true;
    link.Presence().OnDeviceChange(0x8000, 5);
    EXPECT_TRUE(host.HasTimer(CDevicePresenceService::kTimerArrivalRetry));
    EXPECT_TRUE(host.messages.empty());
    port.failOpen = false;
    link.Session().OnTimer(CDevicePresenceService::kTimerArrivalRetry);
    EXPECT_TRUE(link.Session().IsConnected());
    EXPECT_FALSE(host.HasTimer(CDevicePresenceService::kTimerArrivalRetry));
    link.Session().Disconnect();
    link.Session().SetReconnectPending(true);
    port.failOpen = true;
    link.Presence().OnDeviceChange(0x8000, 5);
    for (int i = 0; i < CDevicePresenceService::kRetries; ++i)
        link.Session().OnTimer(CDevicePresenceService::kTimerArrivalRetry);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Unable to open COM port"});
    EXPECT_FALSE(host.HasTimer(CDevicePresenceService::kTimerArrivalRetry));
}

TEST_F(BoardServicesTest, RebootReplies)
{
    Add("a.php", "unsaved", FileEntry::kChanged);
    // Only restarts that were asked for count (strays: the stray-reply table).
    link.Commands().RequestReboot(false);
    Feed(Reply(5, 0x22, ItemInt(1), true));
    EXPECT_TRUE(link.Session().IsConnected());
    EXPECT_EQ(host.messages.back(), "The product refused to restart.");
    host.messages.clear();
    link.Commands().RequestReboot(true);
    Feed(Reply(5, 0x26, ItemInt(200)));
    EXPECT_FALSE(link.Session().IsConnected());
    EXPECT_TRUE(link.Session().IsReconnectPending());
    EXPECT_EQ(host.restarts, 1);
    EXPECT_TRUE(host.messages.empty());  // no unsaved-files question
}

TEST_F(BoardServicesTest, OneTransferAtATime)
{
    Bytes key = Block({RecordBytes(0x0B, 0, Bytes(258, 0x5A))}, EnvBlock::kMagicKeys);
    // A read asked for during a write is refused and leaves the write whole.
    ASSERT_TRUE(link.Commands().WriteKeyBlock(key));
    EXPECT_FALSE(link.Commands().ReadCertBlock());
    EXPECT_FALSE(link.Settings().RequestSettingsBlock());
    EXPECT_EQ(Pull(), key);
    // A read cut off by the link going away holds nothing of the next connection.
    Feed(Reply(4, 0x22, ItemInt(static_cast<int32_t>(key.size()))));
    ASSERT_TRUE(link.Settings().RequestSettingsBlock());
    link.Session().Disconnect();
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferNone);
    Synced();
    EXPECT_TRUE(link.Commands().WriteKeyBlock(key));
}

// Once all is out, quiet periods are waited through; before that one ends the write.
TEST_F(BoardServicesTest, WritesWaitForTheReplyOnceAllIsOut)
{
    using K = CLinkBlockResults::BlockKind;
    Bytes cert = Block({RecordBytes(0x0B, 2, Bytes(40, 0x30))}, EnvBlock::kMagicCert);
    const unsigned tb = CBoardCommandsService::kTimerBlockWrite, ts = CSettingsService::kTimerSettingsWrite;
    ASSERT_TRUE(link.Commands().WriteCertBlock(cert));
    ASSERT_EQ(Pull(), cert);
    link.Session().OnTimer(tb);
    link.Session().OnTimer(tb);
    Feed(Reply(4, 0x24, ItemInt(static_cast<int32_t>(cert.size()))));
    EXPECT_EQ(host.blocksWritten, (std::vector<std::pair<K, bool>>{{CLinkBlockResults::kCertBlock, true}}));
    // A settings write the board never pulls fails; one it never answers, a minute on.
    Bytes block = Block({kName, kEnd});
    link.Settings().RequestSettingsBlock();
    ServeBlock(block, 0x21, static_cast<int32_t>(block.size()));
    ASSERT_TRUE(link.Settings().WriteSettings(link.Settings().Generation()));
    link.Session().OnTimer(ts);
    link.Session().OnTimer(ts);
    EXPECT_EQ(host.settingsWritten, std::vector<bool>{false});
    EXPECT_FALSE(host.HasTimer(ts));
    ASSERT_TRUE(link.Settings().WriteSettings(link.Settings().Generation()));
    Pull();
    for (int i = 0; i < CWriteWatch::kReplyPeriods; ++i)
        link.Session().OnTimer(ts);
    EXPECT_EQ(host.settingsWritten, std::vector<bool>{false});
    link.Session().OnTimer(ts);
    EXPECT_EQ(host.settingsWritten, (std::vector<bool>{false, false}));
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferNone);
}

// The link closes whatever the answer would be, so no question is asked.
TEST_F(BoardServicesTest, ResetModeClosesTheLinkWithoutAQuestion)
{
    Add("a.php", "unsaved", FileEntry::kChanged);
    link.Session().SetResetMode(true);
    host.answers = {CLinkDialogs::kIdNo};
    link.OnIdentifyStart();
    EXPECT_FALSE(link.Session().IsConnected());
    EXPECT_TRUE(host.messages.empty());
}

// The answer typed for a lost connection's challenge must not reach the next one.
TEST_F(BoardServicesTest, LoginAnswerForALostConnectionIsDropped)
{
    link.Session().OnTimer(CLinkSession::kTimerOpenWaitBox);
    link.OnIdentifyStart();
    Feed(Reply(1, 0x25, ItemInt(1), true));
    Feed(Reply(5, 0x41, ItemBytes(Bytes(16, 0x11))));
    host.passwords = {"pw"};
    host.onPassword = [&] {
        host.onPassword = nullptr;
        port.checkPort = 1;
        host.answers = {CLinkDialogs::kIdYes};
        link.Presence().OnDeviceChange(0x8004, 5);
        port.checkPort = 0;
        link.Session().OnTimer(CDevicePresenceService::kTimerReconnectDelay);
        ASSERT_TRUE(link.Session().IsConnected());
        Feed(std::vector<uint8_t>{SyncAnswer()});
        port.writes.clear();
    };
    Feed(Reply(1, 0x23, ItemBytes(Bytes(12, 0x22))));
    EXPECT_EQ(host.passwordPrompts, 1);
    for (auto& w : port.writes)
        EXPECT_FALSE((w[4] & 0x0F) == 5 && w[5] == 0x42) << "stale login response sent";
}

} // namespace
