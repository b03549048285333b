// Reads and writes of INI files, as the profile functions of the same names.
// Each profile read opens and parses the file again (about 0.3 ms under Wine);
// while a snapshot is open, a section is read once and its keys answered from
// memory. Start-up reads some forty keys from a handful of sections.
#pragma once

#include <windows.h>

namespace profile {

// As GetPrivateProfileIntA / GetPrivateProfileStringA (key and section given).
UINT GetInt(const char* section, const char* key, int fallback, const char* path);
DWORD GetString(const char* section, const char* key, const char* fallback, char* out, DWORD size,
                const char* path);
// As WritePrivateProfileStringA; drops what the snapshot holds.
BOOL WriteString(const char* section, const char* key, const char* value, const char* path);

// Main thread only. Snapshots nest; the last end drops what was read.
void BeginSnapshot();
void EndSnapshot();

}  // namespace profile
