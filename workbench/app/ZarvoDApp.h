// The application: prepares the process (common controls, sockets, OLE,
// GDI+), settles the interface language and runs the main window as a modal
// dialog. GDI+ is shut down last, after the window and every bitmap are gone.
#pragma once

#include "framework/WinApp.h"

#include <cstdint>

class CZarvoDApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Whether the string table holds string 117 in the language, in a form
    // the thread's ANSI code page can show; the text when it does.
    static bool HasLanguageResources(LANGID language, HMODULE module, CString* text);
    // Language from the registry, written back when it was missing or unusable.
    static DWORD SettleLanguage();

private:
    ULONG_PTR m_gdiplusToken = 0;
    bool m_gdiplus = false;
    bool m_ole = false;
    bool m_sockets = false;
};
