#include "editor/ParseHtml.h"

#include "editor/DisplayLines.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>

namespace {

const char kDelimiters[] = " \t\r\n\"'\\.,<>:;/()[]{}~!@#%^&*-+=?|$";

// Each word is followed by one blank. Entries holding a delimiter (such as
// "accetp-charset") can never be looked up, since words end at delimiters.
const char kHtmlTags[] =
    "a abbr above acronym address applet array area b base basefont bdo bgsound big blink blockquote body box "
    "br button caption center cite code col colgroup comment dd del dfn dir div dl dt em embed fieldset fig "
    "font form frame frameset h1 h2 h3 h4 h5 h6 head hr html i iframe ilayer img input ins isindex kbd label "
    "layer legend li link listring map marquee menu meta multicol nextid nobr noframes nolayer note noscript "
    "object ol option optgroup p param pre q quote range root s samp script select small sound spacer span "
    "sqrt strike strong style sub sup table tbody td text textarea tfoot th thead title tr tt u ul var wbr xmp ";
const char kHtmlAttributes[] =
    "abbr accetp-charset accept accesskey action align alink alt archive axis background behavior below "
    "bgcolor border cellpadding cellspacing char charoff charset checked cite class classid clear code codebase "
    "codetype color cols colspan compact content coords data datetime dir enctype face for frame frameborder "
    "framespacing headers height hidden href hreflang hspace http-equiv id ismap label lang language link loop "
    "longdesc mailto marginheight marginwidth maxlength media method multiple name nohref noresize noshade "
    "object onblur onchange onfocus onkeydown onkeypress onkeyup onload onreset onselect onsubmit onunload "
    "onclick ondblclick onmousemdown onmousemove onmouseout onmouseover onmouseup profile prompt readonly rel "
    "rev rows rowspan rules scheme scope scrolling selected shape size span src standby start style summary "
    "tabindex target text tile topmargin type url usemap valign value valuetype version vlink vspace width ";
const char kPhpKeywords[] =
    "array bool break case continue default define do else elseif false float for function global if include "
    "include_once int integer php return string switch true void while die exit ";
const char kPhpFunctions[] =
    "echo bin2int hexdump int2bin pid_bind pid_close pid_connect pid_ioctl pid_listen pid_lseek pid_open "
    "pid_read pid_recv pid_recvfrom pid_send pid_sendto pid_write _GET _POST _SERVER bin2hex count die explode "
    "exit flush header hex2bin inet_ntop inet_pton ltrim printf rtrim set_time_limit sleep sprintf str_replace "
    "strlen strpos strtolower strtoupper substr substr_replace system usleep abs acos asin atan atan2 ceil cos "
    "deg2rad exp floor is_finite is_infinite is_nan log pow rad2deg rand round sin sqrt tan ";
const char kAspKeywords[] =
    "and call case delete dim dowhile else elseif end false for foreach from function if in insert int into "
    "isdate isnull isnumeric isstring key left len like loop mid next or right select set split sub then to "
    "true update values wend where while with ";

struct DelimiterTable
{
    bool is[256] = {};
    DelimiterTable()
    {
        for (const char* p = kDelimiters; *p; ++p)
            is[static_cast<unsigned char>(*p)] = true;
    }
};
const DelimiterTable g_delimiters;

// A word list as a set. A looked-up word is matched only whole (it is
// searched as blank + word + blank); a word that holds a blank could match
// several list words in a row, but such a word always ends in the "<" of a
// block opener, which no list holds, so a set gives the same answers.
class CWordList
{
public:
    explicit CWordList(const char* list)
    {
        const char* p = list;
        while (*p) {
            const char* e = std::strchr(p, ' ');
            m_words.emplace(p, static_cast<size_t>(e - p));
            m_longest = std::max(m_longest, static_cast<size_t>(e - p));
            p = e + 1;
        }
    }
    bool Has(const char* text, int start, int end, bool anyCase) const
    {
        if (end < start)
            return false;
        size_t n = static_cast<size_t>(end - start + 1);
        if (n > m_longest)
            return false; // longer than every word: no copy, no overflow
        char word[64];
        for (size_t i = 0; i < n; ++i) {
            char c = text[start + i];
            word[i] = anyCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        }
        return m_words.count(std::string_view(word, n)) != 0;
    }

private:
    std::unordered_set<std::string_view> m_words;
    size_t m_longest = 0;
};

const CWordList& Tags()
{
    static const CWordList list(kHtmlTags);
    return list;
}
const CWordList& Attributes()
{
    static const CWordList list(kHtmlAttributes);
    return list;
}
const CWordList& PhpKeywords()
{
    static const CWordList list(kPhpKeywords);
    return list;
}
const CWordList& PhpFunctions()
{
    static const CWordList list(kPhpFunctions);
    return list;
}
const CWordList& AspKeywords()
{
    static const CWordList list(kAspKeywords);
    return list;
}

} // namespace

