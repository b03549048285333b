#include "editor/Win32Converter.h"

#include <climits>
#include <windows.h>

CWin32Converter::CWin32Converter(unsigned codePage) : m_codePage(codePage == CP_ACP ? GetACP() : codePage) {}

bool CWin32Converter::FromUtf16(const char16_t* units, size_t count, std::string& out) const
{
    out.clear();
    if (count == 0)
        return true;
    if (count > INT_MAX / 4)
        return false;
    const wchar_t* src = reinterpret_cast<const wchar_t*>(units);
    // No best fit: a character the code page lacks must become '?', not a
    // look-alike, so that the used-default flag tells us about it. UTF-8 as
    // the ANSI code page (a Windows 10 option) takes neither the flag nor the
    // used-default pointer, and can hold every character anyway.
    bool utf8 = m_codePage == CP_UTF8;
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    int n = WideCharToMultiByte(m_codePage, flags, src, static_cast<int>(count), nullptr, 0, nullptr, used);
    if (n <= 0)
        return false;
    out.resize(static_cast<size_t>(n));
    usedDefault = FALSE;
    n = WideCharToMultiByte(m_codePage, flags, src, static_cast<int>(count), out.data(), n, nullptr, used);
    if (n <= 0) {
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(n));
    return !usedDefault;
}

std::unique_ptr<CCodePageConverter> CreateCodePageConverter(unsigned codePage)
{
    if (codePage != 0 && !IsValidCodePage(codePage))
        return nullptr;
    return std::make_unique<CWin32Converter>(codePage == 0 ? CP_ACP : codePage);
}
