#include "link/port/SerialPort.h"

#include <windows.h>
#include <setupapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const DWORD kModemLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
const DWORD kWriteTimeoutMs = 1000;

// Reads the port's state, lets change() edit it and writes it back.
template <class Change>
DWORD ChangeCommState(HANDLE port, Change change)
{
    if (!port)
        return ERROR_INVALID_HANDLE;
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb))
        return GetLastError();
    change(dcb);
    return SetCommState(port, &dcb) ? 0 : GetLastError();
}
}

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort()
{
    if (m_port)
        Close();
}

std::string CSerialPort::PortPath(const std::string& name)
{
    return name.size() > 4 ? "\\\\.\\" + name : name;
}

bool CSerialPort::IsOpen() const { return m_port != nullptr; }

int CSerialPort::CheckPort(const std::string& name)
{
    HANDLE h = CreateFileA(PortPath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND ? 1 : e == ERROR_ACCESS_DENIED ? 2 : -1;
    }
    CloseHandle(h);
    return 0;
}

uint32_t CSerialPort::OpenHandle(const std::string& path)
{
    m_lastError = 0;
    if (m_port)
        return m_lastError = ERROR_ALREADY_INITIALIZED;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return m_lastError = GetLastError();
    m_port = h;
    m_ioEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!m_ioEvent) {
        m_lastError = GetLastError();
        CloseHandle(m_port);
        m_port = nullptr;
        return m_lastError;
    }
    // Bytes left from an earlier session must not pass for the sync answer.
    PurgeComm(m_port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    uint32_t e = SetCommMask(EV_RXCHAR | EV_BREAK | EV_ERR);
    if (e == 0)
        e = SetTimeouts();
    if (e != 0) {
        // Half set up is not open: no event thread would ever serve it.
        CloseHandle(m_ioEvent);
        m_ioEvent = nullptr;
        CloseHandle(m_port);
        m_port = nullptr;
    }
    return m_lastError = e;
}

uint32_t CSerialPort::Open(const std::string& portName, SerialOwner owner)
{
    m_lastError = 0;
    if (m_port)
        return m_lastError = ERROR_ALREADY_INITIALIZED;
    if (uint32_t e = OpenHandle(PortPath(portName)))
        return e;
    m_waitEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!m_waitEvent) {
        uint32_t e = GetLastError();
        Close();
        return m_lastError = e;
    }
    m_owner = owner;
    m_notifyMessage = kNotifyMessage;
    m_notifyLParam = 0;
    ++m_openNumber;
    m_goneReported = false;
    if (!m_thread) {
        m_thread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
        if (!m_thread) {
            uint32_t e = GetLastError();
            Close();
            return m_lastError = e;
        }
    }
    return m_lastError = 0;
}

uint32_t CSerialPort::SetTimeouts()
{
    m_lastError = 0;
    if (!m_port)
        return m_lastError = ERROR_INVALID_HANDLE;
    COMMTIMEOUTS t;
    if (!GetCommTimeouts(m_port, &t))
        return m_lastError = GetLastError();
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 0;
    // Whatever the driver had: a write ends after this, complete or not.
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!SetCommTimeouts(m_port, &t))
        m_lastError = GetLastError();
    return m_lastError;
}

uint32_t CSerialPort::SetupPort()
{
    return m_lastError = ChangeCommState(m_port, [](DCB& dcb) {
        dcb.fParity = FALSE;
        dcb.BaudRate = CBR_115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
    });
}

uint32_t CSerialPort::SetupHandshake()
{
    return m_lastError = ChangeCommState(m_port, [](DCB& dcb) {
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    });
}

uint32_t CSerialPort::SetCommMask(uint32_t mask)
{
    m_lastError = 0;
    if (!m_port)
        return m_lastError = ERROR_INVALID_HANDLE;
    if (!::SetCommMask(m_port, mask))
        return m_lastError = GetLastError();
    m_currentMask = mask;
    return 0;
}

