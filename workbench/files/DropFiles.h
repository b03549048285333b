// The file-drop block (the Windows DROPFILES layout with ANSI names) that
// drags of the file list carry, built without Windows. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dropfiles {
constexpr size_t kHeaderSize = 20;
// Header, each name with its NUL, a closing NUL; empty for no names.
std::vector<uint8_t> Build(const std::vector<std::string>& names);
}  // namespace dropfiles
