#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FileEntry;
struct NetworkInfo;
struct ScanRecord;

// Everything the link core needs from the user interface, split by role so a
// reader can hold each part at once. The main window implements all of them;
// tests and the linkcheck runner implement them with recording fakes. Every
// call comes on the one UI thread; none may run the link re-entrantly except
// where noted (modal questions may pump messages: the link queues what
// arrives meanwhile).

// Message box (style bits as in the Windows message box: 0x30 warning,
// 0x24 Yes/No question, 0x10 error). Results are the Windows button ids.
class CLinkDialogs {
public:
    enum { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };
    enum { kStyleError = 0x10, kStyleWarning = 0x30, kStyleQuestion = 0x24 };
    enum class PasswordChoice { Cancel, Ok, Delete };

    // The text of a string-table entry in the user's language; english is
    // the English text, the fallback.
    virtual std::string LoadText(unsigned id, const char* english) { return english; }
    // applyToAll non-null: show the "Apply to all files" box and report it.
    virtual int ShowMessage(const std::string& text, unsigned style, bool* applyToAll = nullptr) = 0;
    // The login prompt (user "admin"). Modal.
    virtual PasswordChoice AskLoginPassword(std::string& password) = 0;
protected:
    ~CLinkDialogs() = default;
};

// The wait box that runs while a device job runs. OpenWaitBox(mode) opens it
// (0 upload, 1 identify after connecting, 2 identify again); once up it tells
// the main window, which calls CDeviceLink::OnIdentifyStart or OnUploadStart.
class CLinkWaitBox {
public:
    virtual void OpenWaitBox(int mode) = 0;
    virtual void EndWaitBox() = 0;
    virtual void SetProgressRange(int range) = 0;
    virtual void SetProgress(int value) = 0;
protected:
    ~CLinkWaitBox() = default;
};

// The bottom pane's three logs.
class CLinkLogs {
public:
    virtual void LogDebugger(const std::string& line) = 0;
    virtual void AddOutput(const char* text, size_t length) = 0;
    virtual void AddFirmwareLog(const char* text, size_t length) = 0;
protected:
    ~CLinkLogs() = default;
};

// Window timers: the host calls CDeviceLink::OnTimer(id) when one expires,
// until it is killed. Time never passes inside the link.
class CLinkTimers {
public:
    virtual void SetTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void KillTimer(unsigned id) = 0;
protected:
    ~CLinkTimers() = default;
};

// What the main window shows of the link and of the file entries.
class CLinkView {
public:
    virtual void EnableConnectButtons(bool connected) = 0;
    // The port closed: disconnected button states, editor read-only without
    // its execution line, resource view and flash bar redrawn.
    virtual void OnLinkDisconnected() = 0;
    // The board answered as its boot loader: file list folder back to the
    // root, editor emptied, captions emptied; with filesKept (the user kept
    // unsaved files) the list and the editor stay as they are.
    virtual void OnIspModeEntered(bool filesKept) = 0;
    virtual void UpdateFlashUsage(int capacity, int used) = 0;
    // The file-list pane rebuilds its rows from the entry list and redraws.
    virtual void RefreshFileList() = 0;
    // Name of the entry open in the file-list pane ("" when none).
    virtual std::string GetOpenFileName() = 0;
    // The open entry's editor state; text is set only when the editor text
    // was modified (returns true then).
    virtual bool GetEditorText(std::string& text, uint32_t& caret, uint32_t& scrollLine) = 0;
    // Show an entry (text in the editor, image in the viewer).
    virtual void OpenEntry(FileEntry& entry) = 0;
    // An entry is about to be removed from the list (the pane forgets it).
    virtual void OnEntryRemoved(const FileEntry& entry) = 0;
    // Before an upload: the open image entry takes the viewer's target size
    // (the viewer forgets its resize mark), and every changed image entry is
    // re-encoded to its target size. Windows without an image viewer keep
    // the defaults.
    virtual void SaveViewerTargetSize(FileEntry& entry) {}
    // The board has no files: the editor shows none either.
    virtual void ClearEditor() {}
    virtual void ResizeImageEntry(FileEntry& entry) {}
protected:
    ~CLinkView() = default;
};

// Preferences the link reads.
class CLinkSettings {
public:
    virtual bool IsPhpDebugMode() = 0;
    virtual bool IsFirmwareLogMode() = 0;
    virtual std::string GetBackupFolder() = 0;
protected:
    ~CLinkSettings() = default;
};

// The debugger in the main window: the buttons that follow the board's task
// state, and the editor's execution line and breakpoint marks. Rows are the
// editor's display rows, counted from 0. A host without an editor (the
// link runner) keeps the defaults.
class CLinkDebuggerView {
public:
    // Stores the task state (0 none, 1 stopped, 2 paused, 3 running) and
    // sets the debugger buttons by it.
    virtual void UpdateButtonStates(int taskState) {}
    // The script's current row (-1: none); the editor is redrawn.
    virtual void SetExecutionLine(int row) {}
    // Shows the entry in the editor (opening it unless it is the open one),
    // moves the caret to the row and marks it as the execution line. Called
    // from the break event's handler: it must not wait for the user.
    virtual void ShowBreakFile(FileEntry& entry, int row) {}
    virtual int GetEditorRowCount() { return 0; }
    virtual int GetCaretRow() { return 0; }
    // Toggles the breakpoint mark at the caret (the editor picks the first
    // row from there that can hold one): false when none was toggled, else
    // its row and whether the mark is now set.
    virtual bool ToggleBreakpoint(int& row, bool& set) { return false; }
    virtual void SetBreakpointMark(int row, bool on) {}
    virtual void RemoveAllBreakpointMarks() {}
    virtual void RedrawEditor() {}
    // The resource rows changed: the resource view is redrawn.
    virtual void RedrawResourceView() {}
protected:
    ~CLinkDebuggerView() = default;
};