uint32_t CSerialPort::Write(const void* data, size_t length, size_t* written)
{
    m_lastError = 0;
    if (written)
        *written = 0;
    if (!m_port)
        return m_lastError = ERROR_INVALID_HANDLE;
    if (!m_ioEvent)
        return m_lastError = ERROR_INVALID_FUNCTION;
    OVERLAPPED ov;
    std::memset(&ov, 0, sizeof ov);
    ov.hEvent = m_ioEvent;
    ResetEvent(m_ioEvent);
    DWORD count = 0;
    if (WriteFile(m_port, data, static_cast<DWORD>(length), &count, &ov)) {
        SetEvent(m_ioEvent);
        if (written)
            *written = count;
        // The write time-out ends a write that the board does not take.
        return count < length ? (m_lastError = ERROR_TIMEOUT) : 0u;
    }
    DWORD e = GetLastError();
    if (e != ERROR_IO_PENDING)
        return m_lastError = Failed(e);
    DWORD w = WaitForSingleObject(m_ioEvent, kWriteTimeoutMs);
    if (w == WAIT_OBJECT_0) {
        if (!GetOverlappedResult(m_port, &ov, &count, FALSE))
            return m_lastError = Failed(GetLastError());
        if (written)
            *written = count;
        return count < length ? (m_lastError = ERROR_TIMEOUT) : 0u;
    }
    if (w == WAIT_TIMEOUT) {
        CancelIo(m_port);
        // The cancelled request still owns ov until it completes, and what
        // it wrote before the cancel is on the line: callers must not send
        // those bytes again.
        count = 0;
        GetOverlappedResult(m_port, &ov, &count, TRUE);
        if (written)
            *written = count;
        return m_lastError = ERROR_TIMEOUT;
    }
    return m_lastError = GetLastError();
}

uint32_t CSerialPort::Read(void* buffer, size_t* count)
{
    m_lastError = 0;
    if (count)
        *count = 0;
    if (!m_port)
        return m_lastError = ERROR_INVALID_HANDLE;
    // Wine reports EV_RXCHAR now and then with nothing queued, and an
    // overlapped read of an empty pseudo-terminal then stays pending despite
    // the time-outs: read only what is there.
    DWORD errors = 0;
    COMSTAT status = {};
    if (ClearCommError(m_port, &errors, &status) && status.cbInQue == 0)
        return 0;
    OVERLAPPED ov;
    std::memset(&ov, 0, sizeof ov);
    ov.hEvent = m_ioEvent;
    ResetEvent(m_ioEvent);
    DWORD n = 0;
    if (!ReadFile(m_port, buffer, static_cast<DWORD>(kReadMax), &n, &ov)) {
        DWORD e = GetLastError();
        if (e != ERROR_IO_PENDING)
            return m_lastError = Failed(e);
        if (WaitForSingleObject(m_ioEvent, kWriteTimeoutMs) != WAIT_OBJECT_0)
            CancelIo(m_port);
        if (!GetOverlappedResult(m_port, &ov, &n, TRUE) && GetLastError() != ERROR_OPERATION_ABORTED)
            return m_lastError = Failed(GetLastError());
    }
    if (count)
        *count = n;
    return 0;
}

uint32_t CSerialPort::WaitEvent(void* overlapped)
{
    // The event thread's call: it reports by its result alone.
    if (!m_port)
        return ERROR_INVALID_HANDLE;
    auto* ov = static_cast<OVERLAPPED*>(overlapped);
    if (ov && !m_ioEvent)
        return ERROR_INVALID_FUNCTION;
    OVERLAPPED own;
    if (!ov) {
        std::memset(&own, 0, sizeof own);
        own.hEvent = m_ioEvent;
        ResetEvent(m_ioEvent);
    }
    // With the caller's OVERLAPPED the mask is written later: keep it in the object.
    BOOL ok = WaitCommEvent(m_port, &m_receivedMask, ov ? ov : &own);
    if (ok) {
        if (ov)
            SetEvent(ov->hEvent);
        return 0;
    }
    DWORD e = GetLastError();
    if (e != ERROR_IO_PENDING)
        return e;
    if (ov)
        return 0;
    if (WaitForSingleObject(m_ioEvent, INFINITE) == WAIT_TIMEOUT) {
        CancelIo(m_port);
        return ERROR_TIMEOUT;
    }
    DWORD dummy;
    GetOverlappedResult(m_port, &own, &dummy, FALSE);
    return 0;
}

uint32_t CSerialPort::Failed(uint32_t error)
{
    // A cancelled request is ours; anything else means the device failed.
    // Wine 8 gives no device notice when a pseudo-terminal's other end
    // closes: reads fail with ERROR_BROKEN_PIPE (109) from then on, and the
    // event thread's pending wait ends with ERROR_NOT_READY (21).
    if (error != ERROR_OPERATION_ABORTED && error != ERROR_TIMEOUT)
        ReportGone();
    return error;
}

void CSerialPort::ReportGone()
{
    if (m_owner && !m_goneReported.exchange(true))
        PostMessageA(reinterpret_cast<HWND>(m_owner), kGoneMessage, 0, static_cast<LPARAM>(m_openNumber));
}

