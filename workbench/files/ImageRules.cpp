#include "workbench/files/ImageRules.h"

#include <algorithm>

void CImageSizeHistory::Reset(int width, int height) {
    m_sizes[0][0] = width;
    m_sizes[0][1] = height;
    m_count = 1;
    m_index = 0;
}

void CImageSizeHistory::Push(int width, int height) {
    int index = m_index + 1;
    if (index >= kCapacity) {
        for (int i = 1; i < kCapacity; ++i) {
            m_sizes[i - 1][0] = m_sizes[i][0];
            m_sizes[i - 1][1] = m_sizes[i][1];
        }
        index = kCapacity - 1;
    }
    m_index = index;
    m_count = index + 1;
    m_sizes[index][0] = width;
    m_sizes[index][1] = height;
}

bool CImageSizeHistory::Undo(int& width, int& height) {
    if (m_index <= 0) return false;
    --m_index;
    width = m_sizes[m_index][0];
    height = m_sizes[m_index][1];
    return true;
}

bool CImageSizeHistory::Redo(int& width, int& height) {
    if (m_index + 1 >= m_count) return false;
    ++m_index;
    width = m_sizes[m_index][0];
    height = m_sizes[m_index][1];
    return true;
}

namespace imagerules {

bool ParseNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    value = v;
    return true;
}

bool ParseSide(const std::string& text, int& value) {
    int v = 0;
    if (text.size() > 5 || !ParseNumber(text, v) || v < 1 || v > kMaxSide) return false;
    value = v;
    return true;
}

int KeepRatio(int value, int from, int to) {
    if (from <= 0 || value <= 0 || to <= 0) return 0;
    const double follow = static_cast<double>(value) / from * to;
    if (follow >= 999999999.0) return 999999999;
    return std::max(1, static_cast<int>(follow));
}

bool CanAnimate(unsigned frames, unsigned delays) { return frames >= 2 && delays >= frames; }

unsigned FrameDelayMs(uint32_t hundredths) {
    if (hundredths == 0) return 100;
    return std::min<uint32_t>(hundredths, 6000) * 10;
}

int ScrollPosition(int code, int pos, int min, int max, int page, int track, int line) {
    const int limit = std::max(min, max - std::max(page, 1) + 1);
    switch (code) {
    case 0: return std::max(min, pos - line);                 // SB_LINEUP
    case 1: return std::min(limit, pos + line);               // SB_LINEDOWN
    case 2: return std::max(min, pos - page);                 // SB_PAGEUP
    case 3: return std::min(limit, pos + page);               // SB_PAGEDOWN
    case 4: case 5: return std::max(min, std::min(limit, track));  // SB_THUMBPOSITION, SB_THUMBTRACK
    default: return pos;
    }
}

}  // namespace imagerules
