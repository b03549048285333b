#include "editor/UndoHistory.h"

void CUndoHistory::Reset()
{
    m_records.assign(100, UndoRecord{});
    m_index = 0;
    m_savePoint = 0;
    m_groupId = 0;
    m_groupDepth = 0;
    m_doneBytes = 0;
    m_trimBlockedGroup = 0;
}

void CUndoHistory::SetLimits(size_t byteLimit, int countLimit)
{
    m_byteLimit = byteLimit;
    m_countLimit = countLimit;
}

size_t CUndoHistory::Cost(const UndoRecord& r)
{
    if (r.kind == UndoRecord::kReplace)
        return r.text.size() + r.with.size() + r.starts.size() * sizeof(int) + 16;
    return (r.kind == UndoRecord::kMove ? 8 : r.text.size()) + 16;
}

UndoRecord& CUndoHistory::NewRecord(UndoRecord::Kind kind, int position)
{
    UndoRecord& r = m_records[m_index];
    r = UndoRecord{};
    r.kind = kind;
    r.position = position;
    r.group = m_groupId;
    return r;
}

void CUndoHistory::RecordInsert(std::string_view text, int position)
{
    UndoRecord& c = m_records[m_index];
    if (c.undone) {
        DiscardRedo();
    } else if (c.kind == UndoRecord::kInsert && c.group == m_groupId &&
               position == c.position + static_cast<int>(c.text.size())) {
        // Only within one group: a group's first step must not join the
        // typing before it, or one Undo would leave half the group.
        c.text.append(text);
        if (!text.empty() && (text[0] == ' ' || text[0] == '\r'))
            Close();
        return;
    } else if (c.kind != UndoRecord::kEmpty) {
        Close();
    }
    std::string copy(text);
    NewRecord(UndoRecord::kInsert, position).text = std::move(copy);
}

void CUndoHistory::RecordDelete(std::string_view text, int position)
{
    UndoRecord& c = m_records[m_index];
    int n = static_cast<int>(text.size());
    if (c.undone) {
        DiscardRedo();
    } else if (c.kind == UndoRecord::kDelete && c.group != m_groupId) {
        Close();
    } else if (c.kind == UndoRecord::kDelete) {
        if (!text.empty() && (text[0] == ' ' || text[0] == '\r')) {
            Close();
        } else if (c.position - n == position) { // Backspace
            c.text.insert(0, text);
            c.position = position;
            return;
        } else if (c.position == position) { // Delete key
            c.text.append(text);
            return;
        } else {
            Close();
        }
    } else if (c.kind != UndoRecord::kEmpty) {
        Close();
    }
    std::string copy(text);
    NewRecord(UndoRecord::kDelete, position).text = std::move(copy);
}

// A record that never joins the current one: drop what could be redone, or
// close what is open.
void CUndoHistory::CloseForNewRecord()
{
    UndoRecord& c = m_records[m_index];
    if (c.undone)
        DiscardRedo();
    else if (c.kind != UndoRecord::kEmpty)
        Close();
}

void CUndoHistory::RecordMove(int source, int drop, int length)
{
    // A drop inside the moved range changes nothing and has nothing to undo.
    if (length <= 0 || (drop >= source && drop <= source + length))
        return;
    CloseForNewRecord();
    UndoRecord& r = NewRecord(UndoRecord::kMove, source);
    r.drop = drop;
    r.moved = length;
}

void CUndoHistory::RecordReplace(std::vector<int> starts, int length, std::string matched, std::string with)
{
    if (starts.empty())
        return;
    CloseForNewRecord();
    UndoRecord& r = NewRecord(UndoRecord::kReplace, starts.front());
    r.moved = length;
    r.starts = std::move(starts);
    r.text = std::move(matched);
    r.with = std::move(with);
}

void CUndoHistory::DiscardRedo()
{
    for (int i = m_index; i < RecordCount() && m_records[i].kind != UndoRecord::kEmpty; ++i) {
        if (i < m_savePoint)
            m_savePoint = -1;
        m_records[i] = UndoRecord{};
    }
}

void CUndoHistory::Close()
{
    m_doneBytes += Cost(m_records[m_index]);
    ++m_index;
    if (m_index >= RecordCount() - 1)
        m_records.resize(m_records.size() + 64);
    Trim();
}

// Drops the oldest half of the byte budget once both limits are passed.
// Only done records count and go (never the current or undone ones), and a
// group goes whole or not at all, so undo never replays half a compound edit.
// The done records' bytes are a running total: a close costs no walk over
// the history, and a trim refused because the open group reaches back to the
// oldest records is not tried again until that group ends.
void CUndoHistory::Trim()
{
    int n = m_index;
    if (n <= m_countLimit || m_doneBytes <= m_byteLimit)
        return;
    if (m_trimBlockedGroup != 0 && m_trimBlockedGroup == m_groupId)
        return;
    m_trimBlockedGroup = 0;
    size_t half = m_byteLimit / 2;
    size_t sum = 0;
    int k = 0;
    for (; k < n; ++k) {
        sum += Cost(m_records[k]);
        if (sum > half)
            break;
    }
    if (k >= n)
        k = n - 1;
    unsigned g = m_records[k].group;
    if (g != 0) {
        while (k + 1 < n && m_records[k + 1].group == g)
            ++k;
        if (k + 1 == n && (m_records[n].group == g || m_groupId == g)) {
            // The group is still being written or reaches the current record.
            while (k >= 0 && m_records[k].group == g)
                --k;
            if (k < 0) {
                m_trimBlockedGroup = g;
                return;
            }
        }
    }
    int drop = k + 1;
    for (int i = 0; i < drop; ++i)
        m_doneBytes -= Cost(m_records[i]);
    m_records.erase(m_records.begin(), m_records.begin() + drop);
    m_records.resize(m_records.size() + drop);
    m_index -= drop;
    m_savePoint = m_savePoint >= drop ? m_savePoint - drop : -1;
}

void CUndoHistory::BeginGroup()
{
    if (m_groupDepth == 0) {
        // A counter, never 0, so two groups can never share an id.
        if (++m_groupCounter == 0)
            m_groupCounter = 1;
        m_groupId = m_groupCounter;
    }
    ++m_groupDepth;
}

void CUndoHistory::EndGroup()
{
    if (m_groupDepth == 0)
        return;
    if (--m_groupDepth == 0)
        m_groupId = 0;
}

bool CUndoHistory::CanUndo() const
{
    const UndoRecord& c = Current();
    return !(m_index == 0 && (c.kind == UndoRecord::kEmpty || c.undone));
}

UndoRecord& CUndoHistory::StartUndo()
{
    UndoRecord& c = m_records[m_index];
    if ((c.kind == UndoRecord::kEmpty || c.undone) && m_index > 0) {
        --m_index;
        m_doneBytes -= Cost(m_records[m_index]);
    }
    return m_records[m_index];
}

bool CUndoHistory::StepBackInGroup(unsigned group)
{
    if (group == 0 || m_index == 0 || m_records[m_index - 1].group != group)
        return false;
    --m_index;
    m_doneBytes -= Cost(m_records[m_index]);
    return true;
}

void CUndoHistory::FinishRedo()
{
    m_records[m_index].undone = 0;
    Close();
}

bool CUndoHistory::AtSavePoint() const
{
    const UndoRecord& c = Current();
    return m_index == m_savePoint && (c.kind == UndoRecord::kEmpty || c.undone);
}

void CUndoHistory::MarkSavePoint()
{
    const UndoRecord& c = Current();
    if (c.kind != UndoRecord::kEmpty && !c.undone)
        Close();
    m_savePoint = m_index;
}
