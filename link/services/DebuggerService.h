#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/session/LinkService.h"

class CLinkSession;
class CFileEntryList;
struct LinkReply;

// The board's script task under the debugger: the task state, run, stop,
// pause and steps, breakpoints set per file and line and read back for the
// file the editor opens, the board's break and resource events, and the
// watch list's values read one row after the other while the task is paused
// (long strings completed by a block read).
//
// The two chains (watch rows, breakpoint read-back) keep one request
// outstanding: a restart asked for meanwhile waits for that reply, which is
// then dropped; a reply nobody waits for is dropped too; a reply that never
// comes gives the chain up after a while so that it can start again.
class CDebuggerService : public CLinkService {
public:
    // Timers of the two chains (the session hands them on); their ids stay
    // clear of the main window's, the session's and the other services'.
    enum Timer : unsigned { kTimerWatchWait = 35, kTimerBreakpointWait = 36 };
    static constexpr unsigned kReplyWaitMs = 5000;
    // A board that never ends the breakpoint list is not asked further.
    static constexpr int kMaxBreakpointReads = 1000;

    enum class ReadStart { kSent, kQueued, kBusy, kNotConnected, kTooLong };

    CDebuggerService(CLinkSession& session, CFileEntryList& entries, int32_t (&resourceRows)[12][3]);

    // 0 until the board reports one; 1 stopped, 2 paused, 3 running.
    int TaskState() const { return m_taskState; }
    int WatchRow() const { return m_watchRow; }
    bool IsReadingWatches() const { return m_watchWaiting != Waiting::kNone; }
    bool IsReadingBreakpoints() const { return m_bpWaiting; }

    // ---- task control (each writes one frame; write errors are not reported)
    void RequestTaskState();   // 01/51
    void RunTask();            // 02/21 (1, 3); the editor's execution line goes first
    void StopTask();           // 02/21 (1, 1)
    void Pause();              // 06/11
    void StepIn();             // 06/50
    void StepOver();           // 06/60
    void SetDebugMode(uint8_t sub, int32_t value = 1);  // 02/11, 02/12
    void SetFirmwareLog(bool on);                       // 02/13

    // ---- breakpoints. false when the file name does not fit a request
    // (then it is logged and nothing is sent).
    bool SendDebug12(const std::string& file, int32_t line);  // set
    bool SendDebug22(const std::string& file, int32_t line);  // clear
    bool SendDebug13(const std::string& file, int32_t line);  // run to the line
    void SendDebug21();                                       // clear all
    // F9 in the editor: toggle the caret row's mark (or remove every mark)
    // and tell the board; a mark the board was not told of is taken back.
    void SyncBreakpoints(bool removeAll);
    // Run to the editor's caret row.
    void RunToCaretLine();
    // The editor opened a text file: read its breakpoints from index 0.
    ReadStart ReadBreakpoints(const std::string& file);

    // ---- watches: WM_USER_WATCH_NEXT. 1 when a request went out (or a
    // restart waits for the outstanding one), 0 when not.
    int OnWatchNext(int32_t task, bool start);

    // CLinkService
    void OnDisconnected() override;
    bool OnTimer(unsigned id) override;

private:
    enum class Waiting { kNone, kValue, kString };

    bool SendFileLine(uint8_t code, const std::string& file, int32_t line);
    bool SendDebug42(int32_t index, const std::string& file);
    void UpdateButtonStates(int state);
    void ShowBreakFile(const std::string& file, int32_t line);
    void Log(const std::string& line);

    void OnReplyTaskState(const LinkReply& r);
    void OnReplyTaskInfo(const LinkReply& r, int row);
    void OnReplyRunToLine(const LinkReply& r);
    void OnReplyBreakpointRead(const LinkReply& r);
    void OnBreakEvent(const LinkReply& r);
    void OnDebugEvent2(const LinkReply& r);
    void OnDebugEvent3(const LinkReply& r);

    // Watch chain (DebuggerWatch.cpp).
    int SendWatchRow();
    bool RequestWatchString();
    void OnReplyWatch(const LinkReply& r);
    void OnReplyWatchString(const LinkReply& r);
    void NextWatchRow();
    bool TakeWatchReply(Waiting kind);
    void WaitForWatch(Waiting kind);

    CLinkSession& m_session;
    CFileEntryList& m_entries;
    int32_t (&m_rows)[12][3];
    int m_taskState = 0;

    int m_watchRow = 0;
    int32_t m_watchTask = 0;
    Waiting m_watchWaiting = Waiting::kNone;
    bool m_watchRestart = false;
    // The long string being read: its length on the board, and the bytes in
    // when the wait was armed (a read that moves is not given up).
    int32_t m_watchLength = 0;
    int32_t m_watchGuardCount = 0;

    std::string m_bpFile;
    int32_t m_bpIndex = 0;
    bool m_bpWaiting = false;
    bool m_bpRestart = false;
    std::string m_bpRestartFile;
};
