// Board image into entries, packed files, upload and its backup.
#include "link/DeviceLink.h"

#include "link/FrameItemReader.h"
#include "link/LinkFiles.h"

void CDeviceLink::FreeFileEntries() { m_entries.Clear(); }

void CDeviceLink::OnReplyFsImage(const uint8_t* p, size_t n, bool refused)
{
    m_transferType = kTransferNone;
    StubReply("03/11 image");
    if (m_jobRunning)
        ShowWaitDialog(false);
}

bool CDeviceLink::HasUploadBackup() { return false; }
void CDeviceLink::RestoreUploadBackup() {}
bool CDeviceLink::OnUploadStart() { return false; }
void CDeviceLink::OnReplyUploadPrepare(const uint8_t* p, size_t n, bool refused) { StubReply("05/51"); }
void CDeviceLink::OnReplyUploadWrite(const uint8_t* p, size_t n) { m_transferType = kTransferNone; }
