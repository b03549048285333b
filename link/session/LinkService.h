#pragma once
#include <cstdint>
#include <string>

// A service of the link: one area's requests, reply handlers and state. It
// registers its replies with the session (CLinkSession::Route) and hears the
// session's life-cycle notices here. Every notice comes on the UI thread.
class CLinkService {
public:
    virtual ~CLinkService() = default;
    // The port is open and a new connection attempt starts.
    virtual void OnConnecting() {}
    // The port closed (the host has been told).
    virtual void OnDisconnected() {}
    // The board answered the sync as its boot loader. keepWork: the user
    // chose to keep the unsaved work (the board has no files to show).
    virtual void OnIspModeEntered(bool keepWork) {}
    // The watchdog gave up the running job.
    virtual void OnJobAbandoned() {}
    // A guarded read (CLinkSession::GuardRead) of this type went silent and
    // was given up.
    virtual void OnTransferGivenUp(int32_t type) {}
    // Work the user would lose if the link closed now.
    virtual bool HasUnsavedWork() const { return false; }
    // A timer the session does not own; true when this service took it.
    virtual bool OnTimer(unsigned id) { return false; }
    // A boot-loader line (with its LF), already out of the receive buffer;
    // the session logs it afterwards.
    virtual void OnIspLine(const std::string& line) {}
    // The board came back as its boot loader while a reconnect was pending.
    // True when a job of this service waited for exactly that: the session
    // then shows no boot-loader notice and the board's files stay.
    virtual bool OnBootLoaderReturned() { return false; }
};
