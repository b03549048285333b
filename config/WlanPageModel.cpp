#include "config/WlanPageModel.h"

#include "link/codecs/Sha1.h"
#include "resources/resource.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kWlanOn = 1u << 0, kShortPreamble = 1u << 7, kShortSlot = 1u << 8, kCts = 1u << 9;
constexpr uint32_t kTopologyMask = 0x7, kDot1xShift = 3, kDot1xMask = 0xFu << 3, kChannelShift = 10,
                   kChannelMask = 0xFFu << 10, kPhyShift = 18, kPhyMask = 0xFu << 18;
constexpr int kChannels = 13;
const char kMacToken[] = "$emac_id";
} // namespace

std::string CWlanPageModel::FieldText(const uint8_t* field, size_t size)
{
    const uint8_t* end = std::find(field, field + size, 0);
    return std::string(reinterpret_cast<const char*>(field), static_cast<size_t>(end - field));
}

void CWlanPageModel::SetField(uint8_t* field, size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(size, text.size()));
}

std::string CWlanPageModel::BufferText(const std::string& buffer)
{
    return buffer.substr(0, buffer.find('\0'));
}

bool CWlanPageModel::StoreBuffer(std::string& buffer, const std::string& text)
{
    if (text.size() > buffer.size())
        return false;
    std::fill(buffer.begin(), buffer.end(), '\0');
    std::copy(text.begin(), text.end(), buffer.begin());
    return true;
}

void CWlanPageModel::Init()
{
    m_wlanAtOpen = (m_record.flags & kWlanOn) != 0;
    m_state.wlanSel = m_wlanAtOpen ? 1 : 0;
    EnableAll(m_wlanAtOpen);
}

void CWlanPageModel::EnableAll(bool enable)
{
    m_state.controlsEnabled = enable;
    m_state.searchEnabled = enable && m_wlanAtOpen;
    if (!enable) {
        m_state.channelEnabled = false;
        m_state.idpwEnabled = false;
    }
}

void CWlanPageModel::SetTopologyControls(int topology)
{
    m_state.topology = topology;
    m_state.channelEnabled = topology != 1;
    m_state.searchCaption = topology == 1 ? IDS_SEARCH_AP : IDS_SEARCH_CHANNEL;
}

void CWlanPageModel::SetDot1xControls(int sel)
{
    if (sel < 0 || sel > 3)
        return;
    m_state.dot1xSel = sel;
    m_state.idpwCaption = sel == 1 ? IDS_ID : IDS_ID_PASSWORD;
    m_state.idpwEnabled = sel != 0;
}

void CWlanPageModel::Fill()
{
    WlanPageState& s = m_state;
    s.channelSel = -1;
    s.channelEnabled = false;
    const uint32_t topology = m_record.wlanOptions & kTopologyMask;
    if (topology <= 2)
        SetTopologyControls(static_cast<int>(topology));
    if (s.wlanSel == 0)
        s.channelEnabled = false;
    const uint32_t channel = (m_record.wlanOptions & kChannelMask) >> kChannelShift;
    // A channel the list does not hold shows nothing and stays as it is.
    s.channelSel = channel <= kChannels ? static_cast<int>(channel) : -1;
    SetDot1xControls(static_cast<int>((m_record.wlanOptions & kDot1xMask) >> kDot1xShift));
    s.ssid = FieldText(m_record.ssid, kSsidBytes);
    for (size_t at; (at = s.ssid.find(kMacToken)) != std::string::npos;)
        s.ssid.replace(at, sizeof kMacToken - 1, m_mac.size() > 6 ? m_mac.substr(6, 6) : std::string());
    s.key = FieldText(m_record.sharedKey, kKeyBytes);
    s.hideChars = true;
    if (!s.controlsEnabled) {
        s.channelEnabled = false;
        s.idpwEnabled = false;
    }
}

void CWlanPageModel::OnTopologyClicked(int topology)
{
    if (topology >= 0 && topology <= 2)
        SetTopologyControls(topology);
}

