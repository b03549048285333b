#include "link/port/SerialPort.h"

#include "link/port/SerialEventQueue.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
const int kWriteTimeoutMs = 1000;

uint32_t Win32Error(int e)
{
    switch (e) {
    case ENOENT: case ENXIO: case ENODEV: return ILinkPort::kErrFileNotFound;
    case EACCES: case EBUSY: case EPERM: return ILinkPort::kErrAccessDenied;
    case EBADF: return ILinkPort::kErrInvalidHandle;
    default: return 31;  // ERROR_GEN_FAILURE
    }
}

// Reads the line settings, lets change() edit them and writes them back.
template <class Change>
uint32_t ChangeTermios(int fd, Change change)
{
    if (fd < 0)
        return ILinkPort::kErrInvalidHandle;
    termios t;
    if (tcgetattr(fd, &t) != 0)
        return Win32Error(errno);
    change(t);
    return tcsetattr(fd, TCSANOW, &t) == 0 ? 0 : Win32Error(errno);
}

} // namespace

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort()
{
    if (m_fd >= 0)
        Close();
}

std::string CSerialPort::PortPath(const std::string& name) { return name; }

bool CSerialPort::IsOpen() const { return m_fd >= 0; }

int CSerialPort::CheckPort(const std::string& name)
{
    int fd = ::open(PortPath(name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        uint32_t e = Win32Error(errno);
        return e == kErrFileNotFound ? 1 : e == kErrAccessDenied ? 2 : -1;
    }
    ::close(fd);
    return 0;
}

uint32_t CSerialPort::OpenHandle(const std::string& path)
{
    m_lastError = 0;
    if (m_fd >= 0)
        return m_lastError = kErrAlreadyInitialized;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return m_lastError = Win32Error(errno);
    // No sharing, as the Win32 port opens it; and nothing left over from
    // an earlier session may pass for the answer to the sync byte.
    ioctl(fd, TIOCEXCL);
    tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    SetCommMask(kEvRxChar | kEvBreak | kEvErr);
    return SetTimeouts();
}

uint32_t CSerialPort::Open(const std::string& portName, SerialOwner owner)
{
    m_lastError = 0;
    if (m_fd >= 0)
        return m_lastError = kErrAlreadyInitialized;
    if (OpenHandle(PortPath(portName)) != 0)
        return m_lastError;
    if (::pipe(m_wakePipe) != 0) {
        uint32_t e = Win32Error(errno);
        Close();
        return m_lastError = e;
    }
    m_owner = owner;
    m_notifyMessage = kNotifyMessage;
    m_notifyLParam = 0;
    ++m_openNumber;
    m_goneReported = false;
    m_stop = false;
    m_readPending = false;
    m_thread = std::thread([this] { ThreadProc(); });
    return 0;
}

// Reads never wait: the descriptor is non-blocking.
uint32_t CSerialPort::SetTimeouts() { return m_lastError = m_fd >= 0 ? 0u : uint32_t(kErrInvalidHandle); }

uint32_t CSerialPort::SetupPort()
{
    return m_lastError = ChangeTermios(m_fd, [](termios& t) {
        cfmakeraw(&t);
        cfsetispeed(&t, B115200);
        cfsetospeed(&t, B115200);
        t.c_cflag &= ~(CSIZE | PARENB | CSTOPB);
        t.c_cflag |= CS8 | CLOCAL | CREAD;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
    });
}

uint32_t CSerialPort::SetupHandshake()
{
    m_lastError = ChangeTermios(m_fd, [](termios& t) {
        t.c_cflag &= ~CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
    });
    if (m_lastError != 0)
        return m_lastError;
    // A pseudo-terminal has no modem lines: its refusal is not a failure.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(m_fd, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        m_lastError = Win32Error(errno);
    return m_lastError;
}

uint32_t CSerialPort::SetCommMask(uint32_t mask)
{
    m_lastError = 0;
    if (m_fd < 0)
        return m_lastError = kErrInvalidHandle;
    m_currentMask = mask;
    return 0;
}

uint32_t CSerialPort::Write(const void* data, size_t length, size_t* written)
{
    m_lastError = 0;
    if (written)
        *written = 0;
    if (m_fd < 0)
        return m_lastError = kErrInvalidHandle;
    auto p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    while (done < length) {
        ssize_t n = ::write(m_fd, p + done, length - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            // EIO: the other end hung up.
            m_lastError = Win32Error(errno);
            ReportGone();
            return m_lastError;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            // The bytes the kernel took are on their way, as those of a
            // cancelled overlapped write are on Windows: count them, and
            // leave them queued.
            if (written)
                *written = done;
            return m_lastError = kErrTimeout;
        }
        pollfd pfd{m_fd, POLLOUT, 0};
        ::poll(&pfd, 1, static_cast<int>(left.count()));
    }
    if (written)
        *written = done;
    return 0;
}

uint32_t CSerialPort::Read(void* buffer, size_t* count)
{
    m_lastError = 0;
    if (count)
        *count = 0;
    if (m_fd < 0)
        return m_lastError = kErrInvalidHandle;
    ssize_t n = ::read(m_fd, buffer, kReadMax);
    {
        // Whatever came, the next arrival may be posted again.
        std::lock_guard<std::mutex> lock(m_armMutex);
        m_readPending = false;
    }
    m_armed.notify_one();
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR)
            return 0;
        m_lastError = Win32Error(errno);
        ReportGone();
        return m_lastError;
    }
    if (count)
        *count = static_cast<size_t>(n);
    return 0;
}

