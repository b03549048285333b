#include "framework/Menu.h"

#include "framework/Resources.h"

bool CMenu::LoadMenu(UINT id) {
    DestroyMenu();
    m_hMenu = CResources::LoadMenu(id);
    m_owned = m_hMenu != nullptr;
    return m_owned;
}

void CMenu::DestroyMenu() {
    if (m_hMenu && m_owned) ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    m_owned = false;
}
