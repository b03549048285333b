// The façade: the parts, and the requests of areas that have no service yet.
#include "link/DeviceLink.h"

#include "link/port/LinkPort.h"
#include "link/services/BoardRequests.h"

using LinkFrame::RequestBuilder;

CDeviceLink::CDeviceLink(ILinkPort& port, CLinkHost& host, ILinkFiles& files)
    : m_session(port, host), m_identity(m_session), m_filesService(m_session, m_identity, files),
      m_settings(m_session), m_commands(m_session), m_presence(m_session, m_commands),
      m_queries(m_session, m_identity.DeviceInfo())
{
    m_session.RouteReply(5, 2, 3, [this](const LinkReply&) { OnBootLoaderRestart(); });
    m_queries.SetSettingsReader([this] { return m_settings.RequestSettingsBlock(); });
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
    for (int sub = 1; sub <= 3; ++sub)
        stub(1, 5, sub, "01/5x task state");
    stub(1, 6, any, "01/6x watch");
    s.RouteReply(2, 2, 1, [this](R) { RequestTaskState(); });
    s.RouteReply(3, 5, any, [session](R r) {
        if (r.Refused())
            session->SetTransferType(CLinkSession::kTransferNone);
        else
            session->StubReply("03/5x watch string");
    });
    stub(6, 1, 3, "06/13 run to line");
    s.RouteReply(6, 4, 2, [session](R r) {
        if (!r.Refused())
            session->StubReply("06/42 breakpoint");
    });
    for (uint8_t group = 1; group <= 3; ++group)
        s.Route(LinkFrame::kDebugEvent, group, any, any, [session](R) { session->StubReply("debugger event"); });
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
    // The wait box waits for the board's arrival: nothing to send yet.
    if (!m_session.IsConnected() && m_session.IsReconnectPending())
        return;
    if (m_session.IsResetMode()) {
        m_session.ShowWaitDialog(false);
        RequestSystemCommand(5, 200);
        m_session.Disconnect();
        m_session.SetReconnectPending(false);
        return;
    }
    if (m_filesService.TakePendingImageRead())
        return;
    m_identity.RequestIdPdb();
}

// ---- requests of areas without a service yet

void CDeviceLink::RequestTaskState(int32_t task) { m_session.WriteRequest(BoardRequests::TaskState(task)); }

void CDeviceLink::RequestWatchValue(int32_t task, const std::string& name, const std::string& index)
{
    m_session.WriteRequest(RequestBuilder(1, 6, 0).Int32(task).Text(name).Bytes(index.data(), index.size()));
}

void CDeviceLink::RequestDebugMode(uint8_t sub, int32_t value) { m_session.WriteRequest(BoardRequests::DebugMode(sub, value)); }
void CDeviceLink::RequestFirmwareLog(bool on) { m_session.WriteRequest(BoardRequests::FirmwareLog(on)); }
void CDeviceLink::RequestTaskRun() { m_session.WriteRequest(BoardRequests::TaskRun()); }
void CDeviceLink::RequestTaskStop() { m_session.WriteRequest(BoardRequests::TaskStop()); }


void CDeviceLink::RequestWatchString(int32_t task, const std::string& name, const std::string& index)
{
    m_session.StartRead(RequestBuilder(3, 5, 0).Int32(task).Text(name).Bytes(index.data(), index.size()),
                        CLinkSession::kTransferWatchString);
}

bool CDeviceLink::RequestSettingsWrite()
{
    return m_session.StartWrite(RequestBuilder(4, 2, 1), CLinkSession::kTransferSettingsWrite);
}


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

void CDeviceLink::RequestPause(int32_t task) { m_session.WriteRequest(RequestBuilder(6, 1, 1).Int32(task)); }

void CDeviceLink::RequestBreakpoint(uint8_t code, const std::string& file, int32_t line)
{
    // 06/12, 06/13 and 06/22 carry the padded size alone in their text item.
    m_session.WriteRequest(RequestBuilder(6, code >> 4, code & 0x0F).Int32(0).Text(file, false).Int32(line));
}

void CDeviceLink::RequestClearBreakpoints() { m_session.WriteRequest(RequestBuilder(6, 2, 1).Int32(0)); }

void CDeviceLink::RequestBreakpointRead(int32_t index, const std::string& file)
{
    m_session.WriteRequest(RequestBuilder(6, 4, 2).Int32(0).Int32(index).Text(file));
}

void CDeviceLink::RequestStep(bool over, int32_t task)
{
    m_session.WriteRequest(RequestBuilder(6, over ? 6 : 5, 0).Int32(task));
}