unsigned long __stdcall CSerialPort::ThreadEntry(void* self)
{
    static_cast<CSerialPort*>(self)->ThreadProc();
    return 0;
}

// Waits for port events and posts them. Under Wine 8 a wait armed while
// bytes are queued ends at once, so a re-armed wait tells of a reply within
// a millisecond or so; the alternatives are slower there: a read with
// the "return on the first byte" time-outs (MAXDWORD, MAXDWORD, n) waits for
// the whole buffer, and one with an interval time-out adds that interval to
// every reply. Until the owner has read them, queued bytes are posted again
// on every turn; holding the thread until the read costs more (each event
// set or waited for is a round trip to the Wine server) than those notices.
void CSerialPort::ThreadProc()
{
    ThreadLoop();
    // Ended by anything but Close: nothing more will be heard of the port.
    if (!m_stop)
        ReportGone();
}

void CSerialPort::ThreadLoop()
{
    int refusedWaits = 0;  // waits refused in a row for modem-line events
    while (!m_stop) {
        ResetEvent(m_waitEvent);
        OVERLAPPED ov;
        std::memset(&ov, 0, sizeof ov);
        ov.hEvent = m_waitEvent;
        uint32_t e = WaitEvent(&ov);
        if (e == 0) {
            // Wine signals EV_RXCHAR only for bytes that arrive while a wait
            // is pending: bytes that came in between would wait for ever.
            DWORD errors = 0;
            COMSTAT status = {};
            if (!m_stop && m_owner && ClearCommError(m_port, &errors, &status) && status.cbInQue > 0 &&
                (m_currentMask & EV_RXCHAR))
                PostMessageA(reinterpret_cast<HWND>(m_owner), m_notifyMessage, MAKEWPARAM(EV_RXCHAR, 0),
                             m_notifyLParam);
            if (m_stop) {
                // StopThread's SetCommMask came before this wait was armed
                // and completed nothing: end the wait here, or it is never woken.
                DWORD dummy = 0;
                CancelIo(m_port);
                GetOverlappedResult(m_port, &ov, &dummy, TRUE);
                return;
            }
            if (WaitForSingleObject(m_waitEvent, INFINITE) != WAIT_OBJECT_0)
                return;
            DWORD dummy = 0;
            if (m_stop) {
                // ov lives on this stack: its wait must be over before we leave.
                CancelIo(m_port);
                GetOverlappedResult(m_port, &ov, &dummy, TRUE);
                return;
            }
            if (!GetOverlappedResult(m_port, &ov, &dummy, FALSE)) {
                e = GetLastError();
                if (e == ERROR_IO_INCOMPLETE) {
                    // Wine can signal the event of a wait that has not
                    // completed: end that wait (only this thread's I/O is
                    // cancelled) before ov is used again.
                    CancelIo(m_port);
                    GetOverlappedResult(m_port, &ov, &dummy, TRUE);
                    e = ERROR_OPERATION_ABORTED;
                }
            }
        }
        if (e == ERROR_OPERATION_ABORTED && !m_stop) {
            // Wine ends a pending wait now and then when the port is read
            // on the other thread, and on a pseudo-terminal every wait ends
            // so about 1 ms after it is armed (its polling thread cannot read
            // the modem lines there); the port is still there: wait again
            // (bytes that came meanwhile are posted when the wait is re-armed).
            continue;
        }
        if (e == ERROR_NOT_SUPPORTED && ++refusedWaits <= 16) {
            // Wine on a pseudo-terminal has no modem lines and refuses the
            // whole wait when the mask asks for them (at once or when the
            // wait completes): keep the other events and wait again. The
            // port's own mask decides, not m_currentMask: the UI thread sets
            // the port's mask first and our copy a moment later, and a wait
            // refused in between must not end this thread.
            DWORD actual = 0;
            if (!GetCommMask(m_port, &actual))
                return;
            if ((actual & kModemLineEvents) && !::SetCommMask(m_port, actual & ~kModemLineEvents))
                return;
            continue;
        }
        if (e != 0)
            return;
        refusedWaits = 0;
        DWORD events = m_receivedMask & m_currentMask;
        m_receivedMask = 0;
        DWORD errors = 0;
        ClearCommError(m_port, &errors, nullptr);
        if (events && m_owner)
            PostMessageA(reinterpret_cast<HWND>(m_owner), m_notifyMessage, MAKEWPARAM(events, errors & 0xFFFF),
                         m_notifyLParam);
    }
}

