// The program's one window: the panes, the buttons and the port list; it
// owns the board link and is its host. Its code is split by role:
//   ZarvoDDlg.cpp          creation, first layout, shut-down
//   ZarvoDDlgLayout.cpp    sizes, splitters, the registry layout
//   ZarvoDDlgCommands.cpp  buttons, keys, menus (all gated by the rules table)
//   ZarvoDDlgHost.cpp      the link's host: messages, logs, timers, wait box
//   ZarvoDDlgRelays.cpp    relays between the panes and the link
//   ZarvoDDlgPrefs.cpp     preferences and Init.ini
//   ZarvoDDlgDebugger.cpp  debugger relays: editor marks, break location, watches
#pragma once

#include "editor/WndEditor.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/port/SerialPort.h"
#include "workbench/bottom/WndProgress.h"
#include "workbench/main/CommandRules.h"
#include "workbench/main/MainLayout.h"
#include "workbench/main/Preferences.h"

class CDlgFWUpgrade;
class CDlgSetting;
class CDlgProgress;
class CPngButton;
class CSplitter;
class CWndBottom;
class CWndFileList;
class CWndImage;

class CZarvoDDlg : public CDialog, public CLinkHost {
public:
    static constexpr UINT kTemplateId = 102;
    enum ControlId : UINT {
        kPortCombo = 1000, kConnect = 1001, kDisconnect = 1002, kSettings = 1003, kUpload = 1004,
        kSplitter = 1005, kEditor = 1006, kFileList = 1007, kBottom = 1008, kFlashBar = 1009,
        kComLabel = 1010, kListLabel = 1011, kNameLabel = 1016, kSizeLabel = 1017, kImagePane = 1018,
        kStop = 1085, kRun = 1086, kPause = 1087, kStepIn = 1088, kStepOver = 1089,
    };
    enum Button { kBtnConnect, kBtnDisconnect, kBtnSettings, kBtnUpload, kBtnRun, kBtnStop, kBtnStepIn,
                  kBtnStepOver, kBtnPause, kButtonCount };
    // Timers of the window itself; the link's own (1, 2, 20) pass through.
    enum : UINT { kTimerClosePortList = 9 };
    // Dialogs opened after a board reply (the reply handler has returned).
    enum : UINT { kTimerSettingsDlg = 5, kTimerFwInfoDlg = 6, kTimerNetInfoDlg = 7, kTimerUpgradeDlg = 8 };
    static constexpr UINT kShowErrorLogMessage = WM_APP + 2;
    static constexpr UINT kUpgradeRefusedMessage = WM_APP + 30;
    // Posted to itself: the wait box runs after the link's call has returned.
    static constexpr UINT kRunWaitBoxMessage = WM_APP + 1;

    CZarvoDDlg();
    // The link on another port than the board's serial port (tests play the board on it).
    explicit CZarvoDDlg(ILinkPort& port);
    ~CZarvoDDlg() override;

    // ---- state for the rules table, the tests and the end-to-end driver
    cmdrules::State CommandState();
    bool IsCommandEnabled(cmdrules::Command c) { return cmdrules::Enabled(c, CommandState()); }
    CDeviceLink& Link() { return m_link; }
    int TaskState() const { return m_taskState; }
    const PreferenceBlock& Preferences() const { return m_prefs; }
    DWORD CurrentLanguage() const { return m_language; }

    // ---- commands (each re-checks its own rule)
    void OnConnect();
    void OnDisconnect();
    void OnSettingsButton();
    void OnUploadButton();
    void OnRun();
    void OnStop();
    void OnPause();
    void OnStepIn();
    void OnStepOver();
    void UpdateButtonStates(int taskState) override;
    // Connect/Disconnect/Settings/Upload and the port list from the rules.
    void UpdateCommandStates();

    // ---- CLinkHost
    std::string LoadText(unsigned id, const char* english) override;
    int ShowMessage(const std::string& text, unsigned style, bool* applyToAll = nullptr) override;
    PasswordChoice AskLoginPassword(std::string& password) override;
    void OpenWaitBox(int mode) override;
    void EndWaitBox() override;
    void SetProgressRange(int range) override;
    void SetProgress(int value) override;
    void LogDebugger(const std::string& line) override;
    void AddOutput(const char* text, size_t length) override;
    void AddFirmwareLog(const char* text, size_t length) override;
    void SetTimer(unsigned id, unsigned milliseconds) override { CWnd::SetTimer(id, milliseconds); }
    void KillTimer(unsigned id) override { CWnd::KillTimer(id); }
    void EnableConnectButtons(bool connected) override;
    void OnLinkDisconnected() override;
    void OnIspModeEntered(bool filesKept) override;
    void UpdateFlashUsage(int capacity, int used) override;
    void RefreshFileList() override;
    std::string GetOpenFileName() override;
    bool GetEditorText(std::string& text, uint32_t& caret, uint32_t& scrollLine) override;
    void OpenEntry(FileEntry& entry) override;
    void OnEntryRemoved(const FileEntry& entry) override;
    void SaveViewerTargetSize(FileEntry& entry) override;
    void ClearEditor() override;
    void ResizeImageEntry(FileEntry& entry) override;
    void OnBoardRestarting() override { m_editor.ClearBreakpointMarks(); }
    bool IsPhpDebugMode() override { return m_phpDebug != 0; }
    bool IsFirmwareLogMode() override { return m_firmwareLog != 0; }
    std::string GetBackupFolder() override { return m_prefs.backupPath; }

