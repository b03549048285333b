// The rules of the Settings dialog's "Network" page: what its controls show
// for a settings record, which of them are enabled, and what a Write stores.
// Portable: the page moves these values to and from its controls.
#pragma once

#include "link/codecs/SettingsBlock.h"

#include <cstdint>
#include <string>

// The page's controls as values. IPv4 addresses as the IP address controls
// take them: the first octet in the high byte.
struct NetworkPageState {
    enum { kAddress, kMask, kGateway, kDns, kIpv4Count };
    uint32_t ipv4[kIpv4Count] = {};
    bool ipv4Shown[kIpv4Count] = {};    // false: the control is cleared
    bool ipv4Enabled[kIpv4Count] = {};
    bool isStatic = true;               // "Use static IP address", else DHCP
    bool radiosEnabled = true;
    bool dnsAuto = false;               // "Obtain DNS Server Address Automatically"
    bool dnsAutoEnabled = false;
    // The IPv6 group: shown from the record, locked (nothing enables it).
    bool ipv6Locked = true;
    int ipv6Sel = 0;                    // "Disable", "Enable"
    int euiSel = 0;                     // "MAC Address", "Random"
    bool ipv6Static = false;
    std::string ipv6Address, ipv6Prefix, ipv6Gateway, ipv6Dns;
};

class CNetworkPageModel {
public:
    // The edit that a refused Store points the user at.
    enum Field { kNoField, kIpv6Address, kIpv6Gateway, kIpv6Dns, kIpv6Prefix };
    struct StoreResult {
        bool stored;
        unsigned messageId;  // string to show when refused
        Field focus;
    };
    enum Topology { kAdHoc = 0, kInfrastructure = 1, kSoftAp = 2 };

    CNetworkPageModel(SettingsRecord& record, bool wired) : m_record(record), m_wired(wired) {}

    NetworkPageState& State() { return m_state; }
    const NetworkPageState& State() const { return m_state; }
    void SetWlanOn(bool on) { m_wlanOn = on; }

    void Fill();
    void OnStaticClicked();
    void OnDhcpClicked();
    void OnDnsAutoClicked(bool checked);
    // Called whenever the page is shown, with the wireless page's topology.
    void ApplyEnabling(int topology);
    // Checks the values and writes them into the record; a refusal writes nothing.
    StoreResult Store();

    static uint32_t FromRecord(const uint8_t bytes[4]);
    static void ToRecord(uint32_t value, uint8_t bytes[4]);

private:
    void SetIpv4FromRecord(int which);
    const uint8_t* RecordIpv4(int which) const;

    SettingsRecord& m_record;
    bool m_wired;
    bool m_wlanOn = false;
    NetworkPageState m_state;
};
