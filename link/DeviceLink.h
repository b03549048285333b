#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/DeviceInfo.h"
#include "link/FileEntry.h"
#include "link/LinkHost.h"
#include "link/LinkStrings.h"
#include "link/services/BoardQueriesService.h"
#include "link/services/BootLoaderService.h"
#include "link/services/BoardCommandsService.h"
#include "link/services/DebuggerService.h"
#include "link/services/DevicePresenceService.h"
#include "link/services/FilesService.h"
#include "link/services/SettingsService.h"
#include "link/services/IdentityService.h"
#include "link/session/LinkSession.h"

class ILinkPort;
class ILinkFiles;

// The board link as the main window sees it: it owns the session and the
// services and forwards to them. The main window forwards the port's events
// (OnSerialEvent), its timers (OnTimer) and the wait box's start notices
// (OnIdentifyStart, OnUploadStart); the link talks back only through
// CLinkHost. Single-threaded: every call comes on the UI thread.
class CDeviceLink {
public:
    enum Timer : unsigned {
        kTimerSync = CLinkSession::kTimerSync, kTimerOpenWaitBox = CLinkSession::kTimerOpenWaitBox,
        kTimerWatchdog = CLinkSession::kTimerWatchdog,
    };
    using TransferType = CLinkSession::TransferType;
    static constexpr int32_t kTransferNone = CLinkSession::kTransferNone;
    static constexpr int32_t kTransferFsImage = CLinkSession::kTransferFsImage;
    static constexpr int32_t kTransferUpload = CLinkSession::kTransferUpload;
    static constexpr int32_t kTransferSettingsRead = CLinkSession::kTransferSettingsRead;
    static constexpr int32_t kTransferSettingsWrite = CLinkSession::kTransferSettingsWrite;
    static constexpr int32_t kTransferCertRead = CLinkSession::kTransferCertRead;
    static constexpr int32_t kTransferCertWrite = CLinkSession::kTransferCertWrite;
    static constexpr int32_t kTransferKeyWrite = CLinkSession::kTransferKeyWrite;
    static constexpr int32_t kTransferErrorLog = CLinkSession::kTransferErrorLog;
    static constexpr int32_t kTransferInfoBlock = CLinkSession::kTransferInfoBlock;
    static constexpr int32_t kTransferInitNet0 = CLinkSession::kTransferInitNet0;
    static constexpr int32_t kTransferInitNet1 = CLinkSession::kTransferInitNet1;
    static constexpr int32_t kTransferWatchString = CLinkSession::kTransferWatchString;
    enum WaitMode {
        kWaitUpload = CLinkSession::kWaitUpload, kWaitIdentify = CLinkSession::kWaitIdentify,
        kWaitIdentifyAgain = CLinkSession::kWaitIdentifyAgain,
    };
    static constexpr size_t kImageBufferSize = CLinkSession::kImageBufferSize;
    static constexpr size_t kBlockBufferSize = CLinkSession::kBlockBufferSize;
    static constexpr unsigned kDefaultWatchdogMs = CLinkSession::kDefaultWatchdogMs;

    CDeviceLink(ILinkPort& port, CLinkHost& host, ILinkFiles& files);
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // ---- the parts
    CLinkSession& Session() { return m_session; }
    CIdentityService& Identity() { return m_identity; }
    CFilesService& Files() { return m_filesService; }
    CBoardQueriesService& Queries() { return m_queries; }
    CBootLoaderService& BootLoader() { return m_bootLoader; }
    CSettingsService& Settings() { return m_settings; }
    CBoardCommandsService& Commands() { return m_commands; }
    CDevicePresenceService& Presence() { return m_presence; }
    CDebuggerService& Debugger() { return m_debugger; }

    // WM_DEVICECHANGE: event (wParam) and the broadcast header's device type
    // (DeviceChangeType of lParam). Returns 0.
    int OnDeviceChange(uint32_t event, uint32_t deviceType) { return m_presence.OnDeviceChange(event, deviceType); }

