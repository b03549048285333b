// Device arrival and removal.
#include "link/services/DevicePresenceService.h"

#include "link/port/LinkPort.h"
#include "link/services/BoardCommandsService.h"
#include "link/session/LinkSession.h"

namespace {
const char* const kReconnectQuestion = "It is disconnected from the product.\r\nDo you want to connect to it again?";
}

CDevicePresenceService::CDevicePresenceService(CLinkSession& session, CBoardCommandsService& commands)
    : m_session(session), m_commands(commands)
{
    m_session.AddService(*this);
}

CDevicePresenceService::Change CDevicePresenceService::Classify(uint32_t event, uint32_t deviceType)
{
    if (deviceType != kDbtDevtypDeviceInterface)
        return Change::Ignore;
    if (event == kDbtDeviceArrival)
        return Change::Arrival;
    if (event == kDbtDeviceRemoveComplete)
        return Change::Removal;
    return Change::Ignore;
}

int CDevicePresenceService::OnDeviceChange(uint32_t event, uint32_t deviceType)
{
    switch (Classify(event, deviceType)) {
    case Change::Arrival: OnPortArrival(); break;
    case Change::Removal: OnPortRemoval(); break;
    case Change::Ignore: break;
    }
    return 0;
}

CDevicePresenceService::Attempt CDevicePresenceService::TryReconnect(bool lastTry)
{
    if (!m_session.IsReconnectPending() || m_session.IsConnected())
        return Attempt::Done;  // nothing (more) to do
    if (m_session.Port().CheckPort(m_session.PortName()) != 0)
        return Attempt::Absent;
    if (m_session.IsJobRunning())
        m_session.ShowWaitDialog(false);
    // Quiet until the last try: a port that is back may not open at once.
    if (m_session.Connect(m_session.PortName(), !lastTry) || lastTry)
        return Attempt::Done;
    return Attempt::OpenFailed;
}

void CDevicePresenceService::StartRetries()
{
    // A board that restarts may take a moment before its port opens.
    m_retries = 0;
    m_session.Host().KillTimer(kTimerArrivalRetry);
    m_session.Host().SetTimer(kTimerArrivalRetry, kRetryMs);
}

void CDevicePresenceService::OnPortArrival()
{
    m_session.Host().KillTimer(kTimerArrivalRetry);
    if (TryReconnect(false) != Attempt::Done)
        StartRetries();
}

void CDevicePresenceService::OnPortRemoval()
{
    if (m_session.PortName().empty() || !m_session.IsConnected() ||
        m_session.Port().CheckPort(m_session.PortName()) != 1)
        return;
    LoseBoard();
}

void CDevicePresenceService::OnPortLost()
{
    // A notice of a port closed since (a removal notice came first) is late.
    if (!m_session.IsConnected())
        return;
    LoseBoard();
}

void CDevicePresenceService::LoseBoard()
{
    if (m_session.IsJobRunning())
        m_session.ShowWaitDialog(false);
    m_session.Port().Close();
    if (m_commands.IsPasswordChangePending()) {
        // Expected: the board restarts with its new password; the password
        // wait reconnects (the disconnect ends any wait for a return).
        m_commands.ClearPasswordChange();
        m_session.Disconnect(false);
        return;
    }
    // Closed whole before the question: the board is gone, whatever the
    // answer, and no dialog's job may go on waiting for it (the dialogs
    // learn it first, so the ends of their jobs are not reported to them).
    m_session.Host().CloseLinkDialogs();
    m_session.Disconnect(false);
    if (m_session.Host().AskAboutLostBoard(std::string(kReconnectQuestion)) != CLinkDialogs::kIdYes)
        return;
    m_session.SetReconnectPending(true);
    m_session.Host().SetTimer(kTimerReconnectDelay, kReconnectDelayMs);
}

void CDevicePresenceService::OnJobAbandoned()
{
    // The wait for the board to come back gave up: a much later arrival
    // must not connect by itself, and a disconnect asks about unsaved work.
    if (m_session.IsReconnectPending() && !m_session.IsConnected()) {
        m_session.SetReconnectPending(false);
        m_session.Host().KillTimer(kTimerArrivalRetry);
        m_session.Host().KillTimer(kTimerReconnectDelay);
    }
}

bool CDevicePresenceService::OnTimer(unsigned id)
{
    if (id == kTimerReconnectDelay) {
        m_session.Host().KillTimer(kTimerReconnectDelay);
        // Back already: connect at once; else the wait box waits for the
        // arrival, or for a port that is there to open.
        Attempt a = TryReconnect(false);
        if (a == Attempt::OpenFailed)
            StartRetries();
        if (a != Attempt::Done)
            m_session.ShowWaitDialog(true, CLinkSession::kWaitIdentifyAgain);
        // Wine tells of no arrival of a port: while the box waits, the port
        // is looked at (an arrival notice that comes first wins).
        if (a == Attempt::Absent)
            m_session.Host().SetTimer(kTimerPortPoll, kPortPollMs);
        return true;
    }
    if (id == kTimerPortPoll) {
        Attempt a = m_session.IsJobRunning() ? TryReconnect(false) : Attempt::Done;
        if (a == Attempt::OpenFailed)
            StartRetries();
        if (a != Attempt::Absent)
            m_session.Host().KillTimer(kTimerPortPoll);
        return true;
    }
    if (id == kTimerArrivalRetry) {
        if (TryReconnect(m_retries + 1 >= kRetries) == Attempt::Done || ++m_retries >= kRetries)
            m_session.Host().KillTimer(kTimerArrivalRetry);
        return true;
    }
    return false;
}
