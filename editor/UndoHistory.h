#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One edit step. Moves keep their drop position and length instead of text;
// a Replace All keeps where its matches stood, their bytes and what replaced
// them.
struct UndoRecord
{
    enum Kind : unsigned char
    {
        kEmpty = 0,
        kInsert = 1,
        kDelete = 2,
        kMove = 3,
        kReplace = 4,
    };
    unsigned char kind = kEmpty;
    unsigned char undone = 0;
    int position = 0;    // insert/delete: where; move: source before the move
    std::string text;    // inserted or removed bytes; replace: every match's, in order
    int drop = 0;        // move: drop position in the text before the move
    int moved = 0;       // move: moved length; replace: the length of one match
    unsigned group = 0;  // 0 = no group
    std::vector<int> starts; // replace: the matches' positions before it, ascending
    std::string with;        // replace: the replacement
};

// The undo table: records before the index are done and closed, the record
// at the index is empty, open (still growing) or undone, and undone records
// follow it. Typing extends the open record until a blank or CR closes it.
class CUndoHistory
{
public:
    CUndoHistory() { Reset(); }

    void Reset();
    void SetLimits(size_t byteLimit, int countLimit);

    void RecordInsert(std::string_view text, int position);
    void RecordDelete(std::string_view text, int position);
    void RecordMove(int source, int drop, int length);
    void RecordReplace(std::vector<int> starts, int length, std::string matched, std::string with);

    void BeginGroup();
    void EndGroup();
    unsigned GroupId() const { return m_groupId; }

    bool CanUndo() const;
    bool CanRedo() const { return Current().undone != 0; }

    // Undo walking: the record to undo first (the index steps back over an
    // empty or undone current record), then earlier records of its group.
    UndoRecord& StartUndo();
    bool StepBackInGroup(unsigned group);
    void MarkUndone() { m_records[m_index].undone = 1; }

    // Redo walking: the current (undone) record is redone and closed.
    UndoRecord& Current() { return m_records[m_index]; }
    const UndoRecord& Current() const { return m_records[m_index]; }
    void FinishRedo();

    bool AtSavePoint() const;
    void MarkSavePoint();

    int Index() const { return m_index; }
    int SavePoint() const { return m_savePoint; }
    const UndoRecord& Record(int i) const { return m_records[i]; }
    int RecordCount() const { return static_cast<int>(m_records.size()); }
    // Bytes the done records (before the index) hold, as trimming counts them.
    size_t DoneBytes() const { return m_doneBytes; }

private:
    static size_t Cost(const UndoRecord& r);
    void DiscardRedo();
    void Close();
    void CloseForNewRecord();
    void Trim();
    UndoRecord& NewRecord(UndoRecord::Kind kind, int position);

    std::vector<UndoRecord> m_records;
    int m_index = 0;
    int m_savePoint = 0;
    unsigned m_groupId = 0;
    int m_groupDepth = 0;
    unsigned m_groupCounter = 0;
    size_t m_byteLimit = 102400;
    int m_countLimit = 100;
    size_t m_doneBytes = 0;
    unsigned m_trimBlockedGroup = 0;
};
