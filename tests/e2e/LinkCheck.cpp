// linkcheck: drives CDeviceLink over a real serial device with a scripted
// host, so that a board (the simulator or a real one) can be checked end to
// end. Prints the debugger log lines, every message as "MESSAGE: <text>",
// and ends with "RESULT: ok" (exit 0) or "RESULT: <reason>" (exit 1).
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/SerialEventQueue.h"
#include "link/SerialPort.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "LinkCheckScenarios.h"

using Clock = std::chrono::steady_clock;

namespace {

std::string OneLine(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

class CheckHost : public CLinkHost {
public:
    explicit CheckHost(const CheckOptions& o) : m_options(o) {}

    int ShowMessage(const std::string& text, unsigned style, bool* applyToAll) override
    {
        std::printf("MESSAGE: %s\n", OneLine(text).c_str());
        std::fflush(stdout);
        messages.push_back(text);
        if (applyToAll)
            *applyToAll = false;
        if ((style & 0x0F) != 4)  // not a Yes/No question
            return kIdOk;
        if (text == "Do you want to restore the backup file?") {
            ++restoreQuestions;
            return m_options.restore ? kIdYes : kIdNo;
        }
        if (text == "Are you sure you don't want to restore the backup file?")
            return kIdYes;
        return kIdYes;
    }
    PasswordChoice AskLoginPassword(std::string& password) override
    {
        ++passwordPrompts;
        // One try: a refused password must not loop for ever.
        if (!m_options.hasPassword || passwordPrompts > 1) {
            std::printf("PASSWORD: cancel\n");
            return PasswordChoice::Cancel;
        }
        std::printf("PASSWORD: given\n");
        password = m_options.password;
        return PasswordChoice::Ok;
    }
    void OpenWaitBox(int mode) override
    {
        waitBoxOpen = true;
        pendingStart = mode;
    }
    void EndWaitBox() override { waitBoxOpen = false; pendingStart = -1; }
    void SetProgressRange(int r) override { progressRange = r; }
    void SetProgress(int v) override { progress = v; }
    void LogDebugger(const std::string& line) override
    {
        std::string clean;
        for (char c : line)
            if (c != '\r' && c != '\n')
                clean += c;
        std::printf("%s\n", clean.c_str());
        std::fflush(stdout);
    }
    void AddOutput(const char* t, size_t n) override { std::printf("OUTPUT: %.*s\n", int(n), t); }
    void AddFirmwareLog(const char* t, size_t n) override { std::printf("FWLOG: %.*s\n", int(n), t); }
    void SetTimer(unsigned id, unsigned ms) override
    {
        timers[id] = {ms, Clock::now() + std::chrono::milliseconds(ms)};
    }
    void KillTimer(unsigned id) override { timers.erase(id); }
    void EnableConnectButtons(bool) override {}
    void OnLinkDisconnected() override { ++disconnects; }
    void OnIspModeEntered() override {}
    void UpdateFlashUsage(int, int) override {}
    void RefreshFileList() override {}
    std::string GetOpenFileName() override { return std::string(); }
    bool GetEditorText(std::string&, uint32_t& caret, uint32_t& scroll) override
    {
        caret = scroll = 0;
        return false;
    }
    void OpenEntry(FileEntry&) override {}
    void OnEntryRemoved(const FileEntry&) override {}
    bool IsPhpDebugMode() override { return true; }  // an upload must not start the script
    bool IsFirmwareLogMode() override { return false; }
    std::string GetBackupFolder() override { return m_options.backupFolder; }

    struct TimerState {
        unsigned period;
        Clock::time_point due;
    };
    std::map<unsigned, TimerState> timers;
    std::vector<std::string> messages;
    int pendingStart = -1;
    bool waitBoxOpen = false;
    int passwordPrompts = 0, restoreQuestions = 0, disconnects = 0, progressRange = 0, progress = 0;

private:
    const CheckOptions& m_options;
};

} // namespace

// The loop: port events, timers and the wait box's start notice, one at a
// time on this thread, as the main window's message loop runs them.
class CheckRunner : public ILinkRunner {
public:
    CheckRunner(const CheckOptions& o)
        : m_options(o), m_host(o), m_link(m_port, m_host, m_files)
    {
        m_port.SetOwner(&m_queue);
        m_link.SetWatchdogPeriod(o.watchdogMs);
    }
    CDeviceLink& Link() override { return m_link; }
    CheckHost& Host() { return m_host; }
    bool PortGone() const override { return m_gone; }
    bool WaitBoxOpen() const override { return m_host.waitBoxOpen; }
    int RestoreQuestions() const override { return m_host.restoreQuestions; }
    const std::vector<std::string>& Messages() const override { return m_host.messages; }