void CWlanPageModel::OnWlanChanged(int sel)
{
    // The choice it has (a list closed on it, a click on the item shown): what was typed stays.
    if (sel == m_state.wlanSel)
        return;
    m_state.wlanSel = sel;
    if (sel != 0) {
        EnableAll(true);
        Fill();
    } else {
        EnableAll(false);
    }
}

void CWlanPageModel::OnDot1xChanged(int sel)
{
    SetDot1xControls(sel);
}

CWlanPageModel::StoreResult CWlanPageModel::Store()
{
    const WlanPageState& s = m_state;
    // Limits are bytes: an edit control's limit counts characters, and a
    // Korean character takes two bytes.
    if (s.ssid.size() > kSsidBytes)
        return {false, IDS_TEXT_TOO_LONG, static_cast<int>(kSsidBytes), StoreResult::kSsid};
    if (s.key.size() > kKeyBytes)
        return {false, IDS_TEXT_TOO_LONG, static_cast<int>(kKeyBytes), StoreResult::kKey};
    if (s.wlanSel != 0 && s.topology == 2 && !s.key.empty() && s.key.size() < 8)
        return {false, IDS_PASSWORD_TOO_SHORT, 0, StoreResult::kKey};
    uint32_t options = m_record.wlanOptions;
    if (s.topology >= 0 && s.topology <= 2)
        options = (options & ~kTopologyMask) | static_cast<uint32_t>(s.topology);
    // Nothing selected (a channel the list does not show): the record's bits stay.
    if (s.channelSel >= 0 && s.channelSel <= kChannels)
        options = (options & ~kChannelMask) | (static_cast<uint32_t>(s.channelSel) << kChannelShift & kChannelMask);
    if (s.dot1xSel >= 0 && s.dot1xSel <= 3)
        options = (options & ~kDot1xMask) | (static_cast<uint32_t>(s.dot1xSel) << kDot1xShift & kDot1xMask);
    m_record.wlanOptions = options;
    SetField(m_record.ssid, kSsidBytes, s.ssid);
    SetField(m_record.sharedKey, kKeyBytes, s.key);
    // From exactly the stored bytes: a field filled to its end has no terminator.
    CalcWpaPsk(FieldText(m_record.sharedKey, kKeyBytes), FieldText(m_record.ssid, kSsidBytes), m_record.preSharedKey);
    if (s.wlanSel == 0)
        m_record.flags &= ~kWlanOn;
    else if (s.wlanSel > 0)
        m_record.flags |= kWlanOn;
    return {true, 0, 0, StoreResult::kNone};
}

WlanAdvancedState CWlanPageModel::AdvancedFromRecord() const
{
    WlanAdvancedState a;
    const uint32_t phy = (m_record.wlanOptions & kPhyMask) >> kPhyShift;
    a.phy = phy <= 3 ? static_cast<int>(phy) : -1;
    a.shortPreamble = (m_record.flags & kShortPreamble) != 0;
    a.shortSlot = (m_record.flags & kShortSlot) != 0;
    a.cts = (m_record.flags & kCts) != 0;
    return a;
}

void CWlanPageModel::ApplyPhyRules(WlanAdvancedState& a, int topology)
{
    a.preambleEnabled = a.phy == 2 || a.phy == 3;
    a.ctsEnabled = a.phy == 3;
    a.slotEnabled = a.phy == 3 && topology == 1;
}

void CWlanPageModel::StoreAdvanced(const WlanAdvancedState& a)
{
    // No phy radio checked (a mode the dialog does not offer): the record's stays.
    if (a.phy >= 0 && a.phy <= 3)
        m_record.wlanOptions = (m_record.wlanOptions & ~kPhyMask) | (static_cast<uint32_t>(a.phy) << kPhyShift);
    uint32_t flags = m_record.flags & ~(kShortPreamble | kShortSlot | kCts);
    if (a.shortPreamble) flags |= kShortPreamble;
    if (a.shortSlot) flags |= kShortSlot;
    if (a.cts) flags |= kCts;
    m_record.flags = flags;
}
