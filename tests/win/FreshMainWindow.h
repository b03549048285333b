#pragma once
// The main window as at a first start: no Init.ini, no saved layout.
#include "WinTestSupport.h"
#include "workbench/app/Registry.h"
#include "workbench/main/IniFile.h"
#include "workbench/main/ZarvoDDlg.h"

inline void PrepareFirstStart(const char* folder)
{
    CIniFile::SetFolderForTests(TempFolder(folder).c_str());
    ::DeleteFileA(CIniFile::Path());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, CRegistry::kKeyPath);
}

inline bool ShowMainWindow(CZarvoDDlg& dlg)
{
    if (!dlg.Create(IDD_ZARVOD_DIALOG, nullptr)) return false;
    dlg.ShowWindow(SW_SHOW);
    Pump(50);
    return true;
}

inline void CloseMainWindow(CZarvoDDlg& dlg)
{
    if (dlg.m_hWnd) dlg.DestroyWindow();
    CIniFile::CommitWrite();
    CIniFile::SetFolderForTests("");
}
