#pragma once
// The scripted host and event loop that linkcheck and the link benchmark run
// CDeviceLink with: port events, timers and the wait box's start notice, one
// at a time on the calling thread, as the main window's message loop runs them.
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/SerialEventQueue.h"
#include "link/port/SerialPort.h"
#include "link/services/NetworkInfo.h"
#include "link/services/ScanRecord.h"
#include "tests/fuzz/FuzzLink.h"

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Leaves the enclosing scenario with a step's reason when it failed.
#define STEP(expr)                                    \
    do {                                              \
        if (std::string why_ = (expr); !why_.empty()) \
            return why_;                              \
    } while (0)

struct CheckOptions {
    std::string port;
    std::string password;
    bool hasPassword = false;
    bool restore = true;
    std::string backupFolder;
    unsigned watchdogMs = 5000;
    unsigned stepMs = 0;  // the boot loader's silence limit (0: the link's own)
    int deadlineSeconds = 60;
    bool reconnect = false;  // the answer to the lost board's question
};

// What the host's reports role received, in order.
struct CheckReports {
    std::vector<NetworkInfo> net;
    std::vector<std::pair<bool, std::vector<ScanRecord>>> scans;
    std::vector<std::pair<std::string, std::string>> products;
    size_t Count() const
    {
        return net.size() + scans.size() + products.size();
    }
};

// Answers questions as the options say, records reports, and keeps the
// editor (one file) and watch list as the debug scenarios see them.
class CheckHost : public FuzzHost {
public:
    using Clock = std::chrono::steady_clock;
    explicit CheckHost(const CheckOptions& o) : m_options(o) {}

    int ShowMessage(const std::string& text, unsigned style, bool* applyToAll) override;
    int AskAboutLostBoard(const std::string& text) override;
    PasswordChoice AskLoginPassword(std::string& password) override;
    void OpenWaitBox(int mode) override { pendingStart = mode; }
    void EndWaitBox() override { pendingStart = -1; }
    void LogDebugger(const std::string& line) override;
    void AddOutput(const char* t, size_t n) override;
    void AddFirmwareLog(const char* t, size_t n) override;
    void SetTimer(unsigned id, unsigned ms) override { timers[id] = {ms, Clock::now() + std::chrono::milliseconds(ms)}; }
    void KillTimer(unsigned id) override { timers.erase(id); }
    bool IsPhpDebugMode() override { return true; }  // an upload must not start the script
    std::string GetBackupFolder() override { return m_options.backupFolder; }
    void OnSettingsRead() override { ++settingsReads; }
    void OnSettingsWritten(bool ok) override { settingsWrites.push_back(ok); }
    void OnIspConnected() override { if (upgrade) upgrade->OnIspConnected(); }
    void OnUpgradeEnvName(bool read, const std::string& name) override { if (upgrade) upgrade->OnUpgradeEnvName(read, name); }
    void OnUpgradeTestOk() override { if (upgrade) upgrade->OnUpgradeTestOk(); }
    void OnUpgradeProgress(uint64_t sent, uint64_t total) override { if (upgrade) upgrade->OnUpgradeProgress(sent, total); }
    bool OnUpgradeResult(bool ok) override { return upgrade ? upgrade->OnUpgradeResult(ok) : true; }
    void OnNetworkInfo(const NetworkInfo& n) override { reports.net.push_back(n); }
    void OnScanDone(const std::vector<ScanRecord>* r) override
    {
        reports.scans.emplace_back(r != nullptr, r ? *r : std::vector<ScanRecord>());
    }
    void OnProductInfo(const std::string& up, const std::string& info) override { reports.products.emplace_back(up, info); }

