// How a log pane keeps its text bounded: what to cut from the front when new
// text arrives, so the shown text stays short whatever the size of a burst.
// Portable: the ANSI code page's lead bytes come from the caller.
#pragma once

#include <cstddef>
#include <string>

class CLogTrim {
public:
    // Past kLimit bytes the text is cut down to at most kKeep, so that a
    // cut happens once per kLimit - kKeep bytes, not on every append.
    static constexpr size_t kLimit = 8192;
    static constexpr size_t kKeep = kLimit - 2048;

    using LeadByteTest = bool (*)(unsigned char);

    struct Cut {
        size_t bytes = 0;       // bytes dropped from the front
        int lines = 0;          // whole lines among them, counted in the old text
        size_t partChars = 0;   // characters after the last of those lines (a cut inside a line)
        bool oldTextGone = false;  // the cut reaches past the old text
    };

    // text = the old text (its first oldLength bytes) followed by the new.
    // The cut drops as little as keeps at most keep bytes, moved on to the
    // next line start when one comes within kLimit - kKeep bytes; otherwise
    // it falls on a character boundary, never between a lead and a trail
    // byte nor between CR and LF.
    static Cut FrontCut(const std::string& text, size_t oldLength, size_t keep, LeadByteTest isLead);

    // Text queued between flushes stays within twice the limit: its front
    // goes first (the shown text would lose it anyway).
    static void BoundPending(std::string& pending, LeadByteTest isLead);

    // The debugger log's line: every CR and LF removed.
    static std::string OneLine(const char* text);
};
