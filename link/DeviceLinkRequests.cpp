// Every request the program sends: one whole frame, one write.
#include "link/DeviceLink.h"

#include "link/LinkPort.h"

using LinkFrame::RequestBuilder;

void CDeviceLink::SendFrame(const std::vector<uint8_t>& frame)
{
    m_port.Write(frame.data(), frame.size());
}

uint32_t CDeviceLink::WriteRequest(const RequestBuilder& request)
{
    std::vector<uint8_t> frame = request.Build(m_commandSeq.Next());
    return m_port.Write(frame.data(), frame.size());
}

uint32_t CDeviceLink::WriteBare(uint8_t group, uint8_t command, uint8_t sub)
{
    return WriteRequest(RequestBuilder(group, command, sub));
}

void CDeviceLink::SendWindow() { SendFrame(LinkFrame::WindowFrame(m_dataSeq.Next())); }

void CDeviceLink::StartRead(uint8_t command, uint8_t sub, int32_t type)
{
    m_overflow = false;
    WriteBare(3, command, sub);
    SendWindow();
    m_transferType = type;
}

bool CDeviceLink::RequestIdPdb()
{
    if (WriteBare(1, 2, 5) != 0) {
        ShowWaitDialog(false);
        m_reconnectPending = false;
        FailInitialSetting(false);
        return false;
    }
    return true;
}

void CDeviceLink::RequestSysEzfs() { WriteBare(1, 1, 1); }
void CDeviceLink::RequestSys13() { WriteBare(1, 1, 3); }
void CDeviceLink::RequestSys15() { WriteBare(1, 1, 5); }
void CDeviceLink::RequestIdEzfs() { WriteBare(1, 2, 1); }
void CDeviceLink::RequestIdFib() { WriteBare(1, 2, 2); }
void CDeviceLink::RequestIdMcu() { WriteBare(1, 2, 3); }
void CDeviceLink::RequestIdMac() { WriteBare(1, 2, 4); }
void CDeviceLink::RequestIdEzfsHash() { WriteBare(1, 3, 1); }

void CDeviceLink::RequestEnvcHash()
{
    m_info.envcHash.clear();
    WriteBare(1, 3, 3);
}

void CDeviceLink::RequestInitNet0()
{
    m_transferType = kTransferInitNet0;
    WriteRequest(RequestBuilder(1, 4, 0).Text("init_net0"));
}

void CDeviceLink::RequestInitNet1()
{
    m_transferType = kTransferInitNet1;
    WriteRequest(RequestBuilder(1, 4, 0).Text("init_net1"));
}

void CDeviceLink::RequestTaskState(int32_t task) { WriteRequest(RequestBuilder(1, 5, 1).Int32(task)); }

void CDeviceLink::RequestWatchValue(int32_t task, const std::string& name, const std::string& index)
{
    WriteRequest(RequestBuilder(1, 6, 0).Int32(task).Text(name).Bytes(index.data(), index.size()));
}

void CDeviceLink::RequestDebugMode(uint8_t sub, int32_t value) { WriteRequest(RequestBuilder(2, 1, sub).Int32(value)); }
void CDeviceLink::RequestFirmwareLog(bool on) { WriteRequest(RequestBuilder(2, 1, 3).Int32(on ? 1 : 0)); }
void CDeviceLink::RequestTaskRun() { WriteRequest(RequestBuilder(2, 2, 1).Int32(1).Int32(3)); }
void CDeviceLink::RequestTaskStop() { WriteRequest(RequestBuilder(2, 2, 1).Int32(1).Int32(1)); }

void CDeviceLink::RequestFsImage()
{
    std::fill(m_image.begin(), m_image.end(), 0);
    m_imageCount = 0;
    StartRead(1, 1, kTransferFsImage);
}

void CDeviceLink::RequestSettingsBlock()
{
    std::fill(m_block.begin(), m_block.end(), 0);
    m_blockCount = 0;
    StartRead(2, 1, kTransferSettingsRead);
}

void CDeviceLink::RequestCertBlock()
{
    std::fill(m_image.begin(), m_image.end(), 0);
    m_imageCount = 0;
    StartRead(2, 4, kTransferCertRead);
}

void CDeviceLink::RequestInfoBlock()
{
    std::fill(m_image.begin(), m_image.end(), 0);
    m_imageCount = 0;
    StartRead(3, 0, kTransferInfoBlock);
}

