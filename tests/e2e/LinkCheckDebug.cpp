#include "LinkCheckDebug.h"

#include "link/DeviceLink.h"
#include "link/services/DebugCodec.h"

#include <cstdio>

#include "LinkRunner.h"

void CheckDebugHost::ShowBreakFile(FileEntry& entry, int row)
{
    OpenText(entry.name, entry.data);
    caretRow = executionRow = row;
    ++breaks;
    std::printf("BREAK %s %d\n", entry.name.c_str(), row + 1);
    std::fflush(stdout);
}

bool CheckDebugHost::ToggleBreakpoint(int& row, bool& set)
{
    if (caretRow < 0 || caretRow >= editorRows)
        return false;
    row = caretRow;
    set = marks.count(row) == 0;
    SetBreakpointMark(row, set);
    return true;
}

void CheckDebugHost::SetBreakpointMark(int row, bool on)
{
    if (on)
        marks.insert(row);
    else
        marks.erase(row);
}

void CheckDebugHost::SetWatchValue(int row, const std::string& type, const std::string& value, const std::string& full)
{
    WatchRow& w = watches.at(static_cast<size_t>(row));
    w.type = type;
    w.value = value;
    w.full = full;
    w.set = true;
}

void CheckDebugHost::OpenText(const std::string& name, const std::string& text)
{
    if (openFile == name)
        return;
    openFile = name;
    editorRows = DebugCodec::CountLines(text);
    marks.clear();
}

void CheckDebugHost::SetWatches(const std::vector<std::string>& names)
{
    watches.assign(names.size(), WatchRow());
    for (size_t i = 0; i < names.size(); ++i)
        watches[i].name = names[i];
}

bool CheckDebugHost::AllWatchesSet() const
{
    for (const WatchRow& w : watches)
        if (!w.set)
            return false;
    return true;
}

namespace {

struct Step {
    ILinkRunner& r;
    const CheckOptions& o;
    CheckDebugHost& host;
    CDebuggerService& dbg;

