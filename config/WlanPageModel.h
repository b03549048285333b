// The rules of the "Wireless LAN" page and its "Advanced Settings" and
// 802.1X "ID/Password" dialogs: what they show for a settings record, which
// controls are enabled, and what a Write stores. Portable.
#pragma once

#include "link/codecs/SettingsBlock.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct WlanPageState {
    int wlanSel = 0;          // "Disable", "Enable"
    int topology = -1;        // checked radio: 0 ad-hoc, 1 infrastructure, 2 soft AP; -1 none
    int channelSel = -1;      // 0 "Automatic", n channel n; -1 nothing shown
    bool channelEnabled = false;
    int dot1xSel = -1;        // "Disable", "EAP TLS", "EAP TTLS", "PEAP"; -1 none
    std::string ssid, key;    // ANSI bytes
    bool hideChars = true;
    bool controlsEnabled = false;  // everything but the search button
    bool searchEnabled = false;
    unsigned searchCaption = 0;    // string id: "Search channel" or "Search AP"
    unsigned idpwCaption = 0;      // string id: "ID/Password" or "ID"
    bool idpwEnabled = false;
};

struct WlanAdvancedState {
    int phy = -1;             // checked radio 0..3, -1 none
    bool shortPreamble = false, shortSlot = false, cts = false;
    bool preambleEnabled = false, slotEnabled = false, ctsEnabled = false;
};

class CWlanPageModel {
public:
    static constexpr size_t kSsidBytes = 32, kKeyBytes = 63;
    struct StoreResult {
        bool stored;
        unsigned messageId;   // string to show when refused (a "%d" takes limit)
        int limit;
        enum Field { kNone, kSsid, kKey } focus;
    };

    CWlanPageModel(SettingsRecord& record, std::string mac) : m_record(record), m_mac(std::move(mac)) {}

    WlanPageState& State() { return m_state; }
    const WlanPageState& State() const { return m_state; }
    bool WlanAtOpen() const { return m_wlanAtOpen; }

    void Init();                       // once, when the page is created
    void EnableAll(bool enable);
    void Fill();
    void OnTopologyClicked(int topology);
    void OnWlanChanged(int sel);
    void OnDot1xChanged(int sel);
    StoreResult Store();

    // Advanced dialog: filled from the record and the page's topology radio;
    // its phy rules; OK writes the record at once.
    WlanAdvancedState AdvancedFromRecord() const;
    static void ApplyPhyRules(WlanAdvancedState& a, int topology);
    void StoreAdvanced(const WlanAdvancedState& a);

    // 802.1X credentials: present when both buffers exist (their records were read).
    bool CredentialsPresent() const { return !m_record.dot1xIdentity.empty() && !m_record.dot1xPassword.empty(); }
    // The ID dialog's mode for the 802.1X choice: 0 ID only (EAP TLS), 1 ID and password.
    int CredentialMode() const { return m_state.dot1xSel == 1 ? 0 : 1; }
    // The text a buffer holds, up to its first zero or its end.
    static std::string BufferText(const std::string& buffer);
    // Zero-fills the buffer and copies text in; false (nothing changed) when it does not fit.
    static bool StoreBuffer(std::string& buffer, const std::string& text);

    // A zero-padded field as text, never past the field.
    static std::string FieldText(const uint8_t* field, size_t size);
    static void SetField(uint8_t* field, size_t size, const std::string& text);

private:
    void SetTopologyControls(int topology);
    void SetDot1xControls(int sel);

    SettingsRecord& m_record;
    std::string m_mac;
    bool m_wlanAtOpen = false;
    WlanPageState m_state;
};
