// The file list's recent PC paths, newest first. At most ten: their menu
// commands are 32801 to 32810, and the ids after them belong to other items.
#pragma once

#include <string>
#include <vector>

class CRecentFiles {
public:
    static constexpr size_t kMax = 10;
    static constexpr unsigned kFirstCommand = 32801;
    // The longest path the Add submenu shows whole.
    static constexpr size_t kMenuChars = 64;

    const std::vector<std::string>& Paths() const { return m_paths; }
    bool Empty() const { return m_paths.empty(); }
    // At the head; the oldest goes when the list is full.
    void Add(const std::string& path);
    // Stored paths in order; the first ten are kept.
    void Load(const std::vector<std::string>& paths);
    void Clear() { m_paths.clear(); }
    // The path of a recent-file command, null for any other id.
    const std::string* ForCommand(unsigned id) const;
    // A path as a menu item: a long one keeps its root and as many of its
    // last parts as fit around "...", an & is doubled. In characters (UTF-16),
    // so that a cut never splits a double-byte character.
    static std::wstring MenuText(const std::wstring& path);

private:
    std::vector<std::string> m_paths;
};
