#include "framework/String.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

int CString::Compare(const char* s) const { return std::strcmp(m_s.c_str(), s ? s : ""); }

int CString::CompareNoCase(const char* s) const {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_s.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(s ? s : "");
    for (;; ++a, ++b) {
        // Only ASCII letters fold: bytes of double-byte characters stay as they are.
        int ca = (*a < 0x80) ? std::tolower(*a) : *a;
        int cb = (*b < 0x80) ? std::tolower(*b) : *b;
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

CString CString::Left(int n) const {
    if (n <= 0) return CString();
    return CString(m_s.substr(0, static_cast<size_t>(n)));
}

CString CString::Right(int n) const {
    if (n <= 0) return CString();
    if (n >= GetLength()) return *this;
    return CString(m_s.substr(m_s.size() - static_cast<size_t>(n)));
}

CString CString::Mid(int first, int n) const {
    if (first < 0) first = 0;
    if (first >= GetLength()) return CString();
    if (n < 0) return CString(m_s.substr(static_cast<size_t>(first)));
    return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(n)));
}

int CString::Find(char c, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    size_t p = m_s.find(c, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || start > GetLength()) return -1;
    size_t p = m_s.find(sub, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char c) const {
    size_t p = m_s.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Replace(const char* from, const char* to) {
    if (!from || !*from) return 0;
    const std::string f(from), t(to ? to : "");
    int count = 0;
    for (size_t p = m_s.find(f); p != std::string::npos; p = m_s.find(f, p + t.size())) {
        m_s.replace(p, f.size(), t);
        ++count;
    }
    return count;
}

int CString::Remove(char c) {
    size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), c), m_s.end());
    return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, const char* s) {
    if (index < 0) index = 0;
    if (index > GetLength()) index = GetLength();
    m_s.insert(static_cast<size_t>(index), s ? s : "");
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index >= 0 && index < GetLength() && count > 0) m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::MakeLower() {
    for (char& c : m_s)
        if (static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeUpper() {
    for (char& c : m_s)
        if (static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::Trim() {
    const char* ws = " \t\r\n";
    size_t b = m_s.find_first_not_of(ws);
    if (b == std::string::npos) { m_s.clear(); return *this; }
    size_t e = m_s.find_last_not_of(ws);
    m_s = m_s.substr(b, e - b + 1);
    return *this;
}

void CString::Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
}

void CString::FormatV(const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n < 0) { m_s.clear(); return; }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), fmt, args);
    out.resize(static_cast<size_t>(n));
    m_s.swap(out);
}

void CStringArray::InsertAt(int index, const CString& s) {
    if (index < 0) index = 0;
    if (index > GetSize()) index = GetSize();
    m_items.insert(m_items.begin() + index, s);
}

void CStringArray::RemoveAt(int index) {
    if (index >= 0 && index < GetSize()) m_items.erase(m_items.begin() + index);
}
