#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The board's wireless status as the network-information chain reads it.
struct WlanStatusRecord {
    std::string mode, ssid, signal, rsna, akm, cipher;
    int32_t channel = 0;
};

// What the network-information chain gathers; the dialog shows a copy.
struct NetworkInfo {
    std::string ipv4, netmask, gateway, nameServer;
    std::string ipv6LinkLocal, ipv6Global, ipv6Gateway;
    int32_t prefix6 = 0;
    int32_t conflictCount = 0;
    std::string conflictMac;
    int64_t conflictTime = 0;  // seconds
    WlanStatusRecord wlan;
    std::vector<std::string> arp, neighbours;

    // Everything, the wireless record and the tables too: a new board must
    // not show the previous board's neighbours.
    void Reset() { *this = NetworkInfo(); }
};
