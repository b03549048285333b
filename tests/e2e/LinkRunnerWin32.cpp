#include "LinkRunner.h"

#include <windows.h>

namespace {
const char kClassName[] = "ZarvodLinkCheck";

LRESULT CALLBACK RunnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* runner = reinterpret_cast<CheckRunner*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (runner && (message == CSerialPort::kNotifyMessage || message == WM_TIMER)) {
        // Nothing may unwind through user32.
        try {
            runner->OnWindowMessage(message, wParam);
        } catch (...) {
        }
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
} // namespace

void WinCheckHost::SetTimer(unsigned id, unsigned ms) { ::SetTimer(reinterpret_cast<HWND>(window), id, ms, nullptr); }
void WinCheckHost::KillTimer(unsigned id) { ::KillTimer(reinterpret_cast<HWND>(window), id); }

CheckRunner::CheckRunner(const CheckOptions& o) : m_host(o), m_link(m_port, m_host, m_files)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RunnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    m_window = reinterpret_cast<HWND__*>(
        CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this));
    m_host.window = m_window;
    m_port.SetOwner(m_window);
    m_link.SetWatchdogPeriod(o.watchdogMs);
}

CheckRunner::~CheckRunner()
{
    m_port.Close();
    if (m_window)
        DestroyWindow(reinterpret_cast<HWND>(m_window));
}

void CheckRunner::OnWindowMessage(unsigned message, uintptr_t wParam)
{
    if (message == CSerialPort::kNotifyMessage)
        m_link.OnSerialEvent(static_cast<uint32_t>(wParam));
    else
        m_link.OnTimer(static_cast<unsigned>(wParam));
}

std::string CheckRunner::Run(const std::function<bool()>& done, int seconds, bool across)
{
    DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    // A COM port of the prefix sends no device notices: watch it instead.
    int present = 1;
    while (!done()) {
        if (!across && !m_link.IsConnected())
            return "disconnected";
        if (static_cast<int32_t>(GetTickCount() - deadline) > 0)
            return "timeout";
        if (m_host.StartPendingJob(m_link))
            continue;
        if (across && !m_link.IsConnected()) {
            // Only a closed port is probed (Wine answers 0 for a port we hold).
            int now = m_port.CheckPort(m_link.PortName()) == 1 ? 0 : 1;
            if (now != present) {
                present = now;
                m_link.OnDeviceChange(now ? 0x8000 : 0x8004, 5);
                continue;
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (done())
                break;
        }
    }
    return std::string();
}
