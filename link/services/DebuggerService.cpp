// Task control, breakpoints and the board's debugger events.
#include "link/services/DebuggerService.h"

#include "link/FileEntry.h"
#include "link/codecs/FrameItemReader.h"
#include "link/services/BoardRequests.h"
#include "link/services/DebugCodec.h"
#include "link/session/LinkSession.h"

#include <cstdio>

using LinkFrame::RequestBuilder;

CDebuggerService::CDebuggerService(CLinkSession& session, CFileEntryList& entries, int32_t (&resourceRows)[12][3])
    : m_session(session), m_entries(entries), m_rows(resourceRows)
{
    using R = const LinkReply&;
    const int any = CLinkSession::kAny;
    m_session.AddService(*this);
    m_session.RouteReply(1, 5, 1, [this](R r) { OnReplyTaskState(r); });
    m_session.RouteReply(1, 5, 2, [this](R r) { OnReplyTaskInfo(r, 3); });
    m_session.RouteReply(1, 5, 3, [this](R r) { OnReplyTaskInfo(r, 4); });
    m_session.RouteReply(1, 6, any, [this](R r) { OnReplyWatch(r); });
    // The run / stop reply is answered with a task-state query.
    m_session.RouteReply(2, 2, 1, [this](R) { RequestTaskState(); });
    m_session.RouteReply(3, 5, any, [this](R r) { OnReplyWatchString(r); });
    m_session.RouteReply(6, 1, 3, [this](R r) { OnReplyRunToLine(r); });
    m_session.RouteReply(6, 4, 2, [this](R r) { OnReplyBreakpointRead(r); });
    m_session.Route(LinkFrame::kDebugEvent, 1, any, any, [this](R r) { OnBreakEvent(r); });
    m_session.Route(LinkFrame::kDebugEvent, 2, any, any, [this](R r) { OnDebugEvent2(r); });
    m_session.Route(LinkFrame::kDebugEvent, 3, any, any, [this](R r) { OnDebugEvent3(r); });
}

void CDebuggerService::Log(const std::string& line) { m_session.Host().LogDebugger(line); }

void CDebuggerService::UpdateButtonStates(int state)
{
    m_taskState = state;
    m_session.Host().UpdateButtonStates(state);
}

// ---- task control

// Every task number these requests carry is 0.
void CDebuggerService::RequestTaskState() { m_session.WriteRequest(RequestBuilder(1, 5, 1).Int32(0)); }

void CDebuggerService::RunTask()
{
    m_session.Host().SetExecutionLine(-1);
    m_session.WriteRequest(RequestBuilder(2, 2, 1).Int32(1).Int32(3));
}

void CDebuggerService::StopTask() { m_session.WriteRequest(RequestBuilder(2, 2, 1).Int32(1).Int32(1)); }
void CDebuggerService::Pause() { m_session.WriteRequest(RequestBuilder(6, 1, 1).Int32(0)); }
void CDebuggerService::StepIn() { m_session.WriteRequest(RequestBuilder(6, 5, 0).Int32(0)); }
void CDebuggerService::StepOver() { m_session.WriteRequest(RequestBuilder(6, 6, 0).Int32(0)); }
void CDebuggerService::SetDebugMode(uint8_t sub, int32_t value) { m_session.WriteRequest(BoardRequests::DebugMode(sub, value)); }
void CDebuggerService::SetFirmwareLog(bool on) { m_session.WriteRequest(BoardRequests::FirmwareLog(on)); }

void CDebuggerService::OnReplyTaskState(const LinkReply& r)
{
    int32_t task = 0, state = 0;
    if (!DebugCodec::ReadTaskState(r.payload, r.length, task, state))
        return;
    char line[64];
    std::snprintf(line, sizeof line, "get task %d state : %d", task, state);
    Log(line);
    UpdateButtonStates(state);
}

void CDebuggerService::OnReplyTaskInfo(const LinkReply& r, int row)
{
    if (r.length != 32)
        return;
    int32_t v[4] = {0, m_rows[row][0], m_rows[row][1], m_rows[row][2]};
    DebugCodec::ReadFixedInts(r.payload, r.length, v, 4);
    for (int i = 0; i < 3; ++i)
        m_rows[row][i] = v[i + 1];
}

void CDebuggerService::OnReplyRunToLine(const LinkReply& r)
{
    FrameItem item;
    if (!r.Refused() && FrameItemReader::First(r.payload, r.length, item) && item.IsInt32() && item.Int32() == 0)
        RunTask();
}

// ---- breakpoints

