#include "workbench/files/RecentFiles.h"

void CRecentFiles::Add(const std::string& path) {
    if (m_paths.size() >= kMax) m_paths.resize(kMax - 1);
    m_paths.insert(m_paths.begin(), path);
}

void CRecentFiles::Load(const std::vector<std::string>& paths) {
    m_paths.clear();
    for (const std::string& p : paths)
        if (m_paths.size() < kMax) m_paths.push_back(p);
}

const std::string* CRecentFiles::ForCommand(unsigned id) const {
    if (id < kFirstCommand || id - kFirstCommand >= m_paths.size()) return nullptr;
    return &m_paths[id - kFirstCommand];
}

std::wstring CRecentFiles::MenuText(const std::wstring& path) {
    std::wstring shown = path;
    if (shown.size() > kMenuChars) {
        // The root: "C:\" or "\\server\"; then the last parts that fit.
        size_t rootEnd = path.compare(0, 2, L"\\\\") == 0 ? path.find(L'\\', 2) : path.find(L'\\');
        rootEnd = rootEnd == std::wstring::npos || rootEnd + 1 > kMenuChars / 2 ? 0 : rootEnd + 1;
        const std::wstring head = path.substr(0, rootEnd) + L"...\\";
        const size_t room = kMenuChars - head.size();
        size_t from = path.size();
        for (size_t cut = path.rfind(L'\\'); cut != std::wstring::npos && cut >= rootEnd; cut = path.rfind(L'\\', cut - 1)) {
            if (path.size() - cut - 1 > room) break;
            from = cut + 1;
            if (cut == 0) break;
        }
        // A last part longer than the room keeps its end (the extension).
        if (from == path.size()) from = path.size() - room;
        shown = head + path.substr(from);
    }
    std::wstring out;
    for (wchar_t c : shown) {
        out += c;
        if (c == L'&') out += L'&';
    }
    return out;
}
