// Changed files are never dropped without asking: a board that answers as its
// boot loader, or whose image replaces a list that is not its own.
#include "LinkFakes.h"

namespace {

// One link per case: each case starts from a fresh connection.
struct Rig : LinkRig<> {
    std::string Names()
    {
        std::string n;
        for (size_t i = 0; i < link.Files().Entries().Count(); ++i)
            n += link.Files().Entries().At(i).name + " ";
        return n;
    }
};

const std::string kUnsaved = LinkStrings::kUnsavedFiles.english;
const std::string kIsp = LinkStrings::kIspMode.english;

}  // namespace

// The boot loader answers the sync: unsaved files are asked about first; No
// keeps them (and the editor); lines that come meanwhile wait for the answer;
// a board that goes away meanwhile drops nothing.
TEST(UnsavedWork, ABootLoaderAnswerAsksBeforeDroppingChangedFiles)
{
    const struct {
        const char* name;
        uint32_t state;
        int answer;
        bool removedMeanwhile;
        const char* names;              // entries after the answer
        std::vector<std::string> shown;  // messages, in order
        std::vector<bool> notices;      // the host's boot-loader notices (files kept)
    } cases[] = {
        {"in step", FileEntry::kInStep, CLinkDialogs::kIdYes, false, "", {kIsp}, {false}},
        {"changed, Yes", FileEntry::kChanged, CLinkDialogs::kIdYes, false, "", {kUnsaved, kIsp}, {false}},
        {"changed, No", FileEntry::kChanged, CLinkDialogs::kIdNo, false, "a.php ", {kUnsaved, kIsp}, {true}},
        {"removed meanwhile", FileEntry::kChanged, CLinkDialogs::kIdYes, true, "a.php ", {kUnsaved}, {}},
    };
    for (const auto& c : cases) {
        Rig r;
        r.Add("a.php", "edited", c.state);
        ASSERT_TRUE(r.link.Session().Connect("COM3"));
        r.host.answers = {c.answer};
        bool lineHeld = false;
        r.host.onMessage = [&] {
            if (r.host.messages.size() != 1 || r.host.messages[0] != kUnsaved)
                return;
            if (c.removedMeanwhile) {
                r.link.Session().Disconnect(false);
                return;
            }
            r.Feed(std::string("200 Command OK\r\n"));
            lineHeld = r.host.log.empty();
        };
        r.Feed(std::string("100 ISP boot loader ready\r\n"));
        EXPECT_EQ(r.Names(), c.names) << c.name;
        EXPECT_EQ(r.host.messages, c.shown) << c.name;
        EXPECT_EQ(r.host.ispNotices, c.notices) << c.name;
        if (c.shown.size() == 2) {
            EXPECT_TRUE(lineHeld) << c.name;
            ASSERT_EQ(r.host.log.size(), 1u) << c.name;
            EXPECT_EQ(r.host.log[0], "200 Command OK\r\n") << c.name;
        }
        EXPECT_EQ(r.port.IsOpen(), !c.removedMeanwhile) << c.name;
    }
}

