// Image reads, packed files, the upload and its backup.
#include "link/codecs/Crc16.h"
#include "link/DeviceLink.h"
#include "link/codecs/PackedFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "LinkFakes.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        path = fs::temp_directory_path() / ("zarvod-link-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

// A sparse file of any size. Not fs::resize_file under MinGW: its ftruncate64 refuses ("File too
// large") to extend past the disk's free space, which a shared machine may not have.
void MakeSparseFile(const std::string& path, uint64_t size)
{
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    BOOL ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    ASSERT_TRUE(ok) << GetLastError();
#else
    { std::ofstream f(path, std::ios::binary); }
    fs::resize_file(path, size);
#endif
}

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class UploadTest : public LinkFixture {
protected:
    TempDir tmp;

    void SetUp() override
    {
        host.backupFolder = tmp / "backup";
        host.phpDebug = true;
        port.open = true;
    }
    // The upload job up to the board's "ready": the next frames are windows.
    void StartUpload()
    {
        link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
        ASSERT_TRUE(link.Files().OnUploadStart());
        Feed(Reply(5, 0x51, ItemInt(0)));
        port.writes.clear();
    }
    // Identified, and one entry uploaded up to the board's count: the board
    // pulled the whole image.
    void UploadOneEntry()
    {
        Identified();
        Add("a.php", "x");
        link.Files().SetUploadStarted(true);
        StartUpload();
        Feed(LinkFrame::WindowFrame(0, 8192));
        Feed(LinkFrame::WindowFrame(0, 8192));
    }
    // Serves an image as the board does: one chunk per granted window.
    void ServeImage(const std::string& image, size_t chunk = 8192, int32_t reported = -1)
    {
        link.Files().RequestFsImage();
        port.writes.clear();
        for (size_t at = 0; at < image.size(); at += chunk) {
            size_t n = std::min(chunk, image.size() - at);
            Feed(LinkFrame::DataChunk(0, reinterpret_cast<const uint8_t*>(image.data()) + at, n));
        }
        Feed(Reply(3, 0x11, ItemInt(reported < 0 ? static_cast<int32_t>(image.size()) : reported)));
    }
    std::vector<std::string> Names()
    {
        std::vector<std::string> n;
        for (size_t i = 0; i < link.Files().Entries().Count(); ++i)
            n.push_back(link.Files().Entries().At(i).name);
        return n;
    }
    // Identity as identification would leave it.
    void Identified(int32_t capacity = 1 << 20)
    {
        link.Identity().DeviceInfo().mcuId = "3a0024000851363033363238";
        link.Identity().RequestSysEzfs();
        Feed(Reply(1, 0x11, ItemInt(capacity)));
        port.writes.clear();
    }
};

TEST_F(UploadTest, ABadImageLeavesTheListAlone)
{
    Identified();
    ServeImage(Container({{"keep.php", "1"}}));
    ASSERT_EQ(Names(), std::vector<std::string>{"keep.php"});
    std::string bad = Container({{"new.php", "new"}, {"other.php", "x"}});
    bad[16 + 4 + 8 + 1] ^= 1;  // a data byte of the first entry
    ServeImage(bad);
    EXPECT_EQ(Names(), std::vector<std::string>{"keep.php"});
    EXPECT_EQ(host.messages.back(), LinkStrings::kInitialSettingFailed.english);
    // An entry running past the count.
    std::string cut = Container({{"new.php", std::string(3000, 'n')}});
    link.Files().RequestFsImage();
    Feed(LinkFrame::DataChunk(0, reinterpret_cast<const uint8_t*>(cut.data()), 2000));
    Feed(Reply(3, 0x11, ItemInt(2000)));
    EXPECT_EQ(Names(), std::vector<std::string>{"keep.php"});
    // Only a refusal with code 16 means "no file system".
    link.Files().RequestFsImage();
    Feed(Reply(3, 0x11, ItemInt(13), true));
    EXPECT_EQ(Names(), std::vector<std::string>{"keep.php"});
    link.Files().RequestFsImage();
    EXPECT_EQ(host.editorClears, 0);
    Feed(Reply(3, 0x11, ItemInt(16), true));
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(host.editorClears, 1);  // the open file's text goes with the list
    EXPECT_EQ(link.Session().Image().count, 0);
}