bool CDebuggerService::SendFileLine(uint8_t code, const std::string& file, int32_t line)
{
    if (!DebugCodec::FileNameFits(file)) {
        Log("breakpoint not sent: the file name is too long for the board (" + std::to_string(file.size()) +
            " bytes)");
        return false;
    }
    // These three carry the padded size alone in their text item.
    m_session.WriteRequest(RequestBuilder(6, code >> 4, code & 0x0F).Int32(0).Text(file, false).Int32(line));
    return true;
}

bool CDebuggerService::SendDebug12(const std::string& file, int32_t line) { return SendFileLine(0x12, file, line); }
bool CDebuggerService::SendDebug22(const std::string& file, int32_t line) { return SendFileLine(0x22, file, line); }
bool CDebuggerService::SendDebug13(const std::string& file, int32_t line) { return SendFileLine(0x13, file, line); }
void CDebuggerService::SendDebug21() { m_session.WriteRequest(RequestBuilder(6, 2, 1).Int32(0)); }

void CDebuggerService::SyncBreakpoints(bool removeAll)
{
    CLinkHost& host = m_session.Host();
    if (!m_session.IsConnected()) {
        m_session.Message(LinkStrings::kOpenPortFirst, CLinkDialogs::kStyleWarning);
        return;
    }
    if (removeAll) {
        SendDebug21();
        host.RemoveAllBreakpointMarks();
        return;
    }
    int row = 0;
    bool set = false;
    if (!host.ToggleBreakpoint(row, set))
        return;
    std::string file = host.GetOpenFileName();
    bool sent = set ? SendDebug12(file, row + 1) : SendDebug22(file, row + 1);
    if (!sent)
        host.SetBreakpointMark(row, !set);  // the board keeps what it had
}

void CDebuggerService::RunToCaretLine()
{
    CLinkHost& host = m_session.Host();
    SendDebug13(host.GetOpenFileName(), host.GetCaretRow() + 1);
}

bool CDebuggerService::SendDebug42(int32_t index, const std::string& file)
{
    if (!m_session.IsConnected() || !m_session.IsTransferIdle())
        return false;
    m_session.WriteRequest(RequestBuilder(6, 4, 2).Int32(0).Int32(index).Text(file));
    m_bpWaiting = true;
    m_session.Host().SetTimer(kTimerBreakpointWait, kReplyWaitMs);
    return true;
}

CDebuggerService::ReadStart CDebuggerService::ReadBreakpoints(const std::string& file)
{
    if (!m_session.IsConnected())
        return ReadStart::kNotConnected;
    if (!DebugCodec::FileNameFits(file)) {
        Log("breakpoints not read: the file name is too long for the board");
        return ReadStart::kTooLong;
    }
    if (m_bpWaiting) {
        // The list being read belongs to another file now: its reply is dropped.
        m_bpRestart = true;
        m_bpRestartFile = file;
        return ReadStart::kQueued;
    }
    m_bpFile = file;
    m_bpIndex = 0;
    if (!SendDebug42(0, file)) {
        Log("breakpoints of " + file + " not read: the link is busy");
        return ReadStart::kBusy;
    }
    return ReadStart::kSent;
}

void CDebuggerService::OnReplyBreakpointRead(const LinkReply& r)
{
    if (!m_bpWaiting)
        return;  // late: nobody asks any more
    m_bpWaiting = false;
    m_session.Host().KillTimer(kTimerBreakpointWait);
    if (m_bpRestart) {
        m_bpRestart = false;
        ReadBreakpoints(m_bpRestartFile);
        return;
    }
    // The board ends the list by refusing.
    if (r.Refused())
        return;
    CLinkHost& host = m_session.Host();
    DebugCodec::DebugItems items = DebugCodec::ReadDebugItems(r.payload, r.length);
    if (items.hasFile && items.file == m_bpFile && items.file == host.GetOpenFileName()) {
        int row = items.second - 1;
        if (row >= 0 && row < host.GetEditorRowCount())
            host.SetBreakpointMark(row, true);
        host.RedrawEditor();
    }
    if (++m_bpIndex >= kMaxBreakpointReads) {
        Log("breakpoints of " + m_bpFile + ": the board's list does not end; read " +
            std::to_string(kMaxBreakpointReads));
        return;
    }
    if (!SendDebug42(m_bpIndex, m_bpFile))
        Log("breakpoints of " + m_bpFile + ": read stopped (port closed or another transfer under way)");
}

// ---- events

