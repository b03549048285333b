#include "LinkRunner.h"

#include "link/services/DebugCodec.h"

#include <algorithm>
#include <cstdio>

void CheckHost::ShowBreakFile(FileEntry& entry, int row)
{
    OpenText(entry.name, entry.data);
    caretRow = executionRow = row;
    ++breaks;
    std::printf("BREAK %s %d\n", entry.name.c_str(), row + 1);
    std::fflush(stdout);
}

bool CheckHost::ToggleBreakpoint(int& row, bool& set)
{
    if (caretRow < 0 || caretRow >= editorRows)
        return false;
    row = caretRow;
    set = marks.count(row) == 0;
    SetBreakpointMark(row, set);
    return true;
}

void CheckHost::SetBreakpointMark(int row, bool on)
{
    if (on)
        marks.insert(row);
    else
        marks.erase(row);
}

void CheckHost::SetWatchValue(int row, const std::string& type, const std::string& value, const std::string&)
{
    WatchRow& w = watches.at(static_cast<size_t>(row));
    w.type = type;
    w.value = value;
    w.set = true;
}

void CheckHost::OpenText(const std::string& name, const std::string& text)
{
    if (openFile == name)
        return;
    openFile = name;
    editorRows = DebugCodec::CountLines(text);
    marks.clear();
}

void CheckHost::SetWatches(const std::vector<std::string>& names)
{
    watches.assign(names.size(), WatchRow());
    for (size_t i = 0; i < names.size(); ++i)
        watches[i].name = names[i];
}

namespace {

struct Step {
    CheckRunner& r;
    const CheckOptions& o;
    CheckHost& host;
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
        STEP(Until(what, [&] { return host.breaks > before && host.taskState == 2; }));
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
    // Reads the watches and checks them against want ("TYPE value" per row).
    std::string Watches(const std::vector<std::string>& want)
    {
        for (auto& w : host.watches)
            w.set = false;
        // A refresh while the first row is asked for: that reply is dropped
        // and the rows are read again (a task-state query moves a board that
        // holds replies back).
        dbg.OnWatchNext(0, true);
        dbg.OnWatchNext(0, true);
        dbg.RequestTaskState();
        auto allSet = [&] { return std::all_of(host.watches.begin(), host.watches.end(), [](auto& w) { return w.set; }); };
        std::string why = Until("watch values", [&] { return allSet() && !dbg.IsReadingWatches(); });
        for (auto& w : host.watches)
            std::printf("WATCH %s %s %s\n", w.name.c_str(), w.type.c_str(), w.value.c_str());
        std::fflush(stdout);
        for (size_t i = 0; why.empty() && i < want.size() && i < host.watches.size(); ++i) {
            const auto& w = host.watches[i];
            if (w.type + " " + w.value != want[i])
                why = "watch " + w.name + " shows " + w.type + " " + w.value;
        }
        return why;
    }
};

std::string Friendly(Step& s)
{
    CheckHost& host = s.host;
    CDebuggerService& dbg = s.dbg;
    // The breakpoint at line 2 through the editor's F9, one at line 3 set and
    // cleared again; the board's list read back holds line 2 alone.
    host.caretRow = 1;
    dbg.SyncBreakpoints(false);
    dbg.SendDebug12("index.php", 3);
    dbg.SendDebug22("index.php", 3);
    STEP(s.Breakpoints("index.php"));
    if (host.marks != std::set<int>{1})
        return "breakpoints read back wrong";

    host.SetWatches({"$i", "$pi", "$ok", "$s", "$long", "$a[1][2]", "$nope", "$x[999]"});
    dbg.RunTask();
    STEP(s.BreakAt("run to the breakpoint", 2));
    std::string longText;
    for (int k = 0; k < 300; ++k)
        longText += static_cast<char>('a' + k % 26);
    STEP(s.Watches({"INT 42", "FLOAT 3.1415926535898", "BOOL TRUE", "STR[5] hello", "STR[300] " + longText, "INT 12",
                    "? ?", "? ?"}));

    // Step over the echo: its output, then the next line; a step past the
    // end stops the task.
    dbg.StepOver();
    STEP(s.BreakAt("step over", 3));
    if (host.output.find("Hello from the board") == std::string::npos)
        return "no script output";
    dbg.StepIn();
    STEP(s.State("step past the end", 1));
    if (host.executionRow != -1)
        return "execution line kept after the task ended";

    // Without breakpoints the task runs on until paused.
    dbg.SyncBreakpoints(true);
    dbg.RunTask();
    STEP(s.State("run", 3));
    dbg.Pause();
    STEP(s.BreakAt("pause", 3));
    dbg.StopTask();
    STEP(s.State("stop", 1));

    // Run to the caret's line.
    host.caretRow = 1;
    dbg.RunToCaretLine();
    STEP(s.BreakAt("run to the line", 2));
    dbg.StopTask();
    return s.State("stop", 1);
}

std::string Hostile(Step& s)
{
    CheckHost& host = s.host;
    // A list that never ends is cut; lying items mark nothing.
    STEP(s.Breakpoints("index.php"));
    if (!host.marks.empty())
        return "marks from lying replies";
    host.SetWatches({"$i", "$s", "$long"});
    s.dbg.StepIn();  // the task starts paused, the break names a file the list lacks
    STEP(s.Until("break event", [&] { return host.taskState == 2; }));
    if (host.breaks != 0)
        return "a break in a missing file was shown";
    STEP(s.Watches({"INT 42", "? ?", "? ?"}));
    s.dbg.StopTask();
    return s.State("stop", 1);
}

} // namespace

std::string DebugScenario(CheckRunner& r, const CheckOptions& o, bool hostile)
{
    STEP(ConnectAndRead(r, o));
    CDeviceLink& link = r.Link();
    CheckHost& host = r.Host();
    FileEntry* script = link.Files().Entries().Find("index.php");
    if (!script)
        return "no index.php on the board";
    host.OpenText(script->name, script->data);
    Step s{r, o, host, link.Debugger()};
    // The connection asks the task state once the image is read.
    STEP(s.State("task state", 1));
    return hostile ? Hostile(s) : Friendly(s);
}