    std::string Until(const char* what, const std::function<bool()>& done)
    {
        std::string why = r.RunUntil(done, o.deadlineSeconds);
        return why.empty() ? why : std::string(what) + ": " + why;
    }
    // Waits for the board to stop at a line; "" when it did.
    std::string BreakAt(const char* what, int line)
    {
        int before = host.breaks;
        std::string why = Until(what, [&] { return host.breaks > before && host.taskState == 2; });
        if (!why.empty())
            return why;
        return host.executionRow == line - 1 ? std::string()
                                            : std::string(what) + ": stopped at line " +
                                                  std::to_string(host.executionRow + 1);
    }
    std::string State(const char* what, int state)
    {
        return Until(what, [&] { return host.taskState == state; });
    }
    std::string Breakpoints(const std::string& file)
    {
        host.marks.clear();
        dbg.ReadBreakpoints(file);
        std::string why = Until("breakpoint read-back", [&] { return !dbg.IsReadingBreakpoints(); });
        std::printf("MARKS");
        for (int m : host.marks)
            std::printf(" %d", m + 1);
        std::printf("\n");
        return why;
    }
    std::string Watches()
    {
        for (auto& w : host.watches)
            w.set = false;
        // A refresh while the first row is asked for: that reply is dropped
        // and the rows are read again (a task-state query moves a board that
        // holds replies back).
        dbg.OnWatchNext(0, true);
        dbg.OnWatchNext(0, true);
        dbg.RequestTaskState();
        std::string why = Until("watch values", [&] { return host.AllWatchesSet() && !dbg.IsReadingWatches(); });
        for (auto& w : host.watches)
            std::printf("WATCH %s %s %s\n", w.name.c_str(), w.type.c_str(), w.value.c_str());
        std::fflush(stdout);
        return why;
    }
};

std::string Expect(const CheckDebugHost& host, const std::vector<std::string>& want)
{
    for (size_t i = 0; i < want.size() && i < host.watches.size(); ++i) {
        const auto& w = host.watches[i];
        if (w.type + " " + w.value != want[i])
            return "watch " + w.name + " shows " + w.type + " " + w.value;
    }
    return std::string();
}

std::string Friendly(Step& s)
{
    CheckDebugHost& host = s.host;
    CDebuggerService& dbg = s.dbg;
    std::string why;
    // The breakpoint at line 2 through the editor's F9, one at line 3 set and
    // cleared again; the board's list read back holds line 2 alone.
    host.caretRow = 1;
    dbg.SyncBreakpoints(false);
    dbg.SendDebug12("index.php", 3);
    dbg.SendDebug22("index.php", 3);
    if (!(why = s.Breakpoints("index.php")).empty())
        return why;
    if (host.marks != std::set<int>{1})
        return "breakpoints read back wrong";

    host.SetWatches({"$i", "$pi", "$ok", "$s", "$long", "$a[1][2]", "$nope", "$x[999]"});
    dbg.RunTask();
    if (!(why = s.BreakAt("run to the breakpoint", 2)).empty() || !(why = s.Watches()).empty())
        return why;
    std::string longText;
    for (int k = 0; k < 300; ++k)
        longText += static_cast<char>('a' + k % 26);
    why = Expect(host, {"INT 42", "FLOAT 3.1415926535898", "BOOL TRUE", "STR[5] hello", "STR[300] " + longText,
                        "INT 12", "? ?", "? ?"});
    if (!why.empty())
        return why;

    // Step over the echo: its output, then the next line; a step past the
    // end stops the task.
    dbg.StepOver();
    if (!(why = s.BreakAt("step over", 3)).empty())
        return why;
    if (host.output.find("Hello from the board") == std::string::npos)
        return "no script output";
    dbg.StepIn();
    if (!(why = s.State("step past the end", 1)).empty())
        return why;
    if (host.executionRow != -1)
        return "execution line kept after the task ended";

    // Without breakpoints the task runs on until paused.
    dbg.SyncBreakpoints(true);
    dbg.RunTask();
    if (!(why = s.State("run", 3)).empty())
        return why;
    dbg.Pause();
    if (!(why = s.BreakAt("pause", 3)).empty())
        return why;
    dbg.StopTask();
    if (!(why = s.State("stop", 1)).empty())
        return why;

    // Run to the caret's line.
    host.caretRow = 1;
    dbg.RunToCaretLine();
    if (!(why = s.BreakAt("run to the line", 2)).empty())
        return why;
    dbg.StopTask();
    return s.State("stop", 1);
}

std::string Hostile(Step& s)
{
    CheckDebugHost& host = s.host;
    CDebuggerService& dbg = s.dbg;
    // A list that never ends is cut; lying items mark nothing.
    std::string why = s.Breakpoints("index.php");
    if (!why.empty())
        return why;
    if (!host.marks.empty())
        return "marks from lying replies";
    host.SetWatches({"$i", "$s", "$long"});
    dbg.StepIn();  // the task starts paused, the break names a file the list lacks
    why = s.Until("break event", [&] { return host.taskState == 2; });
    if (!why.empty())
        return why;
    if (host.breaks != 0)
        return "a break in a missing file was shown";
    if (!(why = s.Watches()).empty())
        return why;
    why = Expect(host, {"INT 42", "? ?", "? ?"});
    if (!why.empty())
        return why;
    dbg.StopTask();
    return s.State("stop", 1);
}

} // namespace

std::string DebugScenario(ILinkRunner& r, const CheckOptions& o, bool hostile)
{
    std::string why = ConnectAndRead(r, o);
    if (!why.empty())
        return why;
    CDeviceLink& link = r.Link();
    CheckDebugHost& host = r.Host();
    FileEntry* script = link.Entries().Find("index.php");
    if (!script)
        return "no index.php on the board";
    host.OpenText(script->name, script->data);
    Step s{r, o, host, link.Debugger()};
    // The connection asks the task state once the image is read.
    if (!(why = s.State("task state", 1)).empty())
        return why;
    return hostile ? Hostile(s) : Friendly(s);
}