TEST_F(UploadTest, ReadSideGrantsOneWindowPerChunkAndNeverPassesItsBuffer)
{
    Identified();
    link.Files().RequestFsImage();
    port.writes.clear();
    Feed(LinkFrame::DataChunk(0, nullptr, 0));  // N = 0: nothing, no window
    EXPECT_TRUE(port.writes.empty());
    std::vector<uint8_t> chunk(8192, 7);
    for (int i = 0; i < 129; ++i)  // 1 MiB + 8 KiB
        Feed(LinkFrame::DataChunk(0, chunk.data(), chunk.size()));
    EXPECT_EQ(port.writes.size(), 129u);
    EXPECT_EQ(port.writes.back(), LinkFrame::WindowFrame(port.writes.back()[1] & 0x0F));
    EXPECT_EQ(link.Session().Image().count, 1 << 20);
    EXPECT_TRUE(link.Session().TransferOverflowed());
    Feed(Reply(3, 0x11, ItemInt(129 * 8192)));
    EXPECT_EQ(link.Files().ImageReadCount(), 0);
}

// Whole windows still end with an empty chunk; only the read-back drops the mark.
TEST_F(UploadTest, WholeWindowsEndWithAnEmptyChunk)
{
    Identified();
    Add("big.bin", std::string(16384 - 28 - 24, 'z'), FileEntry::kChanged);  // the image is exactly 16 KiB
    link.Files().SetUploadStarted(true);
    StartUpload();
    EXPECT_TRUE(fs::exists(tmp / "backup/3a0024000851363033363238.wc"));
    for (int i = 0; i < 3; ++i)
        Feed(LinkFrame::WindowFrame(0, 8192));
    ASSERT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[0].size(), 8200u);
    EXPECT_EQ(port.writes[2].size(), 8u);
    Feed(Reply(4, 0x10, ItemInt(16384)));
    Feed(Reply(1, 0x31, ItemBytes({1, 2})));
    Feed(Reply(1, 0x21, ItemBytes({3, 4})));
    std::string back(reinterpret_cast<const char*>(link.Session().Image().data.data()), 16384);
    ServeImage(back);
    // In PHP debug mode nothing runs: the task state is asked for, so the debugger buttons come back.
    ASSERT_FALSE(port.writes.empty());
    EXPECT_EQ(port.writes.back()[4], 1);
    EXPECT_EQ(port.writes.back()[5], 0x51);
    EXPECT_EQ(link.Files().Entries().Find("big.bin")->state, FileEntry::kInStep);
    EXPECT_FALSE(fs::exists(tmp / "backup/3a0024000851363033363238.wc"));
    EXPECT_TRUE(fs::exists(tmp / "backup/3a0024000851363033363238.kbx"));
}

// A declined restore reads the board's image once its wait box is up; a link
// that ends before (the board lost, a disconnect) takes that read with it:
// the next connect, to any board, identifies the board first.
TEST_F(UploadTest, ADeclinedRestoreLeavesNoReadBehindTheLink)
{
    for (bool lost : {true, false}) {
        SCOPED_TRACE(lost ? "board lost" : "disconnected");
        Synced();
        link.Identity().DeviceInfo().mcuId = "3a0024000851363033363238";
        fs::create_directories(tmp.path / "backup");
        std::ofstream(tmp / "backup/3a0024000851363033363238.wc") << "\x02\x01";
        host.answers = {CLinkDialogs::kIdNo, CLinkDialogs::kIdYes};
        link.Files().OnIdentified();
        ASSERT_TRUE(host.waitBoxOpen);
        ASSERT_FALSE(fs::exists(tmp / "backup/3a0024000851363033363238.wc"));
        if (lost) {
            port.checkPort = 1;
            host.answers = {CLinkDialogs::kIdNo};
            link.Presence().OnPortLost();
        } else {
            link.Session().Disconnect();
        }
        ASSERT_FALSE(port.IsOpen());
        EXPECT_FALSE(link.Files().IsImageReadPending());
        Synced();
        link.Session().OnTimer(CLinkSession::kTimerOpenWaitBox);
        port.writes.clear();
        link.OnIdentifyStart();
        EXPECT_EQ(Sent(), "01/25 ");
        link.Session().Disconnect(false);
    }
}

