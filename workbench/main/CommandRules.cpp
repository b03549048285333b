#include "workbench/main/CommandRules.h"

namespace cmdrules {

namespace {

// A request may go to the board: connected to the script firmware it has
// identified, no job running, nothing under way.
bool DeviceReady(const State& s) {
    return s.connected && s.boardKnown && !s.isp && !s.jobRunning && !s.transferBusy;
}

// Paused, or one of the states the board reports while halted in a task.
bool Halted(int task) { return task == kTaskPaused || task == 4 || task == 5; }

bool Debugging(const State& s) { return s.phpDebug && DeviceReady(s); }

Decision Is(bool enabled) {
    Decision d;
    d.enabled = enabled;
    return d;
}

Decision Mark(bool checked) {
    Decision d;
    d.enabled = true;
    d.checked = checked;
    return d;
}

Decision DebuggerButton(Command c, const State& s) {
    const int t = s.taskState;
    const bool ready = Debugging(s);
    Decision d;
    switch (c) {
    case Command::Run: d.enabled = ready && (t == kTaskStopped || Halted(t)); break;
    case Command::Stop: d.enabled = ready && (t == kTaskRunning || Halted(t)); break;
    case Command::Pause: d.enabled = ready && t == kTaskRunning; break;
    case Command::StepIn:
    case Command::StepOver: d.enabled = ready && (t == kTaskStopped || Halted(t)); break;
    default: break;
    }
    const bool pause = PauseShown(s);
    if (c == Command::Run) d.visible = !pause;
    if (c == Command::Pause) d.visible = pause;
    return d;
}

}  // namespace

bool PauseShown(const State& s) {
    if (!s.phpDebug) return s.pauseShown;
    if (s.taskState == kTaskRunning) return true;
    if (s.taskState == kTaskStopped || Halted(s.taskState)) return false;
    return s.pauseShown;
}

Decision Decide(Command c, const State& s) {
    switch (c) {
    case Command::Connect:
    case Command::PortList: return Is(!s.connected);
    case Command::Disconnect: return Is(s.connected);
    case Command::Settings:
    case Command::Upload:
    case Command::ProductInfo:
    case Command::NetworkInfo:
    case Command::PhpErrorLog:
    case Command::FirmwareErrorLog: return Is(DeviceReady(s));
    case Command::ChangeFirmware: return Is(DeviceReady(s) && !s.uploadsRefused);
    // These two also talk to the boot loader.
    case Command::UpgradeFirmware:
    case Command::Reboot: return Is(s.connected && s.boardKnown && !s.jobRunning && !s.transferBusy);
    case Command::Run:
    case Command::Stop:
    case Command::Pause:
    case Command::StepIn:
    case Command::StepOver: return DebuggerButton(c, s);
    // The key follows the button's states (4 and 5 are halted like 2), but
    // not its debug-mode gate.
    case Command::StepOverKey: return Is(DeviceReady(s) && (s.taskState == kTaskStopped || Halted(s.taskState)));
    case Command::ToggleBreakpoint:
    case Command::RemoveBreakpoints:
        // Without a port the service says so; a board not known yet hears nothing.
        return Is(s.phpDebug && s.editorVisible && !s.jobRunning && (!s.connected || s.boardKnown));
    case Command::RunToLine: return Is(Debugging(s) && s.editorVisible);
    case Command::OpenKbx: return Is(!s.isp && !s.jobRunning);
    case Command::SaveSelected: return Is(s.selectedFiles > 0 && !s.jobRunning);
    case Command::SaveKbx: return Is(s.entryCount >= 2 && !s.jobRunning);
    case Command::Undo: return Is(s.canUndo && !s.editorReadOnly);
    case Command::Redo: return Is(s.canRedo && !s.editorReadOnly);
    case Command::Cut: return Is(s.editorSelection && !s.editorReadOnly);
    case Command::Copy: return Is(s.editorSelection);
    case Command::Paste: return Is(s.clipboardText && !s.editorReadOnly);
    case Command::Find: return Is(s.editorHasText);
    case Command::FindNext:
    case Command::FindPrevious: return Is(s.findReady);
    case Command::Change: return Is(s.editorHasText && !s.editorReadOnly);
    case Command::DeleteFiles: return Is(DeviceReady(s) && !s.uploadsRefused);
    case Command::FirmwareDebugMode: return Mark(s.firmwareLog);
    case Command::PhpDebugMode: return Mark(s.phpDebug);
    case Command::LanguageKorean: return Mark(s.language == 1042);
    case Command::LanguageEnglish: return Mark(s.language == 1033);
    case Command::SelectAll:
    case Command::Preferences:
    case Command::Font:
    case Command::About: return Is(true);
    }
    return Decision();
}

}  // namespace cmdrules
