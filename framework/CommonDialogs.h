// The common file and font dialogs, from their library loaded on first use:
// linked, it cost every start about 11 ms under Wine (it brings the print
// spooler's libraries with it) for dialogs most sessions never open; and the
// folder browser. Each runs with the keyboard menu refused (CKeyMenuGuard).
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

namespace commondlg {

// As the functions of the same names; FALSE also when the library is missing.
BOOL GetOpenFileName(OPENFILENAMEA* ofn);
BOOL GetSaveFileName(OPENFILENAMEA* ofn);
BOOL ChooseFont(CHOOSEFONTA* cf);
// As SHBrowseForFolderA.
LPITEMIDLIST BrowseForFolder(BROWSEINFOA* bi);

}  // namespace commondlg
