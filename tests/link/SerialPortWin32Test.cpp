// The Win32 port and port discovery, run under Wine.
#include "link/port/SerialPort.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <algorithm>

TEST(SerialPortWin32, PortPathsAndAMissingPort)
{
    EXPECT_EQ(CSerialPort::PortPath("COM3"), "COM3");
    EXPECT_EQ(CSerialPort::PortPath("COM12"), "\\\\.\\COM12");
    CSerialPort port;
    EXPECT_EQ(port.CheckPort("COM231"), 1);
    EXPECT_NE(port.Open("COM231", nullptr), 0u);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Close(), 0u);
}

// A handle that is no serial port fails its set-up and is not left open
// (without an event thread, the link would resend its sync byte for ever).
TEST(SerialPortWin32, AHalfSetUpPortIsNotOpen)
{
    CSerialPort port;
    uint32_t e = port.Open("NUL", nullptr);
    EXPECT_NE(e, 0u);
    EXPECT_NE(e, 2u);  // the device opens; its set-up fails
    EXPECT_FALSE(port.IsOpen());
}

namespace {
// Registers a present device of the PORTS class, as the board's driver does.
bool RegisterPort(const char* friendly, const char* portName, HDEVINFO& set, SP_DEVINFO_DATA& dev)
{
    GUID guid;
    DWORD n = 0;
    if (!SetupDiClassGuidsFromNameA("PORTS", &guid, 1, &n) || n < 1)
        return false;
    set = SetupDiCreateDeviceInfoList(&guid, nullptr);
    if (set == INVALID_HANDLE_VALUE)
        return false;
    dev.cbSize = sizeof dev;
    if (!SetupDiCreateDeviceInfoA(set, "PORTS", &guid, nullptr, nullptr, DICD_GENERATE_ID, &dev) ||
        !SetupDiRegisterDeviceInfo(set, &dev, 0, nullptr, nullptr, nullptr))
        return false;
    SetupDiSetDeviceRegistryPropertyA(set, &dev, SPDRP_FRIENDLYNAME, reinterpret_cast<const BYTE*>(friendly),
                                      static_cast<DWORD>(strlen(friendly) + 1));
    HKEY key = SetupDiCreateDevRegKeyA(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
    if (key == INVALID_HANDLE_VALUE)
        return false;
    RegSetValueExA(key, "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(portName),
                   static_cast<DWORD>(strlen(portName) + 1));
    RegCloseKey(key);
    return true;
}
} // namespace

TEST(EnumComPorts, ListsOnlyTheBoardDriversPorts)
{
    HDEVINFO a, b, c;
    SP_DEVINFO_DATA da, db, dc;
    ASSERT_TRUE(RegisterPort("STMicroelectronics Virtual COM Port (COM47)", "COM47", a, da));
    ASSERT_TRUE(RegisterPort("Some Other Serial Port (COM48)", "COM48", b, db));
    ASSERT_TRUE(RegisterPort("STMicroelectronics Virtual COM Port", "LPT9", c, dc));
    std::vector<std::string> ports;
    EnumComPorts(ports);
    EXPECT_NE(std::find(ports.begin(), ports.end(), "COM47"), ports.end());
    EXPECT_EQ(std::find(ports.begin(), ports.end(), "COM48"), ports.end());
    EXPECT_EQ(std::find(ports.begin(), ports.end(), "COM9"), ports.end());
    EXPECT_EQ(std::find(ports.begin(), ports.end(), "LPT9"), ports.end());
    for (auto* p : {&a, &b, &c}) {
        SP_DEVINFO_DATA d;
        d.cbSize = sizeof d;
        for (DWORD i = 0; SetupDiEnumDeviceInfo(*p, i, &d); ++i)
            SetupDiRemoveDevice(*p, &d);
        SetupDiDestroyDeviceInfoList(*p);
    }
    ports.clear();
    EnumComPorts(ports);
    EXPECT_EQ(std::find(ports.begin(), ports.end(), "COM47"), ports.end());
}
