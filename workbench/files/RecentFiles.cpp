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
