// CProfileStore over an INI file through the Win32 profile functions, and
// where the bottom pane finds Init.ini.
#pragma once

#include "framework/String.h"
#include "workbench/bottom/ProfileStore.h"

class CIniProfile : public CProfileStore {
public:
    explicit CIniProfile(const CString& path) : m_path(path) {}
    bool Exists() override;
    int GetInt(const char* section, const char* key, int fallback) override;
    std::string GetString(const char* section, const char* key, const char* fallback, size_t maxBytes) override;
    void WriteString(const char* section, const char* key, const std::string& value) override;

    // Init.ini: the CSIDL_APPDATA folder + "\ZarvoD\Init.ini"; for writing,
    // the folder is made first (an existing one is no error).
    static CString InitIniPath(bool forWriting);
    // The owner's own places instead: where Init.ini is read, and where its
    // sections go while the owner gathers them at shut-down.
    using PathSource = CString (*)();
    static void SetPathSources(PathSource read, PathSource write) { s_read = read; s_write = write; }
    // Tests point the file into a folder of their own ("" restores the default).
    static void SetFolderForTests(const char* folder) { s_testFolder = folder; }

private:
    CString m_path;
    static CString s_testFolder;
    static PathSource s_read;
    static PathSource s_write;
};
