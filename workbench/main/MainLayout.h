// The main window's geometry: where each pane and button goes for a client
// size, what a released splitter makes of the split, and which saved layout
// values are sane enough to apply. Portable.
#pragma once

#include <cstdint>

namespace mainlayout {

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
};

constexpr int kMinSplitterX = 195;
constexpr int kDefaultSplitterY = 70;
constexpr int kMinWidth = 640;
constexpr int kMinHeight = 480;

struct ButtonSize {
    int w = 0, h = 0;
};

// Sizes of the debugger buttons: Stop, Run, Pause, Step In, Step Over.
struct DebugButtons {
    ButtonSize stop, run, pause, stepIn, stepOver;
};

struct Layout {
    bool valid = false;  // false: the client is too small, nothing moves
    int splitterX = 0;   // possibly lowered to fit the width
    Box editor, stop, run, pause, stepIn, stepOver;
    Box combo, comLabel, listLabel, nameLabel, sizeLabel, fileList, flashBar;
    Box vSplitter, hSplitter, bottom;
    Box connect, disconnect, settings, upload;
};

Layout Compute(int width, int height, int splitterX, int splitterY, const DebugButtons& buttons,
               const ButtonSize main[4]);

// A released horizontal splitter: its new top and bottom in a client of the
// height. The split stays as it was when the height is 0.
int HorizontalRelease(int splitterY, int height, int top, int bottom);
// A released vertical splitter at left in a client of the width.
int VerticalRelease(int width, int left);

// The layout values kept in the registry (a missing value reads 0).
struct Saved {
    uint32_t startX = 0, startY = 0, width = 0, height = 0;
    uint32_t splitterY = 0, splitterX = 0, bottomX = 0;
};
struct Applied {
    bool place = false;  // move the window to startX, startY, width x height
    int splitterX = kMinSplitterX;
    int splitterY = kDefaultSplitterY;
    bool bottom = false;  // give bottomX to the bottom pane
};
Applied ApplySaved(const Saved& saved, int virtualWidth, int virtualHeight);

// What to save for the window's normal (restored) rectangle.
Saved ToSave(int left, int top, int right, int bottom, int splitterX, int splitterY, int bottomX);

}  // namespace mainlayout
