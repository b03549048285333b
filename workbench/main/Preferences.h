// The main window's preferences block and the rules for values read from
// Init.ini: a number read as it stands could be 0 (a divide by zero at every
// start) or absurd, so each is brought into its range first. Portable.
#pragma once

#include <string>

struct PreferenceBlock {
    int margin = 1;
    int lineNumbers = 1;
    int currentLine = 1;
    int autoScroll = 1;
    int lineGap = 120;
    int tabSize = 4;
    int addFile = 0;
    std::string backupPath;  // at most kMaxPath - 1 characters
};

namespace prefs {

constexpr size_t kMaxPath = 260;
constexpr int kLineGaps[5] = {100, 120, 150, 200, 300};
constexpr int kTabSizes[5] = {1, 2, 4, 8, 16};

// LineGap 100..300 (else 120); TabSize 1..16 (else 4); flags 0 or 1; add
// file 0..2 (else 0); the backup path cut to its buffer.
void Sanitize(PreferenceBlock& block);
// A font height read from Init.ini (LOGFONT lfHeight): bounded to a sane
// character size, else the default.
int ClampFontHeight(int height, int fallback = -14);
// The log panes' font: the editor's height raised to -20 when it is larger.
int LogFontHeight(int editorHeight);
// Index of value in a five-item table, -1 when absent.
int IndexOf(const int (&table)[5], int value);

}  // namespace prefs
