// A menu handle, loaded from the resources in the resource language.
#pragma once

#include "framework/String.h"

#include <windows.h>

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu() { DestroyMenu(); }

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }

    bool LoadMenu(UINT id);
    bool CreatePopupMenu() { DestroyMenu(); m_hMenu = ::CreatePopupMenu(); m_owned = true; return m_hMenu != nullptr; }
    void Attach(HMENU menu) { DestroyMenu(); m_hMenu = menu; m_owned = false; }
    HMENU Detach() { HMENU m = m_hMenu; m_hMenu = nullptr; m_owned = false; return m; }
    void DestroyMenu();

    HMENU GetSubMenu(int pos) const { return ::GetSubMenu(m_hMenu, pos); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT EnableMenuItem(UINT id, UINT flags) { return ::EnableMenuItem(m_hMenu, id, flags); }
    DWORD CheckMenuItem(UINT id, UINT flags) { return ::CheckMenuItem(m_hMenu, id, flags); }
    bool AppendMenu(UINT flags, UINT_PTR id, const char* text) { return ::AppendMenuA(m_hMenu, flags, id, text) != 0; }
    bool InsertMenu(UINT pos, UINT flags, UINT_PTR id, const char* text) {
        return ::InsertMenuA(m_hMenu, pos, flags, id, text) != 0;
    }
    bool DeleteMenu(UINT pos, UINT flags) { return ::DeleteMenu(m_hMenu, pos, flags) != 0; }
    BOOL TrackPopupMenu(UINT flags, int x, int y, HWND owner) {
        return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner, nullptr);
    }

private:
    bool m_owned = false;
};