    // ---- CLinkReports, CLinkUpgrade, block results (ZarvoDDlgReports.cpp)
    void OnNetworkInfo(const NetworkInfo& info) override;
    void OnScanDone(const std::vector<ScanRecord>* records) override;
    void OnErrorLog(bool firmware, const std::string& text) override;
    void OnProductInfo(const std::string& uptime, const std::string& infoBlock) override;
    void OnSettingsRead() override;
    void OnSettingsReadFailed() override;
    void OnCertBlockRead(bool present, const uint8_t* records, size_t length) override;
    void OnBlockWritten(BlockKind kind, bool ok) override;
    void OnIspConnected() override;
    void OnUpgradeEnvName(bool read, const std::string& name) override;
    void OnUpgradeTestOk() override;
    void OnUpgradeProgress(uint64_t sent, uint64_t total) override;
    bool OnUpgradeResult(bool ok) override;
    void CloseLinkDialogs() override;
    int AskAboutLostBoard(const std::string& text) override;
    // ---- the Settings dialog's results (ZarvoDDlgSettings.cpp)
    void OnSettingsWritten(bool ok) override;
    void OnRtcDate(bool ok, const std::string& date) override;
    void OnRtcSetResult(bool ok) override;
    void OnPasswordDone(bool ok) override;

    // ---- relays
    int ComputeFlashUsage();
    void SyncBreakpoints(bool removeAll);

    // ---- CLinkDebuggerView, CLinkWatches (ZarvoDDlgDebugger.cpp)
    void SetExecutionLine(int row) override;
    void ShowBreakFile(FileEntry& entry, int row) override;
    int GetEditorRowCount() override { return m_editor.GetLineCount(); }
    int GetCaretRow() override { return m_editor.GetCaretLine(); }
    bool ToggleBreakpoint(int& row, bool& set) override { return m_editor.ToggleBreakpoint(row, set); }
    void SetBreakpointMark(int row, bool on) override { m_editor.SetBreakpoint(row, on); }
    void RemoveAllBreakpointMarks() override { m_editor.RemoveAllBreakpoints(); }
    void RedrawEditor() override;
    void RedrawResourceView() override;
    int GetWatchCount() override;
    std::string GetWatchName(int row) override;
    void SetWatchValue(int row, const std::string& type, const std::string& value,
                       const std::string& fullValue) override;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnClose();
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    void OnTimer(UINT_PTR id);
    LRESULT OnGetMinMaxInfo(WPARAM, LPARAM lParam);
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnHelp(WPARAM, LPARAM);
    LRESULT OnDeviceChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColor(WPARAM dc, LPARAM);

    // creation (ZarvoDDlg.cpp): each pane is made where the layout puts it
    void CreateButtons(const mainlayout::Layout& l);
    struct ButtonDef;
    static const ButtonDef* ButtonDefs();  // the buttons' ids, pictures and tips
    void CreateLabels(const mainlayout::Layout& l);
    void SetTabOrder();
    // A button's cell: from its picture's header until the button exists.
    mainlayout::ButtonSize ButtonCell(int button) const;
    void SetHelpText();
    void RegisterDeviceNotices();

    // layout (ZarvoDDlgLayout.cpp)
    mainlayout::Layout ComputeLayout() const;
    void LayoutPanes();
    LRESULT OnSplitterMoved(WPARAM wParam, LPARAM);
    // The saved size, place and splitters, applied before the panes are made.
    void RestoreWindowLayout();
    void SaveWindowLayout();

