// Init.ini under the application-data folder. Readers read the file itself;
// at shut-down every writer writes into one temporary file beside it, which
// replaces Init.ini once, after the last writer: a crash in between leaves the
// old file whole instead of a deleted or half-written one.
#pragma once

#include "framework/String.h"

class CIniFile {
public:
    // The CSIDL_APPDATA folder + "\ZarvoD" (created on demand).
    static CString Folder();
    // Folder + "\Init.ini": what the readers read.
    static CString Path();
    // Where the writers write during shut-down: the temporary file while a
    // write session is open, else Init.ini itself.
    static CString WritePath();
    static bool Exists();

    // Starts a fresh temporary file (the first writer's deletion of the old
    // sections becomes this).
    static void BeginWrite();
    // Replaces Init.ini with the temporary file; false when nothing was
    // written or the replace failed (Init.ini then stays as it was).
    static bool CommitWrite();
    static bool IsWriting() { return s_writing; }

    static int GetInt(const char* section, const char* key, int fallback);
    static CString GetString(const char* section, const char* key, const char* fallback, size_t max = 260);
    static void WriteInt(const char* section, const char* key, int value);
    static void WriteString(const char* section, const char* key, const char* value);

    // Tests point the file elsewhere ("" restores the default).
    static void SetFolderForTests(const char* folder) { s_folderOverride = folder; }

private:
    static bool s_writing;
    static CString s_folderOverride;
};
