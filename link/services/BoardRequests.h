#pragma once
#include <cstdint>

#include "link/codecs/LinkFrame.h"

// Requests of areas whose services are still to come (run control, debug
// modes), shared by the services that need them meanwhile.
namespace BoardRequests {
// Every task number the debugger's requests carry is 0.
inline LinkFrame::RequestBuilder TaskState() { return LinkFrame::RequestBuilder(1, 5, 1).Int32(0); }
inline LinkFrame::RequestBuilder DebugMode(uint8_t sub, int32_t value = 1)  // 02/11, 02/12
{
    return LinkFrame::RequestBuilder(2, 1, sub).Int32(value);
}
inline LinkFrame::RequestBuilder FirmwareLog(bool on) { return LinkFrame::RequestBuilder(2, 1, 3).Int32(on ? 1 : 0); }
inline LinkFrame::RequestBuilder TaskRun() { return LinkFrame::RequestBuilder(2, 2, 1).Int32(1).Int32(3); }
inline LinkFrame::RequestBuilder TaskStop() { return LinkFrame::RequestBuilder(2, 2, 1).Int32(1).Int32(1); }
} // namespace BoardRequests
