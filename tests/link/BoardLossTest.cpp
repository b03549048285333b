// The settings write from an edited copy, and a board that goes away without
// a device notice (a dead port), against a scripted port.
#include "link/DeviceLink.h"
#include "link/codecs/EnvBlock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>

#include "LinkFakes.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char* const kLostQuestion = "It is disconnected from the product.\r\nDo you want to connect to it again?";

class BoardLossTest : public LinkFixture {
protected:
    void SetUp() override { Synced(); }
    Bytes ReadBlock()
    {
        Bytes block = Block({RecordBytes(3, 0, {10, 0, 0, 1}), RecordBytes(9, 1, Bytes{'o', 'f', 'f', 'i', 'c', 'e'}),
                             Bytes{0xFF, 0, 0, 0}});
        EXPECT_TRUE(link.Settings().RequestSettingsBlock());
        Feed(LinkFrame::DataChunk(0, block.data(), block.size()));
        Feed(Reply(3, 0x21, ItemInt(static_cast<int32_t>(block.size()))));
        port.writes.clear();
        return block;
    }
    // The board pulls the block being written and answers with this count.
    Bytes PullAndAnswer(int32_t count)
    {
        Bytes got = Pull();
        Feed(Reply(4, 0x21, ItemInt(count)));
        return got;
    }
    SettingsRecord Edited(uint8_t lastByte)
    {
        SettingsRecord r = link.Settings().Record();
        r.ipv4Address[3] = lastByte;
        return r;
    }
};

