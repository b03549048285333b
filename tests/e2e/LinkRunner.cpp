#include "LinkRunner.h"

#include <algorithm>
#include <cstdio>

#include <sys/stat.h>

std::string OneLine(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

int CheckHost::ShowMessage(const std::string& text, unsigned style, bool* applyToAll)
{
    if (!quiet) {
        std::printf("MESSAGE: %s\n", OneLine(text).c_str());
        std::fflush(stdout);
    }
    if (applyToAll)
        *applyToAll = false;
    if ((style & 0x0F) != 4)  // not a Yes/No question
        return kIdOk;
    if (text == "Do you want to restore the backup file?") {
        ++restoreQuestions;
        return m_options.restore ? kIdYes : kIdNo;
    }
    return kIdYes;
}

int CheckHost::AskAboutLostBoard(const std::string& text)
{
    if (!quiet) {
        std::printf("MESSAGE: %s\n", OneLine(text).c_str());
        std::fflush(stdout);
    }
    ++lostQuestions;
    return m_options.reconnect ? kIdYes : kIdNo;
}

CLinkDialogs::PasswordChoice CheckHost::AskLoginPassword(std::string& password)
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

void CheckHost::LogDebugger(const std::string& line)
{
    if (quiet)
        return;
    std::string clean;
    for (char c : line)
        if (c != '\r' && c != '\n')
            clean += c;
    std::printf("%s\n", clean.c_str());
    std::fflush(stdout);
}

void CheckHost::AddOutput(const char* t, size_t n)
{
    output.append(t, n);
    if (!quiet)
        std::printf("OUTPUT: %.*s\n", static_cast<int>(n), t);
}

void CheckHost::AddFirmwareLog(const char* t, size_t n)
{
    if (!quiet)
        std::printf("FWLOG: %.*s\n", static_cast<int>(n), t);
}

CheckRunner::CheckRunner(const CheckOptions& o) : m_options(o), m_host(o), m_link(m_port, m_host, m_files)
{
    m_port.SetOwner(&m_queue);
    m_link.Session().SetWatchdogPeriod(o.watchdogMs);
}

std::string CheckRunner::RunUntil(const std::function<bool()>& done, int seconds, bool offline)
{
    using Clock = CheckHost::Clock;
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        const bool connected = m_link.Session().IsConnected();
        if (!connected && !offline)
            return m_gone ? "unplugged" : "disconnected";
        if (Clock::now() > deadline)
            return "timeout";
        if (connected && StartPendingJob())
            continue;
        // Offline, done() is asked again now and then (it may watch the port).
        auto next = connected ? deadline : std::min(deadline, Clock::now() + std::chrono::milliseconds(50));
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
            if (e.message == CSerialPort::kNotifyMessage) {
                m_link.Session().OnSerialEvent(e.wParam);
            } else if (e.message == CSerialPort::kGoneMessage && m_port.IsGoneNotice(e.lParam)) {
                // As the main window does: a dead port is a removal.
                m_gone = true;
                m_link.Presence().OnPortLost();
                // Told before done() is asked: the loss also ends the job it may wait for.
                if (!offline && !m_link.Session().IsConnected())
                    return "unplugged";
            }
            continue;
        }
        if (dueId) {
            auto it = m_host.timers.find(dueId);
            if (it != m_host.timers.end()) {
                it->second.due = Clock::now() + std::chrono::milliseconds(it->second.period);
                m_link.Session().OnTimer(dueId);
            }
        }
    }
    return std::string();
}

bool CheckRunner::StartPendingJob()
{
    const int mode = m_host.pendingStart;
    m_host.pendingStart = -1;
    if (mode == CLinkSession::kWaitUpload)
        m_link.Files().OnUploadStart();
    else if (mode >= 0)
        m_link.OnIdentifyStart();
    return mode >= 0;
}

unsigned long LinkId(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<unsigned long>(st.st_ino) : 0;
}
