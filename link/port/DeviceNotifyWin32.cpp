#include "link/port/DeviceNotify.h"

#include <windows.h>
#include <dbt.h>

#include <cstring>

void* RegisterDeviceInterfaceNotices(void* window)
{
    // Every interface class: the board's virtual COM port comes as whichever
    // interface its driver registers.
    DEV_BROADCAST_DEVICEINTERFACE_A filter;
    std::memset(&filter, 0, sizeof filter);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    return RegisterDeviceNotificationA(static_cast<HWND>(window), &filter,
                                       DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES);
}

void UnregisterDeviceInterfaceNotices(void* handle)
{
    if (handle)
        UnregisterDeviceNotification(static_cast<HDEVNOTIFY>(handle));
}

uint32_t DeviceChangeType(uintptr_t lParam)
{
    auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    return header ? header->dbch_devicetype : 0;
}