// The record is the board's until the board says it holds the new values.
TEST_F(BoardLossTest, SettingsWriteSendsTheCopyAndKeepsTheRecordUntilConfirmed)
{
    const Bytes asRead = ReadBlock();
    const unsigned generation = link.Settings().Generation();
    ASSERT_TRUE(link.Settings().WriteSettings(generation, Edited(9), 1));
    EXPECT_EQ(link.Settings().Record().ipv4Address[3], 1);
    Bytes sent = PullAndAnswer(static_cast<int32_t>(asRead.size()) + 1);  // refused: another size
    ASSERT_EQ(sent.size(), asRead.size());
    EXPECT_NE(sent, asRead);
    EXPECT_EQ(host.settingsWritten, std::vector<bool>{false});
    EXPECT_EQ(link.Settings().Record().ipv4Address[3], 1);
    // The failed write left the block as read: the record writes it back unchanged.
    ASSERT_TRUE(link.Settings().WriteSettings(generation));
    EXPECT_EQ(PullAndAnswer(static_cast<int32_t>(asRead.size())), asRead);
    ASSERT_TRUE(link.Settings().WriteSettings(generation, Edited(9), 1));
    EXPECT_EQ(PullAndAnswer(static_cast<int32_t>(asRead.size())), sent);
    EXPECT_EQ(host.settingsWritten, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(link.Settings().Record().ipv4Address[3], 9);
    EXPECT_EQ(link.Settings().Generation(), generation);  // the dialog may write again
}

// A second write while one is under way is refused and leaves the first one's
// values to become the record once the board confirms them.
TEST_F(BoardLossTest, AWriteRefusedWhileOneIsUnderWayLeavesTheFirstWhole)
{
    const Bytes asRead = ReadBlock();
    const unsigned generation = link.Settings().Generation();
    ASSERT_TRUE(link.Settings().WriteSettings(generation, Edited(9), 1));
    EXPECT_FALSE(link.Settings().WriteSettings(generation, Edited(5), 1));
    EXPECT_EQ(host.messages, std::vector<std::string>{"Failed to change the values."});
    PullAndAnswer(static_cast<int32_t>(asRead.size()));
    EXPECT_EQ(host.settingsWritten, std::vector<bool>{true});
    EXPECT_EQ(link.Settings().Record().ipv4Address[3], 9);
}

// A task that runs or is debugged is asked about; without a port nothing is asked.
TEST_F(BoardLossTest, SettingsWriteQuestionTable)
{
    const std::string running = "It is running.\r\nDo you want to save this file to the product?";
    const std::string debugging = "Debugging implementing.\r\nDo you want to save this file to the product?";
    const std::string noPort = LinkStrings::kOpenPortFirst.english;
    struct Case {
        const char* what;
        int task;
        int answer;
        bool connected;
        bool lostMeanwhile;
        std::vector<std::string> said;
        bool sent;
    } cases[] = {
        {"stopped", 1, 0, true, false, {}, true},
        // Never reported is not known to be stopped: asked as a paused task is.
        {"not known yet, yes", 0, CLinkDialogs::kIdYes, true, false, {debugging}, true},
        {"not known yet, no", 0, CLinkDialogs::kIdNo, true, false, {debugging}, false},
        {"running, yes", 3, CLinkDialogs::kIdYes, true, false, {running}, true},
        {"running, no", 3, CLinkDialogs::kIdNo, true, false, {running}, false},
        {"paused, yes", 2, CLinkDialogs::kIdYes, true, false, {debugging}, true},
        {"paused, box closed", 2, CLinkDialogs::kIdCancel, true, false, {debugging}, false},
        {"running, board lost while asked", 3, CLinkDialogs::kIdYes, true, true, {running}, false},
        {"running, no port", 3, CLinkDialogs::kIdYes, false, false, {noPort}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!link.Session().IsConnected())
            Synced();
        const Bytes block = ReadBlock();
        const unsigned generation = link.Settings().Generation();
        if (!c.connected)
            link.Session().Disconnect();
        host.messages.clear();
        host.answers.clear();
        if (c.answer)
            host.answers.push_back(c.answer);
        host.onMessage = [&] {
            host.onMessage = nullptr;
            if (c.lostMeanwhile) {
                link.Session().Disconnect();
                Synced();
            }
        };
        port.writes.clear();
        const bool sent = link.Settings().WriteSettings(generation, Edited(7), c.task);
        host.onMessage = nullptr;
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(host.messages, c.said);
        EXPECT_EQ(Sent().find("04/21") != std::string::npos, c.sent);
        if (sent)
            PullAndAnswer(static_cast<int32_t>(block.size()));
        EXPECT_EQ(link.Settings().Record().ipv4Address[3], sent ? 7 : c.connected && !c.lostMeanwhile ? 1 : 0);
    }
}

// A port that fails is a removal: asked about once, whatever else arrives.
TEST_F(BoardLossTest, ADeadPortIsARemovalTable)
{
    using Presence = CDevicePresenceService;
    struct Case {
        const char* what;
        std::function<void()> lose;
        int answer;
        bool passwordChange;
        std::function<void()> meanwhile;  // while the question is up
        size_t questions;
        bool pending;
    } cases[] = {
        {"lost, yes", [&] { link.Presence().OnPortLost(); }, CLinkDialogs::kIdYes, false, nullptr, 1, true},
        {"lost, no", [&] { link.Presence().OnPortLost(); }, CLinkDialogs::kIdNo, false, nullptr, 1, false},
        // Under Wine the closed device's name still leads somewhere.
        {"lost, port name still there", [&] { port.checkPort = 0; link.Presence().OnPortLost(); },
         CLinkDialogs::kIdNo, false, nullptr, 1, false},
        {"lost after a password change", [&] { link.Presence().OnPortLost(); }, 0, true, nullptr, 0, false},
        {"lost twice", [&] { link.Presence().OnPortLost(); }, CLinkDialogs::kIdYes, false,
         [&] { link.Presence().OnPortLost(); }, 1, true},
        {"lost, then the device notice", [&] { link.Presence().OnPortLost(); }, CLinkDialogs::kIdYes, false,
         [&] { port.checkPort = 1; link.Presence().OnDeviceChange(Presence::kDbtDeviceRemoveComplete, 5); }, 1, true},
        {"device notice, then lost", [&] {
             port.checkPort = 1;
             link.Presence().OnDeviceChange(Presence::kDbtDeviceRemoveComplete, 5);
         }, CLinkDialogs::kIdNo, false, [&] { link.Presence().OnPortLost(); }, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!link.Session().IsConnected())
            Synced();
        host.timers.clear();
        host.messages.clear();
        host.answers.clear();
        port.checkPort = 1;
        link.Session().SetReconnectPending(false);
        if (c.passwordChange)
            link.Commands().SetUserPassword("00");
        if (c.answer)
            host.answers.push_back(c.answer);
        host.onMessage = [&] {
            host.onMessage = nullptr;
            if (c.meanwhile)
                c.meanwhile();
        };
        c.lose();
        host.onMessage = nullptr;
        EXPECT_FALSE(link.Session().IsConnected());
        EXPECT_EQ(host.messages.size(), c.questions);
        if (!host.messages.empty()) {
            EXPECT_EQ(host.messages[0], kLostQuestion);
        }
        EXPECT_EQ(link.Session().IsReconnectPending(), c.pending);
        EXPECT_EQ(host.HasTimer(Presence::kTimerReconnectDelay), c.pending);
        EXPECT_FALSE(link.Commands().IsPasswordChangePending());
    }
    // Not connected: a late notice changes nothing.
    host.messages.clear();
    link.Presence().OnPortLost();
    EXPECT_TRUE(host.messages.empty());
}

// Wine tells of no arrival either: while the wait box waits for the board
// after a Yes, the port is looked at until it opens again.
TEST_F(BoardLossTest, AfterYesTheReturnOfThePortIsWatchedWhileTheWaitBoxIsUp)
{
    using Presence = CDevicePresenceService;
    for (bool cancelled : {false, true}) {
        SCOPED_TRACE(cancelled ? "wait box ended" : "board back");
        if (!link.Session().IsConnected())
            Synced();
        port.checkPort = 1;
        host.answers = {CLinkDialogs::kIdYes};
        link.Presence().OnPortLost();
        link.Session().OnTimer(Presence::kTimerReconnectDelay);
        EXPECT_TRUE(host.waitBoxOpen);
        ASSERT_TRUE(host.HasTimer(Presence::kTimerPortPoll));
        link.Session().OnTimer(Presence::kTimerPortPoll);
        EXPECT_FALSE(link.Session().IsConnected());
        EXPECT_TRUE(host.HasTimer(Presence::kTimerPortPoll));
        if (cancelled)
            link.Session().ShowWaitDialog(false);
        port.checkPort = 0;
        link.Session().OnTimer(Presence::kTimerPortPoll);
        EXPECT_EQ(link.Session().IsConnected(), !cancelled);
        EXPECT_FALSE(host.HasTimer(Presence::kTimerPortPoll));
        link.Session().SetReconnectPending(false);
    }
}

// Back as its boot loader, the board's return is no longer awaited: the
// user's Disconnect asks about changed files, and a later arrival of the
// port does not connect by itself.
TEST(ReconnectPending, EndsWhenTheBoardIsBackAsItsBootLoader)
{
    using Rig = LinkRig<UpgradeHost>;
    struct Road {
        const char* what;
        std::function<void(Rig&)> leave;
        std::deque<int> answersOnReturn;  // the boot loader's notice asks about the files
    } roads[] = {
        {"the upgrade's restart",
         [](Rig& r) {
             r.Synced();
             EXPECT_EQ(0, r.link.BootLoader().OnUpgradeRestartIsp());
             r.Feed(Reply(5, 0x23, ItemInt(0)));
         },
         {}},
        {"rs 10",
         [](Rig& r) {
             ASSERT_TRUE(r.link.Session().Connect("COM3"));
             r.Feed("100 ISP boot loader ready\r\n");
             r.link.BootLoader().SendIspReset();
         },
         {CLinkDialogs::kIdNo}},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.what);
        Rig r;
        road.leave(r);
        ASSERT_FALSE(r.port.open);
        ASSERT_TRUE(r.link.Session().IsReconnectPending());
        r.Add("a.php", "changed", FileEntry::kChanged);
        r.link.Presence().OnPortArrival();
        ASSERT_TRUE(r.port.open);
        r.host.answers = road.answersOnReturn;
        r.Feed("100 ISP boot loader ready\r\n");
        EXPECT_TRUE(r.link.Session().IsIspMode());
        EXPECT_FALSE(r.link.Session().IsReconnectPending());
        r.host.messages.clear();
        r.host.answers = {CLinkDialogs::kIdNo};
        EXPECT_FALSE(r.link.Session().Disconnect());
        EXPECT_EQ(r.host.messages, std::vector<std::string>{LinkStrings::kUnsavedFiles.english});
        r.host.answers = {CLinkDialogs::kIdYes};
        EXPECT_TRUE(r.link.Session().Disconnect());
        r.link.Presence().OnPortArrival();
        EXPECT_FALSE(r.port.open);
    }
}

