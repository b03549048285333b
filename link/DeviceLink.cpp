// The façade: builds and wires the session and the services.
#include "link/DeviceLink.h"

#include "link/port/LinkPort.h"

CDeviceLink::CDeviceLink(ILinkPort& port, CLinkHost& host, ILinkFiles& files)
    : m_session(port, host), m_identity(m_session), m_filesService(m_session, m_identity, files),
      m_settings(m_session), m_commands(m_session), m_presence(m_session, m_commands),
      m_queries(m_session, m_identity.DeviceInfo()),
      m_debugger(m_session, m_filesService.Entries(), m_identity.ResourceRows())
{
    m_queries.SetSettingsReader([this] { return m_settings.RequestSettingsBlock(); });
}

CDeviceLink::~CDeviceLink() = default;

void CDeviceLink::OnIdentifyStart()
{
    // The wait box waits for the board's arrival: nothing to send yet.
    if (!m_session.IsConnected() && m_session.IsReconnectPending())
        return;
    if (m_session.IsResetMode()) {
        m_session.ShowWaitDialog(false);
        m_commands.SendSystemCommand(5, 200);
        // The board is told to wipe itself: the link closes whatever the answer.
        m_session.Disconnect(false);
        m_session.SetReconnectPending(false);
        return;
    }
    if (m_filesService.TakePendingImageRead())
        return;
    m_identity.RequestIdPdb();
}
