#include "LinkCheckScenarios.h"

#include "link/DeviceLink.h"

#include <cstdio>

namespace {

// Connect, sync and run the identification chain (with the login when the
// board asks for it) to its end.
std::string Identify(ILinkRunner& r, const CheckOptions& o)
{
    CDeviceLink& link = r.Link();
    if (!link.Connect(o.port))
        return "cannot open " + o.port;
    bool sawJob = false;
    std::string why = r.RunUntil([&] {
        sawJob = sawJob || link.IsJobRunning();
        return link.IsIdentified() || link.IsIspMode() || (sawJob && !link.IsJobRunning());
    }, o.deadlineSeconds);
    if (!why.empty())
        return why;
    if (link.IsIspMode())
        return "isp mode";
    if (!link.IsIdentified())
        return "identification did not finish";
    return std::string();
}

} // namespace

std::string RunLinkScenario(ILinkRunner& r, const CheckOptions& o, const std::string& scenario,
                            const std::vector<std::string>& args)
{
    if (scenario == "identify")
        return Identify(r, o);
    return "unknown scenario " + scenario;
}

std::string RunCodecScenario(const std::string& scenario, const std::vector<std::string>& args)
{
    return "unknown scenario " + scenario;
}
