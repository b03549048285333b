#include "config/AnsiText.h"

#include <windows.h>

namespace {

std::string Convert(const std::string& in, UINT from, UINT to) {
    if (in.empty()) return {};
    int n = ::MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), &wide[0], n);
    int m = ::WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (m <= 0) return {};
    std::string out(static_cast<size_t>(m), '\0');
    ::WideCharToMultiByte(to, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
    return out;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) { return Convert(ansi, CP_ACP, CP_UTF8); }
std::string Utf8ToAnsi(const std::string& utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
