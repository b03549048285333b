// Combo-box items kept in the resources (type RT_COMBO_INIT, named by the
// dialog's id, in the user's language): a 16-bit control id, then its item
// as a zero-terminated UTF-8 text, repeated; a zero id ends the list. The
// items are turned into the ANSI code page that runs. (windres copies the
// bytes of a narrow string in such a resource as they stand in the UTF-8
// source, but widens a L"..." string byte by byte, whatever the code page.)
#pragma once

#include <windows.h>

// Adds the items to the dialog's combo boxes; false when the data is missing.
bool FillCombosFromResource(HWND dialog, UINT dialogId);
