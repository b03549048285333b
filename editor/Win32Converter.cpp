#include "editor/Win32Converter.h"

#include <climits>
#include <windows.h>

bool CWin32Converter::FromUtf16(const char16_t* units, size_t count, std::string& out) const
{
    out.clear();
    if (count == 0)
        return true;
    if (count > INT_MAX / 2)
        return false;
    const wchar_t* src = reinterpret_cast<const wchar_t*>(units);
    // No best fit: a character the code page lacks must show up as '?', not
    // as a look-alike, so that the used-default flag tells us about it.
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, src, static_cast<int>(count), nullptr,
                                0, nullptr, &usedDefault);
    if (n <= 0)
        return false;
    out.resize(static_cast<size_t>(n));
    usedDefault = FALSE;
    n = WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, src, static_cast<int>(count), out.data(), n,
                            nullptr, &usedDefault);
    if (n <= 0) {
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(n));
    return !usedDefault;
}

std::unique_ptr<CCodePageConverter> CreateCodePageConverter(unsigned codePage)
{
    unsigned cp = codePage == 0 ? CP_ACP : codePage;
    if (cp != CP_ACP && !IsValidCodePage(cp))
        return nullptr;
    return std::make_unique<CWin32Converter>(cp);
}
