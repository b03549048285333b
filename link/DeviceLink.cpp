// The façade: the parts, and the requests of areas that have no service yet.
#include "link/DeviceLink.h"

#include "link/port/LinkPort.h"
#include "link/services/BoardRequests.h"

using LinkFrame::RequestBuilder;

CDeviceLink::CDeviceLink(ILinkPort& port, CLinkHost& host, ILinkFiles& files)
    : m_session(port, host), m_identity(m_session), m_filesService(m_session, m_identity, files),
      m_debugger(m_session, m_filesService.Entries(), m_identity.ResourceRows())
{
    m_session.RouteReply(5, 2, 3, [this](const LinkReply&) { OnBootLoaderRestart(); });
    // Last: a service's own route always wins over these.
    RoutePendingReplies();
}

CDeviceLink::~CDeviceLink() = default;

void CDeviceLink::RoutePendingReplies()
{
    using R = const LinkReply&;
    CLinkSession* session = &m_session;
    CLinkSession& s = m_session;
    const int any = CLinkSession::kAny;
    auto stub = [session](uint8_t group, int command, int sub, const char* what) {
        session->RouteReply(group, command, sub, [session, what](R) { session->StubReply(what); });
    };
    stub(3, 2, 1, "03/21 settings block");
    stub(3, 2, 4, "03/24 certificate block");
    stub(3, 3, any, "03/3x information block");
    stub(3, 4, 1, "03/4x error log");
    stub(3, 4, 2, "03/4x error log");
    stub(4, 2, 1, "04/21 settings write");
    s.RouteReply(4, 2, 2, [session](R) { session->SetTransferType(CLinkSession::kTransferNone); });
    s.RouteReply(4, 2, 4, [session](R) { session->SetTransferType(CLinkSession::kTransferNone); });
    stub(5, 1, any, "05/1x product information");
    stub(5, 2, 2, "05/22 reboot");
    stub(5, 2, 6, "05/22 reboot");
    s.RouteReply(5, 3, any, [session](R r) {
        if (r.Refused())
            session->Message(LinkStrings::kConfigReadFailed, CLinkDialogs::kStyleWarning);
        else
            session->StubReply("05/3x mmap");
    });
}

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
    if (m_session.IsResetMode()) {
        m_session.ShowWaitDialog(false);
        RequestSystemCommand(5, 200);
        m_session.Disconnect();
        m_session.SetReconnectPending(false);
        return;
    }
    m_identity.RequestIdPdb();
}

// ---- requests of areas without a service yet

void CDeviceLink::RequestDebugMode(uint8_t sub, int32_t value) { m_session.WriteRequest(BoardRequests::DebugMode(sub, value)); }
void CDeviceLink::RequestFirmwareLog(bool on) { m_session.WriteRequest(BoardRequests::FirmwareLog(on)); }

void CDeviceLink::RequestSettingsBlock()
{
    m_session.StartRead(RequestBuilder(3, 2, 1), CLinkSession::kTransferSettingsRead);
}

void CDeviceLink::RequestCertBlock() { m_session.StartRead(RequestBuilder(3, 2, 4), CLinkSession::kTransferCertRead); }
void CDeviceLink::RequestInfoBlock() { m_session.StartRead(RequestBuilder(3, 3, 0), CLinkSession::kTransferInfoBlock); }

void CDeviceLink::RequestErrorLog(bool firmware)
{
    m_session.StartRead(RequestBuilder(3, 4, firmware ? 2 : 1), CLinkSession::kTransferErrorLog);
}

bool CDeviceLink::RequestSettingsWrite()
{
    return m_session.StartWrite(RequestBuilder(4, 2, 1), CLinkSession::kTransferSettingsWrite);
}

bool CDeviceLink::RequestKeyWrite()
{
    if (m_session.GetTransferType() != CLinkSession::kTransferNone)
        return false;
    return m_session.StartWrite(RequestBuilder(4, 2, 2), CLinkSession::kTransferKeyWrite);
}

bool CDeviceLink::RequestCertWrite(int32_t value)
{
    if (m_session.GetTransferType() != CLinkSession::kTransferNone)
        return false;
    return m_session.StartWrite(RequestBuilder(4, 2, 4).Int32(value), CLinkSession::kTransferCertWrite);
}

void CDeviceLink::RequestProductInfo() { m_session.WriteBare(5, 1, 0); }

void CDeviceLink::RequestSystemCommand(uint8_t sub, int32_t value)
{
    m_session.WriteRequest(RequestBuilder(5, 2, sub).Int32(value));
}

void CDeviceLink::RequestSetPassword(const uint8_t* record, size_t length)
{
    if (length > 64)
        length = 64;
    m_session.WriteRequest(RequestBuilder(5, 2, 4).Int32(200).Bytes(record, length));
}

void CDeviceLink::RequestMmap(const std::string& command)
{
    m_session.WriteRequest(RequestBuilder(5, 3, 0).Text(command, false));
}

void CDeviceLink::RequestChangeFirmwareFile(const std::string& name)
{
    // The second text is empty: four zero bytes with length field 4.
    static const uint8_t empty[4] = {};
    RequestBuilder request(5, 6, 0);
    request.Text(name);
    std::vector<uint8_t> frame = request.Build(m_session.NextCommandSequence());
    frame.insert(frame.end(), {0, LinkFrame::kItemText, 0, 4});
    frame.insert(frame.end(), empty, empty + 4);
    LinkFrame::PutU16(&frame[2], static_cast<uint16_t>(frame.size() - 4));
    LinkFrame::PutU16(&frame[6], static_cast<uint16_t>(frame.size() - 8));
    m_session.SendFrame(frame);
}