    // Runs until done() holds, the link drops, or the deadline passes.
    std::string RunUntil(const std::function<bool()>& done, int seconds) override
    {
        auto deadline = Clock::now() + std::chrono::seconds(seconds);
        while (!done()) {
            if (!m_link.IsConnected())
                return m_gone ? "unplugged" : "disconnected";
            if (Clock::now() > deadline)
                return "timeout";
            if (m_host.pendingStart >= 0) {
                int mode = m_host.pendingStart;
                m_host.pendingStart = -1;
                if (mode == CDeviceLink::kWaitUpload)
                    m_link.OnUploadStart();
                else
                    m_link.OnIdentifyStart();
                continue;
            }
            auto next = deadline;
            unsigned dueId = 0;
            for (auto& t : m_host.timers)
                if (t.second.due < next) {
                    next = t.second.due;
                    dueId = t.first;
                }
            auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
            if (wait.count() < 0)
                wait = std::chrono::milliseconds(0);
            SerialEvent e;
            if (m_queue.Wait(e, wait)) {
                if (e.message == CSerialPort::kNotifyMessage)
                    m_link.OnSerialEvent(e.wParam);
                else if (e.message == CSerialPort::kGoneMessage) {
                    m_gone = true;
                    m_port.Close();
                }
                continue;
            }
            if (dueId) {
                auto it = m_host.timers.find(dueId);
                if (it != m_host.timers.end()) {
                    it->second.due = Clock::now() + std::chrono::milliseconds(it->second.period);
                    m_link.OnTimer(dueId);
                }
            }
        }
        return std::string();
    }

private:
    const CheckOptions& m_options;
    CSerialEventQueue m_queue;
    CSerialPort m_port;
    CStdLinkFiles m_files;
    CheckHost m_host;
    CDeviceLink m_link;
    bool m_gone = false;
};

static int Usage()
{
    std::fprintf(stderr,
                 "usage: linkcheck --port PATH [--password PW] [--restore yes|no] [--backup DIR]\n"
                 "                 [--watchdog-ms N] [--deadline S] SCENARIO [ARGS]\n"
                 "scenarios: identify | read | upload FILE.kbx | upload-interrupted FILE.kbx\n"
                 "           pack DIR OUT.kbx | unpack FILE.kbx DIR\n");
    return 2;
}

int main(int argc, char** argv)
{
    CheckOptions o;
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--port" && value(o.port)) continue;
        if (a == "--password" && value(o.password)) { o.hasPassword = true; continue; }
        if (a == "--restore" && value(v)) { o.restore = v == "yes"; continue; }
        if (a == "--backup" && value(o.backupFolder)) continue;
        if (a == "--watchdog-ms" && value(v)) { o.watchdogMs = static_cast<unsigned>(std::stoul(v)); continue; }
        if (a == "--deadline" && value(v)) { o.deadlineSeconds = std::stoi(v); continue; }
        if (a.rfind("--", 0) == 0) return Usage();
        rest.push_back(a);
    }
    if (rest.empty())
        return Usage();
    std::string scenario = rest[0];
    rest.erase(rest.begin());

    std::string result;
    if (scenario == "pack" || scenario == "unpack") {
        result = RunCodecScenario(scenario, rest);
    } else {
        if (o.port.empty())
            return Usage();
        CheckRunner runner(o);
        result = RunLinkScenario(runner, o, scenario, rest);
    }
    std::printf("RESULT: %s\n", result.empty() ? "ok" : result.c_str());
    return result.empty() ? 0 : 1;
}
