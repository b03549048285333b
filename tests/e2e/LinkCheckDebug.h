#pragma once
// The editor and watch list as linkcheck's debug scenarios see them: one open
// file with its display rows and marks, the task state the buttons would
// show, and the watch rows with the values the link wrote into them.
#include "tests/fuzz/FuzzLink.h"

#include <set>
#include <string>
#include <vector>

class CheckDebugHost : public FuzzHost {
public:
    struct WatchRow {
        std::string name, type, value, full;
        bool set = false;
    };

    std::string GetOpenFileName() override { return openFile; }
    void UpdateButtonStates(int state) override { taskState = state; }
    void SetExecutionLine(int row) override { executionRow = row; }
    void ShowBreakFile(FileEntry& entry, int row) override;
    int GetEditorRowCount() override { return editorRows; }
    int GetCaretRow() override { return caretRow; }
    bool ToggleBreakpoint(int& row, bool& set) override;
    void SetBreakpointMark(int row, bool on) override;
    void RemoveAllBreakpointMarks() override { marks.clear(); }
    int GetWatchCount() override { return static_cast<int>(watches.size()); }
    std::string GetWatchName(int row) override { return watches.at(static_cast<size_t>(row)).name; }
    void SetWatchValue(int row, const std::string& type, const std::string& value, const std::string& full) override;

    // The editor shows this entry's text (its rows counted as the editor does).
    void OpenText(const std::string& name, const std::string& text);
    bool AllWatchesSet() const;
    // New rows with these names; every value column empty.
    void SetWatches(const std::vector<std::string>& names);

    std::string openFile;
    int editorRows = 0, caretRow = 0, executionRow = -1, taskState = 0, breaks = 0;
    std::set<int> marks;
    std::vector<WatchRow> watches;
    std::string output;
};

class ILinkRunner;
struct CheckOptions;
// "debug": breakpoints, run, watches, steps, pause, run to a line, stop.
// "debug-hostile": a board whose debugger answers lie; the link must stay.
std::string DebugScenario(ILinkRunner& r, const CheckOptions& o, bool hostile);
