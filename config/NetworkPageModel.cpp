#include "config/NetworkPageModel.h"

#include "link/codecs/TextHelpers.h"
#include "resources/resource.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {
constexpr uint32_t kDhcp = 1u << 2, kDnsAuto = 1u << 3, kIpv6On = 1u << 4,
                   kEuiRandom = 1u << 5, kIpv6Static = 1u << 6;

std::string ShownIpv6(const uint8_t addr[16], bool emptyWhenUnspecified)
{
    std::string text = FormatIPv6(addr);
    return emptyWhenUnspecified && text == "::" ? std::string() : text;
}

// An empty text is the unspecified address; multicast and loopback are refused.
bool ParseStoredIpv6(const std::string& text, uint8_t out[16])
{
    std::memset(out, 0, 16);
    if (text.empty())
        return true;
    std::string upper = text;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!ParseIPv6(upper, out) || out[0] == 0xFF)
        return false;
    static const uint8_t loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return std::memcmp(out, loopback, 16) != 0;
}
} // namespace

uint32_t CNetworkPageModel::FromRecord(const uint8_t b[4])
{
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 | b[3];
}

void CNetworkPageModel::ToRecord(uint32_t v, uint8_t b[4])
{
    b[0] = static_cast<uint8_t>(v >> 24);
    b[1] = static_cast<uint8_t>(v >> 16);
    b[2] = static_cast<uint8_t>(v >> 8);
    b[3] = static_cast<uint8_t>(v);
}

const uint8_t* CNetworkPageModel::RecordIpv4(int which) const
{
    switch (which) {
    case NetworkPageState::kAddress: return m_record.ipv4Address;
    case NetworkPageState::kMask: return m_record.ipv4Mask;
    case NetworkPageState::kGateway: return m_record.ipv4Gateway;
    default: return m_record.ipv4Dns;
    }
}

void CNetworkPageModel::SetIpv4FromRecord(int which)
{
    m_state.ipv4[which] = FromRecord(RecordIpv4(which));
    m_state.ipv4Shown[which] = true;
}

void CNetworkPageModel::Fill()
{
    NetworkPageState& s = m_state;
    const uint32_t flags = m_record.flags;
    if (flags & kDhcp) {
        s.isStatic = false;
        for (int i = 0; i < NetworkPageState::kIpv4Count; ++i) {
            s.ipv4[i] = 0;
            s.ipv4Shown[i] = false;
            s.ipv4Enabled[i] = false;
        }
        s.dnsAutoEnabled = true;
        s.dnsAuto = (flags & kDnsAuto) != 0;
        if (!s.dnsAuto) {
            s.ipv4Enabled[NetworkPageState::kDns] = true;
            SetIpv4FromRecord(NetworkPageState::kDns);
        }
    } else {
        s.isStatic = true;
        for (int i = 0; i < NetworkPageState::kIpv4Count; ++i) {
            SetIpv4FromRecord(i);
            s.ipv4Enabled[i] = true;
        }
        s.dnsAuto = false;
        s.dnsAutoEnabled = false;
    }
    s.ipv6Address.clear();
    s.ipv6Prefix.clear();
    s.ipv6Gateway.clear();
    s.ipv6Dns.clear();
    if ((flags & kIpv6On) && (flags & kIpv6Static)) {
        s.ipv6Address = FormatIPv6(m_record.ipv6Address);
        s.ipv6Gateway = ShownIpv6(m_record.ipv6Gateway, true);
        s.ipv6Dns = ShownIpv6(m_record.ipv6Dns, true);
        s.ipv6Prefix = std::to_string(m_record.ipv6Prefix);
    }
    s.ipv6Locked = true;
    s.ipv6Sel = 0;
    s.euiSel = (flags & kEuiRandom) ? 1 : 0;
    s.ipv6Static = (flags & kIpv6Static) != 0;
}

void CNetworkPageModel::OnStaticClicked()
{
    NetworkPageState& s = m_state;
    // Clicking the radio that is already on keeps what the user typed.
    const bool wasStatic = s.isStatic;
    s.isStatic = true;
    for (int i = 0; i < NetworkPageState::kIpv4Count; ++i) {
        s.ipv4Enabled[i] = true;
        if (!wasStatic || !s.ipv4Shown[i])
            SetIpv4FromRecord(i);
    }
    s.dnsAuto = false;
    s.dnsAutoEnabled = false;
}