void CDeviceLink::RequestErrorLog(bool firmware)
{
    std::fill(m_image.begin(), m_image.end(), 0);
    m_imageCount = 0;
    StartRead(4, firmware ? 2 : 1, kTransferErrorLog);
}

void CDeviceLink::RequestWatchString(int32_t task, const std::string& name, const std::string& index)
{
    std::fill(m_image.begin(), m_image.end(), 0);
    m_imageCount = 0;
    m_overflow = false;
    WriteRequest(RequestBuilder(3, 5, 0).Int32(task).Text(name).Bytes(index.data(), index.size()));
    SendWindow();
    m_transferType = kTransferWatchString;
}

bool CDeviceLink::RequestUploadWrite()
{
    m_sentCount = 0;
    m_transferType = kTransferUpload;
    if (WriteBare(4, 1, 0) != 0)
        return false;
    m_host.SetProgressRange(m_imageCount);
    m_host.SetProgress(0);
    return true;
}

bool CDeviceLink::RequestSettingsWrite()
{
    m_sentCount = 0;
    m_transferType = kTransferSettingsWrite;
    return WriteBare(4, 2, 1) == 0;
}

bool CDeviceLink::RequestKeyWrite()
{
    if (m_transferType != kTransferNone)
        return false;
    m_sentCount = 0;
    m_transferType = kTransferKeyWrite;
    return WriteBare(4, 2, 2) == 0;
}

bool CDeviceLink::RequestCertWrite(int32_t value)
{
    if (m_transferType != kTransferNone)
        return false;
    m_sentCount = 0;
    m_transferType = kTransferCertWrite;
    return WriteRequest(RequestBuilder(4, 2, 4).Int32(value)) == 0;
}

void CDeviceLink::RequestProductInfo() { WriteBare(5, 1, 0); }

void CDeviceLink::RequestSystemCommand(uint8_t sub, int32_t value)
{
    WriteRequest(RequestBuilder(5, 2, sub).Int32(value));
}

void CDeviceLink::RequestSetPassword(const uint8_t* record, size_t length)
{
    if (length > 64)
        length = 64;
    WriteRequest(RequestBuilder(5, 2, 4).Int32(200).Bytes(record, length));
}

void CDeviceLink::RequestMmap(const std::string& command)
{
    WriteRequest(RequestBuilder(5, 3, 0).Text(command, false));
}

void CDeviceLink::RequestLogin() { WriteRequest(RequestBuilder(5, 4, 1).Text("admin")); }

void CDeviceLink::SendLoginResponse(const uint8_t response[20])
{
    WriteRequest(RequestBuilder(5, 4, 2).Bytes(response, 20));
}

bool CDeviceLink::RequestUploadPrepare() { return WriteBare(5, 5, 1) == 0; }

void CDeviceLink::RequestChangeFirmwareFile(const std::string& name)
{
    // The second text is empty: four zero bytes with length field 4.
    static const uint8_t empty[4] = {};
    RequestBuilder request(5, 6, 0);
    request.Text(name);
    std::vector<uint8_t> frame = request.Build(m_commandSeq.Next());
    frame.insert(frame.end(), {0, LinkFrame::kItemText, 0, 4});
    frame.insert(frame.end(), empty, empty + 4);
    LinkFrame::PutU16(&frame[2], static_cast<uint16_t>(frame.size() - 4));
    LinkFrame::PutU16(&frame[6], static_cast<uint16_t>(frame.size() - 8));
    m_port.Write(frame.data(), frame.size());
}

void CDeviceLink::RequestPause(int32_t task) { WriteRequest(RequestBuilder(6, 1, 1).Int32(task)); }

void CDeviceLink::RequestBreakpoint(uint8_t code, const std::string& file, int32_t line)
{
    // 06/12, 06/13 and 06/22 carry the padded size alone in their text item.
    WriteRequest(RequestBuilder(6, code >> 4, code & 0x0F).Int32(0).Text(file, false).Int32(line));
}

void CDeviceLink::RequestClearBreakpoints() { WriteRequest(RequestBuilder(6, 2, 1).Int32(0)); }

void CDeviceLink::RequestBreakpointRead(int32_t index, const std::string& file)
{
    WriteRequest(RequestBuilder(6, 4, 2).Int32(0).Int32(index).Text(file));
}

void CDeviceLink::RequestStep(bool over, int32_t task)
{
    WriteRequest(RequestBuilder(6, over ? 6 : 5, 0).Int32(task));
}