bool CParseHtml::IsDelimiter(unsigned char c)
{
    return g_delimiters.is[c];
}

bool CParseHtml::IsHtmlTag(const char* text, int start, int end)
{
    return Tags().Has(text, start, end, true);
}
bool CParseHtml::IsHtmlAttribute(const char* text, int start, int end)
{
    return Attributes().Has(text, start, end, true);
}
bool CParseHtml::IsScriptKeyword(const char* text, int start, int end)
{
    return PhpKeywords().Has(text, start, end, false);
}
bool CParseHtml::IsScriptFunction(const char* text, int start, int end)
{
    return PhpFunctions().Has(text, start, end, false);
}
bool CParseHtml::IsAspKeyword(const char* text, int start, int end)
{
    return AspKeywords().Has(text, start, end, false);
}

CParseHtml::CParseHtml()
{
    struct
    {
        int32_t text, background;
    } const table[] = {
        {-1, -1},       {0xFF0000, -1},       {0x0000FF, -1},       {0x008000, -1},       {0x008000, -1},
        {-1, 0xF4CF8D}, {0xFF0000, 0xF4CF8D}, {0x008000, 0xF4CF8D}, {0x808080, 0xF4CF8D}, {-1, -1},
        {0xFF0000, -1}, {0x1515A3, -1},       {0x008000, -1},       {0xFF0000, -1},
    };
    for (size_t i = 0; i < sizeof table / sizeof table[0]; ++i) {
        m_styles[i].text = table[i].text;
        m_styles[i].background = table[i].background;
    }
}

ParseInfo CParseHtml::GetInfo(int index) const
{
    switch (index) {
    case 0:
        return ParseInfo{2, nullptr};
    case 1:
        return ParseInfo{0, kDelimiters};
    case 2:
        return ParseInfo{0, "//"};
    case 3:
        return ParseInfo{0, "<!--"};
    case 4:
        return ParseInfo{0, "-->"};
    case 5:
        return ParseInfo{0, "{"};
    case 6:
        return ParseInfo{0, "}"};
    default:
        return ParseInfo{};
    }
}

