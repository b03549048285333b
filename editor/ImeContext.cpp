#include "editor/ImeContext.h"

#include <imm.h>

static bool CompositionString(HWND wnd, DWORD which, std::string& text)
{
    text.clear();
    HIMC imc = ::ImmGetContext(wnd);
    if (!imc)
        return false;
    LONG bytes = ::ImmGetCompositionStringA(imc, which, nullptr, 0);
    bool ok = bytes >= 0;
    if (bytes > 0) {
        text.resize(static_cast<size_t>(bytes));
        bytes = ::ImmGetCompositionStringA(imc, which, &text[0], static_cast<DWORD>(bytes));
        text.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
    }
    ::ImmReleaseContext(wnd, imc);
    return ok;
}

bool CImm32Context::GetComposition(HWND wnd, std::string& text)
{
    return CompositionString(wnd, GCS_COMPSTR, text);
}

bool CImm32Context::GetResult(HWND wnd, std::string& text)
{
    return CompositionString(wnd, GCS_RESULTSTR, text) && !text.empty();
}

void CImm32Context::Cancel(HWND wnd)
{
    HIMC imc = ::ImmGetContext(wnd);
    if (!imc)
        return;
    ::ImmNotifyIME(imc, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
    ::ImmReleaseContext(wnd, imc);
}
