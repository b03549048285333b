// Rules for the names of board files: what a full name may hold, the name
// dialog's checks, the entries made for files added from the PC, and the
// name of the viewer's temporary copy. Portable.
#pragma once

#include "link/FileEntry.h"

#include <string>
#include <vector>

namespace filenames {

// The name's length byte counts the NUL: 254 bytes at most.
constexpr size_t kMaxFullName = 254;

enum class Verdict { Ok, Empty, Unchanged, TooLong, BadName, InUse, NoDot };

// A full name ("file" or "folder/file"): not too long, and no part empty,
// ".", "..", or holding \ : * ? " < > | or a control byte.
Verdict CheckFullName(const std::string& name);

// The file-name dialog: New (mode 0) or Rename (mode 1).
struct NameForm {
    int mode = 0;
    std::vector<std::string> namesInUse;
    std::string oldName;     // Rename: without the folder
    std::string keptExtension;
    std::string prefix;      // "" or "folder/"
    // Rename: what the edit starts with; keeps the old extension aside.
    // A name without "." is edited whole.
    std::string StartText();
    // OK with the typed text: the full name in result when Ok.
    Verdict Check(const std::string& typed, std::string& result) const;
};

// The entry for a PC file added into the folder ("" for the root); the
// state follows the add action (0 internal, 1 external, 2 asked: internal).
// Verdict NoDot, TooLong or BadName when the name cannot be a board file.
Verdict MakeAddedEntry(const std::string& path, const std::string& folder, int addAction, bool internalChosen,
                       FileEntry& entry);

// The name of the viewer's temporary copy of an entry: one plain file name
// whatever the entry is called (reserved characters and control bytes
// become "-", no "." or "..", no device name, at most 100 bytes). Empty
// when nothing usable is left.
std::string TempFileName(const std::string& entryName);

// Clash with apply-to-all across one Add or drop: state 0 asks (ask gets
// the tick box and says Yes), 1 replaces and -1 skips without asking.
// True when the new file replaces the old one.
template <class Ask>
bool ResolveClash(int& state, Ask ask) {
    if (state != 0) return state > 0;
    bool tick = false;
    const bool yes = ask(tick);
    if (tick) state = yes ? 1 : -1;
    return yes;
}

}  // namespace filenames
