#pragma once
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "link/DeviceInfo.h"
#include "link/FileEntry.h"
#include "link/LinkFrame.h"
#include "link/LinkHost.h"
#include "link/LinkStrings.h"

class ILinkPort;
class ILinkFiles;
struct FrameItem;

// The protocol state of the board link and every request, reply and transfer
// on it. The main window owns one and drives it: it forwards the port's
// events (OnSerialEvent), its timers (OnTimer) and the wait box's start
// notices (OnIdentifyStart, OnUploadStart); the link talks back only through
// CLinkHost. Single-threaded: every call comes on the UI thread.
class CDeviceLink {
public:
    // Window timers the link starts through the host.
    enum Timer : unsigned {
        kTimerSync = 1, kTimerOpenWaitBox = 2, kTimerWatchdog = 20,
    };
    // Which transfer or query is under way (0 = none).
    enum TransferType : int32_t {
        kTransferNone = 0, kTransferFsImage = 1, kTransferUpload = 2, kTransferSettingsRead = 3,
        kTransferSettingsWrite = 4, kTransferCertRead = 5, kTransferCertWrite = 6, kTransferKeyWrite = 7,
        kTransferErrorLog = 8, kTransferInfoBlock = 9, kTransferInitNet0 = 32, kTransferInitNet1 = 33,
        kTransferWatchString = 40,
    };
    enum WaitMode { kWaitUpload = 0, kWaitIdentify = 1, kWaitIdentifyAgain = 2 };

    static constexpr size_t kImageBufferSize = 1024 * 1024;
    static constexpr size_t kBlockBufferSize = 64 * 1024;
    static constexpr unsigned kDefaultWatchdogMs = 15000;

    CDeviceLink(ILinkPort& port, CLinkHost& host, ILinkFiles& files);
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // ---- connection and receive path
    bool Connect(const std::string& portName);
    bool OpenComPort(const std::string& portName);
    // Asks about unsaved files first (unless a reconnect is pending); false
    // when the user keeps the connection.
    bool Disconnect();
    void SendSyncByte();
    // wParam of the port's event message: events in the low word, comm
    // errors in the high word. 1 when it read, 0 when it ignored the event.
    int OnSerialEvent(uint32_t wParam);
    // One chunk as read from the port. Safe to call from inside a handler:
    // the bytes then wait until the outer call has finished its frame.
    void ReceiveChunk(const uint8_t* data, size_t length);
    void OnTimer(unsigned id);
    // The wait box is up (modes 1 and 2 / mode 0).
    void OnIdentifyStart();
    bool OnUploadStart();
    // A reply that never comes ends the job after this much silence.
    void SetWatchdogPeriod(unsigned milliseconds) { m_watchdogMs = milliseconds; }

    // ---- state
    bool IsConnected() const;
    bool IsIspMode() const { return m_ispMode; }
    bool IsJobRunning() const { return m_jobRunning; }
    bool IsLoggedIn() const { return m_loggedIn; }
    bool IsLoginPending() const { return m_loginPending; }
    // True from the end of the identification chain to the next Connect.
    bool IsIdentified() const { return m_identified; }
    const std::string& PortName() const { return m_portName; }
    int32_t GetTransferType() const { return m_transferType; }
    uint8_t GetSyncByte() const { return m_syncByte; }
    CDeviceInfo& DeviceInfo() { return m_info; }
    const CDeviceInfo& DeviceInfo() const { return m_info; }
    CFileEntryList& Entries() { return m_entries; }
    const int32_t (&ResourceRows() const)[12][3] { return m_resourceRows; }
    void SetResetMode(bool on) { m_resetMode = on; }
    void SetUploadStarted(bool on) { m_uploadStarted = on; }
    bool IsReconnectPending() const { return m_reconnectPending; }
    void SetReconnectPending(bool on) { m_reconnectPending = on; }
    bool IsSameImage() const { return m_sameImage; }

    // ---- wait box (job running while it is open)
    void ShowWaitDialog(bool show, int mode = kWaitIdentify);

