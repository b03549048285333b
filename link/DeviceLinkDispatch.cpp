// Routes every complete frame to its handler by kind, group and command.
#include "link/DeviceLink.h"

#include "link/FrameItemReader.h"
#include "link/LinkPort.h"

void CDeviceLink::DispatchFrame(const LinkFrame::Header& h, const uint8_t* frame)
{
    const uint8_t* payload = frame + LinkFrame::kHeaderSize;
    switch (h.kind) {
    case LinkFrame::kCommand:
        DispatchCommand(h, payload, h.payloadLength);
        break;
    case LinkFrame::kData:
        DispatchDataFrame(h, payload);
        break;
    case LinkFrame::kDebugEvent:
        if (h.group >= 1 && h.group <= 3)
            StubReply("debugger event");
        break;
    case LinkFrame::kOutput:
        m_host.AddOutput(reinterpret_cast<const char*>(payload), h.payloadLength);
        break;
    case LinkFrame::kFirmwareLog:
        m_host.AddFirmwareLog(reinterpret_cast<const char*>(payload), h.payloadLength);
        break;
    default:
        break;
    }
}

void CDeviceLink::DispatchDataFrame(const LinkFrame::Header& h, const uint8_t* payload)
{
    if (h.window) {
        if (h.payloadLength == 0)
            return;
        switch (m_transferType) {
        case kTransferUpload:
        case kTransferCertWrite:
        case kTransferKeyWrite:
            SendDataChunk(h.payloadLength);
            break;
        case kTransferSettingsWrite:
            SendSettingsChunk(h.payloadLength);
            break;
        default:
            break;
        }
    } else if (h.payloadLength > 0) {
        OnDataFrame(payload, h.payloadLength);
    }
}

void CDeviceLink::DispatchCommand(const LinkFrame::Header& h, const uint8_t* p, size_t n)
{
    const bool refused = h.refused;
    const int c = h.command, s = h.sub;
    switch (h.group) {
    case 1:
        if (c == 1 && s == 1) OnReplySysEzfs(p, n, refused);
        else if (c == 1 && s == 2) OnReplySys12(p, n);
        else if (c == 1 && s == 3) OnReplySys13(p, n);
        else if (c == 1 && s == 5) OnReplySys15(p, n);
        else if (c == 2 && s == 1) OnReplyIdEzfs(p, n, refused);
        else if (c == 2 && s == 2) OnReplyIdFib(p, n);
        else if (c == 2 && s == 3) OnReplyIdMcu(p, n);
        else if (c == 2 && s == 4) OnReplyIdMac(p, n);
        else if (c == 2 && s == 5) {
            if (refused) {
                m_loginPending = true;
                RequestLogin();
            } else {
                OnReplyIdPdb(p, n);
            }
        }
        else if (c == 3 && s == 1) OnReplyIdEzfsHash(p, n, refused);
        else if (c == 3 && s == 3) OnReplyEnvcHash(p, n, refused);
        else if (c == 4) OnReplyInitNet(p, n);
        else if (c == 5 && s >= 1 && s <= 3) StubReply("01/5x task state");
        else if (c == 6) StubReply("01/6x watch");
        break;
    case 2:
        if (c == 2 && s == 1) RequestTaskState();
        break;
    case 3:
        if (c == 1 && s == 1) OnReplyFsImage(p, n, refused);
        else if (c == 2 && s == 1) StubReply("03/21 settings block");
        else if (c == 2 && s == 4) StubReply("03/24 certificate block");
        else if (c == 3) StubReply("03/3x information block");
        else if (c == 4 && (s == 1 || s == 2)) StubReply("03/4x error log");
        else if (c == 5) {
            if (refused) m_transferType = kTransferNone;
            else StubReply("03/5x watch string");
        }
        break;
    case 4:
        if (c == 1) OnReplyUploadWrite(p, n);
        else if (c == 2 && s == 1) StubReply("04/21 settings write");
        else if (c == 2 && (s == 2 || s == 4)) m_transferType = kTransferNone;
        break;
    case 5:
        if (c == 1) StubReply("05/1x product information");
        else if (c == 2 && (s == 2 || s == 6)) StubReply("05/22 reboot");
        else if (c == 2 && s == 3) {
            // The board restarts into its boot loader.
            m_reconnectPending = true;
            m_port.Close();
            Disconnect();
            m_ispMode = true;
        }
        else if (c == 3) {
            if (refused) Message(LinkStrings::kConfigReadFailed, CLinkDialogs::kStyleWarning);
            else StubReply("05/3x mmap");
        }
        else if (c == 4 && s == 1) OnReplyLoginChallenge(p, n);
        else if (c == 4 && s == 2) OnReplyLoginResult(p, n);
        else if (c == 5) OnReplyUploadPrepare(p, n, refused);
        break;
    case 6:
        if (c == 1 && s == 3) StubReply("06/13 run to line");
        else if (c == 4 && s == 2 && !refused) StubReply("06/42 breakpoint");
        break;
    default:
        break;
    }
}
