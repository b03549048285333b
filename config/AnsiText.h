// Texts between the system's ANSI code page (what the controls hold) and the
// UTF-8 that OpenSSL is given and gives back. Win32 only.
#pragma once

#include <string>

std::string AnsiToUtf8(const std::string& ansi);
// Characters the code page cannot hold become '?'.
std::string Utf8ToAnsi(const std::string& utf8);
