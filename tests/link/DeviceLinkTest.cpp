#include "link/DeviceLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "LinkFakes.h"

namespace {

class DeviceLinkTest : public LinkFixture {
protected:
    // Connects, answers the sync byte and starts identification.
    void ConnectAndIdentify()
    {
        Synced();
        ASSERT_TRUE(host.HasTimer(CLinkSession::kTimerOpenWaitBox));
        link.Session().OnTimer(CLinkSession::kTimerOpenWaitBox);
        ASSERT_TRUE(host.waitBoxOpen);
        port.writes.clear();
        link.OnIdentifyStart();
    }
    // The board asks for the login: its challenge, then the MCU id that
    // opens the password prompt.
    void LogIn()
    {
        Feed(Reply(1, 0x25, ItemInt(1), true));
        Feed(Reply(5, 0x41, ItemBytes(std::vector<uint8_t>(16, 0x11))));
        Feed(Reply(1, 0x23, ItemBytes(std::vector<uint8_t>(12, 0x22))));
    }
};

TEST_F(DeviceLinkTest, OpenFailuresLeaveNothingBehind)
{
    port.failSetup = 87;
    EXPECT_FALSE(link.Session().Connect("COM3"));
    EXPECT_EQ(host.messages.back(), "Fail to setup the COM port");
    EXPECT_FALSE(port.IsOpen());
    port.failSetup = 0;
    // A reset asked for one board must not wipe the next one connected after
    // the port failed to open.
    link.Session().SetResetMode(true);
    port.failOpen = true;
    EXPECT_FALSE(link.Session().Connect("COM3"));
    port.failOpen = false;
    ConnectAndIdentify();
    EXPECT_EQ(port.mask, 0x99u);
    EXPECT_EQ(Sent(), "01/25 ");
    EXPECT_TRUE(port.IsOpen());
}

// A refusal passes only with code 16 (other codes: e2e.identify_refused).
TEST_F(DeviceLinkTest, IdentificationChainOrder)
{
    ConnectAndIdentify();
    EXPECT_EQ(Sent(), "01/25 ");
    const std::pair<std::vector<uint8_t>, const char*> steps[] = {
        {Reply(1, 0x25, ItemBytes({3, 7, 9})), "01/11 "},
        {Reply(1, 0x11, ItemInt(16), true), "01/21 "},
        {Reply(1, 0x21, ItemBytes({0xAB, 0x01})), "01/22 "},
        {Reply(1, 0x22, ItemBytes({0x5A})), "01/23 "},
        {Reply(1, 0x23, ItemBytes(Hex("00112233445566778899AABB"))), "01/24 "},
        {Reply(1, 0x24, ItemBytes(Hex("0002A5010203"))), "01/40 "},
        {Reply(1, 0x40, ItemText("1")), "01/40 "},  // not ready yet: asked again
        {Reply(1, 0x40, ItemInt(0)), "01/33 "},
        {Reply(1, 0x33, ItemBytes({0xDE, 0xAD})), "03/11 W "},
    };
    for (auto& step : steps) {
        Feed(step.first);
        EXPECT_EQ(Sent(), step.second);
    }
    EXPECT_EQ(host.log[0], "get id pdb (High : 3, Low : 7)");
    EXPECT_EQ(link.Identity().DeviceInfo().fsCapacity, 16);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(link.Identity().IsIdentified());
    EXPECT_EQ(link.Identity().DeviceInfo().wiredPresent, 1);
    EXPECT_EQ(link.Identity().DeviceInfo().wirelessPresent, 0);
}

TEST_F(DeviceLinkTest, ResourceRowsStopAtTheFirstBadItem)
{
    ConnectAndIdentify();
    Sent();
    Feed(Reply(1, 0x12, ItemInt(1) + ItemInt(2) + ItemBytes({1, 2, 3, 4})));
    EXPECT_EQ(link.Identity().ResourceRows()[0][0], 1);
    EXPECT_EQ(link.Identity().ResourceRows()[0][1], 2);
    EXPECT_TRUE(Sent().empty());
    Feed(Reply(1, 0x12, ItemInt(4) + ItemInt(5) + ItemInt(6)));
    EXPECT_EQ(Sent(), "01/13 ");
    Feed(Reply(1, 0x13, ItemInt(7) + ItemInt(8) + ItemInt(9)));
    EXPECT_EQ(Sent(), "01/15 ");
    Feed(Reply(1, 0x15, ItemInt(2048) + ItemInt(-1) + ItemInt(1023)));
    // Row 2 as the board gives it, like rows 0 and 1 (only "System Memory" is in KB).
    EXPECT_EQ(link.Identity().ResourceRows()[2][0], 2048);
    EXPECT_EQ(link.Identity().ResourceRows()[2][1], -1);
    EXPECT_EQ(link.Identity().ResourceRows()[2][2], 1023);
}

TEST_F(DeviceLinkTest, LyingLengthsAreDroppedAndTheLinkRecovers)
{
    ConnectAndIdentify();
    Sent();
    // A false start byte of no known kind, then bytes 6-7 disagreeing with
    // the length field: the length field decides.
    Feed(Hex("00 FF 50 F1 7F 00 12 50 00 00 0C 01 25 00 20 00 07 00 02 01 02 00 00"));
    EXPECT_EQ(Sent(), "01/11 ");
    Feed(Reply(1, 0x11, ItemInt(1 << 20)));
    Feed(Hex("50 00 00 0C 01 21 00 00 00 07 00 07 09 00 00 00"));
    EXPECT_EQ(link.Identity().DeviceInfo().fsId, "09");
    Feed(Reply(1, 0x22, ItemBytes({0x5A})));
    // Item length past the end of its frame.
    Feed(Hex("50 00 00 0C 01 23 00 08 00 07 01 00 01 02 03 04"));
    // Negative item length.
    Feed(Hex("50 00 00 0C 01 24 00 08 00 07 00 03 00 00 00 00"));
    // The biggest length field: the frame stays pending, nothing is read past.
    std::vector<uint8_t> big = Hex("50 00 FF FF 01 25 FF FB");
    big.resize(8 + 4000, 0x11);
    Feed(big);
    EXPECT_EQ(link.Identity().DeviceInfo().mcuId, "");
    // A sound reply still gets through once the giant frame is dropped.
    Feed(std::vector<uint8_t>(0xFFFF + 4 - 4008, 0));
    link.Identity().RequestIdMcu();
    Sent();
    Feed(Reply(1, 0x23, ItemBytes({0xAA})));
    EXPECT_EQ(link.Identity().DeviceInfo().mcuId, "aa");
}

TEST_F(DeviceLinkTest, ChunkOfExactly4095BytesReadsAgain)
{
    ConnectAndIdentify();
    link.Files().RequestFsImage();
    std::vector<uint8_t> data(4095 + 100 - 8, 1);
    port.reads = 0;
    Feed(Hex("50 10 10 5F 00 00 10 5B") + data);
    EXPECT_EQ(port.reads, 2);  // 4095 bytes, then the 100 left
    EXPECT_EQ(link.Session().Image().count, 4095 + 100 - 8);
}

TEST_F(DeviceLinkTest, NestedReceiveQueuesInsteadOfOverwriting)
{
    ConnectAndIdentify();
    Sent();
    // The login: refused 01/25, challenge, MCU id, then the prompt; while
    // the prompt is open the board's next frames arrive.
    Feed(Reply(1, 0x25, ItemInt(1), true));
    EXPECT_EQ(Sent(), "05/41 ");
    Feed(Reply(5, 0x41, ItemBytes(Hex("000102030405060708090A0B0C0D0E0F"))));
    EXPECT_EQ(host.log.back(), "auth chap admin : 000102030405060708090a0b0c0d0e0f");
    EXPECT_EQ(Sent(), "01/23 ");
    host.passwords = {"secret"};
    host.onPassword = [&] {
        host.onPassword = nullptr;
        Feed(Reply(3, 0x00, {}) + Reply(5, 0x42, ItemInt(0)));
    };
    Feed(Reply(1, 0x23, ItemBytes(Hex("00112233445566778899AABB"))));
    EXPECT_EQ(host.passwordPrompts, 1);
    // The response went out, then the queued frame was handled after it.
    EXPECT_EQ(Sent(), "05/42 01/25 ");
    EXPECT_TRUE(link.Identity().IsLoggedIn());
}

// Script output that piles up behind a prompt is capped; replies are kept.
TEST_F(DeviceLinkTest, OutputQueuedBehindAPromptIsCapped)
{
    ConnectAndIdentify();
    Feed(Reply(1, 0x25, ItemInt(1), true));
    Feed(Reply(5, 0x41, ItemBytes(std::vector<uint8_t>(16, 1))));
    host.passwords = {"pw"};
    std::vector<uint8_t> output = Hex("50 30 10 04 00 00 10 00");
    output.resize(8 + 4096, 'x');
    host.onPassword = [&] {
        host.onPassword = nullptr;
        for (int i = 0; i < 1024; ++i)  // 4 MiB of output
            Feed(output);
        Feed(Reply(5, 0x42, ItemInt(0)));
    };
    Feed(Reply(1, 0x23, ItemBytes(std::vector<uint8_t>(12, 2))));
    EXPECT_LE(host.output.size(), 1024u * 1024u);
    EXPECT_GE(host.output.size(), 1000u * 1024u);
    EXPECT_TRUE(link.Identity().IsLoggedIn());
    EXPECT_NE(std::find_if(host.log.begin(), host.log.end(),
                           [](const std::string& l) { return l.find("dropped") != std::string::npos; }),
              host.log.end());
}

TEST_F(DeviceLinkTest, LoginRetriesOnAWrongPasswordAndCancelDisconnects)
{
    ConnectAndIdentify();
    host.passwords = {"wrong", "right"};
    LogIn();
    Sent();
    Feed(Reply(5, 0x42, ItemInt(1)));
    EXPECT_EQ(host.messages.back(), LinkStrings::kPasswordMismatch.english);
    EXPECT_EQ(host.passwordPrompts, 2);
    EXPECT_EQ(Sent(), "05/42 ");
    Feed(Reply(5, 0x42, ItemInt(0)));
    EXPECT_TRUE(link.Identity().IsLoggedIn());
    EXPECT_FALSE(link.Identity().IsLoginPending());
    EXPECT_EQ(Sent(), "01/25 ");

    // Cancel at the prompt ends the wait box and the connection.
    LogIn();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(host.waitBoxOpen);
    // That board's identity must not salt the next board's login.
    EXPECT_FALSE(link.Identity().DeviceInfo().mcuId.empty());
    ASSERT_TRUE(link.Session().Connect("COM4"));
    EXPECT_TRUE(link.Identity().DeviceInfo().mcuId.empty());
}

TEST_F(DeviceLinkTest, LoginResponseInputs)
{
    uint8_t a[20], b[20];
    // Text after the first blank; a short challenge reads as zeros.
    CIdentityService::ComputeLoginResponse("chap 0102", "", "", a);
    CIdentityService::ComputeLoginResponse("01020000000000000000000000000000", "00", "", b);
    EXPECT_EQ(0, memcmp(a, b, 20));
    // The password counts to 32 characters.
    CIdentityService::ComputeLoginResponse("", "", std::string(32, 'x'), a);
    CIdentityService::ComputeLoginResponse("", "", std::string(40, 'x'), b);
    EXPECT_EQ(0, memcmp(a, b, 20));
}

TEST_F(DeviceLinkTest, UnknownFramesAreIgnored)
{
    ConnectAndIdentify();
    Sent();
    Feed(Reply(7, 0x11, ItemInt(1)));
    Feed(Reply(1, 0x14, ItemInt(1)));
    // A window frame while nothing is written is ignored.
    Feed(Hex("50 10 00 04 40 00 20 00"));
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(link.Session().IsJobRunning());
}

// A request of each item shape, its bytes after the sequence byte.
TEST_F(DeviceLinkTest, RequestBytesOfEachItemShape)
{
    port.open = true;
    const std::vector<RequestCase> cases = {
        {"01/11", [&] { link.Identity().RequestSysEzfs(); }, "00 04 01 11 00 00"},
        {"01/40", [&] { link.Identity().RequestInitNet1(); }, "00 14 01 40 00 10 00 06 00 0E 69 6E 69 74 5F 6E 65 74 31 00 00 00"},
        {"02/11", [&] { link.Debugger().SetDebugMode(1); }, "00 0C 02 11 00 08 00 02 00 04 00 00 00 01"},
        {"05/24", [&] { link.Commands().SetUserPassword("0102030405"); },
         "00 18 05 24 00 14 00 02 00 04 00 00 00 C8 00 07 00 0B 01 02 03 04 05 00 00 00"},
        {"05/41", [&] { link.Identity().RequestLogin(); }, "00 10 05 41 00 0C 00 06 00 0A 61 64 6D 69 6E 00 00 00"},
        {"05/60", [&] { link.Commands().ChangeFirmwareFile("fw1.kbx"); },
         "00 18 05 60 00 14 00 06 00 08 66 77 31 2E 6B 62 78 00 00 06 00 04 00 00 00 00"},
    };
    ExpectRequests(cases);
    // A block read: the request and its window, one number of each counter.
    port.writes.clear();
    link.Settings().RequestSettingsBlock();
    ASSERT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(std::vector<uint8_t>(port.writes[0].begin() + 2, port.writes[0].end()), Hex("00 04 03 21 00 00"));
    EXPECT_EQ(port.writes[1][1] >> 4, 1);
    EXPECT_EQ(port.writes[0][1] & 0x0F, (cases.size()) % 16);
    EXPECT_EQ(port.writes[1][1] & 0x0F, 0);
}

// Unsaved files: No keeps the port open, Yes closes it.
TEST_F(DeviceLinkTest, DisconnectAsksAboutUnsavedFiles)
{
    ConnectAndIdentify();
    Add("x.php", "", FileEntry::kChanged);
    host.answers = {CLinkDialogs::kIdNo};
    EXPECT_FALSE(link.Session().Disconnect());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(host.messages.back(), LinkStrings::kUnsavedFiles.english);
    host.answers = {CLinkDialogs::kIdYes};
    EXPECT_TRUE(link.Session().Disconnect());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(host.waitBoxOpen);
    EXPECT_EQ(host.disconnects, 1);
}

// Output and logs do not answer the job: they do not feed its watchdog.
TEST_F(DeviceLinkTest, WatchdogIsNotFedByOutputAndLogs)
{
    ConnectAndIdentify();
    int armed = host.timerStarts[CLinkSession::kTimerWatchdog];
    std::vector<uint8_t> out = {0x50, 0x30, 0, 6, 0, 0, 0, 2, 'h', 'i'};
    std::vector<uint8_t> fw = {0x50, 0x40, 0, 6, 0, 0, 0, 2, 'o', 'k'};
    for (int i = 0; i < 5; ++i)
        Feed(out + fw);
    EXPECT_EQ(host.timerStarts[CLinkSession::kTimerWatchdog], armed);
    EXPECT_EQ(host.output, "hihihihihi");
    Feed(Reply(1, 0x25, ItemBytes({1, 2})));
    EXPECT_GT(host.timerStarts[CLinkSession::kTimerWatchdog], armed);
}

// The watchdog waits for the board, not for the user at the password prompt.
TEST_F(DeviceLinkTest, WatchdogSparesAJobThatWaitsForTheUser)
{
    ConnectAndIdentify();
    host.passwords = {"pw"};
    host.onPassword = [&] { link.Session().OnTimer(CLinkSession::kTimerWatchdog); };
    LogIn();
    EXPECT_TRUE(link.Session().IsJobRunning());
    EXPECT_TRUE(host.waitBoxOpen);
    EXPECT_TRUE(host.HasTimer(CLinkSession::kTimerWatchdog));
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
