#pragma once
#include <cstddef>
#include <memory>
#include <string>

// Turns UTF-16 text into bytes of an ANSI code page. The editor loads files
// through it; the windows build asks Win32, the native build iconv.
class CCodePageConverter
{
public:
    virtual ~CCodePageConverter() = default;

    // Replaces out. A character the code page cannot hold becomes '?' and
    // makes the result false, so the caller learns that the text changed.
    // The input must be well-formed UTF-16 (no lone surrogates).
    virtual bool FromUtf16(const char16_t* units, size_t count, std::string& out) const = 0;
};

// codePage 0 is the system's ANSI code page (949 in the native build).
// Null when the code page is not available.
std::unique_ptr<CCodePageConverter> CreateCodePageConverter(unsigned codePage = 0);
