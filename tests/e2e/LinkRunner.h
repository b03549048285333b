#pragma once
// The scripted host and event loop that linkcheck and the link benchmark run
// CDeviceLink with: port events, timers and the wait box's start notice, one
// at a time on the calling thread, as the main window's message loop runs them.
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#ifndef _WIN32
#include "link/port/SerialEventQueue.h"
#endif
#include "link/port/SerialPort.h"

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "LinkCheckDebug.h"
#include "LinkCheckScenarios.h"
#include "QueryScenarios.h"

class CheckHost : public CheckDebugHost {
public:
    using Clock = std::chrono::steady_clock;
    explicit CheckHost(const CheckOptions& o) : m_options(o) {}

    int ShowMessage(const std::string& text, unsigned style, bool* applyToAll) override;
    PasswordChoice AskLoginPassword(std::string& password) override;
    void OpenWaitBox(int mode) override { waitBoxOpen = true; pendingStart = mode; }
    void EndWaitBox() override { waitBoxOpen = false; pendingStart = -1; }
    void SetProgressRange(int r) override { progressRange = r; }
    void SetProgress(int v) override { progress = v; }
    void LogDebugger(const std::string& line) override;
    void AddOutput(const char* t, size_t n) override;
    void AddFirmwareLog(const char* t, size_t n) override;
    void SetTimer(unsigned id, unsigned ms) override { timers[id] = {ms, Clock::now() + std::chrono::milliseconds(ms)}; }
    void KillTimer(unsigned id) override { timers.erase(id); }
    void OnLinkDisconnected() override { ++disconnects; }
    bool IsPhpDebugMode() override { return true; }  // an upload must not start the script
    std::string GetBackupFolder() override { return m_options.backupFolder; }
    void OnSettingsRead() override { ++settingsReads; }
    void OnSettingsWritten(bool ok) override { settingsWrites.push_back(ok); }
    void OnPasswordDone(bool ok) override { passwordResults.push_back(ok); }
    void OnIspConnected() override { if (upgrade) upgrade->OnIspConnected(); }
    void OnUpgradeEnvName(bool read, const std::string& name) override { if (upgrade) upgrade->OnUpgradeEnvName(read, name); }
    void OnUpgradeTestOk() override { if (upgrade) upgrade->OnUpgradeTestOk(); }
    void OnUpgradeProgress(uint64_t sent, uint64_t total) override { if (upgrade) upgrade->OnUpgradeProgress(sent, total); }
    bool OnUpgradeResult(bool ok) override { return upgrade ? upgrade->OnUpgradeResult(ok) : true; }
    void OnNetworkInfo(const NetworkInfo& n) override { reports.net.push_back(n); }
    void OnRtcDate(bool ok, const std::string& date) override { reports.rtc.emplace_back(ok, date); }
    void OnRtcSetResult(bool ok) override { reports.rtcSet.push_back(ok); }
    void OnScanDone(const std::vector<ScanRecord>* r) override
    {
        reports.scans.emplace_back(r != nullptr, r ? *r : std::vector<ScanRecord>());
    }
    void OnErrorLog(bool, const std::string& text) override { reports.logs.emplace_back(true, text); }
    void OnProductInfo(const std::string& up, const std::string& info) override { reports.products.emplace_back(up, info); }
    // Runs the job the wait box announced, as its start notice does; false when none.
    bool StartPendingJob(CDeviceLink& link)
    {
        const int mode = pendingStart;
        pendingStart = -1;
        if (mode == CDeviceLink::kWaitUpload)
            link.OnUploadStart();
        else if (mode >= 0)
            link.OnIdentifyStart();
        return mode >= 0;
    }

    struct TimerState {
        unsigned period;
        Clock::time_point due;
    };
    std::map<unsigned, TimerState> timers;
    std::vector<std::string> messages;
    int pendingStart = -1;
    bool waitBoxOpen = false;
    bool quiet = false;  // no printing (benchmarks)
    CLinkUpgrade* upgrade = nullptr;
    CheckReports reports;
    int passwordPrompts = 0, restoreQuestions = 0, disconnects = 0, progressRange = 0, progress = 0;
    int settingsReads = 0;
    std::vector<int> settingsWrites, passwordResults;

private:
    const CheckOptions& m_options;
};

#ifndef _WIN32
// POSIX: the port's events come through a CSerialEventQueue.
class CheckRunner : public ILinkRunner {
public:
    explicit CheckRunner(const CheckOptions& o);
    CDeviceLink& Link() override { return m_link; }
    CheckHost& Host() override { return m_host; }
    bool PortGone() const override { return m_gone; }

private:
    std::string Run(const std::function<bool()>& done, int seconds, bool across) override;
    const CheckOptions& m_options;
    CSerialEventQueue m_queue;
    CSerialPort m_port;
    CStdLinkFiles m_files;
    CheckHost m_host;
    CDeviceLink m_link;
    bool m_gone = false;
};
#else
// Win32: the port posts to a message-only window; timers are window timers.
class WinCheckHost : public CheckHost {
public:
    using CheckHost::CheckHost;
    void SetTimer(unsigned id, unsigned ms) override;
    void KillTimer(unsigned id) override;
    HWND__* window = nullptr;
};

class CheckRunner : public ILinkRunner {
public:
    explicit CheckRunner(const CheckOptions& o);
    ~CheckRunner() override;
    CDeviceLink& Link() override { return m_link; }
    CheckHost& Host() override { return m_host; }
    bool PortGone() const override { return false; }
    void OnWindowMessage(unsigned message, uintptr_t wParam);

private:
    std::string Run(const std::function<bool()>& done, int seconds, bool across) override;
    CSerialPort m_port;
    CStdLinkFiles m_files;
    WinCheckHost m_host;
    CDeviceLink m_link;
    HWND__* m_window = nullptr;
};
#endif

