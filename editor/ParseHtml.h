#pragma once
#include "editor/Parse.h"

#include <string_view>

// HTML with PHP ("<?" .. "?>") and ASP ("<%" .. "%>") blocks.
class CParseHtml : public CParse
{
public:
    enum State
    {
        kHtml = 0,
        kTag = 1,
        kComment = 2,
        kValueDouble = 3,
        kValueSingle = 4,
        kAsp = 5,
        kAspComment = 6,
        kAspString = 7,
        kPhp = 8,
        kPhpDouble = 9,
        kPhpSingle = 10,
        kPhpLineComment = 11,
        kPhpBlockComment = 12,
    };
    enum StyleNumber
    {
        kStyleText = 0,
        kStyleTag = 1,
        kStyleAttribute = 2,
        kStyleValue = 3,
        kStyleComment = 4,
        kStyleAsp = 5,
        kStyleAspKeyword = 6,
        kStyleAspString = 7,
        kStyleAspComment = 8,
        kStylePhp = 9,
        kStylePhpKeyword = 10,
        kStylePhpString = 11,
        kStylePhpComment = 12,
        kStylePhpFunction = 13,
    };

    CParseHtml();

    void ParseLine(const char* text, const CDisplayLines& lines, int line) override;
    ParseInfo GetInfo(int index) const override;

    // Whole-word lookups in the word lists (tags and attributes in any case).
    static bool IsHtmlTag(const char* text, int start, int end);
    static bool IsHtmlAttribute(const char* text, int start, int end);
    static bool IsScriptKeyword(const char* text, int start, int end);
    static bool IsScriptFunction(const char* text, int start, int end);
    static bool IsAspKeyword(const char* text, int start, int end);

    static bool IsDelimiter(unsigned char c);
};
