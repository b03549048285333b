#include "workbench/bottom/WatchList.h"

#include <cstdio>

const CWatchList::Row* CWatchList::At(int row) const
{
    return row >= 0 && row < Count() ? &m_rows[static_cast<size_t>(row)] : nullptr;
}

std::string CWatchList::Name(int row) const
{
    const Row* r = At(row);
    return r ? r->name : std::string();
}

std::string CWatchList::FullValue(int row) const
{
    const Row* r = At(row);
    return r ? r->full : std::string();
}

bool CWatchList::Add(const std::string& name)
{
    if (IsFull())
        return false;
    Row row;
    row.name = name.substr(0, kMaxName);
    row.serial = m_nextSerial++;
    m_rows.push_back(row);
    return true;
}

bool CWatchList::Rename(int row, const std::string& name)
{
    if (!At(row))
        return false;
    Row& r = m_rows[static_cast<size_t>(row)];
    const std::string cut = name.substr(0, kMaxName);
    if (cut == r.name)
        return false;
    r = Row();
    r.name = cut;
    r.serial = m_nextSerial++;
    return true;
}

void CWatchList::Remove(int row)
{
    if (At(row))
        m_rows.erase(m_rows.begin() + row);
}

int CWatchList::Find(uint32_t serial) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_rows[static_cast<size_t>(i)].serial == serial)
            return i;
    return -1;
}

std::string CWatchList::AskName(int row)
{
    const Row* r = At(row);
    m_asked = r ? r->serial : 0;
    return r ? r->name : std::string();
}

bool CWatchList::SetValue(int row, const std::string& type, const std::string& value, const std::string& full)
{
    const Row* r = At(row);
    if (!r || r->serial != m_asked)
        return false;
    Row& w = m_rows[static_cast<size_t>(row)];
    w.type = type;
    w.value = value;
    w.full = full;
    return true;
}

bool CWatchList::HasDetail(const std::string& type)
{
    for (const char* plain : {"", "?", "BOOL", "ARRAY", "INT", "FLOAT"})
        if (type == plain)
            return false;
    return true;
}

bool CWatchList::AcceptName(const std::string& typed, std::string& name)
{
    return CheckName(typed, name) == NameVerdict::Accepted;
}

CWatchList::NameVerdict CWatchList::CheckName(const std::string& typed, std::string& name)
{
    const char* blanks = " \t\r\n";
    const size_t first = typed.find_first_not_of(blanks);
    if (first == std::string::npos)
        return NameVerdict::Empty;
    name = typed.substr(first, typed.find_last_not_of(blanks) - first + 1);
    if (name == "$")
        return NameVerdict::Empty;
    if (name[0] != '$')
        name.insert(0, "$");
    return name.size() <= kMaxName ? NameVerdict::Accepted : NameVerdict::TooLong;
}

CWatchList::MenuState CWatchList::Menu(bool hasSelection, const std::string& selectedType) const
{
    const bool rows = Count() > 0;
    MenuState m;
    m.add = !IsFull();
    m.modify = hasSelection;
    m.remove = rows && hasSelection;
    m.removeAll = rows;
    m.refresh = rows;
    m.detail = rows && hasSelection && HasDetail(selectedType);
    return m;
}

std::string CWatchList::RowSection(int row)
{
    char section[16];
    std::snprintf(section, sizeof section, "List%03d", row);
    return section;
}

bool CWatchList::Load(CProfileStore& ini, int widths[3])
{
    m_rows.clear();
    if (!ini.Exists())
        return false;
    int count = ini.GetInt("Watch", "Count", 0);
    count = count < 0 ? 0 : (count > kMaxRows ? kMaxRows : count);
    const char* const keys[3] = {"Name", "Type", "Value"};
    for (int i = 0; i < 3; ++i) {
        // A negative width would ask the list to size the column itself, and
        // a narrow one hide it; the pane bounds the rest at its first layout.
        const int w = ini.GetInt("Watch", keys[i], widths[i]);
        widths[i] = w < kMinColumnWidth ? widths[i] : (w > 4000 ? 4000 : w);
    }
    for (int i = 0; i < count; ++i)
        Add(ini.GetString(RowSection(i).c_str(), "Name", "", kMaxName));
    return true;
}

int CWatchList::BoundColumnWidth(int width, int fallback, int room)
{
    if (room < kMinColumnWidth)
        room = kMinColumnWidth;
    if (width >= kMinColumnWidth && width <= room)
        return width;
    return fallback < room ? fallback : room;
}

void CWatchList::Save(CProfileStore& ini, const int widths[3]) const
{
    ini.WriteString("Watch", "Count", std::to_string(Count()));
    const char* const keys[3] = {"Name", "Type", "Value"};
    for (int i = 0; i < 3; ++i)
        if (widths[i] >= 0)
            ini.WriteString("Watch", keys[i], std::to_string(widths[i]));
    for (int i = 0; i < Count(); ++i)
        ini.WriteString(RowSection(i).c_str(), "Name", m_rows[static_cast<size_t>(i)].name);
}
