#include "link/services/BootLoaderService.h"

#include "link/codecs/FirmwareImage.h"
#include "link/codecs/IspTextLine.h"
#include "link/codecs/LinkFrame.h"
#include "link/port/LinkPort.h"
#include "link/session/LinkSession.h"

#include <algorithm>
#include <cstring>

using namespace IspTextLine;

CBootLoaderService::CBootLoaderService(CLinkSession& session) : m_session(session)
{
    m_session.AddService(*this);
    m_session.RouteReply(5, 2, 3, [this](const LinkReply& r) { OnReplyRestart(r); });
}

bool CBootLoaderService::PortOpen() const { return m_session.Port().IsOpen(); }

int CBootLoaderService::OnUpgradeRestartIsp()
{
    if (!PortOpen()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return 0;
    }
    m_upgrade = true;
    if (m_session.IsIspMode())
        return 1;
    // The reply closes the port; the board comes back as its boot loader.
    m_waitRestart = true;
    m_session.WriteRequest(LinkFrame::RequestBuilder(5, 2, 3).Int32(100));
    Watch();
    return 0;
}

int CBootLoaderService::OnIspDumpEnv()
{
    if (!PortOpen()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return 0;
    }
    m_upgrade = true;
    m_dump.clear();
    WriteLine(kDumpEnv, kStepDump);
    return 1;
}

bool CBootLoaderService::KeepImage(const uint8_t* image, size_t size)
{
    // The dialog's waiting ends with a result whatever goes wrong here.
    m_upgrade = true;
    if (!PortOpen()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        Fail("the port is closed");
        return false;
    }
    StopAll();
    if (!image || size == 0 || size > FirmwareImage::kMaxSize) {
        Fail("no firmware image");
        return false;
    }
    m_image.assign(image, image + size);
    return true;
}

int CBootLoaderService::OnIspTestFirmware(const uint8_t* image, size_t size)
{
    if (!KeepImage(image, size))
        return 0;
    m_awaitSend = true;
    WriteLine(kTestFirmware, kStepIdle);
    return 1;
}

int CBootLoaderService::OnStartUpgrade(const uint8_t* image, size_t size)
{
    if (!KeepImage(image, size))
        return 0;
    WriteLine(kUnlock, kStepUnlock);
    return 1;
}

void CBootLoaderService::ForgetUpgrade()
{
    m_upgrade = false;
    m_waitRestart = false;
    m_awaitTestOk = false;
    m_session.Host().KillTimer(kTimerTestOk);
    // The dialog said yes to the boot flag: that goes on without it, and the
    // board's answer to it stays watched.
    if (m_step != kStepBootFlag && !m_bootFlagDue)
        Unwatch();
}

void CBootLoaderService::OnReplyRestart(const LinkReply& r)
{
    // Only the restart the upgrade asked for (and still waits for) moves
    // the link: another would close it in the middle of another job.
    if (!m_waitRestart) {
        m_session.Host().LogDebugger("restart into the boot loader: reply dropped, no restart was asked for");
        return;
    }
    // Refused, the board stays in its script firmware and so does the link:
    // the upgrade that asked ends now instead of waiting for a board that
    // never leaves.
    if (r.Refused()) {
        Fail("the board refused to restart into its boot loader");
        return;
    }
    // The board restarts into its boot loader.
    m_session.CloseForReturn();
    m_session.SetIspMode(true);
}

void CBootLoaderService::SendIspReset()
{
    if (!PortOpen())
        return;
    m_session.Port().Write(kReset, std::strlen(kReset));
    CloseForReconnect();
}

void CBootLoaderService::WriteLine(const char* line, int step)
{
    m_step = step;
    // Write errors of command lines are not reported: the watchdog is.
    m_session.Port().Write(line, std::strlen(line));
    Watch();
}

void CBootLoaderService::Watch(unsigned extraMs)
{
    m_waiting = true;
    if (m_stepMs)
        m_session.Host().SetTimer(kTimerWatchdog, m_stepMs + extraMs);
}

void CBootLoaderService::Unwatch()
{
    m_waiting = false;
    m_session.Host().KillTimer(kTimerWatchdog);
}

