// Sockets first: winsock2.h must come before windows.h.
#include <winsock2.h>

#include "workbench/app/ZarvoDApp.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "workbench/app/LanguageChoice.h"
#include "workbench/app/Registry.h"
#include "ui/kit/GdiPlus.h"
#include "ui/kit/GdiPlusUtil.h"
#include "workbench/main/IniFile.h"
#include "workbench/main/ZarvoDDlg.h"

#include <ole2.h>

bool CZarvoDApp::HasLanguageResources(LANGID language, HMODULE module, CString* text) {
    const UINT id = IDS_SELECT_COM_PORT;
    HRSRC r = ::FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_STRING), MAKEINTRESOURCEA((id >> 4) + 1), language);
    if (!r) return false;
    HGLOBAL g = ::LoadResource(module, r);
    const WCHAR* p = g ? static_cast<const WCHAR*>(::LockResource(g)) : nullptr;
    if (!p) return false;
    const DWORD size = ::SizeofResource(module, r) / sizeof(WCHAR);
    const WCHAR* end = p + size;
    for (UINT i = 0; i < (id & 15); ++i) {
        if (p >= end) return false;
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end) return false;
    const int length = *p;
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(CP_THREAD_ACP, 0, p + 1, length, nullptr, 0, nullptr, &lossy);
    // A code page that cannot show the language turns its text into '?'.
    if (n <= 0 || lossy) return false;
    if (text) {
        std::string s(static_cast<size_t>(n), '\0');
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, p + 1, length, &s[0], n, nullptr, nullptr);
        *text = CString(s);
    }
    return true;
}

DWORD CZarvoDApp::SettleLanguage() {
    CRegistry key;
    DWORD stored = 0;
    if (key.Open()) key.ReadDword("Lang", stored);
    else key.CreateKey();
    HMODULE module = CResources::GetModule();
    const language::Choice c = language::Settle(stored, ::GetSystemDefaultLCID() & 0xFFFF, [module](uint32_t lang) {
        return lang <= 0xFFFF && HasLanguageResources(static_cast<LANGID>(lang), module, nullptr);
    });
    if (c.write) key.WriteDword("Lang", c.language);
    return c.language;
}

BOOL CZarvoDApp::InitInstance() {
    INITCOMMONCONTROLSEX icc{8, 0xFF};
    ::InitCommonControlsEx(&icc);
    WSADATA wsa;
    m_sockets = ::WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    if (!m_sockets) {
        ::MessageBoxA(nullptr, CResources::LoadString(IDS_SOCKET_INIT_FAILED), "Zarvo debugger", MB_ICONERROR);
        return FALSE;
    }
    // Drag and drop needs OLE, not only COM.
    m_ole = SUCCEEDED(::OleInitialize(nullptr));
    if (!m_ole) {
        ::MessageBoxA(nullptr, "Fail - AfxOleInit", "Zarvo debugger", MB_ICONERROR);
        return FALSE;
    }
    Gdiplus::GdiplusStartupInput input;
    m_gdiplus = Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr) == Gdiplus::Ok;

    const DWORD lang = SettleLanguage();
    CResources::SetLanguage(static_cast<LANGID>(lang));
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    ::GetVersionExA(&version);
    if (version.dwMajorVersion == 6) {
        using SetUiLanguage = LANGID(WINAPI*)(LANGID);
        if (HMODULE kernel = ::LoadLibraryA("kernel32.dll")) {
            if (auto set = reinterpret_cast<SetUiLanguage>(::GetProcAddress(kernel, "SetThreadUILanguage")))
                set(static_cast<LANGID>(lang));
            ::FreeLibrary(kernel);
        }
    }
    ::SetThreadLocale(lang);

    {
        CZarvoDDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // Every writer is done: the new Init.ini replaces the old one once.
    CIniFile::CommitWrite();
    return FALSE;
}

int CZarvoDApp::ExitInstance() {
    // Last: no bitmap of the window or its panes outlives GDI+.
    CGdiPlusUtil::EndPrefetch();
    if (m_gdiplus) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    m_gdiplus = false;
    if (m_ole) ::OleUninitialize();
    m_ole = false;
    if (m_sockets) ::WSACleanup();
    m_sockets = false;
    return CWinApp::ExitInstance();
}