    // ---- connection and receive path
    bool Connect(const std::string& portName) { return m_session.Connect(portName); }
    bool OpenComPort(const std::string& portName) { return m_session.OpenComPort(portName); }
    // Asks about unsaved files first (unless a reconnect is pending); false
    // when the user keeps the connection.
    bool Disconnect() { return m_session.Disconnect(); }
    void SendSyncByte() { m_session.SendSyncByte(); }
    int OnSerialEvent(uint32_t wParam) { return m_session.OnSerialEvent(wParam); }
    void ReceiveChunk(const uint8_t* data, size_t length) { m_session.ReceiveChunk(data, length); }
    void OnTimer(unsigned id) { m_session.OnTimer(id); }
    // The wait box is up (modes 1 and 2 / mode 0).
    void OnIdentifyStart();
    bool OnUploadStart() { return m_filesService.OnUploadStart(); }
    void SetWatchdogPeriod(unsigned milliseconds) { m_session.SetWatchdogPeriod(milliseconds); }

    // ---- state
    bool IsConnected() const { return m_session.IsConnected(); }
    bool IsIspMode() const { return m_session.IsIspMode(); }
    bool IsJobRunning() const { return m_session.IsJobRunning(); }
    bool IsLoggedIn() const { return m_identity.IsLoggedIn(); }
    bool IsLoginPending() const { return m_identity.IsLoginPending(); }
    bool IsIdentified() const { return m_identity.IsIdentified(); }
    const std::string& PortName() const { return m_session.PortName(); }
    int32_t GetTransferType() const { return m_session.GetTransferType(); }
    uint8_t GetSyncByte() const { return m_session.GetSyncByte(); }
    CDeviceInfo& DeviceInfo() { return m_identity.DeviceInfo(); }
    const CDeviceInfo& DeviceInfo() const { return m_identity.DeviceInfo(); }
    CFileEntryList& Entries() { return m_filesService.Entries(); }
    const int32_t (&ResourceRows() const)[12][3] { return m_identity.ResourceRows(); }
    void SetResetMode(bool on) { m_session.SetResetMode(on); }
    void SetUploadStarted(bool on) { m_filesService.SetUploadStarted(on); }
    bool IsReconnectPending() const { return m_session.IsReconnectPending(); }
    void SetReconnectPending(bool on) { m_session.SetReconnectPending(on); }
    bool IsSameImage() const { return m_filesService.IsSameImage(); }

    // ---- wait box (job running while it is open)
    void ShowWaitDialog(bool show, int mode = kWaitIdentify) { m_session.ShowWaitDialog(show, mode); }

    // ---- requests (each writes one whole frame)
    bool RequestIdPdb() { return m_identity.RequestIdPdb(); }
    void RequestSysEzfs() { m_identity.RequestSysEzfs(); }
    void RequestSys13() { m_identity.RequestSys13(); }
    void RequestSys15() { m_identity.RequestSys15(); }
    void RequestIdEzfs() { m_identity.RequestIdEzfs(); }
    void RequestIdFib() { m_identity.RequestIdFib(); }
    void RequestIdMcu() { m_identity.RequestIdMcu(); }
    void RequestIdMac() { m_identity.RequestIdMac(); }
    void RequestIdEzfsHash() { m_identity.RequestIdEzfsHash(); }
    void RequestEnvcHash() { m_identity.RequestEnvcHash(); }
    void RequestInitNet0() { m_identity.RequestInitNet0(); }
    void RequestInitNet1() { m_identity.RequestInitNet1(); }
    void RequestLogin() { m_identity.RequestLogin(); }                                    // 05/41
    void SendLoginResponse(const uint8_t response[20]) { m_identity.SendLoginResponse(response); } // 05/42
    bool RequestFsImage() { return m_filesService.RequestFsImage(); }                     // 03/11 + W
    bool RequestUploadPrepare() { return m_filesService.RequestUploadPrepare(); }         // 05/51
    bool RequestUploadWrite() { return m_filesService.RequestUploadWrite(); }             // 04/10
    // The debugger's requests as the main window's commands send them (task
    // numbers are always 0 on the wire). false: the name did not fit a request.
    void RequestTaskRun() { m_debugger.RunTask(); }                                  // 02/21 (1, 3)
    void RequestTaskStop() { m_debugger.StopTask(); }                                // 02/21 (1, 1)
    void RequestPause(int32_t) { m_debugger.Pause(); }                               // 06/11
    void RequestStep(bool over, int32_t) { over ? m_debugger.StepOver() : m_debugger.StepIn(); } // 06/60, 06/50
    bool RequestBreakpoint(uint8_t code, const std::string& file, int32_t line)     // 06/12, 06/13, 06/22
    {
        return code == 0x12   ? m_debugger.SendDebug12(file, line)
               : code == 0x13 ? m_debugger.SendDebug13(file, line)
                              : m_debugger.SendDebug22(file, line);
    }
    void RequestClearBreakpoints() { m_debugger.SendDebug21(); }                     // 06/21
    void RequestDebugMode(uint8_t sub, int32_t value = 1);  // 02/11, 02/12
    void RequestFirmwareLog(bool on);                       // 02/13
    bool RequestSettingsBlock() { return m_settings.RequestSettingsBlock(); } // 03/21 + W
    bool RequestCertBlock() { return m_commands.ReadCertBlock(); }           // 03/24 + W
    CBoardQueriesService::Start RequestErrorLog(bool firmware) { return m_queries.RequestErrorLog(firmware); }
    CBoardQueriesService::Start RequestProductInfo() { return m_queries.RequestProductInfo(); } // 05/10, 03/30
    void RequestSystemCommand(uint8_t sub, int32_t value) { m_commands.SendSystemCommand(sub, value); }
    // 05/24 and the wait for the board to come back.
    void RequestSetPassword(const uint8_t* record, size_t length);
    void RequestMmap(const std::string& command);           // 05/30
    void RequestChangeFirmwareFile(const std::string& name) { m_commands.ChangeFirmwareFile(name); } // 05/60

