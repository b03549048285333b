// Identification chain and the challenge-response login.
#include "link/services/IdentityService.h"

#include "link/codecs/TextHelpers.h"

#include "link/session/LinkSession.h"

#include "link/codecs/FrameItemReader.h"
#include "link/codecs/PasswordRecord.h"
#include "link/codecs/Sha1.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
std::string Format(const char* format, const std::string& value)
{
    return std::string(format) + value;
}

// An identity reply: its first item as lower-case hex, when it is a byte string.
bool FirstBytesAsHex(const uint8_t* p, size_t n, std::string& hex)
{
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || item.type != LinkFrame::kItemBytes)
        return false;
    hex = item.Hex();
    return true;
}

// Whole hex pairs from the start of text into out; stops at the first bad pair.
size_t ReadHexPairs(const std::string& text, uint8_t* out, size_t max)
{
    size_t n = 0;
    while (n < max && 2 * n + 1 < text.size()) {
        int hi = HexValue(text[2 * n]), lo = HexValue(text[2 * n + 1]);
        if (hi < 0 || lo < 0)
            break;
        out[n++] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return n;
}
} // namespace

CIdentityService::CIdentityService(CLinkSession& session) : m_session(session)
{
    using R = const LinkReply&;
    // Each reply is taken only as the answer to its own request.
    auto take = [this](uint16_t code, void (CIdentityService::*handler)(const LinkReply&)) {
        return [this, code, handler](R r) {
            if (Take(code))
                (this->*handler)(r);
        };
    };
    m_session.RouteReply(1, 1, 1, take(0x0111, &CIdentityService::OnReplySysEzfs));
    m_session.RouteReply(1, 1, 2, [this](R r) { OnReplySys12(r); });
    m_session.RouteReply(1, 1, 3, [this](R r) { OnReplySys13(r); });
    m_session.RouteReply(1, 1, 5, [this](R r) { OnReplySys15(r); });
    m_session.RouteReply(1, 2, 1, take(0x0121, &CIdentityService::OnReplyIdEzfs));
    m_session.RouteReply(1, 2, 2, take(0x0122, &CIdentityService::OnReplyIdFib));
    m_session.RouteReply(1, 2, 3, take(0x0123, &CIdentityService::OnReplyIdMcu));
    m_session.RouteReply(1, 2, 4, take(0x0124, &CIdentityService::OnReplyIdMac));
    m_session.RouteReply(1, 2, 5, [this](R r) {
        if (!Take(0x0125))
            return;
        // Refused: the board wants a login first.
        if (r.Refused()) {
            m_loginPending = true;
            RequestLogin();
        } else {
            OnReplyIdPdb(r);
        }
    });
    m_session.RouteReply(1, 3, 1, take(0x0131, &CIdentityService::OnReplyIdEzfsHash));
    m_session.RouteReply(1, 3, 3, take(0x0133, &CIdentityService::OnReplyEnvcHash));
    m_session.RouteReply(1, 4, CLinkSession::kAny, [this](R r) { OnReplyInitNet(r); });
    m_session.RouteReply(5, 4, 1, take(0x0541, &CIdentityService::OnReplyLoginChallenge));
    m_session.RouteReply(5, 4, 2, take(0x0542, &CIdentityService::OnReplyLoginResult));
    m_session.AddService(*this);
}

bool CIdentityService::Take(uint16_t code)
{
    // Only the answer to the one request outstanding: another identification
    // reply (a repeated one, or one nobody asked for) would fork the chain
    // or start a second one beside another job.
    if (m_awaiting != code) {
        char line[48];
        std::snprintf(line, sizeof line, "identification: reply %02X/%02X dropped", code >> 8, code & 0xFF);
        m_session.Host().LogDebugger(line);
        return false;
    }
    m_awaiting = 0;
    return true;
}

uint32_t CIdentityService::Ask(uint16_t code)
{
    m_awaiting = code;
    return m_session.WriteBare(static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code >> 4 & 0x0F),
                               static_cast<uint8_t>(code & 0x0F));
}

void CIdentityService::OnConnecting()
{
    m_awaiting = 0;
    m_loginPending = false;
    m_loggedIn = false;
    m_identified = false;
    m_challenge.clear();
    // A previous board's identity must not salt this board's login or name
    // its backup: the chain fills these again.
    m_info.mcuId.clear();
    m_info.macAddress.clear();
    m_info.firmwareHeader.clear();
    m_info.fsHash.clear();
    m_info.envcHash.clear();
    m_info.pdbHigh = m_info.pdbLow = 0;
}

void CIdentityService::OnDisconnected()
{
    m_awaiting = 0;
    std::memset(m_resourceRows, 0, sizeof m_resourceRows);
    m_session.Host().RedrawResourceView();
    m_flashCapacity = 0;
    m_session.Host().UpdateFlashUsage(0, 0);
}

void CIdentityService::OnIspModeEntered(bool) { m_info.fsId.clear(); }

// ---- requests

using LinkFrame::RequestBuilder;

