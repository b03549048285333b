#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/LinkHost.h"
#include "link/session/LinkService.h"
#include "link/session/WriteWatch.h"

class CLinkSession;
struct LinkReply;

// Commands that change the board as a whole: restarts (05/22, 05/23, 05/25,
// 05/26), the key and certificate blocks (04/22, 04/24, 03/24), the user
// password (05/24) and its wait for the board to come back, and the firmware
// file it starts (05/60). Results go to the dialogs through CLinkBlockResults.
class CBoardCommandsService : public CLinkService {
public:
    enum Timer : unsigned { kTimerPasswordWait = 10, kTimerBlockWrite = 21 };
    enum : int32_t { kReboot = 2, kBootLoader = 3, kResetMode = 5, kRebootDebug = 6 };
    static constexpr unsigned kPasswordPollMs = 3000;
    static constexpr int kPasswordPolls = 20;        // about a minute
    static constexpr unsigned kBlockWriteWatchMs = CWriteWatch::kPeriodMs;

    explicit CBoardCommandsService(CLinkSession& session);

    void SendSystemCommand(uint8_t sub, int32_t value);
    // Reboot (2, 200), or into PHP debug mode (6, 200).
    bool RequestReboot(bool phpDebug);

    // 03/24: the result arrives as OnCertBlockRead, once, whatever the board
    // does. False when not connected or another transfer runs.
    bool ReadCertBlock();
    bool IsCertReadRunning() const { return m_certReading; }
    // 04/22 or 04/24 with an EnvBlock; each ends in OnBlockWritten. The pair
    // sends the certificate only after the key block was taken. False (and
    // nothing sent) when not connected or another transfer runs.
    bool WriteKeyBlock(const std::vector<uint8_t>& block);
    bool WriteCertBlock(const std::vector<uint8_t>& block);
    bool WriteKeyThenCert(const std::vector<uint8_t>& keyBlock, const std::vector<uint8_t>& certBlock);
    bool IsBlockWriteRunning() const { return m_writing != kNone; }

    // 05/24 with the record given as hex digits (at most 64 bytes); then
    // waits for the board to restart and reconnects (timer 10).
    bool SetUserPassword(const std::string& hexRecord);
    bool IsPasswordChangePending() const { return m_passwordChange; }
    void ClearPasswordChange() { m_passwordChange = false; }

    void ChangeFirmwareFile(const std::string& name);  // 05/60

    // CLinkService
    void OnDisconnected() override;
    bool OnTimer(unsigned id) override;
    void OnTransferGivenUp(int32_t type) override;

private:
    enum Writing { kNone, kKey, kCert };
    void OnReplyReboot(const LinkReply& r);
    void OnReplyCertBlock(const LinkReply& r);
    void OnReplyBlockWrite(const LinkReply& r, Writing which);
    void OnReplySetPassword(const LinkReply& r);
    bool StartBlockWrite(const std::vector<uint8_t>& block, Writing which);
    void EndBlockWrite(bool ok);
    // told: the dialog has its answer already.
    void EndCertRead(bool told);
    void EndPasswordWait(bool ok, const char* message);

    CLinkSession& m_session;
    Writing m_writing = kNone;
    int32_t m_writeLength = 0;
    CWriteWatch m_watch;
    bool m_certReading = false;
    bool m_rebootAsked = false;
    std::vector<uint8_t> m_pendingCert;
    bool m_passwordChange = false;
    bool m_passwordWait = false;
    int m_passwordPolls = 0;
};