void CSerialPort::ThreadProc()
{
    while (!m_stop) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            // Nothing would be heard of the port any more.
            if (!m_stop)
                ReportGone();
            return;
        }
        if (m_stop || (fds[1].revents & POLLIN))
            return;
        const bool gone = fds[0].revents & (POLLHUP | POLLERR | POLLNVAL);
        // A hung-up pseudo-terminal polls readable with nothing to read:
        // ask for bytes actually queued.
        int queued = 0;
        const bool data = (fds[0].revents & POLLIN) && (m_currentMask & kEvRxChar) &&
                          (!gone || (::ioctl(m_fd, FIONREAD, &queued) == 0 && queued > 0));
        // The device went away (the other end of a pseudo-terminal closed).
        // Bytes still queued are read first.
        if (gone && !data) {
            ReportGone();
            return;
        }
        if (!(fds[0].revents & POLLIN) || !(m_currentMask & kEvRxChar))
            continue;
        std::unique_lock<std::mutex> lock(m_armMutex);
        m_readPending = true;
        if (m_owner)
            m_owner->Post({m_notifyMessage, kEvRxChar, m_notifyLParam});
        // One event per arrival: wait until the owner has read.
        m_armed.wait(lock, [this] { return !m_readPending || m_stop; });
    }
}

void CSerialPort::ReportGone()
{
    if (m_owner && !m_goneReported.exchange(true))
        m_owner->Post({kGoneMessage, 0, m_openNumber});
}

void CSerialPort::StopThread()
{
    {
        std::lock_guard<std::mutex> lock(m_armMutex);
        m_stop = true;
    }
    m_armed.notify_one();
    char b = 0;
    (void)!::write(m_wakePipe[1], &b, 1);
    if (m_thread.joinable())
        m_thread.join();
    m_stop = false;
}

uint32_t CSerialPort::Close()
{
    // The thread reads the owner and the message: stop it before they go.
    if (m_thread.joinable())
        StopThread();
    m_owner = nullptr;
    m_notifyMessage = 0;
    for (int& fd : m_wakePipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_lastError = 0;
    return 0;
}

// Ports are named by their device path here; there is nothing to list.
void EnumComPorts(std::vector<std::string>& ports) {}
