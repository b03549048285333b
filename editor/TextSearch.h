#pragma once
#include <string_view>
#include <vector>

// Search flags of the find and replace dialogs.
enum : unsigned
{
    kSearchUp = 1,
    kSearchMatchCase = 4,
    kSearchWrap = 8,
};

// Matching on code page 949 text. A match starts only at a character start
// and covers whole characters, so an ASCII letter never matches the trail
// byte of a syllable; without match case only single-byte a-z and A-Z fold.
// Find and Replace both ask these, so they always agree.

// Whether needle matches the text at pos (pos taken as a character start).
bool MatchAt949(const char* text, int length, int pos, std::string_view needle, bool matchCase);
// The first match starting at a character start >= from; -1 when none.
int FindForward949(const char* text, int length, std::string_view needle, int from, bool matchCase);
// The last match that starts at a character start and ends at or before
// limit; -1 when none.
int FindBackward949(const char* text, int length, std::string_view needle, int limit, bool matchCase);
// Every match Replace All replaces, ascending, in one walk over the text:
// forward, those that FindForward949 finds from `from` and again from each
// match's end; backward, those that FindBackward949 finds from `limit` and
// again from each match's start. A match that would part a CR LF is passed
// over: replacing it would leave a lone line-end byte.
std::vector<int> FindAllForward949(const char* text, int length, std::string_view needle, int from, bool matchCase);
std::vector<int> FindAllBackward949(const char* text, int length, std::string_view needle, int limit, bool matchCase);
// The start of the character holding pos (pos itself when it is one).
int CharStartAt949(const char* text, int pos);
// Whether replacing the n bytes at pos would part a CR LF pair.
bool PartsLineEnd(const char* text, int length, int pos, int n);
