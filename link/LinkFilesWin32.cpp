#include <windows.h>

#include <cstdint>
#include <string>

// msvcrt's rename() refuses an existing target; MoveFileEx replaces it.
uint32_t ReplaceFileAtomically(const std::string& source, const std::string& target)
{
    if (MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return GetLastError();
}
