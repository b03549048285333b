#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "link/port/LinkPort.h"

#ifdef _WIN32
struct HWND__;
using SerialOwner = HWND__*;  // the window that receives the event message
#else
#include <condition_variable>
#include <mutex>
#include <thread>
class CSerialEventQueue;
using SerialOwner = CSerialEventQueue*;
#endif

// The board's USB virtual COM port: 115200 8N1, DTR and RTS on, no flow
// control. One event thread waits for port events and posts them to the
// owner as kNotifyMessage (wParam: events | comm errors << 16); all reads and
// writes happen on the owner's thread. Win32: overlapped I/O on "\\.\COMn".
// POSIX: a raw termios device (a pseudo-terminal in tests).
//
// Threads: every member function runs on the owner's thread. The event
// thread only reads the descriptor/handle, the owner, the notify message and
// the event mask, all set before it starts and cleared only after it has
// been joined (Close stops it first); the mask and the last error are
// atomic, and the event thread writes neither through a member function.
class CSerialPort : public ILinkPort {
public:
    static constexpr uint32_t kNotifyMessage = 0x464;   // WM_USER + 100
    // Posted once per open when the port fails under us: a write or read
    // error, a hang-up, an event thread that ends with an error (a USB
    // removal; under Wine the only sign of one). lParam: the open's number,
    // so that a late notice of an earlier open is told apart (IsGoneNotice).
    static constexpr uint32_t kGoneMessage = 0x8050;  // WM_APP + 0x50

    CSerialPort();
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // The owner that ILinkPort::Open uses.
    void SetOwner(SerialOwner owner) { m_defaultOwner = owner; }
    uint32_t Open(const std::string& portName) override { return Open(portName, m_defaultOwner); }
    uint32_t Open(const std::string& portName, SerialOwner owner);
    uint32_t SetupPort() override;
    uint32_t SetupHandshake() override;
    uint32_t SetCommMask(uint32_t mask) override;
    uint32_t SetTimeouts();
    uint32_t Close() override;
    bool IsOpen() const override;
    uint32_t Write(const void* data, size_t length, size_t* written = nullptr) override;
    uint32_t Read(void* buffer, size_t* count = nullptr) override;
    int CheckPort(const std::string& portName) override;
    uint32_t GetLastErrorCode() const { return m_lastError; }
    // A gone notice (its lParam) about the port open now.
    bool IsGoneNotice(uint32_t lParam) const { return IsOpen() && lParam == m_openNumber; }
    uint32_t GetEventMask() const { return m_currentMask; }

    // "COM3" stays "COM3"; longer names get the "\\.\" prefix (Win32).
    static std::string PortPath(const std::string& portName);

private:
    uint32_t OpenHandle(const std::string& path);
    void StopThread();
    void ThreadProc();
    // Either thread: posts the gone notice, once per open.
    void ReportGone();

    SerialOwner m_defaultOwner = nullptr;
    SerialOwner m_owner = nullptr;
    uint32_t m_notifyMessage = 0;
    uint32_t m_notifyLParam = 0;
    std::atomic<uint32_t> m_lastError{0};
    // Written by the owner, read by the event thread.
    std::atomic<uint32_t> m_currentMask{0};
    // Set before the event thread starts, read by both threads.
    uint32_t m_openNumber = 0;
    std::atomic<bool> m_goneReported{false};
#ifdef _WIN32
    uint32_t WaitEvent(void* overlapped);
    void ThreadLoop();
    // A failed call's error, reported as the port's end when it is one.
    uint32_t Failed(uint32_t error);
    static unsigned long __stdcall ThreadEntry(void* self);

    void* m_port = nullptr;         // HANDLE
    unsigned long m_receivedMask = 0;  // DWORD
    std::atomic<bool> m_stop{false};
    void* m_thread = nullptr;       // HANDLE
    void* m_ioEvent = nullptr;      // HANDLE
    void* m_waitEvent = nullptr;    // HANDLE
#else
    int m_fd = -1;
    int m_wakePipe[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    // The thread posts once per arrival and waits until the owner has read.
    std::mutex m_armMutex;
    std::condition_variable m_armed;
    bool m_readPending = false;
#endif
};

// The ports that the board's USB device can be: "COM%d" for each present
// port whose friendly name is the board driver's.
#include <vector>
void EnumComPorts(std::vector<std::string>& ports);
