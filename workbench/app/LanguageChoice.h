// The user-interface language at start: "Lang" from the registry, else the
// system's default, kept only when the program's resources exist in it (and
// the ANSI code page can show them), else English. Portable.
#pragma once

#include <cstdint>
#include <functional>

namespace language {

constexpr uint32_t kEnglish = 1033;
constexpr uint32_t kKorean = 1042;

struct Choice {
    uint32_t language = kEnglish;
    bool write = false;  // "Lang" is written back with the language
};

// stored: the value read (0 when absent or unreadable). usable(lang): the
// string table holds the probe string in lang and it converts without loss.
Choice Settle(uint32_t stored, uint32_t systemDefault, const std::function<bool(uint32_t)>& usable);

}  // namespace language