    // ---- requests (each writes one whole frame)
    bool RequestIdPdb();
    void RequestSysEzfs();
    void RequestSys13();
    void RequestSys15();
    void RequestIdEzfs();
    void RequestIdFib();
    void RequestIdMcu();
    void RequestIdMac();
    void RequestIdEzfsHash();
    void RequestEnvcHash();
    void RequestInitNet0();
    void RequestInitNet1();
    void RequestTaskState(int32_t task = 1);
    void RequestWatchValue(int32_t task, const std::string& name, const std::string& index);
    void RequestDebugMode(uint8_t sub, int32_t value = 1);  // 02/11, 02/12
    void RequestFirmwareLog(bool on);                       // 02/13
    void RequestTaskRun();                                  // 02/21 (1, 3)
    void RequestTaskStop();                                 // 02/21 (1, 1)
    void RequestFsImage();                                  // 03/11 + W
    void RequestSettingsBlock();                            // 03/21 + W
    void RequestCertBlock();                                // 03/24 + W
    void RequestInfoBlock();                                // 03/30 + W
    void RequestErrorLog(bool firmware);                    // 03/41, 03/42 + W
    void RequestWatchString(int32_t task, const std::string& name, const std::string& index);
    bool RequestUploadWrite();                              // 04/10
    bool RequestSettingsWrite();                            // 04/21
    bool RequestKeyWrite();                                 // 04/22
    bool RequestCertWrite(int32_t value);                   // 04/24
    void RequestProductInfo();                              // 05/10
    void RequestSystemCommand(uint8_t sub, int32_t value);  // 05/22, 05/23, 05/25, 05/26
    void RequestSetPassword(const uint8_t* record, size_t length); // 05/24
    void RequestMmap(const std::string& command);           // 05/30
    void RequestLogin();                                    // 05/41
    void SendLoginResponse(const uint8_t response[20]);     // 05/42
    bool RequestUploadPrepare();                            // 05/51
    void RequestChangeFirmwareFile(const std::string& name); // 05/60
    void RequestPause(int32_t task);                        // 06/11
    void RequestBreakpoint(uint8_t code, const std::string& file, int32_t line); // code 0x12, 0x13, 0x22
    void RequestClearBreakpoints();                         // 06/21
    void RequestBreakpointRead(int32_t index, const std::string& file); // 06/42
    void RequestStep(bool over, int32_t task);              // 06/50, 06/60

    // ---- dispatcher: one complete frame, its length fields in host order
    void DispatchFrame(const LinkFrame::Header& header, const uint8_t* frame);

    // ---- identification and login replies
    void OnReplyIdPdb(const uint8_t* p, size_t n);
    void OnReplySysEzfs(const uint8_t* p, size_t n, bool refused);
    void OnReplySys12(const uint8_t* p, size_t n);
    void OnReplySys13(const uint8_t* p, size_t n);
    void OnReplySys15(const uint8_t* p, size_t n);
    void OnReplyIdEzfs(const uint8_t* p, size_t n, bool refused);
    void OnReplyIdFib(const uint8_t* p, size_t n);
    void OnReplyIdMcu(const uint8_t* p, size_t n);
    void OnReplyIdMac(const uint8_t* p, size_t n);
    void OnReplyIdEzfsHash(const uint8_t* p, size_t n, bool refused);
    void OnReplyEnvcHash(const uint8_t* p, size_t n, bool refused);
    void OnReplyInitNet(const uint8_t* p, size_t n);
    void OnReplyLoginChallenge(const uint8_t* p, size_t n);
    void OnReplyLoginResult(const uint8_t* p, size_t n);
    void AskPasswordAndRespond();
    // The 20-byte response to a challenge (hex text, text after its first
    // blank) for a password, salted with the MCU id (hex text).
    static void ComputeLoginResponse(const std::string& challengeText, const std::string& mcuIdHex,
                                     const std::string& password, uint8_t response[20]);

    // ---- transfers
    void OnDataFrame(const uint8_t* data, size_t length);
    void SendDataChunk(uint16_t window);
    void SendSettingsChunk(uint16_t window);
    const std::vector<uint8_t>& ImageBuffer() const { return m_image; }
    int32_t ImageCount() const { return m_imageCount; }
    int32_t SentCount() const { return m_sentCount; }
    bool TransferOverflowed() const { return m_overflow; }
    // Accepted image reads since construction (a read-back counts too).
    int ImageReadCount() const { return m_imageReads; }