// A restore stands for the image read it replaces: the board's file-system
// value comes from the backup (the next upload carries it), its folder rows
// come back with its files, and the board is set up and its task state asked
// as after a read; a backup that cannot be read has the board read instead.
TEST_F(UploadTest, ARestoredBackupKnowsItsBoard)
{
    const int yes = CLinkDialogs::kIdYes, no = CLinkDialogs::kIdNo;
    const struct {
        const char* what;
        std::vector<int> answers;
        bool changedFile;
        bool brokenBackup;
        bool lostWhileAsked;
        const char* sent;
        const char* names;
    } cases[] = {
        {"restored", {yes}, false, false, false, "02/13 02/11 02/12 01/51 ", "www index.php www/a.html "},
        {"restored over a changed file", {yes, yes}, true, false, false, "02/13 02/11 02/12 01/51 ",
         "www index.php www/a.html "},
        {"the changed file kept", {yes, no}, true, false, false, "02/13 02/11 02/12 01/51 ", "mine.php "},
        {"a broken backup", {yes}, false, true, false, "", ""},
        {"the board lost while asked", {yes}, false, false, true, "", ""},
        {"the board lost while asked, No", {no}, false, false, true, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        link.Files().FreeFileEntries();
        link.Identity().DeviceInfo().fsValue = 0;  // as in a program started afresh
        Synced();
        Identified();
        fs::create_directories(tmp.path / "backup");
        const std::string backup = Container({{"index.php", "<?php ?>"}, {"www", ""}, {"www/a.html", "a"}}, 0, 0x0203);
        std::ofstream(tmp / "backup/3a0024000851363033363238.kbx", std::ios::binary)
            << (c.brokenBackup ? backup.substr(0, 100) : backup);
        std::ofstream(tmp / "backup/3a0024000851363033363238.wc") << "\x03\x02";
        if (c.changedFile)
            Add("mine.php", "x", FileEntry::kChanged);
        host.answers.assign(c.answers.begin(), c.answers.end());
        host.messages.clear();
        host.onMessage = [&] {
            host.onMessage = nullptr;
            if (c.lostWhileAsked)
                link.Session().Disconnect(false);
        };
        link.Files().OnIdentified();
        host.onMessage = nullptr;
        std::string names;
        for (const std::string& n : Names())
            names += n + " ";
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_TRUE(fs::exists(tmp / "backup/3a0024000851363033363238.wc"));
        if (c.brokenBackup) {
            EXPECT_TRUE(link.Files().IsImageReadPending());
            EXPECT_TRUE(host.waitBoxOpen);
        } else if (!c.lostWhileAsked) {
            EXPECT_EQ(names, c.names);
            EXPECT_EQ(link.Identity().DeviceInfo().fsValue, 0x0203);
            ASSERT_TRUE(link.Files().BuildUploadImage());
            EXPECT_EQ(link.Session().Image().data[8], 0x03);
            EXPECT_EQ(link.Session().Image().data[9], 0x02);
        } else {
            EXPECT_FALSE(host.waitBoxOpen);
            EXPECT_EQ(host.messages.size(), 1u) << "asked again about a board that is gone";
        }
        link.Session().Disconnect(false);
    }
}

TEST_F(UploadTest, FailuresAreShownAndTheBackupStays)
{
    Identified();
    Add("a.php", "x");
    // A count that does not match what was sent.
    StartUpload();
    Feed(LinkFrame::WindowFrame(0, 8192));
    Feed(Reply(4, 0x10, ItemInt(512)));
    EXPECT_NE(host.messages.back().find("upload has failed"), std::string::npos);
    EXPECT_FALSE(host.waitBoxOpen);
    EXPECT_TRUE(link.Files().HasUploadBackup());
    // Too large for the board.
    link.Identity().RequestSysEzfs();
    Feed(Reply(1, 0x11, ItemInt(1000)));
    link.Files().SetUploadStarted(true);
    link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
    EXPECT_FALSE(link.Files().OnUploadStart());
    EXPECT_EQ(host.messages.back(),
              "Couldn't write because the file size is over \r\nits product's memory capacity.\r\n[1024 / 1000]");
    // Nothing was sent: the next image read is an ordinary one.
    ServeImage(Container({{"b.php", "y"}}));
    EXPECT_NE(link.Files().Entries().Find("b.php"), nullptr);
    EXPECT_TRUE(link.Files().HasUploadBackup());
}

// A stray pdb id while the read-back waits for its hash, from a board that
// answers every request it gets: one read-back, the script runs, and no
// backup is offered for an upload that went through.
TEST_F(UploadTest, AStrayIdentityReplyDoesNotForkTheReadBack)
{
    host.phpDebug = false;
    UploadOneEntry();
    const TransferBuffer& image = link.Session().Image();
    const std::vector<uint8_t> board(image.data.begin(), image.data.begin() + image.count);
    port.writes.clear();
    Feed(Reply(4, 0x10, ItemInt(static_cast<int32_t>(board.size()))));
    Feed(Reply(1, 0x25, ItemBytes({3, 7, 9})));
    const std::map<std::string, std::vector<uint8_t>> answers = {
        {"01/31", Reply(1, 0x31, ItemBytes({1, 2}))},
        {"01/11", Reply(1, 0x11, ItemInt(1 << 20))},
        {"01/21", Reply(1, 0x21, ItemBytes({3, 4}))},
        {"01/22", Reply(1, 0x22, ItemBytes({5}))},
        {"01/23", Reply(1, 0x23, ItemBytes({6}))},
        {"01/24", Reply(1, 0x24, ItemBytes({7}))},
        {"01/40", Reply(1, 0x40, ItemInt(0))},
        {"01/33", Reply(1, 0x33, ItemBytes({8}))},
        {"03/11", LinkFrame::DataChunk(0, board.data(), board.size()) +
                      Reply(3, 0x11, ItemInt(static_cast<int32_t>(board.size())))},
        {"02/21", Reply(2, 0x21, ItemInt(0))},
    };
    std::string asked;
    for (int round = 0; round < 20; ++round) {
        const std::string sent = Sent();
        asked += sent;
        std::istringstream requests(sent);
        for (std::string request; requests >> request;) {
            auto it = answers.find(request);
            if (it != answers.end())
                Feed(it->second);
        }
    }
    EXPECT_EQ(asked, "01/31 01/21 03/11 W W 02/21 01/51 ");
    EXPECT_EQ(host.messages, std::vector<std::string>{});
    EXPECT_FALSE(link.Files().HasUploadBackup());
    EXPECT_EQ(link.Files().Entries().Find("a.php")->state, FileEntry::kInStep);
    EXPECT_FALSE(link.Session().IsJobRunning());
}

// After an upload only the uploaded image confirms it.
TEST_F(UploadTest, AReadBackThatIsNotTheUploadKeepsTheBackup)
{
    UploadOneEntry();
    Feed(Reply(4, 0x10, ItemInt(1024)));
    Feed(Reply(1, 0x31, ItemBytes({1})));
    Feed(Reply(1, 0x21, ItemBytes({2})));
    Feed(Reply(3, 0x11, ItemInt(16), true));  // "no file system"
    EXPECT_TRUE(link.Files().HasUploadBackup());
    EXPECT_NE(host.messages.back().find("upload has failed"), std::string::npos);
    EXPECT_EQ(link.Files().Entries().Find("a.php")->state, FileEntry::kAddedInternal);
    EXPECT_FALSE(host.waitBoxOpen);
}

// A reply that swaps the list while a question is open leaves nothing dangling.
TEST_F(UploadTest, AListSwappedDuringAClashQuestion)
{
    std::string path = tmp / "set.kbx";
    files.WriteFileSafely(path, Container({{"a.php", "new a"}, {"b.php", "new b"}}));
    Add("a.php", "old");
    Add("b.php", "old");
    std::string image = Container({{"a.php", "board"}});
    link.Files().RequestFsImage();
    Feed(LinkFrame::DataChunk(0, reinterpret_cast<const uint8_t*>(image.data()), image.size()));
    host.answers = {CLinkDialogs::kIdYes, CLinkDialogs::kIdYes};
    host.onMessage = [&] {
        host.onMessage = nullptr;
        Feed(Reply(3, 0x11, ItemInt(static_cast<int32_t>(image.size()))));
    };
    EXPECT_TRUE(link.Files().ReadPackedFile(path));
    EXPECT_EQ(link.Files().Entries().Find("a.php")->data, "new a");
    EXPECT_EQ(link.Files().Entries().Find("b.php")->data, "new b");
}

TEST_F(UploadTest, FilesOverTheSizeLimitAreRefusedBeforeTheyAreRead)
{
    std::string path = tmp / "huge.kbx";
    // Past 4 GiB, so a size kept in 32 bits would wrap to a small one.
    ASSERT_NO_FATAL_FAILURE(MakeSparseFile(path, (4ull << 30) + 100));
    EXPECT_FALSE(link.Files().ReadPackedFile(path));
    EXPECT_EQ(host.messages.back(), "The file is too large (over 1 MiB).");
    FileEntry& e = Add("a.php", "x", FileEntry::kInStep);
    e.linked = true;
    e.pcPath = path;
    EXPECT_FALSE(link.Files().WritePackedFile(tmp / "out.kbx"));
    EXPECT_EQ(host.messages.back(), "The file is too large (over 1 MiB).\r\na.php");
    EXPECT_EQ(link.Files().Entries().Find("a.php")->data, "x");
}

TEST_F(UploadTest, PackedFileReadIsCheckedWholeAndAsksAboutClashes)
{
    std::string path = tmp / "set.kbx";
    std::string c = Container({{"a.php", "new a"}, {"b.php", "new b"}, {"c.php", "new c"}}, 4);
    Add("a.php", "old");
    Add("b.php", "old");
    // A damaged last entry: nothing is asked, nothing removed.
    std::string bad = c;
    bad[bad.find("new c")] = 'N';
    files.WriteFileSafely(path, bad);
    EXPECT_FALSE(link.Files().ReadPackedFile(path));
    EXPECT_EQ(host.messages.back(), "Error[File CRC]");
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(link.Files().Entries().Find("a.php")->data, "old");
    // "No" for all remaining clashes; the question in the user's language.
    files.WriteFileSafely(path, c);
    host.texts[118] = "[118]";
    host.answers = {CLinkDialogs::kIdNo};
    host.answerApplyToAll = true;
    EXPECT_TRUE(link.Files().ReadPackedFile(path));
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages.back(), "[118]\r\n\r\na.php");
    host.texts.clear();
    EXPECT_EQ(link.Files().Entries().Find("a.php")->data, "old");
    EXPECT_EQ(link.Files().Entries().Find("b.php")->data, "old");
    EXPECT_EQ(link.Files().Entries().Find("c.php")->data, "new c");
    EXPECT_FALSE(link.Files().ReadPackedFile(tmp / "missing.kbx"));
    EXPECT_EQ(host.messages.back(), "File could not be opened");
}