    // commands (ZarvoDDlgCommands.cpp)
    bool HandleKey(const MSG* msg);
    void OnPortListDropDown();
    void OnMenuCommand(UINT id);
    void OnEditCommand(UINT id);
    void OnFunctionCommand(UINT id);
    void OnFileCommand(UINT id);
    void OnFileOpenPacked();
    void OnRebootProduct();
    void OnPhpDebugMode();
    void OnFirmwareDebugMode();
    void OnLanguage(DWORD language);
    void OnFont();
    void OnAbout();
    void SetButtonEnabled(Button b, bool enabled);
    bool AskYesNo(UINT stringId);
    // After a question: the link is the one it was before and the command still allowed.
    bool StillAllowed(unsigned serial, cmdrules::Command c);

    // host (ZarvoDDlgHost.cpp)
    // Questions of the link and of this window never go over the wait box:
    // while one is up the box is off the screen; after the answer it comes
    // back only when its job goes on.
    class QuestionScope {
    public:
        explicit QuestionScope(CZarvoDDlg& main);
        ~QuestionScope();
        QuestionScope(const QuestionScope&) = delete;
        QuestionScope& operator=(const QuestionScope&) = delete;
        // The window the question goes over: the active one, or the one
        // under the wait box; never the wait box.
        HWND Over() const { return m_over; }

    private:
        CZarvoDDlg& m_main;
        HWND m_over = nullptr;
        HWND m_hidden = nullptr;  // the wait box this scope took off the screen
    };
    LRESULT OnSerialEvent(WPARAM wParam, LPARAM);
    LRESULT OnPortGone(WPARAM, LPARAM lParam);
    LRESULT OnStartIdentify(WPARAM, LPARAM);
    LRESULT OnStartUpload(WPARAM, LPARAM);
    LRESULT OnRunWaitBox(WPARAM, LPARAM);
    LRESULT OnQueryFilesEditable(WPARAM, LPARAM);

    // relays (ZarvoDDlgRelays.cpp)
    LRESULT OnOpenFile(WPARAM wParam, LPARAM lParam);
    // Says that a picture cannot be shown; the open file stays. Result 0.
    LRESULT RefuseImage();
    // Shows an entry in the editor or the viewer; refuseAloud: a picture
    // the viewer refuses is said so and the one shown before comes back.
    bool ShowEntry(FileEntry& entry, bool image, bool refuseAloud);
    LRESULT OnDocumentModified(WPARAM, LPARAM);
    LRESULT OnGetButtonBackground(WPARAM wParam, LPARAM);
    LRESULT OnDeleteEntries(WPARAM, LPARAM);
    LRESULT OnCurrentFileRemoved(WPARAM, LPARAM);
    LRESULT OnShowFileInfo(WPARAM wParam, LPARAM lParam);
    LRESULT OnFilesChanged(WPARAM, LPARAM);
    LRESULT OnNewDocument(WPARAM wParam, LPARAM);
    void ShowImagePane(bool image);
    LRESULT OnBreakpointCommand(WPARAM wParam, LPARAM);
    LRESULT OnRemoveAllBreakpoints(WPARAM, LPARAM);
    LRESULT OnStepIntoMessage(WPARAM, LPARAM);
    LRESULT OnStepOverMessage(WPARAM, LPARAM);
    LRESULT OnWatchNext(WPARAM wParam, LPARAM lParam);
    bool EditorReadOnlyFor(const FileEntry& entry) const;

    // board dialogs (ZarvoDDlgReports.cpp)
    void OnProductInfoCommand();
    void OnNetworkInfoCommand();
    void OnErrorLogCommand(bool firmware);
    void OnUpgradeFirmware();
    void RunFwInfoDialog();
    void RunNetInfoDialog();
    void RunUpgradeDialog();
    void RunSettingsDialog();
    void OnBoardDialogTimer(UINT id);
    LRESULT OnShowErrorLog(WPARAM, LPARAM);
    LRESULT OnUpgradeRefused(WPARAM, LPARAM);
    LRESULT OnUpgradeEnterIsp(WPARAM wParam, LPARAM);
    LRESULT OnUpgradeReadEnv(WPARAM wParam, LPARAM);
    LRESULT OnUpgradeSendTest(WPARAM, LPARAM lParam);
    LRESULT OnUpgradeStart(WPARAM, LPARAM lParam);
    LRESULT OnStartScan(WPARAM wParam, LPARAM);
    LRESULT OnCancelScan(WPARAM wParam, LPARAM);
    LRESULT OnWriteKeyBlock(WPARAM wParam, LPARAM lParam);
    LRESULT OnWriteCertBlock(WPARAM wParam, LPARAM lParam);
    LRESULT OnReadCertBlock(WPARAM wParam, LPARAM);
    LRESULT OnChangeFirmware(WPARAM wParam, LPARAM);
    // The upgrade dialog behind its window, when it is the one running.
    CDlgFWUpgrade* UpgradeDialog(HWND wnd);
    // A block write: waits in a message loop for the board's answer.
    bool WriteBlockAndWait(BlockKind kind, const uint8_t* block, size_t length);
    // Device requests from dialogs: a connected board that runs no job or transfer.
    bool DeviceIdle();
    // The board on the port answered and is identified (or is its boot loader).
    bool BoardKnown();
    // A dialog's request without a port: says so ("Open a COM port and try again.").
    bool RefuseWithoutPort();
    // The board dialog that w belongs to (w or an owner of it, owned by this
    // window) closes, with every box and form open over it.
    void CloseBoardWindow(HWND w);
    LRESULT NotIdleAnswer();

