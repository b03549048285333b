// The three text reports of the network-information dialog, in English or
// Korean (code page 949 bytes, the ANSI texts the dialog shows).
#pragma once

#include "link/services/NetworkInfo.h"

#include <string>
#include <vector>

namespace NetInfoReport {

// IPv4, IPv6 and, when there was one, the last address conflict. The
// conflict time is worded with the uptime format (string 185).
std::string Network(const NetworkInfo& info, bool korean,
                    const std::string& timeFormat = "%I64ddays / %02d:%02d:%02d");
// wlan null: no wireless report (empty).
std::string Wireless(const WlanStatusRecord* wlan, bool korean);
// arp null: no neighbour report (empty); ndc null: the IPv6 table is left out.
std::string Neighbours(const std::vector<std::string>* arp, const std::vector<std::string>* ndc, bool korean);

// The third tab's caption.
const char* NeighbourTabText(bool korean);

} // namespace NetInfoReport