// A list that is not the board's (a packed file opened while disconnected)
// meets a board with another file-system id: the board's list replaces it only
// when the user agrees, asked with the wait box down; a board that goes away
// meanwhile gets no more requests.
TEST(UnsavedWork, ABoardImageAsksBeforeReplacingChangedFiles)
{
    const struct {
        const char* name;
        uint32_t state;
        bool emptyBoard;
        int answer;
        bool removedMeanwhile;
        const char* names;
        int questions;
        const char* sentAfter;
    } cases[] = {
        {"in step", FileEntry::kInStep, false, CLinkDialogs::kIdYes, false, "b.php ", 0, "02/13 02/11 02/12 01/51 "},
        {"changed, Yes", FileEntry::kChanged, false, CLinkDialogs::kIdYes, false, "b.php ", 1,
         "02/13 02/11 02/12 01/51 "},
        {"changed, No", FileEntry::kChanged, false, CLinkDialogs::kIdNo, false, "k.php ", 1,
         "02/13 02/11 02/12 01/51 "},
        {"empty board, No", FileEntry::kChanged, true, CLinkDialogs::kIdNo, false, "k.php ", 1,
         "02/13 02/11 02/12 01/51 "},
        {"empty board, Yes", FileEntry::kChanged, true, CLinkDialogs::kIdYes, false, "", 1,
         "02/13 02/11 02/12 01/51 "},
        {"removed meanwhile", FileEntry::kChanged, false, CLinkDialogs::kIdYes, true, "k.php ", 1, ""},
    };
    for (const auto& c : cases) {
        Rig r;
        r.host.phpDebug = true;
        ASSERT_TRUE(r.link.Session().Connect("COM3"));
        r.Feed(std::vector<uint8_t>{static_cast<uint8_t>((r.link.Session().GetSyncByte() - 0x20) ^ 0x3F)});
        r.Add("k.php", "edited", c.state);
        r.link.Identity().DeviceInfo().mcuId = "3a0024000851363033363238";
        r.Feed(Reply(1, 0x11, ItemInt(1 << 20)));
        r.link.Session().ShowWaitDialog(true, CLinkSession::kWaitIdentify);
        r.Feed(Reply(1, 0x21, ItemBytes({7, 7})));
        r.port.writes.clear();
        r.host.answers = {c.answer};
        bool waitBoxDown = false;
        r.host.onMessage = [&] {
            waitBoxDown = !r.host.waitBoxOpen;
            if (c.removedMeanwhile)
                r.link.Session().Disconnect(false);
        };
        r.link.Files().RequestFsImage();
        r.port.writes.clear();
        if (c.emptyBoard) {
            r.Feed(Reply(3, 0x11, ItemInt(16), true));
        } else {
            const std::string image = Container({{"b.php", "board"}});
            r.Feed(LinkFrame::DataChunk(0, reinterpret_cast<const uint8_t*>(image.data()), image.size()));
            r.port.writes.clear();  // the next window
            r.Feed(Reply(3, 0x11, ItemInt(static_cast<int32_t>(image.size()))));
        }
        EXPECT_EQ(r.Names(), c.names) << c.name;
        EXPECT_EQ(static_cast<int>(std::count(r.host.messages.begin(), r.host.messages.end(), kUnsaved)), c.questions)
            << c.name;
        EXPECT_EQ(r.host.messages.size(), static_cast<size_t>(c.questions)) << c.name;
        if (c.questions) {
            EXPECT_TRUE(waitBoxDown) << c.name;
        }
        EXPECT_FALSE(r.host.waitBoxOpen) << c.name;
        EXPECT_FALSE(r.link.Session().IsJobRunning()) << c.name;
        EXPECT_EQ(r.Sent(), c.sentAfter) << c.name;
        if (std::string(c.names) == "k.php ") {
            const FileEntry* k = r.link.Files().Entries().Find("k.php");
            EXPECT_EQ(k->data, "edited") << c.name;
            EXPECT_EQ(k->state, FileEntry::kChanged) << c.name;
        }
    }
}

// The link's own end of a connection the board no longer serves (the login
// cancelled, a wrong sync answer, a refused identification) asks nothing:
// the changed files stay in the list as at any disconnect, and no window is
// left looking connected to a board that accepts nothing.
TEST(UnsavedWork, TheLinksOwnEndOfAConnectionKeepsChangedFilesWithoutAsking)
{
    const std::string failed = LinkStrings::kInitialSettingFailed.english;
    const struct {
        const char* name;
        std::function<void(Rig&)> end;
        std::vector<std::string> shown;
    } cases[] = {
        {"login cancelled",
         [](Rig& r) {
             r.Synced();
             r.link.Session().OnTimer(CLinkSession::kTimerOpenWaitBox);
             r.link.OnIdentifyStart();
             r.Feed(Reply(1, 0x25, ItemInt(1), true));
             r.Feed(Reply(5, 0x41, ItemBytes(std::vector<uint8_t>(16, 0x11))));
             r.Feed(Reply(1, 0x23, ItemBytes(std::vector<uint8_t>(12, 0x22))));  // the prompt: Cancel
             EXPECT_EQ(r.host.passwordPrompts, 1);
         },
         {}},
        {"a wrong sync answer",
         [](Rig& r) {
             ASSERT_TRUE(r.link.Session().Connect("COM3"));
             r.Feed(std::string("X"));
         },
         {failed}},
        {"identification refused",
         [](Rig& r) {
             r.Synced();
             r.link.Identity().RequestSysEzfs();
             r.Feed(Reply(1, 0x11, ItemInt(5), true));
         },
         {failed}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.Add("a.php", "edited", FileEntry::kChanged);
        r.host.answers = {CLinkDialogs::kIdNo};
        c.end(r);
        EXPECT_EQ(r.host.messages, c.shown);
        EXPECT_FALSE(r.port.IsOpen());
        EXPECT_FALSE(r.host.waitBoxOpen);
        EXPECT_EQ(r.host.disconnects, 1);
        EXPECT_EQ(r.Names(), "a.php ");
        EXPECT_EQ(r.link.Files().Entries().Find("a.php")->state, FileEntry::kChanged);
    }
}
