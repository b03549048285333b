#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/DeviceInfo.h"
#include "link/FileEntry.h"
#include "link/LinkHost.h"
#include "link/LinkStrings.h"
#include "link/services/BoardQueriesService.h"
#include "link/services/BootLoaderService.h"
#include "link/services/BoardCommandsService.h"
#include "link/services/DebuggerService.h"
#include "link/services/DevicePresenceService.h"
#include "link/services/FilesService.h"
#include "link/services/SettingsService.h"
#include "link/services/IdentityService.h"
#include "link/session/LinkSession.h"

class ILinkPort;
class ILinkFiles;

// The board link as the main window sees it: it builds the session and the
// services, wires them, and hands them out. Callers talk to the service that
// owns a request and to the session for connection state; the link talks
// back only through CLinkHost. Single-threaded: every call comes on the UI
// thread.
class CDeviceLink {
public:
    CDeviceLink(ILinkPort& port, CLinkHost& host, ILinkFiles& files);
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // Connection state, the receive path, timers and the wait box.
    CLinkSession& Session() { return m_session; }
    const CLinkSession& Session() const { return m_session; }
    CIdentityService& Identity() { return m_identity; }
    const CIdentityService& Identity() const { return m_identity; }
    CFilesService& Files() { return m_filesService; }
    const CFilesService& Files() const { return m_filesService; }
    CBoardQueriesService& Queries() { return m_queries; }
    CBootLoaderService& BootLoader() { return m_bootLoader; }
    CSettingsService& Settings() { return m_settings; }
    CBoardCommandsService& Commands() { return m_commands; }
    CDevicePresenceService& Presence() { return m_presence; }
    CDebuggerService& Debugger() { return m_debugger; }

    // The wait box of modes 1 and 2 is up: a reset, a pending image read or
    // the identification starts, whichever the state asks for.
    void OnIdentifyStart();

private:
    CLinkSession m_session;
    CIdentityService m_identity;
    CFilesService m_filesService;
    CSettingsService m_settings;
    CBoardCommandsService m_commands;
    CDevicePresenceService m_presence;
    CBoardQueriesService m_queries;
    CDebuggerService m_debugger;
    CBootLoaderService m_bootLoader{m_session};
};
