#include "framework/CommonDialogs.h"

#include "framework/KeyMenuGuard.h"

#include <string>

namespace commondlg {
namespace {

FARPROC Entry(const char* name) {
    // From the system folder only: a copy beside the program is not taken.
    static HMODULE module = [] {
        char folder[MAX_PATH] = {};
        const UINT n = ::GetSystemDirectoryA(folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return static_cast<HMODULE>(nullptr);
        return ::LoadLibraryA((std::string(folder) + "\\comdlg32.dll").c_str());
    }();
    return module ? ::GetProcAddress(module, name) : nullptr;
}

template <typename Fn, typename Arg>
BOOL Call(const char* name, Arg* arg) {
    // GetProcAddress hands back a generic pointer; the exported function has this type.
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Entry(name)));
    if (!fn) return FALSE;
    CKeyMenuGuard noKeyMenu;
    return fn(arg);
}

}  // namespace

BOOL GetOpenFileName(OPENFILENAMEA* ofn) {
    return Call<BOOL(WINAPI*)(OPENFILENAMEA*)>("GetOpenFileNameA", ofn);
}

BOOL GetSaveFileName(OPENFILENAMEA* ofn) {
    return Call<BOOL(WINAPI*)(OPENFILENAMEA*)>("GetSaveFileNameA", ofn);
}

BOOL ChooseFont(CHOOSEFONTA* cf) { return Call<BOOL(WINAPI*)(CHOOSEFONTA*)>("ChooseFontA", cf); }

LPITEMIDLIST BrowseForFolder(BROWSEINFOA* bi) {
    CKeyMenuGuard noKeyMenu;
    return ::SHBrowseForFolderA(bi);
}

}  // namespace commondlg
