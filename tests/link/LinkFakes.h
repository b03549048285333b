#pragma once
// A scripted port and a recording host for driving CDeviceLink without a board.
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/LinkPort.h"
#include "link/codecs/PackedFile.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

class FakePort : public ILinkPort {
public:
    uint32_t Open(const std::string& name) override { if (failOpen) return 2; open = true; lastName = name; return 0; }
    uint32_t SetupPort() override { return failSetup; }
    uint32_t SetupHandshake() override { return 0; }
    uint32_t SetCommMask(uint32_t mask) override { this->mask = mask; return 0; }
    uint32_t Close() override { open = false; return 0; }
    bool IsOpen() const override { return open; }
    uint32_t Write(const void* data, size_t length, size_t* written) override
    {
        if (written) *written = 0;
        if (!open) return kErrInvalidHandle;
        if (failWrite) return failWrite;
        auto p = static_cast<const uint8_t*>(data);
        writes.emplace_back(p, p + length);
        if (written) *written = length;
        return 0;
    }
    uint32_t Read(void* buffer, size_t* count) override
    {
        size_t n = std::min(input.size(), kReadMax);
        std::copy(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n), static_cast<uint8_t*>(buffer));
        input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n));
        if (count) *count = n;
        ++reads;
        return 0;
    }
    int CheckPort(const std::string&) override { return checkPort; }

    std::vector<uint8_t> TakeWrites()
    {
        std::vector<uint8_t> all;
        for (auto& w : writes) all.insert(all.end(), w.begin(), w.end());
        writes.clear();
        return all;
    }

    bool open = false, failOpen = false;
    uint32_t failSetup = 0, failWrite = 0, mask = 0;
    int reads = 0, checkPort = 0;
    std::string lastName;
    std::deque<uint8_t> input;
    std::vector<std::vector<uint8_t>> writes;
};

class FakeHost : public CLinkHost {
public:
    // The user's language: a text of the string table replaces the English one.
    std::string LoadText(unsigned id, const char* english) override
    {
        auto it = texts.find(id);
        return it != texts.end() ? it->second : english;
    }
    int ShowMessage(const std::string& text, unsigned style, bool* applyToAll) override
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
    void OpenWaitBox(int mode) override { waitBoxOpen = true; waitMode = mode; ++waitBoxOpened; }
    void EndWaitBox() override { waitBoxOpen = false; }
    void SetProgressRange(int r) override { progressRange = r; }
    void SetProgress(int v) override { progress = v; }
    void LogDebugger(const std::string& line) override { log.push_back(line); }
    void AddOutput(const char* t, size_t n) override { output.append(t, n); }
    void AddFirmwareLog(const char* t, size_t n) override { fwlog.append(t, n); }
    void SetTimer(unsigned id, unsigned ms) override { timers[id] = ms; ++timerStarts[id]; }
    void KillTimer(unsigned id) override { timers.erase(id); }
    void EnableConnectButtons(bool c) override { connectedButtons = c; }
    void OnLinkDisconnected() override { ++disconnects; }
    void OnIspModeEntered() override { ++ispEntered; }
    void UpdateFlashUsage(int cap, int used) override { flashCapacity = cap; flashUsed = used; }
    void RefreshFileList() override { ++refreshes; }
    std::string GetOpenFileName() override { return openFile; }
    bool GetEditorText(std::string& text, uint32_t& caret, uint32_t& scroll) override
    {
        caret = editorCaret; scroll = 0;
        if (!editorModified) return false;
        text = editorText;
        return true;
    }
    void OpenEntry(FileEntry& e) override { opened.push_back(e.name); }
    void OnEntryRemoved(const FileEntry& e) override { removed.push_back(e.name); }
    bool IsPhpDebugMode() override { return phpDebug; }
    bool IsFirmwareLogMode() override { return fwLogMode; }
    std::string GetBackupFolder() override { return backupFolder; }

    void OnSettingsRead() override { ++settingsRead; }
    void OnSettingsWritten(bool ok) override { settingsWritten.push_back(ok); }
    void OnCertBlockRead(bool present, const uint8_t* records, size_t length) override
    {
        certRecords = present ? std::string(reinterpret_cast<const char*>(records), length) : "<none>";
    }
    void OnBlockWritten(BlockKind kind, bool ok) override { blocksWritten.push_back({kind, ok}); }
    void OnPasswordDone(bool ok) override { passwordDone.push_back(ok); }
    void OnBoardRestarting() override { ++restarts; }
    void CloseLinkDialogs() override { ++dialogsClosed; }

    bool HasTimer(unsigned id) const { return timers.count(id) != 0; }
    int settingsRead = 0, restarts = 0, dialogsClosed = 0;
    std::vector<bool> settingsWritten, passwordDone;
    std::vector<std::pair<BlockKind, bool>> blocksWritten;
    std::string certRecords;

    std::vector<std::string> messages, log, opened, removed;
    std::deque<int> answers;
    std::deque<std::string> passwords;
    std::function<void()> onPassword, onMessage;
    std::string output, fwlog, openFile, editorText, backupFolder;
    std::map<unsigned, unsigned> timers;
    std::map<unsigned, std::string> texts;
    std::map<unsigned, int> timerStarts;
    bool waitBoxOpen = false, connectedButtons = false, phpDebug = false, fwLogMode = false;
    bool editorModified = false, answerApplyToAll = false;
    int waitMode = -1, waitBoxOpened = 0, progressRange = 0, progress = 0, disconnects = 0;
    int ispEntered = 0, refreshes = 0, passwordPrompts = 0, flashCapacity = 0, flashUsed = 0;
    uint32_t editorCaret = 0;
};

// Reply frames as the board builds them.
std::vector<uint8_t> Reply(uint8_t group, uint8_t code, const std::vector<uint8_t>& items, bool refused = false);
std::vector<uint8_t> ItemInt(int32_t v);
std::vector<uint8_t> ItemBytes(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ItemText(const std::string& text);
std::vector<uint8_t> Hex(const std::string& hex);
std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b);

using NamedFiles = std::vector<std::pair<std::string, std::string>>;
// A packed container of the given files (name, data), built by the link's codec.
std::string Container(const NamedFiles& files, uint8_t headerWords = 0, uint16_t fsValue = 0x0102);

// A link on the scripted port, reporting to the recording host.
class LinkFixture : public ::testing::Test {
protected:
    FakePort port;
    FakeHost host;
    CStdLinkFiles files;
    CDeviceLink link{port, host, files};

    void Feed(const std::vector<uint8_t>& bytes)
    {
        port.input.insert(port.input.end(), bytes.begin(), bytes.end());
        link.OnSerialEvent(ILinkPort::kEvRxChar);
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
        return link.Entries().Insert(std::move(e));
    }
};
