// Identification chain and the challenge-response login.
#include "link/DeviceLink.h"

#include "link/FrameItemReader.h"
#include "link/Sha1.h"

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

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Whole hex pairs from the start of text into out; stops at the first bad pair.
size_t ReadHexPairs(const std::string& text, uint8_t* out, size_t max)
{
    size_t n = 0;
    while (n < max && 2 * n + 1 < text.size()) {
        int hi = HexDigit(text[2 * n]), lo = HexDigit(text[2 * n + 1]);
        if (hi < 0 || lo < 0)
            break;
        out[n++] = static_cast<uint8_t>(hi << 4 | lo);
    }
    return n;
}
} // namespace

void CDeviceLink::OnReplyIdPdb(const uint8_t* p, size_t n)
{
    FrameItem item;
    if (FrameItemReader::First(p, n, item) && item.type == LinkFrame::kItemBytes && item.length >= 2) {
        m_info.pdbHigh = item.data[0];
        m_info.pdbLow = item.data[1];
        char line[64];
        std::snprintf(line, sizeof line, "get id pdb (High : %d, Low : %d)", m_info.pdbHigh, m_info.pdbLow);
        m_host.LogDebugger(line);
    }
    RequestSysEzfs();
}

void CDeviceLink::OnReplySysEzfs(const uint8_t* p, size_t n, bool refused)
{
    FrameItem item;
    if (FrameItemReader::First(p, n, item) && item.IsInt32()) {
        m_info.fsCapacity = item.Int32();
        if (refused && item.Int32() != LinkFrame::kNothingToReport) {
            FailInitialSetting(true);
            return;
        }
        m_flashCapacity = item.Int32();
        m_host.UpdateFlashUsage(m_flashCapacity, m_imageCount);
        m_host.LogDebugger("get sys ezfs : " + std::to_string(item.Int32()));
    }
    m_firstChain = true;
    RequestIdEzfs();
}

void CDeviceLink::OnReplyIdEzfs(const uint8_t* p, size_t n, bool refused)
{
    FrameItem item;
    if (!FrameItemReader::First(p, n, item))
        item.type = 0;
    if (item.type == LinkFrame::kItemBytes) {
        m_info.fsId = item.Hex();
        // Unchanged since the list was read from the board; an earlier id
        // whose image never arrived would keep a list that is not this board's.
        m_sameImage = !m_listFsId.empty() && m_listFsId == m_info.fsId;
        m_host.LogDebugger(Format("get id ezfs : ", m_info.fsId));
    } else if (item.IsInt32()) {
        m_info.fsId.clear();
        if (refused && item.Int32() != LinkFrame::kNothingToReport) {
            FailInitialSetting(true);
            return;
        }
    }
    if (m_firstChain)
        RequestIdFib();
    else
        RequestFsImage();
}

void CDeviceLink::OnReplyIdFib(const uint8_t* p, size_t n)
{
    if (FirstBytesAsHex(p, n, m_info.firmwareHeader))
        m_host.LogDebugger(Format("get id fib : ", m_info.firmwareHeader));
    RequestIdMcu();
}

void CDeviceLink::OnReplyIdMcu(const uint8_t* p, size_t n)
{
    if (FirstBytesAsHex(p, n, m_info.mcuId))
        m_host.LogDebugger(Format("get id mcu : ", m_info.mcuId));
    if (m_loginPending) {
        AskPasswordAndRespond();
        return;
    }
    RequestIdMac();
}

void CDeviceLink::OnReplyIdMac(const uint8_t* p, size_t n)
{
    if (FirstBytesAsHex(p, n, m_info.macAddress))
        m_host.LogDebugger(Format("get id mac : ", m_info.macAddress));
    RequestInitNet0();
}

void CDeviceLink::OnReplyInitNet(const uint8_t* p, size_t n)
{
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
    if (m_transferType == kTransferInitNet0) {
        m_transferType = kTransferNone;
        m_info.wiredPresent = value != 0;
        RequestInitNet1();
    } else if (m_transferType == kTransferInitNet1) {
        m_transferType = kTransferNone;
        m_info.wirelessPresent = value != 0;
        RequestEnvcHash();
    }
}

