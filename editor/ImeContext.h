// The input method as the editor uses it: the composition and result
// strings of the current composition, and cancelling it. The window asks
// Imm32; tests inject compositions (Wine has no IME).
#pragma once

#include <windows.h>

#include <string>

class CImeContext
{
public:
    virtual ~CImeContext() = default;
    // GCS_COMPSTR in the ANSI code page; false when there is none.
    virtual bool GetComposition(HWND wnd, std::string& text) = 0;
    // GCS_RESULTSTR: the finished characters; false when there are none.
    virtual bool GetResult(HWND wnd, std::string& text) = 0;
    // Ends the composition without a result (NI_COMPOSITIONSTR, CPS_CANCEL).
    virtual void Cancel(HWND wnd) = 0;
};

// The real input method.
class CImm32Context : public CImeContext
{
public:
    bool GetComposition(HWND wnd, std::string& text) override;
    bool GetResult(HWND wnd, std::string& text) override;
    void Cancel(HWND wnd) override;
};