bool CIdentityService::RequestIdPdb()
{
    if (Ask(0x0125) != 0) {
        m_session.ShowWaitDialog(false);
        m_session.SetReconnectPending(false);
        m_session.FailInitialSetting(false);
        return false;
    }
    return true;
}

void CIdentityService::RequestSysEzfs() { Ask(0x0111); }
void CIdentityService::RequestSys13() { m_session.WriteBare(1, 1, 3); }
void CIdentityService::RequestSys15() { m_session.WriteBare(1, 1, 5); }
void CIdentityService::RequestIdEzfs() { Ask(0x0121); }
void CIdentityService::RequestIdFib() { Ask(0x0122); }
void CIdentityService::RequestIdMcu() { Ask(0x0123); }
void CIdentityService::RequestIdMac() { Ask(0x0124); }
void CIdentityService::RequestIdEzfsHash() { Ask(0x0131); }

void CIdentityService::RequestEnvcHash()
{
    m_info.envcHash.clear();
    Ask(0x0133);
}

void CIdentityService::RequestInitNet0()
{
    m_awaiting = 0x0140;
    m_session.SetTransferType(CLinkSession::kTransferInitNet0);
    m_session.WriteRequest(RequestBuilder(1, 4, 0).Text("init_net0"));
}

void CIdentityService::RequestInitNet1()
{
    m_awaiting = 0x0140;
    m_session.SetTransferType(CLinkSession::kTransferInitNet1);
    m_session.WriteRequest(RequestBuilder(1, 4, 0).Text("init_net1"));
}

void CIdentityService::RequestLogin()
{
    m_awaiting = 0x0541;
    m_session.WriteRequest(RequestBuilder(5, 4, 1).Text("admin"));
}

void CIdentityService::SendLoginResponse(const uint8_t response[20])
{
    m_awaiting = 0x0542;
    m_session.WriteRequest(RequestBuilder(5, 4, 2).Bytes(response, 20));
}

// ---- identification replies

void CIdentityService::OnReplyIdPdb(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    FrameItem item;
    if (FrameItemReader::First(p, n, item) && item.type == LinkFrame::kItemBytes && item.length >= 2) {
        m_info.pdbHigh = item.data[0];
        m_info.pdbLow = item.data[1];
        char line[64];
        std::snprintf(line, sizeof line, "get id pdb (High : %d, Low : %d)", m_info.pdbHigh, m_info.pdbLow);
        m_session.Host().LogDebugger(line);
    }
    RequestSysEzfs();
}

void CIdentityService::OnReplySysEzfs(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    bool refused = r.Refused();
    FrameItem item;
    if (FrameItemReader::First(p, n, item) && item.IsInt32()) {
        m_info.fsCapacity = item.Int32();
        if (refused && item.Int32() != LinkFrame::kNothingToReport) {
            m_session.FailInitialSetting(true);
            return;
        }
        m_flashCapacity = item.Int32();
        m_session.Host().UpdateFlashUsage(m_flashCapacity, m_session.Image().count);
        m_session.Host().LogDebugger("get sys ezfs : " + std::to_string(item.Int32()));
    }
    m_firstChain = true;
    RequestIdEzfs();
}

void CIdentityService::OnReplyIdEzfs(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    bool refused = r.Refused();
    FrameItem item;
    if (!FrameItemReader::First(p, n, item))
        item.type = 0;
    if (item.type == LinkFrame::kItemBytes) {
        m_info.fsId = item.Hex();
        if (m_events)
            m_events->OnFsIdRead();
        m_session.Host().LogDebugger(Format("get id ezfs : ", m_info.fsId));
    } else if (item.IsInt32()) {
        m_info.fsId.clear();
        if (refused && item.Int32() != LinkFrame::kNothingToReport) {
            m_session.FailInitialSetting(true);
            return;
        }
    }
    if (m_firstChain)
        RequestIdFib();
    else if (m_events)
        m_events->OnFsIdAfterUpload();
}

void CIdentityService::OnReplyIdFib(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    if (FirstBytesAsHex(p, n, m_info.firmwareHeader))
        m_session.Host().LogDebugger(Format("get id fib : ", m_info.firmwareHeader));
    RequestIdMcu();
}

void CIdentityService::OnReplyIdMcu(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    if (FirstBytesAsHex(p, n, m_info.mcuId))
        m_session.Host().LogDebugger(Format("get id mcu : ", m_info.mcuId));
    if (m_loginPending) {
        AskPasswordAndRespond();
        return;
    }
    RequestIdMac();
}

void CIdentityService::OnReplyIdMac(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    if (FirstBytesAsHex(p, n, m_info.macAddress))
        m_session.Host().LogDebugger(Format("get id mac : ", m_info.macAddress));
    RequestInitNet0();
}

