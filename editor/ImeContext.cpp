#include "editor/ImeContext.h"

#include <imm.h>

bool CImm32Context::GetComposition(HWND wnd, std::string& text)
{
    text.clear();
    HIMC imc = ::ImmGetContext(wnd);
    if (!imc)
        return false;
    LONG bytes = ::ImmGetCompositionStringA(imc, GCS_COMPSTR, nullptr, 0);
    bool ok = bytes >= 0;
    if (bytes > 0) {
        text.resize(static_cast<size_t>(bytes));
        bytes = ::ImmGetCompositionStringA(imc, GCS_COMPSTR, &text[0], static_cast<DWORD>(bytes));
        text.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
    }
    ::ImmReleaseContext(wnd, imc);
    return ok;
}

void CImm32Context::Cancel(HWND wnd)
{
    HIMC imc = ::ImmGetContext(wnd);
    if (!imc)
        return;
    ::ImmNotifyIME(imc, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
    ::ImmReleaseContext(wnd, imc);
}
