#include "workbench/main/Preferences.h"

namespace prefs {

namespace {
int Flag(int v) { return v != 0 ? 1 : 0; }
}

void Sanitize(PreferenceBlock& b) {
    b.margin = Flag(b.margin);
    b.lineNumbers = Flag(b.lineNumbers);
    b.currentLine = Flag(b.currentLine);
    b.autoScroll = Flag(b.autoScroll);
    if (b.lineGap < 100 || b.lineGap > 300) b.lineGap = 120;
    if (b.tabSize < 1 || b.tabSize > 16) b.tabSize = 4;
    if (b.addFile < 0 || b.addFile > 2) b.addFile = 0;
    if (b.backupPath.size() >= kMaxPath) b.backupPath.resize(kMaxPath - 1);
}

int ClampFontHeight(int height, int fallback) {
    // Characters of 6 to 72 pixels, either sign (negative: character height).
    const int magnitude = height < 0 ? -height : height;
    if (magnitude < 6 || magnitude > 72) return fallback;
    return height;
}

int LogFontHeight(int editorHeight) { return editorHeight < -20 ? -20 : editorHeight; }

int IndexOf(const int (&table)[5], int value) {
    for (int i = 0; i < 5; ++i)
        if (table[i] == value) return i;
    return -1;
}

}  // namespace prefs
