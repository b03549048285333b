#pragma once
// A scripted port and a recording host for driving CDeviceLink without a board.
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/LinkPort.h"
#include "link/codecs/EnvBlock.h"
#include "link/codecs/PackedFile.h"
#include "tests/fuzz/FuzzLink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Records writes, takes failures to order; reads hand out `input`.
class FakePort : public FuzzPort {
public:
    uint32_t Open(const std::string&) override { return failOpen ? 2 : (open = true, 0); }
    uint32_t SetupPort() override { return failSetup; }
    uint32_t SetCommMask(uint32_t m) override { mask = m; return 0; }
    uint32_t Write(const void* data, size_t length, size_t* written) override
    {
        if (written) *written = 0;
        if (!open) return kErrInvalidHandle;
        auto p = static_cast<const uint8_t*>(data);
        writes.emplace_back(p, p + length);
        if (written) *written = length;
        return 0;
    }
    uint32_t Read(void* buffer, size_t* count) override { ++reads; return FuzzPort::Read(buffer, count); }
    int CheckPort(const std::string&) override { return checkPort; }

    std::vector<uint8_t> TakeWrites()
    {
        std::vector<uint8_t> all;
        for (auto& w : writes) all.insert(all.end(), w.begin(), w.end());
        writes.clear();
        return all;
    }

    bool failOpen = false;
    uint32_t failSetup = 0, mask = 0;
    int reads = 0, checkPort = 0;
    std::vector<std::vector<uint8_t>> writes;
};

// Records what the link shows and answers questions from its queues.
class FakeHost : public FuzzHost {
public:
    // The user's language: a text of the string table replaces the English one.
    std::string LoadText(unsigned id, const char* english) override
    {
        auto it = texts.find(id);
        return it != texts.end() ? it->second : english;
    }
    int ShowMessage(const std::string& text, unsigned, bool* applyToAll) override
    {
        messages.push_back(text);
        if (onMessage) onMessage();
        if (applyToAll) *applyToAll = answerApplyToAll;
        if (answers.empty()) return kIdOk;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    PasswordChoice AskLoginPassword(std::string& password) override
    {
        ++passwordPrompts;
        if (onPassword) onPassword();
        if (passwords.empty()) return PasswordChoice::Cancel;
        password = passwords.front();
        passwords.pop_front();
        return PasswordChoice::Ok;
    }
    void OpenWaitBox(int) override { waitBoxOpen = true; }
    void EndWaitBox() override { waitBoxOpen = false; }
    void LogDebugger(const std::string& line) override { log.push_back(line); }
    void AddOutput(const char* t, size_t n) override { output.append(t, n); }
    void AddFirmwareLog(const char* t, size_t n) override { fwlog.append(t, n); }
    void SetTimer(unsigned id, unsigned ms) override { timers[id] = ms; ++timerStarts[id]; }
    void KillTimer(unsigned id) override { timers.erase(id); }
    void OnLinkDisconnected() override { ++disconnects; }
    void OnIspModeEntered(bool filesKept) override { ispNotices.push_back(filesKept); }
    std::string GetOpenFileName() override { return openFile; }
    bool GetEditorText(std::string& text, uint32_t& caret, uint32_t& scroll) override
    {
        caret = scroll = 0;
        if (editorModified) text = editorText;
        return editorModified;
    }
    bool IsPhpDebugMode() override { return phpDebug; }
    std::string GetBackupFolder() override { return backupFolder; }

    void OnSettingsRead() override { ++settingsRead; }
    void OnBoardRestarting() override { ++restarts; }
    void ClearEditor() override { ++editorClears; }
    void OnSettingsWritten(bool ok) override { settingsWritten.push_back(ok); }
    void OnCertBlockRead(bool present, const uint8_t* records, size_t length) override
    {
        certRecords = present ? std::string(reinterpret_cast<const char*>(records), length) : "<none>";
    }
    void OnBlockWritten(BlockKind kind, bool ok) override { blocksWritten.push_back({kind, ok}); }
    void OnPasswordDone(bool ok) override { passwordDone.push_back(ok); }

    bool HasTimer(unsigned id) const { return timers.count(id) != 0; }
    int settingsRead = 0, restarts = 0, editorClears = 0;
    std::vector<bool> settingsWritten, passwordDone, ispNotices;
    std::vector<std::pair<BlockKind, bool>> blocksWritten;
    std::string certRecords;

    std::vector<std::string> messages, log;
    std::deque<int> answers;
    std::deque<std::string> passwords;
    std::function<void()> onPassword, onMessage;
    std::string output, fwlog, openFile, editorText, backupFolder;
    std::map<unsigned, unsigned> timers;
    std::map<unsigned, std::string> texts;
    std::map<unsigned, int> timerStarts;
    bool waitBoxOpen = false, phpDebug = false, editorModified = false, answerApplyToAll = false;
    int disconnects = 0, passwordPrompts = 0;
};

inline std::vector<uint8_t> Reply(uint8_t group, uint8_t code, const std::vector<uint8_t>& items, bool refused = false)
{
    return Frame(0, uint8_t(group | (refused ? 0x20 : 0)), code, items);
}
std::vector<uint8_t> Hex(const std::string& hex);
// A text as the board's queries answer it: type 7, no terminating zero.
inline std::vector<uint8_t> Text(const std::string& s) { return ItemBytes(std::vector<uint8_t>(s.begin(), s.end())); }

// A sealed block of the given records.
inline std::vector<uint8_t> Block(std::initializer_list<std::vector<uint8_t>> records,
                                  uint32_t magic = EnvBlock::kMagicSettings)
{
    std::vector<uint8_t> b;
    EnvBlock::Begin(b);
    for (auto& r : records)
        b.insert(b.end(), r.begin(), r.end());
    EnvBlock::Finish(b, magic);
    return b;
}

// A request and its frame's bytes from byte 2 on (after the sequence number).
struct RequestCase {
    const char* what;
    std::function<void()> send;
    const char* hex;
};

using NamedFiles = std::vector<std::pair<std::string, std::string>>;
// A packed container of the given files (name, data), built by the link's codec.
std::string Container(const NamedFiles& files, uint8_t headerWords = 0, uint16_t fsValue = 0x0102);

// A link on the scripted port, reporting to the recording host.
template <class Host = FakeHost, class Port = FakePort>
struct LinkRig {
    Port port;
    Host host;
    CStdLinkFiles files;
    CDeviceLink link{port, host, files};

