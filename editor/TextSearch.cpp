#include "editor/TextSearch.h"

#include "editor/CodePage949.h"

namespace {

int LineStart(const char* text, int pos)
{
    while (pos > 0 && text[pos - 1] != '\n')
        --pos;
    return pos;
}

unsigned char Fold(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

} // namespace

bool PartsLineEnd(const char* text, int length, int pos, int n)
{
    return (pos > 0 && text[pos - 1] == '\r' && text[pos] == '\n') ||
           (pos + n < length && text[pos + n - 1] == '\r' && text[pos + n] == '\n');
}

int CharStartAt949(const char* text, int pos)
{
    // A line starts a character (CR and LF trail no lead byte): walk from there.
    int p = LineStart(text, pos);
    while (p < pos) {
        int n = CharLength949(text, p, pos + 1);
        if (p + n > pos)
            break;
        p += n;
    }
    return p;
}

bool MatchAt949(const char* text, int length, int pos, std::string_view needle, bool matchCase)
{
    const int n = static_cast<int>(needle.size());
    if (n == 0 || pos < 0 || pos > length - n)
        return false;
    const char* pat = needle.data();
    for (int i = 0; i < n;) {
        int len = CharLength949(pat, i, n);
        if (CharLength949(text, pos + i, length) != len)
            return false;
        if (len == 2) {
            if (text[pos + i] != pat[i] || text[pos + i + 1] != pat[i + 1])
                return false;
        } else {
            unsigned char a = static_cast<unsigned char>(text[pos + i]);
            unsigned char b = static_cast<unsigned char>(pat[i]);
            if (matchCase ? a != b : Fold(a) != Fold(b))
                return false;
        }
        i += len;
    }
    return true;
}

int FindForward949(const char* text, int length, std::string_view needle, int from, bool matchCase)
{
    if (needle.empty() || from < 0 || from > length)
        return -1;
    const int last = length - static_cast<int>(needle.size());
    for (int p = CharStartAt949(text, from); p <= last; p += CharLength949(text, p, length)) {
        if (p >= from && MatchAt949(text, length, p, needle, matchCase))
            return p;
    }
    return -1;
}

int FindBackward949(const char* text, int length, std::string_view needle, int limit, bool matchCase)
{
    const int n = static_cast<int>(needle.size());
    if (n == 0 || limit > length)
        return -1;
    int last = limit - n; // the greatest start that ends in time
    // Line by line from the one holding the last start: character starts are
    // known only walking forward from a line start.
    for (int lineEnd = last; lineEnd >= 0;) {
        int ls = LineStart(text, lineEnd);
        int found = -1;
        for (int p = ls; p <= lineEnd; p += CharLength949(text, p, length))
            if (MatchAt949(text, length, p, needle, matchCase))
                found = p;
        if (found >= 0)
            return found;
        lineEnd = ls - 1;
    }
    return -1;
}

std::vector<int> FindAllForward949(const char* text, int length, std::string_view needle, int from, bool matchCase)
{
    std::vector<int> found;
    const int n = static_cast<int>(needle.size());
    if (n == 0 || from < 0 || from > length)
        return found;
    for (int p = CharStartAt949(text, from); p <= length - n;) {
        if (p >= from && MatchAt949(text, length, p, needle, matchCase) && !PartsLineEnd(text, length, p, n)) {
            found.push_back(p);
            p += n; // a match covers whole characters
        } else {
            p += CharLength949(text, p, length);
        }
    }
    return found;
}

std::vector<int> FindAllBackward949(const char* text, int length, std::string_view needle, int limit, bool matchCase)
{
    std::vector<int> found;
    const int n = static_cast<int>(needle.size());
    if (n == 0 || limit > length)
        return found;
    // Every match ending in time, then the ones a walk from the end takes.
    for (int p = 0; p <= limit - n; p += CharLength949(text, p, length))
        if (MatchAt949(text, length, p, needle, matchCase) && !PartsLineEnd(text, length, p, n))
            found.push_back(p);
    size_t kept = found.size();
    int bound = limit;
    for (size_t i = found.size(); i-- > 0;)
        if (found[i] + n <= bound) {
            bound = found[i];
            found[--kept] = found[i];
        }
    found.erase(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(kept));
    return found;
}