TEST_F(UploadTest, WritingKeepsTheOldFileUntilTheNewOneIsWhole)
{
    Add("a.php", "data");
    host.openFile = "a.php";
    host.editorModified = true;
    host.editorText = "edited";
    std::string path = tmp / "out.kbx";
    files.WriteFileSafely(path, "old contents");
    host.answers = {CLinkDialogs::kIdNo};
    EXPECT_FALSE(link.Files().WritePackedFile(path));
    EXPECT_EQ(ReadAll(path), "old contents");
    host.answers = {CLinkDialogs::kIdYes};
    EXPECT_TRUE(link.Files().WritePackedFile(path));
    EXPECT_EQ(host.messages.back(), "Successfully saved.");
    std::vector<PackedFile::Entry> back;
    std::string saved = ReadAll(path);
    ASSERT_EQ(PackedFile::ParseFile(reinterpret_cast<const uint8_t*>(saved.data()), saved.size(), back),
              PackedFile::Error::None);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].data, "edited");
    EXPECT_EQ(static_cast<uint8_t>(saved[10]), 4);
    // Into a folder that does not exist: an error, and no "saved".
    size_t shown = host.messages.size();
    EXPECT_FALSE(link.Files().WritePackedFile(tmp / "nowhere/out.kbx"));
    EXPECT_EQ(host.messages.size(), shown + 1);
    EXPECT_NE(host.messages.back(), "Successfully saved.");
}

