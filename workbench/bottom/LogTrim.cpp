#include "workbench/bottom/LogTrim.h"

CLogTrim::Cut CLogTrim::FrontCut(const std::string& text, size_t oldLength, size_t keep, LeadByteTest isLead)
{
    Cut cut;
    const size_t size = text.size();
    if (size <= keep)
        return cut;
    const size_t least = size - keep;

    // The first character boundary at or after least: walk from the start,
    // which is a boundary, since a trail byte can look like a lead byte.
    size_t at = 0;
    while (at < least)
        at += (isLead && isLead(static_cast<unsigned char>(text[at])) && at + 1 < size) ? 2 : 1;
    if (at > size)
        at = size;
    if (at < size && at > 0 && text[at - 1] == '\r' && text[at] == '\n')
        ++at;

    // A line start close behind is the better place.
    const size_t reach = kLimit - kKeep;
    for (size_t i = at > 0 ? at - 1 : 0; i < size && i < at + reach; ++i) {
        if (text[i] == '\n') {
            at = i + 1;
            break;
        }
    }

    cut.bytes = at;
    cut.oldTextGone = at >= oldLength;
    const size_t inOld = at < oldLength ? at : oldLength;
    size_t lineStart = 0;
    for (size_t i = 0; i < inOld; ++i) {
        if (text[i] == '\n') {
            ++cut.lines;
            lineStart = i + 1;
        }
    }
    for (size_t i = lineStart; i < inOld; ++cut.partChars)
        i += (isLead && isLead(static_cast<unsigned char>(text[i])) && i + 1 < inOld) ? 2 : 1;
    return cut;
}

void CLogTrim::BoundPending(std::string& pending, LeadByteTest isLead)
{
    if (pending.size() <= 2 * kLimit)
        return;
    const Cut cut = FrontCut(pending, 0, kLimit, isLead);
    pending.erase(0, cut.bytes);
}

std::string CLogTrim::OneLine(const char* text)
{
    std::string line;
    for (const char* p = text; p && *p; ++p)
        if (*p != '\r' && *p != '\n')
            line += *p;
    return line;
}