    // 20-byte login response (see CIdentityService).
    static void ComputeLoginResponse(const std::string& challengeText, const std::string& mcuIdHex,
                                     const std::string& password, uint8_t response[20])
    {
        CIdentityService::ComputeLoginResponse(challengeText, mcuIdHex, password, response);
    }

    // ---- transfers
    const std::vector<uint8_t>& ImageBuffer() const { return m_session.Image().data; }
    int32_t ImageCount() const { return m_session.Image().count; }
    int32_t SentCount() const { return m_session.SentCount(); }
    bool TransferOverflowed() const { return m_session.TransferOverflowed(); }
    int ImageReadCount() const { return m_filesService.ImageReadCount(); }

    // ---- board image, entries, packed files, upload
    bool LoadFileListFromImage() { return m_filesService.LoadFileListFromImage(); }
    void OnFileSystemLoaded() { m_filesService.OnFileSystemLoaded(); }
    void FreeFileEntries() { m_filesService.FreeFileEntries(); }
    bool HasUnsavedFiles() const { return m_filesService.HasUnsavedFiles(); }
    bool AreFilesEditable() const { return m_filesService.AreFilesEditable(); }
    void TakeEditorText() { m_filesService.TakeEditorText(); }
    bool ReadPackedFile(const std::string& path) { return m_filesService.ReadPackedFile(path); }
    bool WritePackedFile(const std::string& path) { return m_filesService.WritePackedFile(path); }
    int SaveSelectedFiles(const std::string& folder) { return m_filesService.SaveSelectedFiles(folder); }
    bool BuildUploadImage() { return m_filesService.BuildUploadImage(); }
    bool SaveUploadBackup() { return m_filesService.SaveUploadBackup(); }
    bool HasUploadBackup() { return m_filesService.HasUploadBackup(); }
    void RestoreUploadBackup() { m_filesService.RestoreUploadBackup(); }
    void DeleteUploadBackup() { m_filesService.DeleteUploadBackup(); }
    std::string BackupPath(const char* extension) { return m_filesService.BackupPath(extension); }

private:
    void OnBootLoaderRestart();

    CLinkSession m_session;
    CIdentityService m_identity;
    CFilesService m_filesService;
    CSettingsService m_settings;
    CBoardCommandsService m_commands;
    CDevicePresenceService m_presence;
    CBoardQueriesService m_queries;
    CDebuggerService m_debugger;
    CBootLoaderService m_bootLoader{m_session};
};
