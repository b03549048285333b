#pragma once
// linkcheck's board-query scenarios: netinfo, clock-set, scan, logs, info.
#include <string>
#include <utility>
#include <vector>

#include "link/services/NetworkInfo.h"
#include "link/services/ScanRecord.h"

class ILinkRunner;
struct CheckOptions;

// What the host's reports role received, in order.
struct CheckReports {
    std::vector<NetworkInfo> net;
    std::vector<std::pair<bool, std::string>> rtc;
    std::vector<bool> rtcSet;
    std::vector<std::pair<bool, std::vector<ScanRecord>>> scans;
    std::vector<std::pair<bool, std::string>> logs;
    std::vector<std::pair<std::string, std::string>> products;
    size_t Count() const
    {
        return net.size() + rtc.size() + rtcSet.size() + scans.size() + logs.size() + products.size();
    }
};

bool IsQueryScenario(const std::string& scenario);
std::string RunQueryScenario(ILinkRunner& runner, const CheckOptions& options, const std::string& scenario,
                             const std::vector<std::string>& args);