void CParseHtml::ParseLine(const char* text, const CDisplayLines& lines, int line)
{
    if (IsParsed(line) || line >= LineCount())
        return;
    Line(line).spans.clear();
    int state = line == 0 ? kHtml : EndState(line - 1);
    int s = lines.Start(line);
    int e = lines.End(line);
    if (s < 0) {
        AddSpan(line, 0, kStyleText);
        Line(line).endState = state;
        return;
    }
    int w = s;

    static const int entryStyle[] = {0, 0, 4, 3, 3, 5, 5, 7, 9, 11, 11, 9, 4};
    AddSpan(line, s, entryStyle[state]);
    if (state == kAspComment)
        state = kAsp; // the remark ended with its line
    else if (state == kPhpLineComment)
        state = kPhp;

    auto at = [&](int p, const char* what) {
        for (int k = 0; what[k]; ++k)
            if (p + k >= e || text[p + k] != what[k])
                return false;
        return true;
    };
    // The word before a delimiter (or the row's last byte) ends at p - 1, or
    // at p when p is the last byte and no delimiter; false when no word test.
    auto wordEnd = [&](int p, unsigned char c, int& end) {
        bool delim = IsDelimiter(c);
        if (!delim && p != e - 1)
            return false;
        end = (p == e - 1 && !delim) ? p : p - 1;
        return true;
    };
    auto followsOpen = [&](int from) {
        return (from > 0 && text[from - 1] == '<') || (from > 1 && text[from - 2] == '<' && text[from - 1] == '/');
    };

    bool finished = false;
    for (int p = s; p < e && !finished; ++p) {
        unsigned char c = static_cast<unsigned char>(text[p]);
        int end;
        switch (state) {
        case kHtml:
            if (c != '<')
                break;
            if (at(p, "<!--")) {
                AddSpan(line, p, kStyleComment);
                p += 3;
                state = kComment;
            } else if (at(p, "<%")) {
                AddSpan(line, p, kStyleAsp);
                state = kAsp;
            } else if (at(p, "<?")) {
                AddSpan(line, p, kStylePhp);
                state = kPhp;
            } else {
                AddSpan(line, p, kStyleTag);
                AddSpan(line, p + 1, kStyleText);
                w = p + 1;
                state = kTag;
            }
            break;
        case kTag:
            if (c == '"' || c == '\'') {
                AddSpan(line, p, kStyleValue);
                state = c == '"' ? kValueDouble : kValueSingle;
                break;
            }
            if (wordEnd(p, c, end)) {
                if (end >= w) {
                    if (followsOpen(w)) {
                        if (IsHtmlTag(text, w, end)) {
                            int from = (w > s && text[w - 1] == '/') ? w - 1 : w;
                            AddSpan(line, from, kStyleTag);
                            AddSpan(line, end + 1, kStyleText);
                        }
                    } else if (IsHtmlAttribute(text, w, end)) {
                        AddSpan(line, w, kStyleAttribute);
                        AddSpan(line, end + 1, kStyleText);
                    }
                }
                w = p + 1;
            }
            if (c == '>') {
                AddSpan(line, p, kStyleTag);
                AddSpan(line, p + 1, kStyleText);
                state = kHtml;
            }
            break;
        case kComment:
            if (at(p, "-->")) {
                AddSpan(line, p + 3, kStyleText);
                w = p + 3;
                p += 2;
                state = kHtml;
            }
            break;
        case kValueDouble:
        case kValueSingle:
            if (c == '\\') {
                ++p;
            } else if (c == (state == kValueDouble ? '"' : '\'')) {
                AddSpan(line, p + 1, kStyleText);
                w = p + 1;
                state = kTag;
            }
            break;
        case kAsp:
            if (at(p, "%>")) {
                AddSpan(line, p + 2, kStyleText);
                w = p + 2;
                state = kHtml;
                ++p;
                c = static_cast<unsigned char>(text[p]);
            }
            if (c == '"') {
                AddSpan(line, p, kStyleAspString);
                state = kAspString;
            } else if (c == '\'') {
                AddSpan(line, p, kStyleAspComment);
                state = kAspComment;
                finished = true;
            } else if (wordEnd(p, c, end)) {
                if (end >= w && IsAspKeyword(text, w, end)) {
                    AddSpan(line, w, kStyleAspKeyword);
                    AddSpan(line, end + 1, kStyleAsp);
                }
                w = p + 1;
            }
            break;
        case kAspString:
            if (at(p, "%>")) {
                AddSpan(line, p + 2, kStyleText);
                w = p + 2;
                state = kHtml;
                ++p;
                c = static_cast<unsigned char>(text[p]);
            }
            if (c == '"') {
                AddSpan(line, p + 1, kStyleAsp);
                w = p + 1;
                state = kAsp;
            }
            break;
        case kPhp:
            if (at(p, "?>")) {
                AddSpan(line, p + 2, kStyleText);
                w = p + 2;
                ++p;
                state = kHtml;
            } else if (c == '"' || c == '\'') {
                AddSpan(line, p, kStylePhpString);
                state = c == '"' ? kPhpDouble : kPhpSingle;
            } else if (at(p, "/*")) {
                AddSpan(line, p, kStylePhpComment);
                ++p;
                state = kPhpBlockComment;
            } else if (at(p, "//")) {
                AddSpan(line, p, kStylePhpComment);
                state = kPhpLineComment;
                finished = true;
            } else if (wordEnd(p, c, end)) {
                if (end >= w) {
                    if (IsScriptKeyword(text, w, end)) {
                        AddSpan(line, w, kStylePhpKeyword);
                        AddSpan(line, end + 1, kStylePhp);
                    } else if (IsScriptFunction(text, w, end)) {
                        AddSpan(line, w, kStylePhpFunction);
                        AddSpan(line, end + 1, kStylePhp);
                    }
                }
                w = p + 1;
            }
            break;
        case kPhpDouble:
        case kPhpSingle:
            // "?>" ends the block even inside a string.
            if (at(p, "?>")) {
                AddSpan(line, p + 2, kStyleText);
                w = p + 2;
                ++p;
                state = kHtml;
            } else if (c == (state == kPhpDouble ? '"' : '\'') && !(p > 0 && text[p - 1] == '\\')) {
                AddSpan(line, p + 1, kStylePhp);
                w = p + 1;
                state = kPhp;
            }
            break;
        case kPhpBlockComment:
            if (at(p, "*/")) {
                AddSpan(line, p + 2, kStylePhp);
                w = p + 2;
                ++p;
                state = kPhp;
            }
            break;
        default:
            break;
        }
    }
    Line(line).endState = state;
}
