#pragma once
#include "editor/CodePageConverter.h"

// WideCharToMultiByte into one code page (the system's ANSI code page for
// CP_ACP, fixed when the converter is made).
class CWin32Converter : public CCodePageConverter
{
public:
    explicit CWin32Converter(unsigned codePage);

    bool FromUtf16(const char16_t* units, size_t count, std::string& out) const override;

private:
    unsigned m_codePage;
};