void CNetworkPageModel::OnDhcpClicked()
{
    NetworkPageState& s = m_state;
    s.isStatic = false;
    for (int i = 0; i < NetworkPageState::kIpv4Count; ++i) {
        s.ipv4Enabled[i] = false;
        s.ipv4Shown[i] = false;
        s.ipv4[i] = 0;
    }
    s.dnsAutoEnabled = true;
    s.dnsAuto = true;
}

void CNetworkPageModel::OnDnsAutoClicked(bool checked)
{
    NetworkPageState& s = m_state;
    s.dnsAuto = checked;
    const int d = NetworkPageState::kDns;
    s.ipv4Enabled[d] = !checked;
    if (checked) {
        s.ipv4Shown[d] = false;
        s.ipv4[d] = 0;
    } else {
        SetIpv4FromRecord(d);
    }
}

void CNetworkPageModel::ApplyEnabling(int topology)
{
    NetworkPageState& s = m_state;
    if (!m_wired && m_wlanOn && topology == kSoftAp) {
        for (bool& e : s.ipv4Enabled)
            e = false;
        s.dnsAutoEnabled = false;
        s.radiosEnabled = false;
        return;
    }
    for (bool& e : s.ipv4Enabled)
        e = true;
    s.dnsAutoEnabled = true;
    s.radiosEnabled = true;
    if (s.isStatic) {
        s.dnsAutoEnabled = false;
    } else {
        s.ipv4Enabled[NetworkPageState::kAddress] = false;
        s.ipv4Enabled[NetworkPageState::kMask] = false;
        s.ipv4Enabled[NetworkPageState::kGateway] = false;
    }
    const int d = NetworkPageState::kDns;
    if (s.dnsAuto) {
        s.ipv4Enabled[d] = false;
        s.ipv4Shown[d] = false;
        s.ipv4[d] = 0;
    } else {
        // A server the user typed stays; only an empty control takes the record's.
        s.ipv4Enabled[d] = true;
        if (!s.ipv4Shown[d])
            SetIpv4FromRecord(d);
    }
}

CNetworkPageModel::StoreResult CNetworkPageModel::Store()
{
    NetworkPageState& s = m_state;
    // Only a group the user can change is checked and stored: a locked IPv6
    // group keeps the record's values, whatever they are.
    const bool storeIpv6 = !s.ipv6Locked;
    uint8_t address[16], gateway[16], dns[16];
    long prefix = 0;
    if (storeIpv6) {
        if (!ParseStoredIpv6(s.ipv6Address, address))
            return {false, IDS_BAD_IPV6, kIpv6Address};
        if (!ParseStoredIpv6(s.ipv6Gateway, gateway))
            return {false, IDS_BAD_IPV6, kIpv6Gateway};
        if (!ParseStoredIpv6(s.ipv6Dns, dns))
            return {false, IDS_BAD_IPV6, kIpv6Dns};
        prefix = static_cast<int16_t>(std::strtol(s.ipv6Prefix.c_str(), nullptr, 10));
        if (prefix < 0 || prefix > 128)
            return {false, IDS_BAD_IPV6, kIpv6Prefix};
    }
    if (s.isStatic) {
        ToRecord(s.ipv4[NetworkPageState::kAddress], m_record.ipv4Address);
        ToRecord(s.ipv4[NetworkPageState::kMask], m_record.ipv4Mask);
        ToRecord(s.ipv4[NetworkPageState::kGateway], m_record.ipv4Gateway);
        ToRecord(s.ipv4[NetworkPageState::kDns], m_record.ipv4Dns);
        m_record.flags &= ~(kDhcp | kDnsAuto);
    } else {
        m_record.flags |= kDhcp;
        if (s.dnsAuto) {
            m_record.flags |= kDnsAuto;
        } else {
            ToRecord(s.ipv4[NetworkPageState::kDns], m_record.ipv4Dns);
            m_record.flags &= ~kDnsAuto;
        }
    }
    if (!storeIpv6)
        return {true, 0, kNoField};
    if (s.ipv6Sel == 0) {
        m_record.flags &= ~kIpv6On;
        return {true, 0, kNoField};
    }
    m_record.flags |= kIpv6On;
    if (s.ipv6Static) {
        m_record.flags |= kIpv6Static;
        std::memcpy(m_record.ipv6Address, address, 16);
        std::memcpy(m_record.ipv6Gateway, gateway, 16);
        std::memcpy(m_record.ipv6Dns, dns, 16);
        m_record.ipv6Prefix = static_cast<uint16_t>(prefix);
    } else {
        m_record.flags &= ~kIpv6Static;
    }
    if (s.euiSel == 0)
        m_record.flags &= ~kEuiRandom;
    else
        m_record.flags |= kEuiRandom;
    return {true, 0, kNoField};
}