void CBootLoaderService::StopAll()
{
    m_streaming = false;
    m_imageSent = false;
    m_awaitSend = false;
    m_awaitTestOk = false;
    m_waitRestart = false;
    m_bootFlagDue = false;
    CLinkTimers& timers = m_session.Host();
    timers.KillTimer(kTimerBootFlag);
    timers.KillTimer(kTimerStream);
    timers.KillTimer(kTimerTestOk);
    Unwatch();
}

void CBootLoaderService::Fail(const char* why)
{
    StopAll();
    m_session.Host().LogDebugger(std::string("firmware upgrade stopped: ") + why);
    if (!m_upgrade)
        return;
    // Once: a later failure line of the same attempt has nobody to tell.
    m_upgrade = false;
    m_session.Host().OnUpgradeResult(false);
}

void CBootLoaderService::CloseForReconnect()
{
    m_leaving = true;
    m_session.CloseForReturn();
}

void CBootLoaderService::OnIspLine(const std::string& line)
{
    CLinkHost& host = m_session.Host();
    if (StartsWith(line, kReady))
        return;
    if (m_step == kStepDump) {
        if (StartsWith(line, kDone)) {
            m_step = kStepIdle;
            std::string name = GetEnvStringRecord(m_dump.data(), m_dump.size());
            Unwatch();
            if (m_upgrade)
                host.OnUpgradeEnvName(true, name);
        } else if (StartsWith(line, "300 ")) {
            m_step = kStepIdle;
            Unwatch();
            if (m_upgrade)
                host.OnUpgradeEnvName(false, std::string());
        } else if (!StartsWith(line, kDumpEcho)) {
            AppendDumpLine(line, m_dump, kDumpSize);
            Watch();
        }
        return;
    }
    if (m_waiting)
        Watch();
    if (StartsWith(line, kSendFirmware)) {
        // Only the answer to our own "tf" or "pf", and never twice: a late
        // or repeated line must not send the image again.
        if (!m_awaitSend || m_streaming)
            return;
        if (m_step == kStepIdle) {
            m_awaitSend = false;
            SendFirmwareHeader();
        } else if (m_step == kStepProgram) {
            m_awaitSend = false;
            StartStreaming();
        }
    } else if (StartsWith(line, kTestOk)) {
        // Only after our test header: a stray line must not start flashing.
        if (m_awaitTestOk) {
            m_awaitTestOk = false;
            host.SetTimer(kTimerTestOk, 1000);
        }
    } else if (IsFailure(line)) {
        Fail("the boot loader refused");
    } else if (StartsWith(line, kCommandOk)) {
        switch (m_step) {
        case kStepUnlock: WriteLine(kErase, kStepErase); break;
        case kStepErase: WriteLine(kUnlock, kStepUnlockAgain); break;
        case kStepUnlockAgain:
            m_awaitSend = true;
            WriteLine(kProgram, kStepProgram);
            break;
        case kStepBootFlag:
            Unwatch();
            // Done: the board starts the new firmware.
            m_upgrade = false;
            m_session.Port().Write(kJumpFirmware, std::strlen(kJumpFirmware));
            CloseForReconnect();
            break;
        default: break;
        }
    } else if (StartsWith(line, kCrcOk)) {
        // Only the answer to a programmed image whose last block went out is
        // awaited: the board can have checked nothing else, and an earlier
        // answer leaves the image going out (its own answer, or the
        // watchdog, ends the attempt).
        if (m_step != kStepProgram || !m_imageSent) {
            host.LogDebugger("firmware upgrade: CRC answer dropped, no whole image awaits it");
            return;
        }
        m_step = kStepIdle;
        StopAll();
        if (!m_upgrade)
            return;
        // The dialog's success box runs before the boot flag is written, and
        // only its yes writes it; the port may be gone (or another one open)
        // when it returns, and lines that came meanwhile wait behind this
        // one: the flag goes from the message loop, after them, unless one of
        // them failed. The dialog hears how the boot flag ends.
        m_bootFlagConnection = m_session.ConnectionNumber();
        if (host.OnUpgradeResult(true) && m_upgrade && PortOpen() && m_session.IsIspMode() &&
            m_bootFlagConnection == m_session.ConnectionNumber()) {
            m_bootFlagDue = true;
            host.SetTimer(kTimerBootFlag, 1);
        } else {
            m_upgrade = false;
        }
    }
}