    void Feed(const std::vector<uint8_t>& bytes)
    {
        port.input.insert(port.input.end(), bytes.begin(), bytes.end());
        link.Session().OnSerialEvent(ILinkPort::kEvRxChar);
    }
    // A line (or any text) from the board.
    void Feed(const std::string& text) { Feed(std::vector<uint8_t>(text.begin(), text.end())); }
    // Every byte written since the last call.
    std::string Written()
    {
        auto w = port.TakeWrites();
        return std::string(w.begin(), w.end());
    }
    // The firmware image's blocks all go out, one timer step each.
    void RunStream()
    {
        while (host.HasTimer(CBootLoaderService::kTimerStream))
            link.Session().OnTimer(CBootLoaderService::kTimerStream);
    }
    // A block read's data (when any) and the reply that ends it.
    void ServeBlock(const std::vector<uint8_t>& block, uint8_t code, int32_t reported, bool refused = false)
    {
        if (!block.empty())
            Feed(LinkFrame::DataChunk(0, block.data(), block.size()));
        Feed(Reply(3, code, ItemInt(reported), refused));
    }
    // The board pulls what the link sends, through windows of n bytes.
    std::vector<uint8_t> Pull(size_t n = 100)
    {
        std::vector<uint8_t> got;
        for (;;) {
            port.writes.clear();
            Feed(LinkFrame::WindowFrame(0, static_cast<uint16_t>(n)));
            if (port.writes.empty() || port.writes[0].size() == 8)
                return got;
            got.insert(got.end(), port.writes[0].begin() + 8, port.writes[0].end());
        }
    }
    uint8_t SyncAnswer() const { return static_cast<uint8_t>((link.Session().GetSyncByte() - 0x20) ^ 0x3F); }
    // Connected and the sync byte answered; nothing written yet.
    void Synced()
    {
        ASSERT_TRUE(link.Session().Connect("COM3"));
        Feed(std::vector<uint8_t>{SyncAnswer()});
        port.writes.clear();
    }
    // Group/command of each frame written since the last call: "01/25 ",
    // "W " a window, "D " a data chunk.
    std::string Sent()
    {
        std::string s;
        for (auto& w : port.writes) {
            char b[8];
            std::snprintf(b, sizeof b, "%02X/%02X ", w[4] & 0x0F, w[5]);
            s += w[1] >> 4 == 1 ? (w[4] & 0x40 ? "W " : "D ") : b;
        }
        port.writes.clear();
        return s;
    }
    // Each case's first frame is a request with exactly those bytes.
    void ExpectRequests(const std::vector<RequestCase>& cases)
    {
        for (const RequestCase& c : cases) {
            port.writes.clear();
            c.send();
            ASSERT_GE(port.writes.size(), 1u) << c.what;
            const std::vector<uint8_t>& f = port.writes[0];
            EXPECT_EQ(f[0], 0x50) << c.what;
            EXPECT_EQ(f[1] >> 4, 0) << c.what;
            EXPECT_EQ(std::vector<uint8_t>(f.begin() + 2, f.end()), Hex(c.hex)) << c.what;
        }
    }
    FileEntry& Add(const std::string& name, const std::string& data, uint32_t state = FileEntry::kAddedInternal,
                   bool selected = false)
    {
        auto e = std::make_unique<FileEntry>();
        e->name = name;
        e->nameLength = static_cast<uint8_t>(name.size() + 1);
        e->data = data;
        e->state = state;
        e->selected = selected;
        return link.Files().Entries().Insert(std::move(e));
    }
};
// The same as a test fixture (tables that need a fresh link per case use LinkRig).
template <class Host = FakeHost, class Port = FakePort>
class LinkTest : public ::testing::Test, public LinkRig<Host, Port> {};
using LinkFixture = LinkTest<>;

// A host that records what the boot loader tells the upgrade dialog.
class UpgradeHost : public FakeHost {
public:
    void OnIspConnected() override { events.push_back("connected"); }
    void OnUpgradeEnvName(bool read, const std::string& name) override
    {
        events.push_back("name " + (read ? name : std::string("-")));
    }
    void OnUpgradeTestOk() override { events.push_back("test ok"); }
    void OnUpgradeProgress(uint64_t sent, uint64_t) override { progress.push_back(sent); }
    bool OnUpgradeResult(bool ok) override
    {
        events.push_back(ok ? "result ok" : "result failed");
        if (duringResult) duringResult();
        return answer;
    }
    bool answer = true;  // the dialog's answer to a success
    std::vector<std::string> events;
    std::vector<uint64_t> progress;
    std::function<void()> duringResult;
};

// One EnvBlock record's bytes, without the block header.
inline std::vector<uint8_t> RecordBytes(uint8_t type, uint8_t sub, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> b;
    EnvBlock::Begin(b);
    EnvBlock::AppendRecord(b, type, sub, data.data(), data.size());
    return std::vector<uint8_t>(b.begin() + 16, b.end());
}
