// The POSIX port on a pseudo-terminal pair, as the simulator offers it.
#include "link/port/SerialEventQueue.h"
#include "link/port/SerialPort.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <string>

namespace {

class PtyPair {
public:
    PtyPair()
    {
        char name[256];
        if (openpty(&master, &slave, name, nullptr, nullptr) == 0)
            path = name;
        ::close(slave);  // the port opens it by path
    }
    ~PtyPair() { CloseMaster(); }
    void CloseMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    int master = -1, slave = -1;
    std::string path;
};

using namespace std::chrono_literals;

// Bytes and removal: every e2e scenario runs on this port.
TEST(SerialPortPosix, PostsOneEventPerArrival)
{
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    CSerialEventQueue queue;
    CSerialPort port;
    ASSERT_EQ(port.Open(pty.path, &queue), 0u);
    EXPECT_EQ(port.Open(pty.path, &queue), ILinkPort::kErrAlreadyInitialized);
    EXPECT_EQ(port.GetEventMask(), 0xC1u);
    EXPECT_EQ(port.SetupPort(), 0u);
    EXPECT_EQ(port.SetupHandshake(), 0u);
    EXPECT_EQ(port.SetCommMask(0x99), 0u);

    ASSERT_EQ(::write(pty.master, "hello", 5), 5);
    SerialEvent e;
    ASSERT_TRUE(queue.Wait(e, 2000ms));
    EXPECT_EQ(e.message, CSerialPort::kNotifyMessage);
    EXPECT_EQ(e.wParam & 0xFFFF, ILinkPort::kEvRxChar);
    // Nothing more is posted until the owner reads.
    EXPECT_FALSE(queue.Wait(e, 50ms));
    uint8_t buf[ILinkPort::kReadMax + 1] = {};
    size_t n = 0;
    EXPECT_EQ(port.Read(buf, &n), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "hello");
    EXPECT_EQ(port.Read(buf, &n), 0u);
    EXPECT_EQ(n, 0u);  // never waits
    EXPECT_EQ(port.Close(), 0u);
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPortPosix, AWriteNobodyTakesTimesOut)
{
    PtyPair pty;
    CSerialPort port;
    ASSERT_EQ(port.Open(pty.path, nullptr), 0u);
    port.SetupPort();
    std::string big(1 << 20, 'x');
    size_t written = 0;
    EXPECT_EQ(port.Write(big.data(), big.size(), &written), ILinkPort::kErrTimeout);
    EXPECT_LT(written, big.size());
    EXPECT_TRUE(port.IsOpen());
    // What the count says went out is all there on the other side: a caller
    // that sends the rest from there loses and repeats nothing.
    size_t arrived = 0;
    char buf[4096];
    ::fcntl(pty.master, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = ::read(pty.master, buf, sizeof buf)) > 0;)
        arrived += static_cast<size_t>(n);
    EXPECT_EQ(written, arrived);
}

// The other end going away is told once per open, by the event thread or by
// the first write that fails, whichever comes first; a notice of an earlier
// open is told apart from one of the port open now.
TEST(SerialPortPosix, AHangUpOrAFailedWriteIsToldOncePerOpen)
{
    for (bool writeFirst : {false, true}) {
        SCOPED_TRACE(writeFirst ? "write first" : "hang-up first");
        PtyPair pty;
        CSerialEventQueue queue;
        CSerialPort port;
        ASSERT_EQ(port.Open(pty.path, &queue), 0u);
        pty.CloseMaster();
        if (writeFirst) {
            EXPECT_NE(port.Write("ab", 2), 0u);
        }
        SerialEvent e;
        ASSERT_TRUE(queue.Wait(e, 2000ms));
        EXPECT_EQ(e.message, CSerialPort::kGoneMessage);
        EXPECT_TRUE(port.IsGoneNotice(e.lParam));
        EXPECT_NE(port.Write("ab", 2), 0u);
        uint8_t buf[ILinkPort::kReadMax + 1];
        port.Read(buf);
        EXPECT_FALSE(queue.Wait(e, 100ms));
        const uint32_t old = e.lParam;
        port.Close();
        EXPECT_FALSE(port.IsGoneNotice(old));
        PtyPair next;
        ASSERT_EQ(port.Open(next.path, &queue), 0u);
        EXPECT_FALSE(port.IsGoneNotice(old));
        EXPECT_EQ(port.Write("ab", 2), 0u);
        EXPECT_FALSE(queue.Wait(e, 50ms));
        port.Close();
    }
}

// Closing, reopening and changing the mask while the event thread posts
// (run under ThreadSanitizer by scripts/fuzz).
TEST(SerialPortPosix, CloseAndMaskChangesWhileTheThreadPosts)
{
    PtyPair pty;
    ASSERT_FALSE(pty.path.empty());
    CSerialEventQueue queue;
    CSerialPort port;
    uint8_t buf[ILinkPort::kReadMax + 1];
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(port.Open(pty.path, &queue), 0u);
        for (int k = 0; k < 20; ++k) {
            ASSERT_EQ(::write(pty.master, "x", 1), 1);
            port.SetCommMask(k % 2 ? 0x99 : 0x01);
            if (k % 3 == 0)
                port.Read(buf);
        }
        EXPECT_EQ(port.Close(), 0u);
        SerialEvent e;
        while (queue.Wait(e, 0ms)) {
        }
    }
}

} // namespace
