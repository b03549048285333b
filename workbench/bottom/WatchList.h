// The watch list's rows: the variable names the user watches, and per row
// the type, list value and full value the link last read for it. The pane
// shows them in its list control; this class holds the rules. Portable.
#pragma once

#include "workbench/bottom/ProfileStore.h"

#include <cstdint>
#include <string>
#include <vector>

class CWatchList {
public:
    // A name must fit the board's 512-byte request with its index text;
    // the list stays a size a person can read through.
    static constexpr int kMaxRows = 1000;
    static constexpr size_t kMaxName = 255;

    struct Row {
        std::string name;
        std::string type;
        std::string value;
        std::string full;
        uint32_t serial = 0;  // new for every row and every new name
    };

    int Count() const { return static_cast<int>(m_rows.size()); }
    bool IsFull() const { return Count() >= kMaxRows; }
    const Row* At(int row) const;
    std::string Name(int row) const;
    std::string FullValue(int row) const;

    // Appends a row (name cut to kMaxName); false when the list is full.
    bool Add(const std::string& name);
    // A new name drops the row's values. True when the name differs.
    bool Rename(int row, const std::string& name);
    void Remove(int row);
    void Clear() { m_rows.clear(); }
    // The row that holds serial, -1 when it is gone.
    int Find(uint32_t serial) const;

    // The link's side. Name() given to the link remembers which row it
    // asked for; a value is stored only while that row is still the one
    // at the index (no row removed before it, its name unchanged), so a
    // late answer never lands on another variable.
    std::string AskName(int row);
    bool SetValue(int row, const std::string& type, const std::string& value, const std::string& full);

    // Rows without a value, a refused name ("?") and the scalar types have
    // nothing more to show than the list does.
    static bool HasDetail(const std::string& type);

    // A typed name: blanks around it removed, "$" put in front when missing.
    // Refused (false): nothing left, "$" alone, or longer than kMaxName.
    static bool AcceptName(const std::string& typed, std::string& name);
    // The same, telling an empty name (the dialog just stays) from a long one
    // (the board takes 255 bytes, whatever the characters: the user is told).
    enum class NameVerdict { Accepted, Empty, TooLong };
    static NameVerdict CheckName(const std::string& typed, std::string& name);

    // Which commands of the list's context menu are available.
    struct MenuState {
        bool add, modify, remove, removeAll, detail, refresh;
    };
    // selectedType: column 1 of the first selected row (none selected: hasSelection false).
    MenuState Menu(bool hasSelection, const std::string& selectedType) const;

    // Section "Watch": "Count" (capped to kMaxRows), then "List%03d" "Name".
    // Returns false when the file does not exist (no rows, widths untouched).
    bool Load(CProfileStore& ini, int widths[3]);
    // widths[i] < 0: that width could not be read and is not written.
    void Save(CProfileStore& ini, const int widths[3]) const;
    static std::string RowSection(int row);
    // A stored column width the list may use in room pixels: a hidden or
    // narrow column (below kMinColumnWidth) or one wider than the room gets
    // its default back, itself no wider than the room.
    static constexpr int kMinColumnWidth = 20;
    static int BoundColumnWidth(int width, int fallback, int room);

private:
    std::vector<Row> m_rows;
    uint32_t m_nextSerial = 1;
    uint32_t m_asked = 0;
};