void CDeviceLink::OnReplyEnvcHash(const uint8_t* p, size_t n, bool refused)
{
    FrameItem item;
    if (FrameItemReader::First(p, n, item)) {
        if (item.type == LinkFrame::kItemBytes) {
            m_info.envcHash = item.Hex();
            m_host.LogDebugger(Format("get id envc hash : ", m_info.envcHash));
        } else if (item.IsInt32()) {
            m_info.envcHash.clear();
        }
    }
    m_identified = true;
    if (HasUploadBackup()) {
        ShowWaitDialog(false);
        RestoreUploadBackup();
    } else {
        RequestFsImage();
    }
}

void CDeviceLink::OnReplyIdEzfsHash(const uint8_t* p, size_t n, bool refused)
{
    FrameItem item;
    if (!FrameItemReader::First(p, n, item))
        return;
    if (item.type == LinkFrame::kItemBytes) {
        m_info.fsHash = item.Hex();
        m_host.LogDebugger(Format("get id ezfs hash : ", m_info.fsHash));
    } else if (item.IsInt32()) {
        m_info.fsHash.clear();
        if (refused && item.Int32() != LinkFrame::kNothingToReport) {
            FailInitialSetting(true);
            return;
        }
    } else {
        return;
    }
    m_firstChain = false;
    RequestIdEzfs();
}

bool CDeviceLink::ReadResourceRow(const uint8_t* p, size_t n, int row, bool kib)
{
    if (n < 24)
        return false;
    FrameItemReader reader(p, n);
    for (int i = 0; i < 3; ++i) {
        FrameItem item;
        if (!reader.Next(item) || item.type != LinkFrame::kItemInt32 || item.field != 4)
            return false;
        uint32_t v = static_cast<uint32_t>(item.Int32());
        m_resourceRows[row][i] = static_cast<int32_t>(kib ? v / 1024 : v);
    }
    return true;
}

void CDeviceLink::OnReplySys12(const uint8_t* p, size_t n)
{
    if (ReadResourceRow(p, n, 0, false))
        RequestSys13();
}

void CDeviceLink::OnReplySys13(const uint8_t* p, size_t n)
{
    if (ReadResourceRow(p, n, 1, false))
        RequestSys15();
}

void CDeviceLink::OnReplySys15(const uint8_t* p, size_t n) { ReadResourceRow(p, n, 2, true); }

// ---- login

void CDeviceLink::OnReplyLoginChallenge(const uint8_t* p, size_t n)
{
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || item.type != LinkFrame::kItemBytes)
        return;
    m_challenge = item.Hex();
    m_host.LogDebugger(Format("auth chap admin : ", m_challenge));
    RequestIdMcu();
}

void CDeviceLink::ComputeLoginResponse(const std::string& challengeText, const std::string& mcuIdHex,
                                       const std::string& password, uint8_t response[20])
{
    std::string hex = challengeText;
    size_t blank = hex.find(' ');
    if (blank != std::string::npos)
        hex = hex.substr(blank + 1);
    uint8_t ck[48] = {};  // C || K
    ReadHexPairs(hex, ck, 16);
    uint8_t salt[20] = {};
    ReadHexPairs(mcuIdHex, salt, 20);
    Pbkdf2Sha1Key32(salt, sizeof salt, password.substr(0, 32), ck + 16);
    Sha1Digest(ck, sizeof ck, response);
}

void CDeviceLink::AskPasswordAndRespond()
{
    std::string password;
    CLinkDialogs::PasswordChoice choice = m_host.AskLoginPassword(password);
    if (choice == CLinkDialogs::PasswordChoice::Cancel) {
        if (m_jobRunning)
            ShowWaitDialog(false);
        Disconnect();
        return;
    }
    if (choice == CLinkDialogs::PasswordChoice::Delete) {
        RequestSystemCommand(5, 200);
        return;
    }
    uint8_t response[20];
    ComputeLoginResponse(m_challenge, m_info.mcuId, password, response);
    SendLoginResponse(response);
}

void CDeviceLink::OnReplyLoginResult(const uint8_t* p, size_t n)
{
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || !item.IsInt32())
        return;
    if (item.Int32() == 0) {
        m_loginPending = false;
        m_loggedIn = true;
        RequestIdPdb();
        return;
    }
    Message(LinkStrings::kPasswordMismatch, CLinkDialogs::kStyleWarning);
    AskPasswordAndRespond();
}