TEST_F(UploadTest, SavedNamesNeverLeaveTheFolder)
{
    fs::create_directories(tmp.path / "out");
    // Windows device names lead to a device, whatever their extension: the
    // board's port itself for com3.txt.
    for (const char* n : {"www/ok.txt", "..", "x/..", "a\\..\\b.txt", "c:evil.txt", "bad\x01name", "fine.php",
                          "con.php", "www/Com3.txt", "lib/nul", "LPT1.log", "aux .ini", "conin$", "console.php"})
        Add(n, "d", FileEntry::kAddedInternal, true);
    EXPECT_EQ(link.Files().SaveSelectedFiles(tmp / "out"), 3);
    std::vector<std::string> made;
    for (auto& f : fs::recursive_directory_iterator(tmp.path))
        made.push_back(fs::relative(f.path(), tmp.path).string());
    std::sort(made.begin(), made.end());
    fs::path out("out");
    EXPECT_EQ(made, (std::vector<std::string>{out.string(), (out / "console.php").string(), (out / "fine.php").string(),
                                              (out / "ok.txt").string()}));
    EXPECT_TRUE(link.Files().Entries().Find("fine.php")->linked);
    EXPECT_EQ(link.Files().Entries().Find("fine.php")->pcPath, (tmp.path / "out" / "fine.php").string());
}