void CDebuggerService::ShowBreakFile(const std::string& file, int32_t line)
{
    CLinkHost& host = m_session.Host();
    FileEntry* entry = m_entries.Find(file);
    if (!entry || entry->kind == FileEntry::kImage || entry->kind == FileEntry::kFolder) {
        Log("break not shown: " + file + " is no text file of the list");
        return;
    }
    // The open file's lines are the editor's (it may hold unsaved edits).
    int lines = file == host.GetOpenFileName() ? host.GetEditorRowCount() : DebugCodec::CountLines(entry->data);
    if (line < 1 || line > lines) {
        Log("break not shown: " + file + " has no line " + std::to_string(line));
        return;
    }
    host.ShowBreakFile(*entry, line - 1);
}

void CDebuggerService::OnBreakEvent(const LinkReply& r)
{
    DebugCodec::DebugItems items = DebugCodec::ReadDebugItems(r.payload, r.length);
    Log("task " + std::to_string(items.first) + " break " + items.file + " " + std::to_string(items.second));
    switch (r.header.command) {
    case 1:
        UpdateButtonStates(1);
        m_session.Host().SetExecutionLine(-1);
        break;
    case 2:
    case 3:
        UpdateButtonStates(2);
        ShowBreakFile(items.file, items.second);
        OnWatchNext(0, true);
        break;
    default:
        break;
    }
}

void CDebuggerService::OnDebugEvent2(const LinkReply& r)
{
    int command = r.header.command;
    if (command >= 2 && command <= 5) {
        int32_t v[3] = {0, 0, 0};
        int set = DebugCodec::ReadFixedInts(r.payload, r.length, v, 3);
        // Only "System Memory" (command 5, row 3) is in kilobytes, the one row
        // the view marks "KB"; rows 0-2 keep the board's counts, as the 01/12-
        // 01/15 replies give them, so a row reads the same whichever way it came.
        const int divisor = command == 5 ? 1024 : 1;
        for (int i = 0; i < 3; ++i)
            if (set & (1 << i))
                m_rows[command - 2][i] = v[i] / divisor;  // toward zero
    }
    m_session.Host().RedrawResourceView();
}

void CDebuggerService::OnDebugEvent3(const LinkReply& r)
{
    int command = r.header.command;
    int32_t v[4] = {0, 0, 0, 0};
    int set = DebugCodec::ReadFixedInts(r.payload, r.length, v, 4);
    int slot = v[0] == 1 ? 1 : v[0] == 2 ? 2 : v[0] == 7 ? 3 : 0;
    if (command == 2 || command == 3) {
        int row = (command == 2 ? 4 : 5) + 2 * slot;
        for (int i = 1; i < 4; ++i)
            if (set & (1 << i))
                m_rows[row][i - 1] = v[i];
    }
    m_session.Host().RedrawResourceView();
}

// ---- life cycle

void CDebuggerService::OnDisconnected()
{
    // A long string cut off by the disconnect must not hold the transfer
    // over the next connection.
    if (m_watchWaiting == Waiting::kString)
        m_session.EndTransfer(CLinkSession::kTransferWatchString);
    m_taskState = 0;
    m_watchWaiting = Waiting::kNone;
    m_watchRestart = false;
    m_bpWaiting = false;
    m_bpRestart = false;
    m_session.Host().KillTimer(kTimerWatchWait);
    m_session.Host().KillTimer(kTimerBreakpointWait);
}

bool CDebuggerService::OnTimer(unsigned id)
{
    if (id == kTimerBreakpointWait) {
        m_session.Host().KillTimer(id);
        if (!m_bpWaiting)
            return true;
        m_bpWaiting = false;
        Log("breakpoints of " + m_bpFile + ": no answer from the board");
        if (m_bpRestart) {
            m_bpRestart = false;
            ReadBreakpoints(m_bpRestartFile);
        }
        return true;
    }
    if (id == kTimerWatchWait) {
        m_session.Host().KillTimer(id);
        if (m_watchWaiting == Waiting::kNone)
            return true;
        if (m_watchWaiting == Waiting::kString) {
            // Data still coming: the string is long, not lost.
            if (m_session.GetTransferType() == CLinkSession::kTransferWatchString &&
                m_session.Image().count != m_watchGuardCount) {
                WaitForWatch(Waiting::kString);
                return true;
            }
            m_session.AbandonTransfer(CLinkSession::kTransferWatchString);
        } else if (m_watchRow < m_session.Host().GetWatchCount()) {
            // The row says it has no value rather than keep an old one.
            DebugCodec::WatchValue u = DebugCodec::UnknownValue();
            m_session.Host().SetWatchValue(m_watchRow, u.type, u.value, u.full);
        }
        m_watchWaiting = Waiting::kNone;
        Log("watch: no answer from the board");
        if (m_watchRestart) {
            m_watchRestart = false;
            OnWatchNext(m_watchTask, true);
        }
        return true;
    }
    return false;
}
