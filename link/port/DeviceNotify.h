#pragma once
#include <cstdint>

// Win32 only: device-interface arrival and removal notices for a window
// (WM_DEVICECHANGE), and the device type of a notice's broadcast header.
// The decision on a notice is CDevicePresenceService::Classify.
void* RegisterDeviceInterfaceNotices(void* window);
void UnregisterDeviceInterfaceNotices(void* handle);
// lParam of WM_DEVICECHANGE: the header's device type, 0 without a header.
uint32_t DeviceChangeType(uintptr_t lParam);
