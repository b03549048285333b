// Review findings: each case fails on the code as it stands.
#include "link/DeviceLink.h"
#include "link/codecs/EnvBlock.h"

#include <gtest/gtest.h>

#include "LinkFakes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using K = CLinkBlockResults::BlockKind;

Bytes Block(uint32_t magic, uint8_t type, uint8_t sub, size_t n)
{
    Bytes b, data(n, 0x5A);
    EnvBlock::Begin(b);
    EnvBlock::AppendRecord(b, type, sub, data.data(), data.size());
    EnvBlock::Finish(b, magic);
    return b;
}

class ReviewTest : public LinkFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(link.Connect("COM3"));
        Feed({static_cast<uint8_t>((link.GetSyncByte() - 0x20) ^ 0x3F)});
        port.writes.clear();
    }
    Bytes Pull(size_t n = 100)
    {
        Bytes got;
        for (;;) {
            port.writes.clear();
            Feed(LinkFrame::WindowFrame(0, static_cast<uint16_t>(n)));
            if (port.writes.empty() || port.writes[0].size() == 8)
                return got;
            got.insert(got.end(), port.writes[0].begin() + 8, port.writes[0].end());
        }
    }
    const Bytes key = Block(EnvBlock::kMagicKeys, 0x0B, 0, 258);
    const Bytes cert = Block(EnvBlock::kMagicCert, 0x0B, 2, 40);
};

// A port that is back but not yet ready to open: the arrival keeps retrying.
TEST_F(ReviewTest, ArrivalRetriesAnOpenThatFails)
{
    link.Disconnect();
    link.SetReconnectPending(true);
    port.failOpen = true;
    link.OnDeviceChange(0x8000, 5);
    EXPECT_TRUE(host.HasTimer(CDevicePresenceService::kTimerArrivalRetry));
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    port.failOpen = false;
    link.OnTimer(CDevicePresenceService::kTimerArrivalRetry);
    EXPECT_TRUE(link.IsConnected());
}

// The password change is done only once the link is back.
TEST_F(ReviewTest, PasswordWaitReportsSuccessOnlyWhenReconnected)
{
    link.Commands().SetUserPassword("00");
    port.checkPort = 1;
    link.OnDeviceChange(0x8004, 5);
    port.checkPort = 0;
    port.failOpen = true;
    link.OnTimer(CBoardCommandsService::kTimerPasswordWait);
    EXPECT_FALSE(link.IsConnected());
    EXPECT_TRUE(host.passwordDone.empty());
}

// A read cut off by the link going away must not block the next board's writes.
TEST_F(ReviewTest, DisconnectEndsAReadInFlight)
{
    ASSERT_TRUE(link.RequestSettingsBlock());
    link.Disconnect();
    EXPECT_EQ(link.GetTransferType(), CDeviceLink::kTransferNone);
    ASSERT_TRUE(link.Connect("COM3"));
    Feed({static_cast<uint8_t>((link.GetSyncByte() - 0x20) ^ 0x3F)});
    EXPECT_TRUE(link.Commands().WriteKeyBlock(key));
}

// A read started while a block write runs wipes the block being sent.
TEST_F(ReviewTest, ReadDuringBlockWriteKeepsTheWrite)
{
    ASSERT_TRUE(link.Commands().WriteKeyBlock(key));
    link.RequestCertBlock();
    EXPECT_EQ(Pull(), key);
}

// Every byte went out; the board takes its time to store them and says yes.
TEST_F(ReviewTest, BlockWriteWaitsForTheReplyOnceAllIsSent)
{
    ASSERT_TRUE(link.Commands().WriteCertBlock(cert));
    ASSERT_EQ(Pull(), cert);
    link.OnTimer(CBoardCommandsService::kTimerBlockWrite);
    link.OnTimer(CBoardCommandsService::kTimerBlockWrite);
    Feed(Reply(4, 0x24, ItemInt(static_cast<int32_t>(cert.size()))));
    EXPECT_EQ(host.blocksWritten, (std::vector<std::pair<K, bool>>{{CLinkBlockResults::kCertBlock, true}}));
}

// Reset mode: the board is told to wipe itself; the link must close whatever
// the answer to a question.
TEST_F(ReviewTest, ResetModeClosesTheLinkWithoutAQuestion)
{
    Add("a.php", "unsaved", FileEntry::kChanged);
    link.SetResetMode(true);
    host.answers = {CLinkDialogs::kIdNo};
    link.OnIdentifyStart();
    EXPECT_FALSE(link.IsConnected());
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
}

// The board leaves and comes back while the login prompt is open: the
// answer typed for the old challenge must not reach the new connection.
TEST_F(ReviewTest, LoginAnswerForALostConnectionIsDropped)
{
    link.OnTimer(CDeviceLink::kTimerOpenWaitBox);
    link.OnIdentifyStart();
    Feed(Reply(1, 0x25, ItemInt(1), true));
    Feed(Reply(5, 0x41, ItemBytes(Bytes(16, 0x11))));
    host.passwords = {"pw"};
    host.onPassword = [&] {
        host.onPassword = nullptr;
        port.checkPort = 1;
        host.answers = {CLinkDialogs::kIdYes};
        link.OnDeviceChange(0x8004, 5);
        port.checkPort = 0;
        link.OnTimer(CDevicePresenceService::kTimerReconnectDelay);
        ASSERT_TRUE(link.IsConnected());
        Feed({static_cast<uint8_t>((link.GetSyncByte() - 0x20) ^ 0x3F)});
        port.writes.clear();
    };
    Feed(Reply(1, 0x23, ItemBytes(Bytes(12, 0x22))));
    EXPECT_EQ(host.passwordPrompts, 1);
    for (auto& w : port.writes)
        EXPECT_FALSE((w[4] & 0x0F) == 5 && w[5] == 0x42) << "stale login response sent";
}

} // namespace
