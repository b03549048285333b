// CString: the program's ANSI string (bytes in the system code page). Portable.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>
#include <vector>

class CString {
public:
    CString() = default;
    CString(const char* s) : m_s(s ? s : "") {}
    CString(const char* s, int len) : m_s(s ? std::string(s, len > 0 ? static_cast<size_t>(len) : 0) : std::string()) {}
    CString(const std::string& s) : m_s(s) {}
    CString(char c, int count) : m_s(count > 0 ? static_cast<size_t>(count) : 0, c) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    operator const char*() const { return m_s.c_str(); }
    const char* c_str() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }

    // Out-of-range indices read as 0 instead of reading past the text.
    char GetAt(int i) const { return (i >= 0 && i < GetLength()) ? m_s[static_cast<size_t>(i)] : '\0'; }
    void SetAt(int i, char c) { if (i >= 0 && i < GetLength()) m_s[static_cast<size_t>(i)] = c; }

    CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
    CString& operator+=(const CString& o) { m_s += o.m_s; return *this; }
    CString& operator+=(const char* s) { if (s) m_s += s; return *this; }
    CString& operator+=(char c) { m_s += c; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_s + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_s); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_s != b.m_s; }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

    int Compare(const char* s) const;
    int CompareNoCase(const char* s) const;

    CString Left(int n) const;
    CString Right(int n) const;
    CString Mid(int first, int n = -1) const;

    int Find(char c, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char c) const;

    int Replace(const char* from, const char* to);
    int Remove(char c);
    int Insert(int index, const char* s);
    int Delete(int index, int count = 1);
    CString& MakeLower();
    CString& MakeUpper();
    CString& Trim();

    void Format(const char* fmt, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void FormatV(const char* fmt, va_list args);

private:
    std::string m_s;
};

// The ordered list of strings the windows keep (lines, captions).
class CStringArray {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    int Add(const CString& s) { m_items.push_back(s); return GetSize() - 1; }
    void InsertAt(int index, const CString& s);
    void RemoveAt(int index);
    void RemoveAll() { m_items.clear(); }
    const CString& GetAt(int i) const { return m_items.at(static_cast<size_t>(i)); }
    CString& ElementAt(int i) { return m_items.at(static_cast<size_t>(i)); }
    void SetAt(int i, const CString& s) { m_items.at(static_cast<size_t>(i)) = s; }
    const CString& operator[](int i) const { return GetAt(i); }
    CString& operator[](int i) { return ElementAt(i); }

private:
    std::vector<CString> m_items;
};