// The bottom pane's watch list (none by default).
class CLinkWatches {
public:
    virtual int GetWatchCount() { return 0; }
    virtual std::string GetWatchName(int row) { return std::string(); }
    virtual void SetWatchValue(int row, const std::string& type, const std::string& value,
                               const std::string& fullValue) {}
protected:
    ~CLinkWatches() = default;
};

// Finished results of the board queries, for the dialogs that show them.
// Each comes from a timer after the reply handler has returned, so the host
// may open a dialog or a message box here. A host without those dialogs
// keeps the defaults.
class CLinkReports {
public:
    virtual void OnNetworkInfo(const NetworkInfo&) {}
    // The board's clock, YYYYMMDDhhmmss; ok false: no date to show.
    virtual void OnRtcDate(bool /*ok*/, const std::string& /*date*/) {}
    virtual void OnRtcSetResult(bool /*ok*/) {}
    // The end of every wireless scan: the access points found, or null
    // when the scan failed.
    virtual void OnScanDone(const std::vector<ScanRecord>* /*records*/) {}
    virtual void OnErrorLog(bool /*firmware*/, const std::string& /*text*/) {}
    // The board's uptime text and the information block's text; the
    // settings block is read next (OnSettingsRead), then the dialog opens.
    virtual void OnProductInfo(const std::string& /*uptime*/, const std::string& /*infoBlock*/) {}
protected:
    ~CLinkReports() = default;
};

// Reports of a firmware upgrade to the dialog that drives it (the main window
// relays them). Only the success result is answered; the others may reach
// the dialog later (posted). Hosts without an upgrade dialog keep the defaults.
class CLinkUpgrade {
public:
    // The board came back as its boot loader after the restart into it.
    virtual void OnIspConnected() {}
    // The installed firmware's name from the boot loader; read false when
    // the dump failed (name empty).
    virtual void OnUpgradeEnvName(bool read, const std::string& name) {}
    // The boot loader accepted the test header.
    virtual void OnUpgradeTestOk() {}
    virtual void OnUpgradeProgress(uint64_t sent, uint64_t total) {}
    // ok: the board confirmed the image's CRC; the answer true makes it
    // bootable and starts it. false: the upgrade ended without success.
    virtual bool OnUpgradeResult(bool ok) { return true; }
protected:
    ~CLinkUpgrade() = default;
};

// Results for the dialogs that work on the board's blocks and password (the
// Settings dialog and its pages). Each arrives once per request.
class CLinkBlockResults {
public:
    enum BlockKind { kKeyBlock = 0, kCertBlock = 1 };
    // The settings block was read and parsed (CDeviceLink::Settings()
    // holds it): the main window opens the dialog that asked for it.
    virtual void OnSettingsRead() {}
    // The settings block read ended without a block (the user has been told
    // why): whatever waited for it does not open.
    virtual void OnSettingsReadFailed() {}
    // 04/21 answered: the board holds the block (ok) or not.
    virtual void OnSettingsWritten(bool ok) {}
    // 03/24 answered: the certificate records (the block without its
    // header), or present false when the board has none or sent a bad one.
    virtual void OnCertBlockRead(bool present, const uint8_t* records, size_t length) {}
    // A key or certificate block write ended.
    virtual void OnBlockWritten(BlockKind kind, bool ok) {}
    // The board came back after a password change (ok), or the change failed.
    virtual void OnPasswordDone(bool ok) {}
protected:
    ~CLinkBlockResults() = default;
};

// The board restarts or goes away.
class CLinkPresenceView {
public:
    // The board restarts (reboot reply): the editor drops its breakpoint marks.
    virtual void OnBoardRestarting() {}
    // The board was removed: every dialog's job that waits on the link ends
    // now (the dialogs close after the question below).
    virtual void CloseLinkDialogs() {}
    // The removal question (Yes/No), asked over the window that was active
    // when the board went; after the answer that window closes when it is
    // one of the board's dialogs. Returns the button.
    virtual int AskAboutLostBoard(const std::string& text) = 0;
protected:
    ~CLinkPresenceView() = default;
};

class CLinkHost : public CLinkDialogs, public CLinkWaitBox, public CLinkLogs,
                  public CLinkTimers, public CLinkView, public CLinkSettings,
                  public CLinkDebuggerView, public CLinkWatches,
                  public CLinkBlockResults, public CLinkPresenceView, public CLinkUpgrade,
                  public CLinkReports {
public:
    virtual ~CLinkHost() = default;
    // Hosts without windows of their own just ask.
    int AskAboutLostBoard(const std::string& text) override { return ShowMessage(text, kStyleQuestion); }
};
