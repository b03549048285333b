#include "editor/TextStore.h"

#include "editor/CodePageConverter.h"
#include "editor/TextSearch.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <new>

CTextStore::CTextStore(const CCodePageConverter* converter) : m_converter(converter)
{
    ResetText();
}

std::string CTextStore::GetTextRange(int start, int end) const
{
    start = std::clamp(start, 0, Length());
    end = std::clamp(end, start, Length());
    return m_text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

void CTextStore::Changed(int position, int delta)
{
    int first = m_lines.UpdateLines(m_text.c_str(), position, delta);
    m_parser.InvalidateFrom(first);
    if (m_host)
        m_host->OnTextChanged(position, delta);
}

void CTextStore::NoticeModified()
{
    if (!m_modified && m_host)
        m_host->OnDocModified();
}

bool CTextStore::InsertText(std::string_view text, int position, bool undo, bool silent)
{
    text = text.substr(0, text.find('\0'));
    if (m_readOnly || text.empty() || position < 0 || position > Length() ||
        text.size() > static_cast<size_t>(INT_MAX - 1 - Length()))
        return false;
    int n = static_cast<int>(text.size());
    std::string own;
    try {
        // Bytes of this very text (a line duplicated, say) would dangle once
        // the buffer grows: take a copy first.
        std::less<const char*> before;
        const char* data = m_text.data();
        if (!before(text.data(), data) && before(text.data(), data + m_text.size())) {
            own.assign(text);
            text = own;
        }
        // Room first, then the record: a refused insert leaves no trace.
        m_text.reserve(m_text.size() + text.size());
        if (undo)
            m_undo.RecordInsert(text, position);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!silent)
        NoticeModified();
    m_text.insert(static_cast<size_t>(position), text);
    Changed(position, n);
    if (!silent)
        m_modified = true;

    int lineEnds = static_cast<int>(std::count(text.begin(), text.end(), '\r'));
    if (lineEnds > 0) {
        int row, column;
        m_lines.PosToLineCol(position, row, column);
        int from = row + (column != 0 ? 1 : 0);
        for (int& b : m_bookmarks)
            if (b >= from)
                b += lineEnds;
    }
    return true;
}

bool CTextStore::DeleteText(int position, int count, bool undo)
{
    if (m_readOnly || count <= 0 || position < 0 || position > Length() - count)
        return false;
    std::string_view removed(m_text.data() + position, static_cast<size_t>(count));
    if (undo) {
        try {
            m_undo.RecordDelete(removed, position);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    int lineEnds = static_cast<int>(std::count(removed.begin(), removed.end(), '\r'));
    if (lineEnds > 0) {
        int first = m_lines.PosToLine(position);
        int last = m_lines.PosToLine(position + count);
        for (int& b : m_bookmarks) {
            if (b >= first && b < last)
                b = -1;
            else if (b >= last)
                b -= lineEnds;
        }
    }
    NoticeModified();
    m_text.erase(static_cast<size_t>(position), static_cast<size_t>(count));
    Changed(position, -count);
    m_modified = true;
    return true;
}

void CTextStore::ResetText()
{
    m_parser.InitLines(true);
    m_undo.Reset();
    std::string().swap(m_text);
    m_lines.Reset();
    m_readOnly = false;
    m_modified = false;
    std::fill(std::begin(m_bookmarks), std::end(m_bookmarks), -1);
    Changed(-1, -1);
}

LoadResult CTextStore::SetText(const char* data, size_t length)
{
    ResetText();
    LoadResult result;
    std::unique_ptr<CCodePageConverter> own;
    const CCodePageConverter* converter = m_converter;
    if (!converter) {
        own = CreateCodePageConverter(0);
        converter = own.get();
    }
    try {
        DecodedText decoded;
        if (converter) {
            decoded = DecodeFileText(data, length, *converter);
        } else {
            // No code page to convert into: nothing is loaded, and the caller is told.
            decoded.encoding = DetectTextEncoding(data, length);
            decoded.problems = kLoadUnconvertible;
        }
        result.encoding = decoded.encoding;
        result.problems = decoded.problems;
        if (!decoded.text.empty() && !InsertText(decoded.text, 0, false, true))
            result.problems |= kLoadNoMemory;
    } catch (const std::bad_alloc&) {
        ResetText();
        result.problems |= kLoadNoMemory;
    }
    return result;
}

bool CTextStore::ReplaceRanges(const std::vector<int>& starts, int length, std::string_view with, bool undo)
{
    if (m_readOnly || starts.empty() || length <= 0 || !HasOnlyCrLf(with))
        return false;
    const char* text = m_text.c_str();
    int end = 0;
    for (int p : starts) {
        if (p < end || p > Length() - length)
            return false;
        end = p + length;
        // A lone CR or LF left behind would break the rows' CR LF rule.
        if (PartsLineEnd(text, Length(), p, length))
            return false;
    }
    std::function<void()> record;
    if (undo)
        record = [&] {
            std::string matched;
            matched.reserve(starts.size() * static_cast<size_t>(length));
            for (int p : starts)
                matched.append(text + p, static_cast<size_t>(length));
            m_undo.RecordReplace(starts, length, std::move(matched), std::string(with));
        };
    return Splice(starts, length, with, static_cast<int>(with.size()), false, record);
}

// The one pass under Replace All, its undo and its redo: the oldLength bytes
// at each start become the next piece (each: piece i of `pieces`; else all of
// it every time). The ranges are checked by the caller. `record` runs once
// the memory is there, so a refused pass leaves no trace in the history.
bool CTextStore::Splice(const std::vector<int>& starts, int oldLength, std::string_view pieces, int newLength, bool each,
                        const std::function<void()>& record)
{
    const long long k = static_cast<long long>(starts.size());
    const long long newSize = Length() + k * (newLength - oldLength);
    if (m_readOnly || k == 0 || newSize > INT_MAX - 1 ||
        static_cast<long long>(pieces.size()) < (each ? k : 1) * newLength)
        return false;
    std::string out;
    try {
        out.reserve(static_cast<size_t>(newSize));
        if (record)
            record();
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int firstRow = m_lines.PosToLine(starts.front());
    const int delta = static_cast<int>(newSize - Length());

    // Bookmarks move as the delete and the insert of each range in turn
    // would move them; the line of a range is the line ends already written.
    std::vector<int*> marks;
    for (int& b : m_bookmarks)
        if (b >= 0)
            marks.push_back(&b);
    int line = 0;
    size_t from = 0;
    for (size_t i = 0; i < starts.size(); ++i) {
        const size_t p = static_cast<size_t>(starts[i]);
        std::string_view gap(m_text.data() + from, p - from);
        std::string_view old(m_text.data() + p, static_cast<size_t>(oldLength));
        std::string_view piece = pieces.substr(each ? i * static_cast<size_t>(newLength) : 0,
                                               static_cast<size_t>(newLength));
        line += static_cast<int>(std::count(gap.begin(), gap.end(), '\r'));
        out.append(gap);
        int removed = static_cast<int>(std::count(old.begin(), old.end(), '\r'));
        int added = static_cast<int>(std::count(piece.begin(), piece.end(), '\r'));
        if (!marks.empty() && (removed > 0 || added > 0)) {
            int below = line + (out.empty() || out.back() == '\n' ? 0 : 1);
            for (int* b : marks) {
                if (removed > 0 && *b >= line)
                    *b = *b < line + removed ? -1 : *b - removed;
                if (added > 0 && *b >= below)
                    *b += added;
            }
        }
        out.append(piece);
        line += added;
        from = p + static_cast<size_t>(oldLength);
    }
    out.append(m_text, from, std::string::npos);

    NoticeModified();
    m_text.swap(out);
    m_lines.UpdateLines(m_text.c_str(), -1, -1);
    m_parser.InvalidateFrom(firstRow);
    if (m_host)
        m_host->OnTextChanged(starts.front(), delta);
    m_modified = true;
    return true;
}

int CTextStore::MoveText(int source, int length, int drop, bool copy)
{
    if (m_readOnly || length <= 0 || source < 0 || source > Length() - length || drop < 0 || drop > Length())
        return -1;
    if (!copy && drop >= source && drop <= source + length)
        return -1;
    std::string bytes = m_text.substr(static_cast<size_t>(source), static_cast<size_t>(length));
    if (!InsertText(bytes, drop, false))
        return -1;
    int at = drop;
    if (!copy) {
        if (drop < source) {
            DeleteText(source + length, length, false);
        } else {
            DeleteText(source, length, false);
            at -= length;
        }
        m_undo.RecordMove(source, drop, length);
    } else {
        m_undo.RecordInsert(bytes, drop);
    }
    return at;
}

int CTextStore::ApplyUndo(const UndoRecord& r)
{
    switch (r.kind) {
    case UndoRecord::kInsert:
        DeleteText(r.position, static_cast<int>(r.text.size()), false);
        return r.position;
    case UndoRecord::kDelete:
        InsertText(r.text, r.position, false);
        return r.position + static_cast<int>(r.text.size());
    case UndoRecord::kMove: {
        int p = r.position, d = r.drop, m = r.moved;
        if (p > d) {
            std::string bytes = GetTextRange(d, d + m);
            InsertText(bytes, p + m, false);
            DeleteText(d, m, false);
        } else if (p <= d - m) {
            std::string bytes = GetTextRange(d - m, d);
            InsertText(bytes, p, false);
            DeleteText(d, m, false);
        }
        return p + m;
    }
    case UndoRecord::kReplace: {
        // Where the replacements stand now, each back to its own match.
        const int n = r.moved, w = static_cast<int>(r.with.size());
        std::vector<int> now(r.starts.size());
        for (size_t i = 0; i < now.size(); ++i)
            now[i] = r.starts[i] + static_cast<int>(i) * (w - n);
        Splice(now, w, r.text, n, true, {});
        return r.position + n;
    }
    default:
        return -1;
    }
}

int CTextStore::ApplyRedo(const UndoRecord& r)
{
    switch (r.kind) {
    case UndoRecord::kInsert:
        InsertText(r.text, r.position, false);
        return r.position + static_cast<int>(r.text.size());
    case UndoRecord::kDelete:
        DeleteText(r.position, static_cast<int>(r.text.size()), false);
        return r.position;
    case UndoRecord::kMove: {
        int p = r.position, d = r.drop, m = r.moved;
        std::string bytes = GetTextRange(p, p + m);
        InsertText(bytes, d, false);
        if (d <= p) {
            DeleteText(p + m, m, false);
        } else {
            DeleteText(p, m, false);
            d -= m;
        }
        return d + m;
    }
    case UndoRecord::kReplace: {
        const int n = r.moved, w = static_cast<int>(r.with.size());
        Splice(r.starts, n, r.with, w, false, {});
        return r.starts.back() + static_cast<int>(r.starts.size() - 1) * (w - n) + w;
    }
    default:
        return -1;
    }
}

void CTextStore::AfterUndoRedo()
{
    if (m_modified && m_undo.AtSavePoint()) {
        m_modified = false;
        m_undo.MarkSavePoint();
    } else {
        m_modified = true;
    }
}

int CTextStore::Undo()
{
    if (m_readOnly || !m_undo.CanUndo())
        return -1;
    UndoRecord* r = &m_undo.StartUndo();
    unsigned group = r->group;
    int caret = -1;
    for (;;) {
        if (r->kind != UndoRecord::kEmpty && !r->undone) {
            caret = ApplyUndo(*r);
            m_undo.MarkUndone();
        }
        if (!m_undo.StepBackInGroup(group))
            break;
        r = &m_undo.Current();
    }
    AfterUndoRedo();
    return caret;
}

int CTextStore::Redo()
{
    if (m_readOnly || !m_undo.CanRedo())
        return -1;
    unsigned group = m_undo.Current().group;
    int caret = -1;
    do {
        caret = ApplyRedo(m_undo.Current());
        m_undo.FinishRedo();
    } while (group != 0 && m_undo.Current().undone && m_undo.Current().group == group);
    AfterUndoRedo();
    return caret;
}

int CTextStore::Bookmark(int slot) const
{
    return slot >= 0 && slot < kBookmarkSlots ? m_bookmarks[slot] : -1;
}

bool CTextStore::HasBookmark(int line) const
{
    return line >= 0 && std::find(std::begin(m_bookmarks), std::end(m_bookmarks), line) != std::end(m_bookmarks);
}

bool CTextStore::ToggleBookmark(int line)
{
    for (int i = kFirstUserBookmark; i < kBookmarkSlots; ++i)
        if (m_bookmarks[i] == line) {
            m_bookmarks[i] = -1;
            return true;
        }
    for (int i = kFirstUserBookmark; i < kBookmarkSlots; ++i)
        if (m_bookmarks[i] == -1) {
            m_bookmarks[i] = line;
            return true;
        }
    return false;
}

int CTextStore::FindBookmark(int line, bool next) const
{
    int best = -1, wrap = -1;
    for (int i = kFirstUserBookmark; i < kBookmarkSlots; ++i) {
        int b = m_bookmarks[i];
        if (b < 0)
            continue;
        if (next) {
            if (b > line && (best < 0 || b < best))
                best = b;
            if (wrap < 0 || b < wrap)
                wrap = b;
        } else {
            if (b < line && (best < 0 || b > best))
                best = b;
            if (wrap < 0 || b > wrap)
                wrap = b;
        }
    }
    return best >= 0 ? best : wrap;
}

bool CTextStore::CanHaveBreakpoint(int row)
{
    if (m_modified || row < 0 || row >= m_lines.Count())
        return false;
    int s = m_lines.Start(row), e = m_lines.End(row);
    if (s == e)
        return false;
    ParseUpTo(row);
    const std::vector<ColourSpan>& spans = m_parser.Spans(row);
    if (!spans.empty() &&
        (spans[0].style == CParseHtml::kStyleComment || spans[0].style == CParseHtml::kStylePhpComment))
        return false;
    int p = s;
    while (p < e && (m_text[p] == ' ' || m_text[p] == '\t'))
        ++p;
    if (p == e)
        return false;
    return !(p + 1 < e && m_text[p] == '<' && m_text[p + 1] == '?');
}

int CTextStore::ToggleBreakpoint(int fromRow, bool& added)
{
    added = false;
    if (m_modified || fromRow < 0)
        return -1;
    for (int row = fromRow; row < m_lines.Count(); ++row) {
        if (CanHaveBreakpoint(row)) {
            added = !m_lines.Breakpoint(row);
            m_lines.SetBreakpoint(row, added);
            return row;
        }
    }
    return -1;
}