    // the Settings dialog (ZarvoDDlgSettings.cpp)
    CDlgSetting* SettingsDialog(WPARAM wParam);
    LRESULT OnWriteSettings(WPARAM wParam, LPARAM);
    LRESULT OnRebootMessage(WPARAM, LPARAM);
    LRESULT OnGetRtcDate(WPARAM wParam, LPARAM);
    LRESULT OnSetRtcDate(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetPassword(WPARAM wParam, LPARAM lParam);

    // preferences (ZarvoDDlgPrefs.cpp)
    void LoadPreferences();
    void SavePreferences();
    void ApplyPreferences();
    void OnPreferences();
    void CreateLogFont();

    // The link and what it talks through.
    CSerialPort m_port;
    CStdLinkFiles m_files;
    CDeviceLink m_link;

    // Panes and controls.
    CWndEditor m_editor;
    CWndFileList* m_fileList = nullptr;
    CWndImage* m_image = nullptr;  // shown instead of the editor for image entries; made on first use
    CWndImage* ImagePane();
    CWndBottom* m_bottom = nullptr;
    CWndProgress m_flashBar;
    CComboBox m_portCombo;
    CPngButton* m_buttons[kButtonCount] = {};
    CSplitter* m_splitH = nullptr;
    CSplitter* m_splitV = nullptr;
    CStatic m_comLabel, m_listLabel, m_nameLabel, m_sizeLabel;
    CFont m_frameFont;
    CBrush m_ground;
    HICON m_icon = nullptr;
    void* m_deviceNotify = nullptr;

    // Layout and language.
    int m_splitterX = 195;
    int m_splitterY = 70;
    int m_bottomSplit = 0;  // the saved split of the bottom pane, 0: its own
    DWORD m_language = 0;
    DWORD m_startLanguage = 0;

    // Preferences and modes.
    PreferenceBlock m_prefs;
    int m_phpDebug = 1;
    int m_firmwareLog = 1;
    CString m_firmwarePath;
    // The folder "Save selected file(s)" last wrote to in this run.
    std::string m_saveFolder;
    bool m_initModeRequest = false;

    // Debugger state.
    int m_taskState = 0;
    bool m_pauseShown = false;

    // Wait box: wanted by the link, and the one that runs (none: null).
    CDlgProgress* m_waitBox = nullptr;
    bool m_waitWanted = false;
    int m_waitMode = 0;
    int m_progressRange = 0;
    int m_progressValue = 0;

    // Help text shown: the editor holds no entry.
    bool m_helpShown = false;
    // The first layout is the one from the registry: sizes before it (the
    // template's, while the hidden window is built) are not laid out.
    bool m_layoutRestored = false;
    // Init.ini read from a snapshot from creation to the end of OnInitDialog.
    bool m_iniSnapshot = false;
    void EndIniSnapshot();
    // Board dialogs: which dialog the next settings read opens, what the
    // reports left for them, and the windows that wait for a result (only
    // windows: a dialog can go while a message loop runs).
    bool m_fwInfoPending = false;
    bool m_upgradePending = false;
    std::string m_uptime;
    NetworkInfo m_netInfo;
    std::string m_errorLog;
    bool m_errorLogShowing = false;
    std::string m_upgradeEnvName;
    // The upgrade dialog's window; kUpgradePending while it runs but has not
    // named itself yet (or after the board was lost).
    HWND m_upgradeDlg = nullptr;
    static inline const HWND kUpgradePending = reinterpret_cast<HWND>(-1);
    HWND UpgradeWindow() const;  // the window, when there is one to hear reports
    void PostToUpgrade(UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_scanRequester = nullptr;
    HWND m_certRequester = nullptr;
    bool m_infoShowing = false;
    bool m_settingsShowing = false;
    HWND m_settingsDlg = nullptr;
    int m_passwordSet = 0;
    std::string m_rtcDate;
    // A block write waiting for its answer: 0 none, 1 waiting, 2 written, 3 failed.
    int m_blockWrite = 0;

    // Counts connects and disconnects: a decision taken after a question
    // stands only when no connection came or went while it was open.
    unsigned m_linkSerial = 0;
};