// The same file-system id keeps the list only when the list came from that image.
TEST_F(UploadTest, SameImageMeansTheListCameFromIt)
{
    Identified();
    Feed(Reply(1, 0x21, ItemBytes({7, 7})));
    ServeImage(Container({{"a.php", "a"}}), 8192, 4096);  // cut off: the count differs
    EXPECT_TRUE(Names().empty());
    // The next connection meets the same board and id: its files must come.
    Feed(Reply(1, 0x21, ItemBytes({7, 7})));
    ServeImage(Container({{"a.php", "a"}}));
    ASSERT_EQ(Names(), std::vector<std::string>{"a.php"});
    // Read once, the list and its unsaved edits survive the next reconnect.
    link.Files().Entries().Find("a.php")->data = "edited";
    link.Files().Entries().Find("a.php")->state = FileEntry::kChanged;
    Feed(Reply(1, 0x21, ItemBytes({7, 7})));
    ServeImage(Container({{"a.php", "a"}}));
    EXPECT_EQ(link.Files().Entries().Find("a.php")->data, "edited");
    // A list emptied here is not the board's either.
    link.Files().FreeFileEntries();
    Feed(Reply(1, 0x21, ItemBytes({7, 7})));
    ServeImage(Container({{"a.php", "a"}}));
    EXPECT_EQ(Names(), std::vector<std::string>{"a.php"});
}

// A window too big for the 16-bit lengths: the chunk is cut, the lengths never wrap.
TEST_F(UploadTest, AHugeWindowStillGetsAWellFormedChunk)
{
    Identified();
    Add("big.bin", std::string(100000, 'b'));
    StartUpload();
    Feed(LinkFrame::WindowFrame(0, 0));  // a window of 0 is ignored
    EXPECT_TRUE(port.writes.empty());
    Feed(LinkFrame::WindowFrame(0, 0xFFFF));
    ASSERT_EQ(port.writes.size(), 1u);
    const std::vector<uint8_t>& f = port.writes[0];
    EXPECT_EQ(LinkFrame::GetU16(&f[2]), f.size() - 4);
    EXPECT_EQ(LinkFrame::GetU16(&f[6]), f.size() - 8);
    EXPECT_EQ(link.Session().SentCount(), static_cast<int32_t>(f.size() - 8));
}

// A late "ready" after the watchdog gave the job up writes nothing.
TEST_F(UploadTest, ALateReadyAfterTheWatchdogWritesNothing)
{
    Identified();
    link.Files().SetUploadStarted(true);
    link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
    ASSERT_TRUE(link.Files().OnUploadStart());
    link.Session().OnTimer(CLinkSession::kTimerWatchdog);
    EXPECT_FALSE(link.Session().IsJobRunning());
    port.writes.clear();
    Feed(Reply(5, 0x51, ItemInt(0)));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferNone);
    EXPECT_TRUE(link.Files().HasUploadBackup());
}

// A save that overwrote another entry's file must not relink that entry.
TEST_F(UploadTest, AnOverwrittenSaveDoesNotRelinkAnotherEntry)
{
    Identified();
    fs::create_directories(tmp.path / "out");
    Add("lib/a.php", "lib's", FileEntry::kInStep, true);
    Add("www/a.php", "www's", FileEntry::kInStep, true);
    host.answers = {CLinkDialogs::kIdYes};  // overwrite out/a.php
    EXPECT_EQ(link.Files().SaveSelectedFiles(tmp / "out"), 2);
    EXPECT_EQ(ReadAll(tmp / "out/a.php"), "www's");
    EXPECT_FALSE(link.Files().Entries().Find("lib/a.php")->linked);
    EXPECT_TRUE(link.Files().Entries().Find("www/a.php")->linked);
    ASSERT_TRUE(link.Files().BuildUploadImage());
    std::vector<PackedFile::Entry> back;
    PackedFile::ImageInfo info;
    ASSERT_EQ(PackedFile::ParseImage(link.Session().Image().data.data(), static_cast<size_t>(link.Session().Image().count), back, info),
              PackedFile::Error::None);
    for (auto& e : back)
        EXPECT_EQ(e.data, e.name == "lib/a.php" ? "lib's" : "www's") << e.name;
}
} // namespace
