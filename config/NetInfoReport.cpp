#include "config/NetInfoReport.h"

#include "link/services/InfoBlock.h"

#include <cstdio>
#include <limits>

namespace {

// Labels; the Korean ones are code page 949 bytes (their text in the comment).
struct Labels {
    const char *ipv4Title, *local, *mask, *gateway, *nameServer, *ipv6Title, *conflictTitle, *conflictCount,
        *conflictMac, *conflictTime, *mode, *channel, *signal, *security, *securityNone, *inoperative, *arpTitle,
        *ndcTitle, *tab;
};

const Labels kEnglish = {
    "IPv4 network information\r\n", "  Local IP address - ", "  Subnet mask - ", "  Gateway - ", "  Name Server - ",
    "IPv6 network information\r\n", "\r\n\r\nIP address conflict information\r\n", "  Number of conflict - ",
    "  MAC address - ", "  Time - ", "  Mode : ", "  Channel : ", "  Signal strength : -", "  Security : ",
    "  Security : None\r\n", "  Inoperative wireless", "IPv4 ARP cache table",
    "\r\n\r\nIPv6 neighbor discovery cache table", "ARP/NDC Table",
};

const Labels kKorean = {
    "IPv4 \xB3\xD7\xC6\xAE\xBF\xF6\xC5\xA9 \xC1\xA4\xBA\xB8\r\n",              // IPv4 네트워크 정보
    "  \xC1\xA6\xC7\xB0 IP\xC1\xD6\xBC\xD2 - ",                                 // 제품 IP주소
    "  \xBC\xAD\xBA\xEA\xB3\xDD \xB8\xB6\xBD\xBA\xC5\xA9 - ",                   // 서브넷 마스크
    "  \xB0\xD4\xC0\xCC\xC6\xAE\xBF\xFE\xC0\xCC IP \xC1\xD6\xBC\xD2 - ",        // 게이트웨이 IP 주소
    "  DNS \xBC\xAD\xB9\xF6 IP \xC1\xD6\xBC\xD2 - ",                            // DNS 서버 IP 주소
    "IPv6 \xB3\xD7\xC6\xAE\xBF\xF6\xC5\xA9 \xC1\xA4\xBA\xB8\r\n",              // IPv6 네트워크 정보
    "\r\n\r\nIP \xC1\xD6\xBC\xD2 \xC3\xE6\xB5\xB9 \xC1\xA4\xBA\xB8\r\n",        // IP 주소 충돌 정보
    "  \xC3\xE6\xB5\xB9\xC8\xBD\xBC\xF6 - ",                                    // 충돌횟수
    "  \xC3\xE6\xB5\xB9MAC\xC1\xD6\xBC\xD2 - ",                                 // 충돌MAC주소
    "  \xB0\xE6\xB0\xFA \xBD\xC3\xB0\xA3 - ",                                   // 경과 시간
    "  \xB9\xAB\xBC\xB1\xB7\xA3 \xB8\xF0\xB5\xE5 : ",                           // 무선랜 모드
    "  \xC3\xA4\xB3\xCE : ",                                                    // 채널
    "  \xBD\xC5\xC8\xA3\xB0\xAD\xB5\xB5 : -",                                   // 신호강도
    "  \xBA\xB8\xBE\xC8 : ",                                                    // 보안
    "  \xBA\xB8\xBE\xC8 : None\r\n",                                            // 보안 : None
    "  \xBB\xE7\xBF\xEB \xC7\xD2 \xBC\xF6 \xBE\xF8\xC0\xBD",                    // 사용 할 수 없음
    "IPv4 ARP \xC4\xB3\xBD\xC3 \xC5\xD7\xC0\xCC\xBA\xED",                       // IPv4 ARP 캐시 테이블
    "\r\n\r\nIPv6 neighbor discovery \xC4\xB3\xBD\xC3 \xC5\xD7\xC0\xCC\xBA\xED", // ... 캐시 테이블
    "ARP/NDC \xC5\xD7\xC0\xCC\xBA\xED",                                         // ARP/NDC 테이블
};

const Labels& For(bool korean) { return korean ? kKorean : kEnglish; }

// A label, its value when there is one, and the line end.
void Line(std::string& out, const char* label, const std::string& value, const char* end) {
    out += label;
    out += value;
    out += end;
}

std::string Int(long long v) { return std::to_string(v); }

} // namespace

namespace NetInfoReport {

std::string Network(const NetworkInfo& in, bool korean, const std::string& timeFormat) {
    const Labels& l = For(korean);
    std::string out = l.ipv4Title;
    Line(out, l.local, in.ipv4, "\r\n");
    Line(out, l.mask, in.netmask, "\r\n");
    Line(out, l.gateway, in.gateway, "\r\n");
    Line(out, l.nameServer, in.nameServer, "\r\n\r\n");
    out += l.ipv6Title;
    Line(out, "  Link Local - ", in.ipv6LinkLocal, "\r\n");
    Line(out, "  Global - ", in.ipv6Global.empty() ? std::string() : in.ipv6Global + " / " + Int(in.prefix6), "\r\n");
    Line(out, l.gateway, in.ipv6Gateway, "");
    if (in.conflictCount > 0) {
        out += l.conflictTitle;
        Line(out, l.conflictCount, Int(in.conflictCount), "\r\n");
        Line(out, l.conflictMac, in.conflictMac, "\r\n");
        // Days, then hours, minutes and seconds each taken from the whole
        // count (the uptime's formula): 90,061 s is 1 day 01:01:01.
        constexpr int64_t kMaxSeconds = std::numeric_limits<int64_t>::max() / 1000;
        const int64_t s = in.conflictTime > kMaxSeconds ? kMaxSeconds
                          : in.conflictTime < -kMaxSeconds ? -kMaxSeconds : in.conflictTime;
        Line(out, l.conflictTime, FormatUptime(s * 1000, timeFormat), "");
    }
    return out;
}

std::string Wireless(const WlanStatusRecord* w, bool korean) {
    if (!w) return std::string();
    const Labels& l = For(korean);
    if (w->mode.empty()) return l.inoperative;
    std::string out;
    Line(out, l.mode, w->mode, "\r\n");
    Line(out, l.channel, Int(w->channel), "\r\n");
    Line(out, "  SSID : ", w->ssid, "\r\n");
    // The label carries the minus of a magnitude; a board that reports the
    // signed level ("-52") must not read "--52dbm".
    if (w->mode != "AP")
        Line(out, l.signal, w->signal.compare(0, 1, "-") == 0 ? w->signal.substr(1) : w->signal, "dbm\r\n");
    if (w->rsna.empty()) {
        out += l.securityNone;
    } else {
        out += l.security;
        out += w->rsna;
        if (w->rsna != "WEP") out += w->akm.empty() ? std::string(" / None\r\n") : " / " + w->akm + "\r\n";
    }
    return out;
}

std::string Neighbours(const std::vector<std::string>* arp, const std::vector<std::string>* ndc, bool korean) {
    if (!arp) return std::string();
    const Labels& l = For(korean);
    std::string out = l.arpTitle;
    for (const std::string& e : *arp) out += "\r\n  " + e;
    if (ndc) {
        out += l.ndcTitle;
        for (const std::string& e : *ndc) out += "\r\n  " + e;
    }
    return out;
}

const char* NeighbourTabText(bool korean) { return For(korean).tab; }

} // namespace NetInfoReport
