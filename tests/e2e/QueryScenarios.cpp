#include "LinkRunner.h"

#include <cstdio>

namespace {

using Start = CBoardQueriesService::Start;

// Starts a query and runs until one more report came or the chain ended without.
std::string Query(CheckRunner& r, const CheckOptions& o, Start s, int seconds = 0, bool idle = true)
{
    if (s != Start::kStarted)
        return "not started (" + std::to_string(static_cast<int>(s)) + ")";
    CBoardQueriesService& q = r.Link().Queries();
    CheckReports& rep = r.Host().reports;
    const size_t before = rep.Count();
    STEP(r.RunUntil([&] {
        return rep.Count() > before ||
               (q.Running() == CBoardQueriesService::Chain::kNone && !q.HasPendingReports());
    }, seconds > 0 ? seconds : o.deadlineSeconds));
    const int32_t type = r.Link().Session().GetTransferType();
    if (idle && type != 0)
        return "transfer type left at " + std::to_string(type);
    return std::string();
}

std::string NetInfo(CheckRunner& r, const CheckOptions& o)
{
    CheckReports& rep = r.Host().reports;
    STEP(Query(r, o, r.Link().Queries().RequestNetworkInfo()));
    if (rep.net.empty())
        return "network information stopped";
    const NetworkInfo& n = rep.net.back();
    std::printf("NET ipv4 %s mask %s gw %s ns %s\n", n.ipv4.c_str(), n.netmask.c_str(), n.gateway.c_str(),
                n.nameServer.c_str());
    std::printf("NET ipv6 %s %s gw %s /%d\n", n.ipv6LinkLocal.c_str(), n.ipv6Global.c_str(), n.ipv6Gateway.c_str(),
                n.prefix6);
    std::printf("NET dad %d %s %lld\n", n.conflictCount, n.conflictMac.c_str(), static_cast<long long>(n.conflictTime));
    const WlanStatusRecord& w = n.wlan;
    std::printf("WLAN %s \"%s\" ch %d signal %s %s/%s/%s\n", w.mode.c_str(), w.ssid.c_str(), w.channel,
                w.signal.c_str(), w.rsna.c_str(), w.akm.c_str(), w.cipher.c_str());
    for (auto& a : n.arp)
        std::printf("ARP %s\n", a.c_str());
    for (auto& a : n.neighbours)
        std::printf("NDC %s\n", a.c_str());
    std::printf("TABLES %zu %zu\n", n.arp.size(), n.neighbours.size());
    return std::string();
}

std::string Scan(CheckRunner& r, const CheckOptions& o)
{
    CheckReports& rep = r.Host().reports;
    // Polls once a second, for up to a minute.
    STEP(Query(r, o, r.Link().Queries().StartScan(), 90));
    if (rep.scans.empty())
        return "no done notice";
    if (!rep.scans.back().first)
        return "scan failed";
    for (const ScanRecord& a : rep.scans.back().second)
        std::printf("AP %d %d %d %s%s\n", a.channel, a.signal, a.flags, a.ssid.c_str(), a.IsSecured() ? " (secured)" : "");
    std::printf("APS %zu\n", rep.scans.back().second.size());
    return std::string();
}

std::string Info(CheckRunner& r, const CheckOptions& o)
{
    CheckReports& rep = r.Host().reports;
    const int reads = r.Host().settingsReads;
    STEP(Query(r, o, r.Link().Queries().RequestProductInfo(), 0, false));
    if (rep.products.empty())
        return "product information stopped";
    // The settings block follows, for the dialog.
    STEP(r.RunUntil([&] { return r.Host().settingsReads > reads || r.Link().Session().GetTransferType() == 0; }, o.deadlineSeconds));
    if (r.Host().settingsReads == reads)
        return "no settings read after the product information";
    std::printf("UPTIME %s\nINFO %s\n", rep.products.back().first.c_str(), rep.products.back().second.c_str());
    return std::string();
}

} // namespace

bool IsQueryScenario(const std::string& s)
{
    return s == "netinfo" || s == "scan" || s == "info";
}

std::string RunQueryScenario(CheckRunner& r, const CheckOptions& o, const std::string& scenario)
{
    // Connected, identified and the board's files read: the link is idle.
    STEP(ConnectAndRead(r, o));
    if (scenario == "netinfo")
        return NetInfo(r, o);
    if (scenario == "scan")
        return Scan(r, o);
    return Info(r, o);
}
