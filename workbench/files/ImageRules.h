// The image viewer's rules without a window: the history of display sizes
// (undo and redo), the resize dialog's numbers, GIF frame timing, scroll
// positions. Portable.
#pragma once

#include <cstdint>
#include <string>

class CImageSizeHistory {
public:
    static constexpr int kCapacity = 100;

    void Clear() { m_count = 0; m_index = -1; }
    // A newly opened image: its own size is the one entry.
    void Reset(int width, int height);
    // A new size after the current one; later sizes are dropped, the oldest
    // goes when the history is full.
    void Push(int width, int height);
    // Step back or forward; false (and nothing changes) at either end.
    bool Undo(int& width, int& height);
    bool Redo(int& width, int& height);
    int Count() const { return m_count; }
    int Index() const { return m_index; }

private:
    int m_count = 0;
    int m_index = -1;
    int m_sizes[kCapacity][2] = {};
};

namespace imagerules {
constexpr int kMaxSide = 16384;
// A side typed into the resize dialog: digits only, 1 to 16384.
bool ParseSide(const std::string& text, int& value);
// A number typed into the resize dialog: digits only, at most nine; any
// value, so that the ratio can follow what OK will refuse.
bool ParseNumber(const std::string& text, int& value);
// The other side at the opening ratio: value * to / from, truncated, but
// never below 1 for a value of 1 or more (nor above nine digits); 0 when the
// value or the base is 0.
int KeepRatio(int value, int from, int to);
// Animate only with two frames or more and a delay for each.
bool CanAnimate(unsigned frames, unsigned delays);
// A frame's delay in milliseconds from hundredths of a second; a 0 delay
// would spin the timer, so it shows as 100 ms as other viewers do.
unsigned FrameDelayMs(uint32_t hundredths);
// A scroll bar's new position: code is an SB_* value, limit = max - page + 1.
int ScrollPosition(int code, int pos, int min, int max, int page, int track, int line);
}  // namespace imagerules
