#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CCodePageConverter;

// Flags of DetectTextEncoding: one of the encoding half, ORed with one of
// the line-end half (none for NUL data).
enum : uint32_t
{
    kEncodingAnsi = 0x0001,
    kEncodingUtf16Le = 0x0002,
    kEncodingUtf16Be = 0x0004,
    kEncodingUtf8Sig = 0x0020,
    kEncodingUtf8 = 0x0040,
    kEncodingNul = 0x0080,
    kEncodingMask = 0xFFFF,
    kLineEndCrLf = 0x10000,
    kLineEndLoneCr = 0x20000,
    kLineEndLf = 0x40000,
    kLineEndMask = 0xFFFF0000,
};

// What loading had to do to the file's text; the caller decides whether the
// document may then be edited and saved over the original.
enum : uint32_t
{
    kLoadCutAtNul = 0x1,       // a NUL byte ended the text early
    kLoadUnconvertible = 0x2,  // malformed or unmappable characters became '?'
};

uint32_t DetectTextEncoding(const char* data, size_t length);
bool IsUtf8Text(const char* data, size_t length);

// Into the ANSI code page; false when some character did not convert.
bool ConvertToAnsi(const char* data, size_t length, uint32_t encoding, const CCodePageConverter& converter,
                   std::string& out);

bool HasOnlyCrLf(std::string_view text);
// Every CR LF, lone CR and lone LF becomes CR LF.
std::string NormalizeLineEnds(std::string_view text);
// Text typed in as the editor holds it: cut at its first NUL, line ends as
// CR LF (a normalised copy goes into own when one is needed).
std::string_view TextToInsert(std::string_view text, std::string& own);

struct DecodedText
{
    std::string text;      // ANSI, CR LF line ends, no NUL inside
    uint32_t encoding = 0; // DetectTextEncoding's flags
    uint32_t problems = 0; // kLoad* flags
};

// A file's bytes as the editor holds them: detection, conversion to the
// ANSI code page and line ends. Loading and pasting both go through it.
DecodedText DecodeFileText(const char* data, size_t length, const CCodePageConverter& converter);
