// The board's query side: the "mmap" device tree behind 05/30 (net0, net1,
// rtc0 and the wireless scan), the error logs (03/41, 03/42), product
// information (05/10) and the information block (03/30). Pure: requests
// in, answers out; CBoardModel sends them and serves the blocks.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/boardsim/SimCodec.h"

namespace boardsim {

struct AccessPoint {
  int channel = 1;
  int signal = -60;
  int flags = 0;
  std::string ssid;
  std::string ssidHex;  // "" = the hex of ssid; set to send a raw field
};

struct QueryOptions {
  // Wired (net0) addressing; net1 answers the same when it is the only one.
  std::string ipv4 = "192.168.0.100", netmask = "255.255.255.0", gateway = "192.168.0.1";
  std::string nameServer = "192.168.0.1";
  std::string ipv6Local = "FE80::FA:57FF:FE00:1", ipv6Global = "2001:DB8::100", ipv6Gateway = "FE80::1";
  int32_t prefix6 = 64;
  int32_t dadCount = 0;
  std::string dadMac = "02:fa:57:00:00:99";
  int64_t dadTickMs = 5999;
  // Wireless (net1).
  std::string wlanMode = "STA", ssid = "MyAP1", rsna = "WPA2", akm = "PSK", cipher = "CCMP";
  int32_t channel = 6, rssi = -52;
  std::vector<std::string> arp{"192.168.0.1 00:11:22:33:44:55", "192.168.0.7 00:11:22:33:44:66"};
  std::vector<std::string> ndc{"FE80::1 00:11:22:33:44:55"};
  // Clock.
  std::string date = "20260102030405";
  // Scan.
  std::vector<AccessPoint> aps{{1, -40, 3, "MyAP1", ""}, {1, -71, 0, "Cafe", ""}, {6, -52, 3, "Lab 2.4", ""}};
  int scanPolls = 2;        // "scan state" answers 1 this often, then 0
  int32_t qsizeAnswer = 0;
  // Logs and information.
  std::string phpLog = "PHP Warning: Division by zero in /index.php on line 3\r\n";
  std::string fwLog = "[fw] wlan: association timeout\r\n[fw] net0: link up\r\n";
  int64_t uptimeMs = -1;    // < 0: the real time since start
  std::string infoText = "ZX-1000 rev B, bootloader 2.1";

  // Hostile answers.
  bool lyingItems = false;     // 05/30 answers claim an item longer than sent
  bool oversize = false;       // an SSID hex past 256, an 'A' record past 1024, long texts
  bool endlessTables = false;  // ARP and neighbour tables never end
  bool silentScan = false;     // "scan state" is never answered
  int lateMs = 0;              // 05/30 answers leave this late
  bool infoBadLength = false;  // the first information record says L = 2
};

// Parses one query option at args[i] (advancing i past its value). false
// with `error` empty when the option is not a query option.
bool ParseQueryOption(const std::vector<std::string>& args, size_t& i, QueryOptions& opt, std::string& error);
extern const char* const kQueryHelp;

class CSimQueries {
 public:
  struct Answer {
    enum Kind { kItems, kRefuse, kBlock, kNothing } kind = kNothing;
    Bytes items;     // kItems
    int code = 0;    // kRefuse
    Bytes block;     // kBlock: served through windows, then the reply
    int delayMs = 0;
  };

  CSimQueries(QueryOptions& opt, bool wired, bool wireless)
      : opt_(opt), wired_(wired), wireless_(wireless), boot_(std::chrono::steady_clock::now()) {}

  static bool Handles(uint16_t key);
  Answer OnRequest(uint16_t key, const std::vector<Item>& items, std::string& log);

  // The information block as served (records, little-endian lengths).
  Bytes InfoBlock() const;

 private:
  Answer Mmap(const std::vector<Item>& items, std::string& log);
  Answer Net(bool wired, const std::vector<std::string>& words, std::string& log);
  Answer Scan(const std::vector<std::string>& words, std::string& log);

  QueryOptions& opt_;
  bool wired_, wireless_;
  std::chrono::steady_clock::time_point boot_;
  bool scanning_ = false;
  int pollsLeft_ = 0;
};

}  // namespace boardsim
