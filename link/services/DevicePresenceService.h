#pragma once
#include <cstdint>

#include "link/session/LinkService.h"

class CLinkSession;
class CBoardCommandsService;

// The board's USB device coming and going (WM_DEVICECHANGE): the removal of
// the connected port closes the link and offers to connect again; an arrival
// while a reconnect is pending connects again.
class CDevicePresenceService : public CLinkService {
public:
    enum Timer : unsigned { kTimerArrivalRetry = 22, kTimerReconnectDelay = 23, kTimerPortPoll = 50 };
    enum class Change { Ignore, Arrival, Removal };
    static constexpr uint32_t kDbtDeviceArrival = 0x8000;
    static constexpr uint32_t kDbtDeviceRemoveComplete = 0x8004;
    static constexpr uint32_t kDbtDevtypDeviceInterface = 5;
    static constexpr unsigned kRetryMs = 250;
    static constexpr int kRetries = 20;  // about 5 s for a slow board to open
    static constexpr unsigned kReconnectDelayMs = 500;
    // While the wait box waits for a lost board: how often its port is tried.
    static constexpr unsigned kPortPollMs = 1000;

    CDevicePresenceService(CLinkSession& session, CBoardCommandsService& commands);

    // The decision on one notice: event and the broadcast header's device
    // type (0 when the notice has no header).
    static Change Classify(uint32_t event, uint32_t deviceType);
    // WM_DEVICECHANGE; returns 0 as the window procedure does.
    int OnDeviceChange(uint32_t event, uint32_t deviceType);
    void OnPortArrival();
    void OnPortRemoval();
    // The open port failed (a write or read error, a hang-up, an event
    // thread that ended): the board is gone as surely as after a removal
    // notice, which Wine never sends for some ports.
    void OnPortLost();

    // CLinkService
    bool OnTimer(unsigned id) override;
    void OnJobAbandoned() override;

private:
    enum class Attempt { Done, Absent, OpenFailed };
    // Done: connected, or nothing (more) to try.
    Attempt TryReconnect(bool lastTry);
    void StartRetries();
    void LoseBoard();

    CLinkSession& m_session;
    CBoardCommandsService& m_commands;
    int m_retries = 0;
};
