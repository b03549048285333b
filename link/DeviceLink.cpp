// The façade: the parts, and the requests of areas that have no service yet.
#include "link/DeviceLink.h"

#include "link/port/LinkPort.h"
#include "link/services/BoardRequests.h"

using LinkFrame::RequestBuilder;

CDeviceLink::CDeviceLink(ILinkPort& port, CLinkHost& host, ILinkFiles& files)
    : m_session(port, host), m_identity(m_session), m_filesService(m_session, m_identity, files),
      m_settings(m_session), m_commands(m_session), m_presence(m_session, m_commands),
      m_queries(m_session, m_identity.DeviceInfo()),
      m_debugger(m_session, m_filesService.Entries(), m_identity.ResourceRows())
{
    m_session.RouteReply(5, 2, 3, [this](const LinkReply&) { OnBootLoaderRestart(); });
    m_queries.SetSettingsReader([this] { return m_settings.RequestSettingsBlock(); });
}

CDeviceLink::~CDeviceLink() = default;

void CDeviceLink::OnBootLoaderRestart()
{
    // The board restarts into its boot loader.
    m_session.SetReconnectPending(true);
    m_session.Port().Close();
    m_session.Disconnect();
    m_session.SetIspMode(true);
}

void CDeviceLink::OnIdentifyStart()
{
    // The wait box waits for the board's arrival: nothing to send yet.
    if (!m_session.IsConnected() && m_session.IsReconnectPending())
        return;
    if (m_session.IsResetMode()) {
        m_session.ShowWaitDialog(false);
        RequestSystemCommand(5, 200);
        // The board is told to wipe itself: the link closes whatever the answer.
        m_session.Disconnect(false);
        m_session.SetReconnectPending(false);
        return;
    }
    if (m_filesService.TakePendingImageRead())
        return;
    m_identity.RequestIdPdb();
}

// ---- requests of areas without a service yet

void CDeviceLink::RequestDebugMode(uint8_t sub, int32_t value) { m_session.WriteRequest(BoardRequests::DebugMode(sub, value)); }
void CDeviceLink::RequestFirmwareLog(bool on) { m_session.WriteRequest(BoardRequests::FirmwareLog(on)); }

void CDeviceLink::RequestSetPassword(const uint8_t* record, size_t length)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (size_t i = 0; i < length && i < 64; ++i) {
        hex += digits[record[i] >> 4];
        hex += digits[record[i] & 15];
    }
    m_commands.SetUserPassword(hex);
}

void CDeviceLink::RequestMmap(const std::string& command)
{
    m_session.WriteRequest(RequestBuilder(5, 3, 0).Text(command, false));
}

