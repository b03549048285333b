// The firmware upgrade dialog's states and rules, apart from its window:
// which controls may be used, what the main window's answers lead to, and
// the progress shown.
#pragma once

#include <cstdint>
#include <string>

class CUpgradeModel {
public:
    enum class State {
        kIdle,      // no file chosen
        kChosen,    // a file chosen (or an attempt ended): Open and Send usable
        kWaiting,   // the file passed its checks; the boot loader is awaited
        kTransfer,  // test transfer and flashing: the dialog is disabled
    };
    // The result of WM_USER_UPGRADE_ENTER_ISP that says the port is closed
    // (1: already in the boot loader, 0: restart asked for).
    static constexpr long kEnterIspNotConnected = -1;
    // Silence from the main window after which the dialog gives up and is
    // usable again (a restart into the boot loader re-enumerates the USB
    // device, and erasing the flash takes seconds).
    static constexpr unsigned kDefaultWatchdogMs = 90000;

    State GetState() const { return m_state; }
    bool OpenEnabled() const { return m_state == State::kIdle || m_state == State::kChosen; }
    bool SendEnabled() const { return m_state == State::kChosen; }
    bool DialogEnabled() const { return m_state != State::kTransfer; }
    // The dialog's watchdog runs while the main window owes it an answer.
    bool Watching() const { return m_state == State::kWaiting || m_state == State::kTransfer; }

    void Choose() { m_state = State::kChosen; }
    // The checked file: total = its size; the firmware names must match
    // unless the board's is unknown. False: the name does not match.
    bool Accept(uint64_t size, const std::string& fileName, const std::string& boardName);
    // The boot loader's firmware name (read false: the dump failed). False:
    // it does not match the file's; the attempt ends usable.
    bool OnEnvName(bool read, const std::string& name);
    void OnIspConnected() { m_state = State::kTransfer; }
    // False: the test transfer was refused; the attempt ends usable.
    bool OnTestOk(bool ok);
    void OnProgress(uint64_t sent) { m_sent = sent; }
    void OnResult(bool ok);
    // Not connected, a refused request, or the watchdog: back to usable.
    void Reset() { m_state = State::kChosen; }

    uint64_t Total() const { return m_total; }
    uint64_t Sent() const { return m_sent; }
    const std::string& FileName() const { return m_fileName; }
    // "50%": whole percent of the bytes sent, within 0..100.
    std::string ProgressText() const;
    // The bar's right edge: sent / total of right, no further than right.
    int BarRight(int right) const;

private:
    State m_state = State::kIdle;
    uint64_t m_total = 0;
    uint64_t m_sent = 0;
    std::string m_fileName;
};
