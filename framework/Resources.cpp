#include "framework/Resources.h"

LANGID CResources::s_lang = CResources::kEnglish;
HINSTANCE CResources::s_module = nullptr;

HINSTANCE CResources::GetModule() { return s_module ? s_module : ::GetModuleHandleA(nullptr); }

HRSRC CResources::Find(const char* type, const char* name) {
    HINSTANCE mod = GetModule();
    const LANGID tries[] = {s_lang, kEnglish, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)};
    for (LANGID lang : tries)
        if (HRSRC r = ::FindResourceExA(mod, type, name, lang)) return r;
    return ::FindResourceA(mod, name, type);
}

const void* CResources::LoadData(const char* type, const char* name, DWORD* size) {
    HRSRC res = Find(type, name);
    if (!res) return nullptr;
    HGLOBAL g = ::LoadResource(GetModule(), res);
    if (!g) return nullptr;
    if (size) *size = ::SizeofResource(GetModule(), res);
    return ::LockResource(g);
}

bool CResources::StringFromBlock(HRSRC res, UINT id, CString* out, UINT codePage) {
    HINSTANCE mod = GetModule();
    HGLOBAL g = ::LoadResource(mod, res);
    const WCHAR* p = g ? static_cast<const WCHAR*>(::LockResource(g)) : nullptr;
    DWORD bytes = ::SizeofResource(mod, res);
    if (!p) return false;
    const WCHAR* end = p + bytes / sizeof(WCHAR);
    // A block holds 16 counted strings; skip to ours, never past the block.
    for (UINT i = 0; i < (id & 15); ++i) {
        if (p >= end) return false;
        p += 1 + *p;
    }
    if (p >= end) return false;
    int len = *p++;
    if (len == 0 || p + len > end) return false;
    int n = ::WideCharToMultiByte(codePage, 0, p, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    std::string buf(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, p, len, &buf[0], n, nullptr, nullptr);
    *out = CString(buf);
    return true;
}

CString CResources::LoadString(UINT id) {
    CString s;
    const char* block = MAKEINTRESOURCEA((id >> 4) + 1);
    HINSTANCE mod = GetModule();
    const LANGID tries[] = {s_lang, kEnglish, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)};
    for (LANGID lang : tries) {
        HRSRC r = ::FindResourceExA(mod, reinterpret_cast<LPCSTR>(RT_STRING), block, lang);
        if (r && StringFromBlock(r, id, &s, CP_ACP)) return s;
    }
    return s;
}

bool CResources::LoadStringExact(LANGID lang, UINT id, CString* out, UINT codePage) {
    HRSRC r = ::FindResourceExA(GetModule(), reinterpret_cast<LPCSTR>(RT_STRING), MAKEINTRESOURCEA((id >> 4) + 1), lang);
    CString s;
    if (!r || !StringFromBlock(r, id, &s, codePage)) return false;
    if (out) *out = s;
    return true;
}

const DLGTEMPLATE* CResources::LoadDialog(UINT id) {
    return static_cast<const DLGTEMPLATE*>(LoadData(reinterpret_cast<LPCSTR>(RT_DIALOG), MAKEINTRESOURCEA(id), nullptr));
}

HMENU CResources::LoadMenu(UINT id) {
    const void* data = LoadData(reinterpret_cast<LPCSTR>(RT_MENU), MAKEINTRESOURCEA(id), nullptr);
    return data ? ::LoadMenuIndirectA(data) : nullptr;
}
