#include "editor/TextStore.h"

#include "editor/CodePageConverter.h"

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
