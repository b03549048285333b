#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/session/LinkService.h"

class CLinkSession;
struct LinkReply;

// Firmware flashing through the board's boot loader: the environment dump
// with the installed firmware's name, the test transfer, unlock / erase /
// unlock / program, the image streamed block by block, the CRC answer, the
// boot flag and the jump back to the script firmware. The upgrade dialog
// drives it through the main window and hears back through CLinkUpgrade.
//
// The image streamed is the buffer the dialog checked, never the file read
// again. Blocks go out from timer steps of the message loop, so a reply
// that arrives meanwhile is handled between two blocks and never inside one.
class CBootLoaderService : public CLinkService {
public:
    enum Timer : unsigned { kTimerTestOk = 40, kTimerStream = 41, kTimerWatchdog = 42, kTimerBootFlag = 43 };
    enum Step : int {
        kStepIdle = 0, kStepUnlock = 1, kStepErase = 2, kStepUnlockAgain = 3, kStepProgram = 4,
        kStepBootFlag = 5, kStepDump = 100,
    };
    static constexpr size_t kBlockSize = 4096;
    static constexpr size_t kTestSize = 512;
    // The environment dump keeps the first 64 KiB; the block is far smaller.
    static constexpr size_t kDumpSize = 65536;
    // Writes that move nothing are retried this often, 10 ms apart.
    static constexpr int kIdleRetries = 11;
    // Silence after which a step is given up: erasing a large flash takes
    // seconds, so this is generous.
    static constexpr unsigned kDefaultStepMs = 30000;

    explicit CBootLoaderService(CLinkSession& session);

    // ---- the upgrade dialog's requests (1 acted, 0 refused)
    // 1 when the board already runs its boot loader; 0 when it was asked to
    // restart into it (the dialog then waits for OnIspConnected) or the
    // port is closed (a message was shown).
    int OnUpgradeRestartIsp();
    int OnIspDumpEnv();
    int OnIspTestFirmware(const uint8_t* image, size_t size);
    int OnStartUpgrade(const uint8_t* image, size_t size);
    // The dialog closed: nothing more is reported to it.
    void ForgetUpgrade();
    // "rs 10": the board restarts; the port closes with a reconnect pending.
    void SendIspReset();
    void SetStepTimeout(unsigned milliseconds) { m_stepMs = milliseconds; }

    // ---- state
    bool IsUpgradeKnown() const { return m_upgrade; }
    bool IsStreaming() const { return m_streaming; }
    // Nothing of an attempt is outstanding: no answer awaited, no image
    // going out, no boot flag due, the step back at 0.
    bool IsIdle() const
    {
        return m_step == kStepIdle && !m_waiting && !m_streaming && !m_awaitSend && !m_awaitTestOk &&
               !m_waitRestart && !m_bootFlagDue;
    }
    int GetStep() const { return m_step; }
    uint64_t SentBytes() const { return m_offset; }
    const std::vector<uint8_t>& Dump() const { return m_dump; }

    // CLinkService
    void OnIspLine(const std::string& line) override;
    bool OnBootLoaderReturned() override;
    void OnDisconnected() override;
    bool OnTimer(unsigned id) override;

private:
    // 05/23: the board restarts into its boot loader (the link closes for its
    // return), or refused it.
    void OnReplyRestart(const LinkReply& r);
    bool PortOpen() const;
    void WriteLine(const char* line, int step);
    void SendFirmwareHeader();
    void StartStreaming();
    void StreamStep();
    void CloseForReconnect();
    // The watchdog runs while an answer of the board is awaited.
    void Watch(unsigned extraMs = 0);
    void Unwatch();
    void StopAll();
    void Fail(const char* why);
    // Takes the checked image for a transfer; false (failure reported) when
    // the port is closed or there is no image.
    bool KeepImage(const uint8_t* image, size_t size);

    CLinkSession& m_session;
    int m_step = kStepIdle;
    bool m_upgrade = false;       // a dialog waits for reports
    bool m_waitRestart = false;   // 05/23 sent: the board comes back as its boot loader
    bool m_awaitSend = false;     // "tf" or "pf" sent, "201 Send Firmware" not yet seen
    bool m_awaitTestOk = false;   // the test header went out
    bool m_waiting = false;       // an answer is awaited (the watchdog runs)
    bool m_streaming = false;
    bool m_imageSent = false;     // the image's last block went out
    bool m_leaving = false;       // "jf" or "rs" sent: the port closes on purpose
    bool m_bootFlagDue = false;   // the image is in; "bf" goes once queued lines are seen
    uint32_t m_bootFlagConnection = 0;
    unsigned m_stepMs = kDefaultStepMs;

    std::vector<uint8_t> m_image;
    size_t m_offset = 0;          // bytes of the image written
    size_t m_blockEnd = 0;
    int m_idleWrites = 0;
    std::vector<uint8_t> m_dump;
};
