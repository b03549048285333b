// Resources looked up by an explicit language (English 1033, Korean 1042),
// never by the thread's UI language; missing ones fall back to English, then
// to any language.
#pragma once

#include "framework/String.h"

#include <windows.h>

class CResources {
public:
    static constexpr LANGID kEnglish = 1033;
    static constexpr LANGID kKorean = 1042;

    static void SetLanguage(LANGID lang) { s_lang = lang; }
    static LANGID GetLanguage() { return s_lang; }
    static void SetModule(HINSTANCE module) { s_module = module; }
    static HINSTANCE GetModule();

    // FindResourceEx in the language, then English, then neutral, then any.
    static HRSRC Find(const char* type, const char* name);
    static const void* LoadData(const char* type, const char* name, DWORD* size);

    // String by id, converted to the ANSI code page. Empty when absent.
    static CString LoadString(UINT id);
    // A string only when the language itself holds the string's block (no
    // fallback), converted with the given code page (the start-up probe uses
    // the thread's).
    static bool LoadStringExact(LANGID lang, UINT id, CString* out, UINT codePage = CP_ACP);
    static const DLGTEMPLATE* LoadDialog(UINT id);
    static HMENU LoadMenu(UINT id);

private:
    static bool StringFromBlock(HRSRC res, UINT id, CString* out, UINT codePage);
    static LANGID s_lang;
    static HINSTANCE s_module;
};