    // ---- board image, entries, packed files, upload
    void OnReplyFsImage(const uint8_t* p, size_t n, bool refused);
    bool LoadFileListFromImage();
    void OnFileSystemLoaded();
    void FreeFileEntries();
    bool HasUnsavedFiles() const { return m_entries.HasUnsaved(); }
    // WM_USER_QUERY_FILES_EDITABLE: connected, no job, uploads allowed, not the boot loader.
    bool AreFilesEditable() const
    {
        return IsConnected() && !m_jobRunning && !m_info.uploadsRefused && !m_ispMode;
    }
    // The open entry takes the editor's caret, first line and (when modified) text.
    void TakeEditorText();
    // Reads a packed file and adds its entries (asks about name clashes).
    bool ReadPackedFile(const std::string& path);
    bool WritePackedFile(const std::string& path);
    // Writes the selected entries as plain files into folder; number saved.
    int SaveSelectedFiles(const std::string& folder);
    bool BuildUploadImage();
    bool SaveUploadBackup();
    bool HasUploadBackup();
    void RestoreUploadBackup();
    void DeleteUploadBackup();
    std::string BackupPath(const char* extension);
    void OnReplyUploadPrepare(const uint8_t* p, size_t n, bool refused);
    void OnReplyUploadWrite(const uint8_t* p, size_t n);

private:
    void SendFrame(const std::vector<uint8_t>& frame);
    uint32_t WriteRequest(const LinkFrame::RequestBuilder& request);
    uint32_t WriteBare(uint8_t group, uint8_t command, uint8_t sub);
    void StartRead(uint8_t command, uint8_t sub, int32_t type);
    void SendWindow();
    void ProcessPending();
    void OnSyncAnswer(const uint8_t* chunk, size_t length);
    void TakeBinaryFrames();
    void TakeIspLines();
    void OnIspLine(const std::string& line);
    void DispatchCommand(const LinkFrame::Header& h, const uint8_t* payload, size_t n);
    void DispatchDataFrame(const LinkFrame::Header& h, const uint8_t* payload);
    void StubReply(const char* what);
    void FailInitialSetting(bool disconnect);
    int Message(const LinkString& text, unsigned style);
    int Message(const std::string& text, unsigned style);
    void ArmWatchdog();
    void OnWatchdog();
    bool ReadResourceRow(const uint8_t* p, size_t n, int row, bool kib);
    void CloseJob();
    bool RereadLinkedFiles();
    std::vector<const FileEntry*> EntryPointers() const;
    void UploadFailed();

    ILinkPort& m_port;
    CLinkHost& m_host;
    ILinkFiles& m_files;
    std::minstd_rand m_random;

    LinkFrame::SequenceCounter m_commandSeq;
    LinkFrame::SequenceCounter m_dataSeq;

    std::string m_portName;
    uint8_t m_syncByte = 0;
    bool m_syncWait = false;
    bool m_ispMode = false;
    bool m_jobRunning = false;
    bool m_reconnectPending = false;
    bool m_uploadStarted = false;
    // 05/51 went out for this upload job and its answer is awaited.
    bool m_uploadPreparing = false;
    bool m_loginPending = false;
    bool m_loggedIn = false;
    bool m_resetMode = false;
    bool m_identified = false;
    bool m_firstChain = false;
    bool m_sameImage = false;
    // File-system id of the image the entry list was last read from ("" when
    // the list is not the board's): only that id may keep the list as it is.
    std::string m_listFsId;
    std::string m_challenge;

    // Receive path: bytes not yet taken as frames or lines. Complete frames
    // leave this buffer before they are dispatched.
    std::vector<uint8_t> m_rx;
    int m_receiveDepth = 0;
    int m_dispatchDepth = 0;
    unsigned m_watchdogMs = kDefaultWatchdogMs;

    CDeviceInfo m_info;
    int32_t m_resourceRows[12][3] = {};
    int32_t m_flashCapacity = 0;

    int32_t m_transferType = kTransferNone;
    std::vector<uint8_t> m_image;
    int32_t m_imageCount = 0;
    std::vector<uint8_t> m_block;
    int32_t m_blockCount = 0;
    int32_t m_sentCount = 0;
    bool m_overflow = false;
    int m_imageReads = 0;

    CFileEntryList m_entries;
};