    // The debugger's editor and watch list.
    std::string GetOpenFileName() override { return openFile; }
    void UpdateButtonStates(int state) override { taskState = state; }
    void SetExecutionLine(int row) override { executionRow = row; }
    void ShowBreakFile(FileEntry& entry, int row) override;
    int GetEditorRowCount() override { return editorRows; }
    int GetCaretRow() override { return caretRow; }
    bool ToggleBreakpoint(int& row, bool& set) override;
    void SetBreakpointMark(int row, bool on) override;
    void RemoveAllBreakpointMarks() override { marks.clear(); }
    int GetWatchCount() override { return static_cast<int>(watches.size()); }
    std::string GetWatchName(int row) override { return watches.at(static_cast<size_t>(row)).name; }
    void SetWatchValue(int row, const std::string& type, const std::string& value, const std::string& full) override;
    // The editor shows this entry's text (its rows counted as the editor does).
    void OpenText(const std::string& name, const std::string& text);
    // New rows with these names; every value column empty.
    void SetWatches(const std::vector<std::string>& names);

    struct TimerState {
        unsigned period;
        Clock::time_point due;
    };
    struct WatchRow {
        std::string name, type, value;
        bool set = false;
    };
    std::map<unsigned, TimerState> timers;
    int pendingStart = -1;
    bool quiet = false;  // no printing (benchmarks)
    CLinkUpgrade* upgrade = nullptr;
    CheckReports reports;
    int passwordPrompts = 0, restoreQuestions = 0, settingsReads = 0, lostQuestions = 0;
    std::vector<int> settingsWrites;
    std::string openFile, output;
    int editorRows = 0, caretRow = 0, executionRow = -1, taskState = 0, breaks = 0;
    std::set<int> marks;
    std::vector<WatchRow> watches;

private:
    const CheckOptions& m_options;
};

// The link on a serial device, its events through a CSerialEventQueue.
class CheckRunner {
public:
    explicit CheckRunner(const CheckOptions& o);
    CDeviceLink& Link() { return m_link; }
    // What the host heard: questions, dialogs' results, reports.
    CheckHost& Host() { return m_host; }
    bool PortGone() const { return m_gone; }
    // Runs until done() holds, the link drops ("disconnected", "unplugged")
    // or the deadline passes ("timeout"); "" when done() held. offline: a
    // closed link goes on running its timers (a reconnect waits).
    std::string RunUntil(const std::function<bool()>& done, int seconds, bool offline = false);

private:
    // Runs the job the wait box announced, as its start notice does; false when none.
    bool StartPendingJob();
    const CheckOptions& m_options;
    CSerialEventQueue m_queue;
    CSerialPort m_port;
    CStdLinkFiles m_files;
    CheckHost m_host;
    CDeviceLink m_link;
    bool m_gone = false;
};

// "" when the scenario passed, else the reason.
std::string RunLinkScenario(CheckRunner& runner, const CheckOptions& options, const std::string& scenario,
                            const std::vector<std::string>& args);
std::string RunCodecScenario(const std::string& scenario, const std::vector<std::string>& args);
// Connects, identifies and reads the board's image.
std::string ConnectAndRead(CheckRunner& runner, const CheckOptions& options);
std::string RunFlashScenario(CheckRunner& runner, const CheckOptions& options, const std::string& file);
// "debug": breakpoints, run, watches, steps, pause, run to a line, stop.
// "debug-hostile": a board whose debugger answers lie; the link must stay.
std::string DebugScenario(CheckRunner& r, const CheckOptions& o, bool hostile);
bool IsQueryScenario(const std::string& scenario);
std::string RunQueryScenario(CheckRunner& runner, const CheckOptions& options, const std::string& scenario);
// An image of size bytes whose last 64 bytes hold a 'C' record naming it;
// recordUnits is the record area's length in its header (16-byte units).
std::string FirmwareImageBytes(size_t size, const std::string& name, unsigned recordUnits = 4);
// fwimage OUT SIZE NAME [broken|cut]: a firmware image file for the flash cases.
std::string MakeFirmwareFile(const std::vector<std::string>& args);
// key-blocks KEYS CERT OUT.der: the key and certificate blocks a board keeps.
std::string CheckKeyBlocks(const std::vector<std::string>& args);
// The inode of the port's path (a replaced link is a new board).
unsigned long LinkId(const std::string& path);
// Line ends shown as \r and \n, so a text prints on one line.
std::string OneLine(const std::string& text);