// The user's own Disconnect while the board's return is awaited (its sync
// still unanswered, or its identification running) is the user's: it asks
// about changed files like any other, No keeps the connection, and once it
// ends nothing connects by itself afterwards.
TEST(ReconnectPending, EndsWithTheUsersDisconnect)
{
    for (bool answered : {false, true}) {
        SCOPED_TRACE(answered ? "identifying" : "sync unanswered");
        LinkRig<> r;
        r.Synced();
        r.Add("a.php", "changed", FileEntry::kChanged);
        ASSERT_TRUE(r.link.Commands().RequestReboot(false));
        r.Feed(Reply(5, 0x22, ItemInt(0)));
        ASSERT_FALSE(r.port.open);
        r.link.Presence().OnPortArrival();
        ASSERT_TRUE(r.port.open);
        if (answered)
            r.Feed(std::vector<uint8_t>{r.SyncAnswer()});
        r.host.messages.clear();
        r.host.answers = {CLinkDialogs::kIdNo};
        EXPECT_FALSE(r.link.Session().Disconnect());
        EXPECT_EQ(r.host.messages, std::vector<std::string>{LinkStrings::kUnsavedFiles.english});
        EXPECT_TRUE(r.port.open);
        r.host.answers = {CLinkDialogs::kIdYes};
        EXPECT_TRUE(r.link.Session().Disconnect());
        EXPECT_FALSE(r.link.Session().IsReconnectPending());
        r.link.Presence().OnPortArrival();
        EXPECT_FALSE(r.port.open);
        EXPECT_EQ(r.link.Files().Entries().Find("a.php")->state, FileEntry::kChanged);
    }
}

} // namespace
