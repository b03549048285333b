// Windowed data transfers: the read side grants windows, the write side
// answers the board's windows with chunks.
#include "link/DeviceLink.h"

#include <algorithm>
#include <cstring>

void CDeviceLink::OnDataFrame(const uint8_t* data, size_t length)
{
    switch (m_transferType) {
    case kTransferFsImage:
    case kTransferCertRead:
    case kTransferErrorLog:
    case kTransferInfoBlock:
    case kTransferWatchString:
        // Never past the buffer: the transfer is marked and its reply refused.
        if (length > m_image.size() - static_cast<size_t>(m_imageCount)) {
            m_overflow = true;
        } else {
            std::memcpy(&m_image[m_imageCount], data, length);
            m_imageCount += static_cast<int32_t>(length);
        }
        break;
    case kTransferSettingsRead:
        if (length > m_block.size() - static_cast<size_t>(m_blockCount)) {
            m_overflow = true;
        } else {
            std::memcpy(&m_block[m_blockCount], data, length);
            m_blockCount += static_cast<int32_t>(length);
        }
        break;
    default:
        break;
    }
    SendWindow();
}

namespace {
// The most data one frame's 16-bit length field (frame length - 4) can carry.
constexpr int32_t kMaxChunk = 0xFFFF - 4;
} // namespace

void CDeviceLink::SendDataChunk(uint16_t window)
{
    int32_t remaining = std::max<int32_t>(0, m_imageCount - m_sentCount);
    int32_t chunk = std::min<int32_t>({window, remaining, kMaxChunk});
    SendFrame(LinkFrame::DataChunk(m_dataSeq.Next(), m_image.data() + m_sentCount, static_cast<size_t>(chunk)));
    m_sentCount += chunk;
    m_host.SetProgress(m_sentCount);
}

void CDeviceLink::SendSettingsChunk(uint16_t window)
{
    int32_t remaining = std::max<int32_t>(0, m_blockCount - m_sentCount);
    int32_t chunk = std::min<int32_t>({window, remaining, kMaxChunk});
    SendFrame(LinkFrame::DataChunk(m_dataSeq.Next(), m_block.data() + m_sentCount, static_cast<size_t>(chunk)));
    m_sentCount += chunk;
}