void CSerialPort::StopThread()
{
    m_stop = true;
    ::SetCommMask(m_port, m_currentMask);  // completes the pending wait
    WaitForSingleObject(m_thread, INFINITE);
    m_stop = false;
    CloseHandle(m_thread);
    m_thread = nullptr;
}

uint32_t CSerialPort::Close()
{
    // The thread reads the owner and the message: stop it before they go.
    if (m_thread) {
        StopThread();
        CloseHandle(m_waitEvent);
        m_waitEvent = nullptr;
    } else if (m_waitEvent) {
        CloseHandle(m_waitEvent);
        m_waitEvent = nullptr;
    }
    m_owner = nullptr;
    m_notifyMessage = 0;
    if (m_port) {
        CloseHandle(m_ioEvent);
        m_ioEvent = nullptr;
        CloseHandle(m_port);
        m_port = nullptr;
    }
    m_lastError = 0;
    return 0;
}

namespace {

// The device-setup library, loaded from the system folder when the port list
// is first asked for: only the port list's drop-down needs it, and linked it
// cost every start about 3.5 ms under Wine.
struct SetupApi {
    bool loaded = false;
    BOOL(WINAPI* classGuids)(PCSTR, LPGUID, DWORD, PDWORD) = nullptr;
    HDEVINFO(WINAPI* classDevs)(const GUID*, PCSTR, HWND, DWORD) = nullptr;
    BOOL(WINAPI* enumDevice)(HDEVINFO, DWORD, PSP_DEVINFO_DATA) = nullptr;
    BOOL(WINAPI* registryProperty)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD, PDWORD) = nullptr;
    HKEY(WINAPI* openDevKey)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, DWORD, DWORD, REGSAM) = nullptr;
    BOOL(WINAPI* destroyList)(HDEVINFO) = nullptr;

    static const SetupApi& Get()
    {
        static const SetupApi api = Load();
        return api;
    }

private:
    template <class Fn>
    static void Bind(HMODULE module, const char* name, Fn& fn)
    {
        fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
    static SetupApi Load()
    {
        SetupApi api;
        char folder[MAX_PATH] = {};
        const UINT n = ::GetSystemDirectoryA(folder, MAX_PATH);
        HMODULE module = n > 0 && n < MAX_PATH ? ::LoadLibraryA((std::string(folder) + "\\setupapi.dll").c_str()) : nullptr;
        if (!module)
            return api;
        Bind(module, "SetupDiClassGuidsFromNameA", api.classGuids);
        Bind(module, "SetupDiGetClassDevsA", api.classDevs);
        Bind(module, "SetupDiEnumDeviceInfo", api.enumDevice);
        Bind(module, "SetupDiGetDeviceRegistryPropertyA", api.registryProperty);
        Bind(module, "SetupDiOpenDevRegKey", api.openDevKey);
        Bind(module, "SetupDiDestroyDeviceInfoList", api.destroyList);
        api.loaded = api.classGuids && api.classDevs && api.enumDevice && api.registryProperty && api.openDevKey &&
                     api.destroyList;
        return api;
    }
};

}  // namespace

void EnumComPorts(std::vector<std::string>& ports)
{
    static const char kFriendly[] = "STMicroelectronics Virtual COM Port";
    const SetupApi& api = SetupApi::Get();
    if (!api.loaded)
        return;
    GUID guid;
    DWORD required = 0;
    if (!api.classGuids("PORTS", &guid, 1, &required) || required < 1)
        return;
    HDEVINFO set = api.classDevs(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_PROFILE);
    if (set == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA dev;
    dev.cbSize = sizeof dev;
    for (DWORD i = 0; api.enumDevice(set, i, &dev); ++i) {
        char friendly[260] = {};
        char portName[260] = {};
        api.registryProperty(set, &dev, SPDRP_FRIENDLYNAME, nullptr,
                                          reinterpret_cast<BYTE*>(friendly), sizeof friendly - 1, nullptr);
        HKEY key = api.openDevKey(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key != INVALID_HANDLE_VALUE) {
            DWORD size = sizeof portName - 1, type = 0;
            RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(portName), &size);
            RegCloseKey(key);
        }
        if (std::strncmp(portName, "COM", 3) == 0 &&
            std::strncmp(friendly, kFriendly, sizeof kFriendly - 1) == 0)
            ports.push_back("COM" + std::to_string(std::atoi(portName + 3)));
    }
    api.destroyList(set);
}
