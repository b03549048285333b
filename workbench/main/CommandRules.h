// Which command of the main window is enabled, checked or shown in which
// state. One table for the buttons, the menu popups, the keys and every
// command handler, so a command that arrives by another road (a key, a posted
// message, a removal handled while a menu is open) is refused the same way.
// Portable.
#pragma once

namespace cmdrules {

enum class Command {
    // Buttons (and their keys).
    Connect, Disconnect, Settings, Upload, Run, Stop, Pause, StepIn, StepOver,
    // F10 steps over whether or not PHP debug mode is on.
    StepOverKey,
    // Editor and breakpoint relays.
    ToggleBreakpoint, RunToLine, RemoveBreakpoints,
    // File menu.
    OpenKbx, SaveSelected, SaveKbx,
    // Edit menu.
    Undo, Redo, Cut, Copy, Paste, SelectAll, Find, FindNext, FindPrevious, Change, Preferences,
    // Function menu.
    ProductInfo, NetworkInfo, PhpErrorLog, FirmwareErrorLog, UpgradeFirmware, Reboot,
    FirmwareDebugMode, PhpDebugMode, Font, LanguageKorean, LanguageEnglish, About,
    // File list.
    DeleteFiles, ChangeFirmware,
    // Port list drop-down.
    PortList,
};

// Task states as the board reports them (0 before any report).
enum TaskState { kTaskUnknown = 0, kTaskStopped = 1, kTaskPaused = 2, kTaskRunning = 3 };

struct State {
    bool connected = false;
    // The board on the port has answered and is identified (or answers as
    // its boot loader): false while a connect or a return is awaited.
    bool boardKnown = false;
    bool isp = false;             // the board answers as its boot loader
    bool jobRunning = false;      // the wait box is open
    bool transferBusy = false;    // a request or transfer is under way
    bool uploadsRefused = false;  // the board's image refuses uploads
    int taskState = kTaskUnknown;
    bool phpDebug = false;
    bool firmwareLog = false;
    bool pauseShown = false;      // Pause stands where Run was (current look)
    bool editorVisible = true;
    bool editorReadOnly = true;
    bool editorHasText = false;
    bool editorSelection = false;
    bool canUndo = false;
    bool canRedo = false;
    bool clipboardText = false;
    bool findReady = false;       // the find dialog exists with a search text
    int selectedFiles = 0;
    int entryCount = 0;
    unsigned language = 0;        // 1033 English, 1042 Korean
};

struct Decision {
    bool enabled = false;
    bool checked = false;
    bool visible = true;
};

Decision Decide(Command command, const State& state);

inline bool Enabled(Command command, const State& state) { return Decide(command, state).enabled; }

// Where Pause stands after the task state and mode in state: true when
// Pause shows in Run's place (the state's pauseShown is the look before).
bool PauseShown(const State& state);

}  // namespace cmdrules
