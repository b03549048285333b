#pragma once
#include "editor/CodePageConverter.h"

// WideCharToMultiByte into one code page (CP_ACP when 0).
class CWin32Converter : public CCodePageConverter
{
public:
    explicit CWin32Converter(unsigned codePage) : m_codePage(codePage) {}

    bool FromUtf16(const char16_t* units, size_t count, std::string& out) const override;

private:
    unsigned m_codePage;
};
