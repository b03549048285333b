#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/DeviceInfo.h"
#include "link/session/LinkService.h"

class CLinkSession;
struct LinkReply;

// What the identification chain hands on to the board files.
class CIdentityEvents {
public:
    // The board named its file-system image (DeviceInfo().fsId).
    virtual void OnFsIdRead() = 0;
    // The chain is done: the board's files are next.
    virtual void OnIdentified() = 0;
    // The image id after an upload: the read-back is next.
    virtual void OnFsIdAfterUpload() = 0;
protected:
    ~CIdentityEvents() = default;
};

// Identification after connecting (ids, flash capacity, network interfaces,
// hashes, resource rows) and the challenge-response login.
class CIdentityService : public CLinkService {
public:
    explicit CIdentityService(CLinkSession& session);
    void SetEvents(CIdentityEvents* events) { m_events = events; }

    CDeviceInfo& DeviceInfo() { return m_info; }
    const CDeviceInfo& DeviceInfo() const { return m_info; }
    const int32_t (&ResourceRows() const)[12][3] { return m_resourceRows; }
    // The debugger's resource events fill rows of their own.
    int32_t (&ResourceRows())[12][3] { return m_resourceRows; }
    int32_t FlashCapacity() const { return m_flashCapacity; }
    bool IsLoggedIn() const { return m_loggedIn; }
    bool IsLoginPending() const { return m_loginPending; }
    // True from the end of the identification chain to the next Connect.
    bool IsIdentified() const { return m_identified; }
    // The one reply the chain awaits, group << 8 | command << 4 | sub (0: none).
    uint16_t AwaitedReply() const { return m_awaiting; }

    // ---- requests
    bool RequestIdPdb();
    void RequestSysEzfs();
    void RequestSys13();
    void RequestSys15();
    void RequestIdEzfs();
    void RequestIdFib();
    void RequestIdMcu();
    void RequestIdMac();
    void RequestIdEzfsHash();
    void RequestEnvcHash();
    void RequestInitNet0();
    void RequestInitNet1();
    void RequestLogin();                                 // 05/41
    void SendLoginResponse(const uint8_t response[20]);  // 05/42

    // The 20-byte response to a challenge (hex text, text after its first
    // blank) for a password, salted with the MCU id (hex text).
    static void ComputeLoginResponse(const std::string& challengeText, const std::string& mcuIdHex,
                                     const std::string& password, uint8_t response[20]);

    // CLinkService
    void OnConnecting() override;
    void OnJobAbandoned() override { m_awaiting = 0; }
    void OnDisconnected() override;
    void OnIspModeEntered(bool keepWork) override;

private:
    // The chain awaits a reply (and now no longer): false drops it.
    bool Take(uint16_t code);
    // Sends a bare request and awaits its reply.
    uint32_t Ask(uint16_t code);
    void OnReplyIdPdb(const LinkReply& r);
    void OnReplySysEzfs(const LinkReply& r);
    void OnReplySys12(const LinkReply& r);
    void OnReplySys13(const LinkReply& r);
    void OnReplySys15(const LinkReply& r);
    void OnReplyIdEzfs(const LinkReply& r);
    void OnReplyIdFib(const LinkReply& r);
    void OnReplyIdMcu(const LinkReply& r);
    void OnReplyIdMac(const LinkReply& r);
    void OnReplyIdEzfsHash(const LinkReply& r);
    void OnReplyEnvcHash(const LinkReply& r);
    void OnReplyInitNet(const LinkReply& r);
    void OnReplyLoginChallenge(const LinkReply& r);
    void OnReplyLoginResult(const LinkReply& r);
    void AskPasswordAndRespond();
    bool ReadResourceRow(const uint8_t* p, size_t n, int row);

    CLinkSession& m_session;
    CIdentityEvents* m_events = nullptr;
    CDeviceInfo m_info;
    int32_t m_resourceRows[12][3] = {};
    int32_t m_flashCapacity = 0;
    // The reply awaited, group << 8 | command << 4 | sub (0: none).
    uint16_t m_awaiting = 0;
    bool m_loginPending = false;
    bool m_loggedIn = false;
    bool m_identified = false;
    bool m_firstChain = false;
    std::string m_challenge;
};