void CIdentityService::OnReplyInitNet(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    FrameItem item;
    if (!FrameItemReader::First(p, n, item))
        return;
    int value;
    if (item.IsInt32())
        value = item.Int32();
    else if (item.type == LinkFrame::kItemText)
        value = std::atoi(item.Text().c_str());
    else
        return;
    if (m_session.GetTransferType() == CLinkSession::kTransferInitNet0) {
        m_awaiting = 0;
        m_session.SetTransferType(CLinkSession::kTransferNone);
        m_info.wiredPresent = value != 0;
        RequestInitNet1();
    } else if (m_session.GetTransferType() == CLinkSession::kTransferInitNet1) {
        m_awaiting = 0;
        m_session.SetTransferType(CLinkSession::kTransferNone);
        m_info.wirelessPresent = value != 0;
        RequestEnvcHash();
    }
}

void CIdentityService::OnReplyEnvcHash(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    FrameItem item;
    if (FrameItemReader::First(p, n, item)) {
        if (item.type == LinkFrame::kItemBytes) {
            m_info.envcHash = item.Hex();
            m_session.Host().LogDebugger(Format("get id envc hash : ", m_info.envcHash));
        } else if (item.IsInt32()) {
            m_info.envcHash.clear();
        }
    }
    m_identified = true;
    if (m_events)
        m_events->OnIdentified();
}

void CIdentityService::OnReplyIdEzfsHash(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    bool refused = r.Refused();
    FrameItem item;
    if (!FrameItemReader::First(p, n, item))
        return;
    if (item.type == LinkFrame::kItemBytes) {
        m_info.fsHash = item.Hex();
        m_session.Host().LogDebugger(Format("get id ezfs hash : ", m_info.fsHash));
    } else if (item.IsInt32()) {
        m_info.fsHash.clear();
        if (refused && item.Int32() != LinkFrame::kNothingToReport) {
            m_session.FailInitialSetting(true);
            return;
        }
    } else {
        return;
    }
    m_firstChain = false;
    RequestIdEzfs();
}

bool CIdentityService::ReadResourceRow(const uint8_t* p, size_t n, int row)
{
    if (n < 24)
        return false;
    FrameItemReader reader(p, n);
    for (int i = 0; i < 3; ++i) {
        FrameItem item;
        if (!reader.Next(item) || item.type != LinkFrame::kItemInt32 || item.field != 4)
            return false;
        m_resourceRows[row][i] = item.Int32();
    }
    return true;
}

void CIdentityService::OnReplySys12(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    if (ReadResourceRow(p, n, 0))
        RequestSys13();
}

void CIdentityService::OnReplySys13(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    if (ReadResourceRow(p, n, 1))
        RequestSys15();
}

// Unscaled like rows 0 and 1 and like the debugger's events for this row:
// only "System Memory" is shown in kilobytes.
void CIdentityService::OnReplySys15(const LinkReply& r) { ReadResourceRow(r.payload, r.length, 2); }

// ---- login

void CIdentityService::OnReplyLoginChallenge(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || item.type != LinkFrame::kItemBytes)
        return;
    m_challenge = item.Hex();
    m_session.Host().LogDebugger(Format("auth chap admin : ", m_challenge));
    RequestIdMcu();
}

void CIdentityService::ComputeLoginResponse(const std::string& challengeText, const std::string& mcuIdHex,
                                       const std::string& password, uint8_t response[20])
{
    std::string hex = challengeText;
    size_t blank = hex.find(' ');
    if (blank != std::string::npos)
        hex = hex.substr(blank + 1);
    uint8_t ck[48] = {};  // C || K
    ReadHexPairs(hex, ck, 16);
    // The same key the password record stores (one salt for both).
    PasswordRecord::Key(password, mcuIdHex, ck + 16);
    Sha1Digest(ck, sizeof ck, response);
}

void CIdentityService::AskPasswordAndRespond()
{
    std::string password;
    const uint32_t connection = m_session.ConnectionNumber();
    CLinkDialogs::PasswordChoice choice = m_session.Host().AskLoginPassword(password);
    // The link was lost (and perhaps made again) while the prompt was up:
    // the answer was for a challenge that no longer stands.
    if (connection != m_session.ConnectionNumber() || !m_session.IsConnected())
        return;
    if (choice == CLinkDialogs::PasswordChoice::Cancel) {
        // The board accepts nothing without a login: the connection ends,
        // without the unsaved-files question (the files stay in the list).
        if (m_session.IsJobRunning())
            m_session.ShowWaitDialog(false);
        m_session.Disconnect(false);
        return;
    }
    if (choice == CLinkDialogs::PasswordChoice::Delete) {
        m_session.WriteRequest(LinkFrame::RequestBuilder(5, 2, 5).Int32(200));
        return;
    }
    uint8_t response[20];
    ComputeLoginResponse(m_challenge, m_info.mcuId, password, response);
    SendLoginResponse(response);
}

void CIdentityService::OnReplyLoginResult(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || !item.IsInt32())
        return;
    if (item.Int32() == 0) {
        m_loginPending = false;
        m_loggedIn = true;
        RequestIdPdb();
        return;
    }
    const uint32_t connection = m_session.ConnectionNumber();
    m_session.Message(LinkStrings::kPasswordMismatch, CLinkDialogs::kStyleWarning);
    if (connection == m_session.ConnectionNumber() && m_session.IsConnected())
        AskPasswordAndRespond();
}