bool CBootLoaderService::OnBootLoaderReturned()
{
    if (!m_upgrade || !m_waitRestart)
        return false;
    m_waitRestart = false;
    m_step = kStepIdle;
    Unwatch();
    m_session.Host().OnIspConnected();
    return true;
}

void CBootLoaderService::OnDisconnected()
{
    CLinkTimers& timers = m_session.Host();
    timers.KillTimer(kTimerStream);
    timers.KillTimer(kTimerTestOk);
    m_streaming = false;
    m_awaitSend = false;
    if (m_leaving) {
        m_leaving = false;
        m_step = kStepIdle;
        return;
    }
    // A restart into the boot loader closes the port on purpose.
    if (m_waitRestart)
        return;
    m_step = kStepIdle;
    if (m_upgrade)
        Fail("the port closed");
}

bool CBootLoaderService::OnTimer(unsigned id)
{
    switch (id) {
    case kTimerStream:
        m_session.Host().KillTimer(kTimerStream);
        StreamStep();
        return true;
    case kTimerTestOk:
        m_session.Host().KillTimer(kTimerTestOk);
        Unwatch();
        if (m_upgrade)
            m_session.Host().OnUpgradeTestOk();
        return true;
    case kTimerBootFlag:
    {
        m_session.Host().KillTimer(kTimerBootFlag);
        const bool due = m_bootFlagDue;
        m_bootFlagDue = false;
        if (due && PortOpen() && m_session.IsIspMode() && m_bootFlagConnection == m_session.ConnectionNumber())
            WriteLine(kBootFlag, kStepBootFlag);
        else
            m_upgrade = false;
        return true;
    }
    case kTimerWatchdog:
        Unwatch();
        // A late answer must not take the attempt on after it was given up.
        m_step = kStepIdle;
        Fail("the boot loader does not answer");
        return true;
    default:
        return false;
    }
}

void CBootLoaderService::SendFirmwareHeader()
{
    const size_t n = std::min(kTestSize, m_image.size());
    size_t done = 0;
    int idle = 0;
    while (done < n && idle <= kIdleRetries && PortOpen()) {
        size_t written = 0;
        m_session.Port().Write(m_image.data() + done, n - done, &written);
        written = std::min(written, n - done);
        idle = written ? 0 : idle + 1;
        done += written;
    }
    if (done < n) {
        Fail("the test header could not be written");
        return;
    }
    m_awaitTestOk = true;
    Watch();
}

void CBootLoaderService::StartStreaming()
{
    m_streaming = true;
    m_offset = 0;
    m_blockEnd = 0;
    m_idleWrites = 0;
    m_session.Host().SetTimer(kTimerStream, 1);
}

void CBootLoaderService::StreamStep()
{
    if (!m_streaming)
        return;
    if (!PortOpen()) {
        Fail("the port closed");
        return;
    }
    if (m_offset == m_blockEnd)
        m_blockEnd = std::min(m_offset + kBlockSize, m_image.size());
    size_t written = 0;
    m_session.Port().Write(m_image.data() + m_offset, m_blockEnd - m_offset, &written);
    // What went out counts, also from a write that timed out: sending it
    // again would put those bytes into the flash twice.
    written = std::min(written, m_blockEnd - m_offset);
    if (written == 0) {
        if (++m_idleWrites > kIdleRetries) {
            Fail("the port takes no more bytes");
            return;
        }
        m_session.Host().SetTimer(kTimerStream, 10);
        return;
    }
    m_idleWrites = 0;
    m_offset += written;
    const bool done = m_offset == m_image.size();
    if (done) {
        m_streaming = false;
        m_imageSent = true;
        // "204 CRC OK" or a failure line follows once the board has taken
        // in what the port still holds: allow the whole image's line time
        // at 115200 baud on top.
        // 64-bit: a 32-bit size_t overflows here from 430 KB on.
        const uint64_t lineMs = static_cast<uint64_t>(m_image.size()) * 10 * 1000 / 115200;
        Watch(static_cast<unsigned>(std::min<uint64_t>(lineMs, 0xFFFFFFFFu - m_stepMs)));
    } else {
        Watch();
    }
    if (m_upgrade)
        m_session.Host().OnUpgradeProgress(m_offset, m_image.size());
    if (!done && m_streaming)
        m_session.Host().SetTimer(kTimerStream, 1);
}
