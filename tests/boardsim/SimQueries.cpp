#include "tests/boardsim/SimQueries.h"

#include <cstdlib>
#include <sstream>

#include "tests/boardsim/SimOptions.h"

namespace boardsim {

namespace {

// Refusal codes shared with the rest of the board.
enum : int { kNoSuchItem = 2, kBadData = 22, kUnsupported = 38 };

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> w;
  std::istringstream in(text);
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

bool ParseInt(const std::string& s, long long& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtoll(s.c_str(), &end, 10);
  return *end == 0;
}

std::string HexOf(const std::string& s) {
  return Hex(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

CSimQueries::Answer Items(Bytes items) {
  CSimQueries::Answer a;
  a.kind = CSimQueries::Answer::kItems;
  a.items = std::move(items);
  return a;
}
CSimQueries::Answer Text(const std::string& s) {
  Bytes b;
  PutBytes(b, reinterpret_cast<const uint8_t*>(s.data()), s.size());
  return Items(std::move(b));
}
CSimQueries::Answer Int(int32_t v) {
  Bytes b;
  PutInt32(b, v);
  return Items(std::move(b));
}
CSimQueries::Answer Refuse(int code) {
  CSimQueries::Answer a;
  a.kind = CSimQueries::Answer::kRefuse;
  a.code = code;
  return a;
}
CSimQueries::Answer Block(const std::string& s) {
  CSimQueries::Answer a;
  a.kind = CSimQueries::Answer::kBlock;
  a.block.assign(s.begin(), s.end());
  return a;
}

void PutRecord(Bytes& out, uint8_t type, uint8_t sub, const Bytes& data, int lengthField = -1) {
  size_t l = lengthField >= 0 ? static_cast<size_t>(lengthField) : data.size() + 4;
  out.push_back(type);
  out.push_back(sub);
  out.push_back(static_cast<uint8_t>(l));
  out.push_back(static_cast<uint8_t>(l >> 8));
  out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

bool CSimQueries::Handles(uint16_t key) {
  switch (key) {
    case RequestKey(3, 0x30):
    case RequestKey(3, 0x41):
    case RequestKey(3, 0x42):
    case RequestKey(5, 0x10):
    case RequestKey(5, 0x30): return true;
    default: return false;
  }
}

Bytes CSimQueries::InfoBlock() const {
  Bytes block;
  const uint8_t serial[4] = {0x00, 0x01, 0xE2, 0x40};
  PutRecord(block, 0x10, 0, Bytes(serial, serial + 4), opt_.infoBadLength ? 2 : -1);
  std::string text = opt_.oversize ? std::string(2000, 'Z') : opt_.infoText;
  Bytes t(text.begin(), text.end());
  t.push_back(0);
  PutRecord(block, 0x41, 0, t);
  PutRecord(block, 0x42, 1, Bytes{1, 2, 3});
  return block;
}

CSimQueries::Answer CSimQueries::OnRequest(uint16_t key, const std::vector<Item>& items, std::string& log) {
  switch (key) {
    case RequestKey(3, 0x30): {
      Answer a;
      a.kind = Answer::kBlock;
      a.block = InfoBlock();
      return a;
    }
    case RequestKey(3, 0x41): return Block(opt_.phpLog);
    case RequestKey(3, 0x42): return Block(opt_.fwLog);
    case RequestKey(5, 0x10): {
      Bytes b;
      auto since = std::chrono::steady_clock::now() - boot_;
      PutInt64(b, opt_.uptimeMs >= 0 ? opt_.uptimeMs
                                     : std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
      return Items(std::move(b));
    }
    default: {
      Answer a = Mmap(items, log);
      if (a.kind == Answer::kItems) {
        a.delayMs = opt_.lateMs;
        // A length field that claims 256 bytes more than the frame holds.
        if (opt_.lyingItems && a.items.size() >= 4) a.items[2] = static_cast<uint8_t>(a.items[2] + 1);
      }
      return a;
    }
  }
}

CSimQueries::Answer CSimQueries::Mmap(const std::vector<Item>& items, std::string& log) {
  // One text item whose length field is the padded size alone (no pad count).
  if (items.size() != 1 || items[0].type != kItemText || (items[0].field & 3) != 0) {
    log = "05/30 wants one text item with a padded length";
    return Refuse(kBadData);
  }
  const std::string text = items[0].AsText();
  std::vector<std::string> w = Words(text);
  if (w.size() < 3 || w[0].rfind("mmap/", 0) != 0 || w[1] != "ioctl") {
    log = "05/30 not an mmap ioctl: " + text;
    return Refuse(kBadData);
  }
  const std::string dev = w[0].substr(5);
  w.erase(w.begin(), w.begin() + 2);
  if (dev == "rtc0") {
    if (w.size() == 2 && w[0] == "get" && w[1] == "date") return Text(opt_.date);
    if (w.size() == 3 && w[0] == "set" && w[1] == "date") {
      const std::string& d = w[2];
      bool digits = d.size() == 14 && d.find_first_not_of("0123456789") == std::string::npos;
      if (!digits) {
        log = "rtc0: bad date " + d;
        return Int(kBadData);
      }
      opt_.date = d;
      return Int(0);
    }
  } else if ((dev == "net0" && wired_) || (dev == "net1" && wireless_)) {
    if (dev == "net1" && !w.empty() && w[0] == "scan") return Scan(w, log);
    if (w.size() >= 2 && w[0] == "get") return Net(dev == "net0", w, log);
  } else if (dev == "net0" || dev == "net1") {
    log = dev + ": no such interface";
    return Refuse(kNoSuchItem);
  }
  log = "05/30 unknown command: " + text;
  return Refuse(kUnsupported);
}

CSimQueries::Answer CSimQueries::Net(bool wired, const std::vector<std::string>& w, std::string& log) {
  const std::string& name = w[1];
  const std::string arg = w.size() > 2 ? w[2] : "";
  const std::string big = opt_.oversize ? std::string(3000, 'x') : std::string();
  if (w.size() == 2) {
    if (name == "ipaddr") return Text(big.empty() ? opt_.ipv4 : big);
    if (name == "netmask") return Text(opt_.netmask);
    if (name == "gwaddr") return Text(opt_.gateway);
    if (name == "nsaddr") return Text(opt_.nameServer);
    if (name == "gwaddr6") return Text(opt_.ipv6Gateway);
    if (name == "prefix6") return Int(opt_.prefix6);
    if (!wired) {
      if (name == "mode") return Text(opt_.wlanMode);
      if (name == "ch") return Int(opt_.channel);
      if (name == "ssid") return Text(opt_.ssid);
      if (name == "rssi") return Int(opt_.rssi);
      if (name == "rsna") return Text(opt_.rsna);
      if (name == "akm") return Text(opt_.akm);
      if (name == "cipher") return Text(opt_.cipher);
    }
  } else if (w.size() == 3) {
    long long n = 0;
    if (name == "ipaddr6" && (arg == "0" || arg == "1")) return Text(arg == "0" ? opt_.ipv6Local : opt_.ipv6Global);
    if (name == "dad" && arg == "count") return Int(opt_.dadCount);
    if (name == "dad" && arg == "addr") return Text(opt_.dadMac);
    if (name == "dad" && arg == "tick") {
      // Milliseconds, little-endian, in a byte-string item.
      Bytes le(8);
      for (int i = 0; i < 8; ++i) le[i] = static_cast<uint8_t>(static_cast<uint64_t>(opt_.dadTickMs) >> (8 * i));
      Bytes b;
      PutBytes(b, le);
      return Items(std::move(b));
    }
    if ((name == "arp" || name == "ndc") && ParseInt(arg, n) && n >= 0) {
      const std::vector<std::string>& table = name == "arp" ? opt_.arp : opt_.ndc;
      if (opt_.endlessTables) return Text("10.0." + std::to_string(n / 256 % 256) + "." + std::to_string(n % 256));
      return Text(static_cast<size_t>(n) < table.size() ? table[static_cast<size_t>(n)] : "");
    }
  }
  log = "net: unknown query " + name + (arg.empty() ? "" : " " + arg);
  return Refuse(kUnsupported);
}

CSimQueries::Answer CSimQueries::Scan(const std::vector<std::string>& w, std::string& log) {
  long long ch = 0, entry = 0;
  if (w.size() == 3 && w[1] == "qsize") return Int(opt_.qsizeAnswer);
  if (w.size() == 2 && w[1] == "start") {
    scanning_ = true;
    pollsLeft_ = opt_.scanPolls;
    return Int(0);
  }
  if (w.size() == 2 && w[1] == "state") {
    if (opt_.silentScan) {
      log = "scan state: not answered";
      return Answer();
    }
    if (scanning_ && pollsLeft_ > 0) {
      --pollsLeft_;
      return Int(1);
    }
    scanning_ = false;
    return Int(0);
  }
  std::vector<AccessPoint> aps = opt_.aps;
  if (opt_.oversize) aps.push_back({1, -80, 0, "", std::string(300, '4')});
  if (w.size() >= 3 && w[1] == "result" && ParseInt(w[2], ch) && ch >= 1 && ch <= 14) {
    std::vector<const AccessPoint*> on;
    for (const AccessPoint& ap : aps)
      if (ap.channel == ch) on.push_back(&ap);
    if (w.size() == 3) return Int(static_cast<int32_t>(on.size()));
    if (w.size() == 4 && ParseInt(w[3], entry) && entry >= 0 && static_cast<size_t>(entry) < on.size()) {
      const AccessPoint& ap = *on[static_cast<size_t>(entry)];
      char head[48];
      std::snprintf(head, sizeof head, "%d %d %x ", ap.channel, ap.signal, ap.flags);
      return Text(head + (ap.ssidHex.empty() ? HexOf(ap.ssid) : ap.ssidHex));
    }
  }
  log = "scan: unknown command";
  return Refuse(kUnsupported);
}

const char* const kQueryHelp =
    "Queries (05/30 \"mmap\" device tree, logs, information):\n"
    "  --dad N               address conflicts the board reports (default 0)\n"
    "  --rtc DATE            the board's clock, YYYYMMDDhhmmss (default 20260102030405)\n"
    "  --no-aps              the scan finds nothing (default: 3 access points)\n"
    "  --scan-polls N        \"scan state\" answers 1 N times before 0 (default 2)\n"
    "  --scan-qsize N        the answer to \"scan qsize 32\" (default 0)\n"
    "  --uptime MS           05/10 answers MS (default: the real time since start)\n"
    "  --php-log TEXT, --fw-log TEXT   the error logs 03/41 and 03/42 serve\n"
    "  --info TEXT           the information block's 'A' text\n"
    "  05/30 wants one text item whose length field is the padded size alone (else\n"
    "  refused with 22); a missing interface is refused with 2, an unknown command\n"
    "  with 38; texts come as byte strings (type 7), counts as int32; \"dad tick\" is\n"
    "  8 bytes of little-endian milliseconds; ARP and neighbour rows end with \"\";\n"
    "  \"set date\" answers 0, or 22 for anything but 14 digits. 03/30, 03/41 and\n"
    "  03/42 are block reads like 03/11.\n"
    "Hostile answers:\n"
    "  --lying-items         05/30 answers claim an item 256 bytes longer than sent\n"
    "  --oversize            an SSID hex of 300 characters, an 'A' record of 2000\n"
    "                        bytes, an IPv4 text of 3000 characters\n"
    "  --endless-tables      the ARP and neighbour tables never end\n"
    "  --silent-scan         \"scan state\" is never answered\n"
    "  --late-replies MS     05/30 answers leave MS late\n"
    "  --info-bad-length     the first information record says L = 2\n";

bool ParseQueryOption(const std::vector<std::string>& args, size_t& i, QueryOptions& opt, std::string& error) {
  const std::string& a = args[i];
  auto value = [&](std::string& out) {
    if (i + 1 >= args.size()) {
      error = a + " needs a value";
      return false;
    }
    out = args[++i];
    return true;
  };
  auto number = [&](long long& out, long long min) {
    std::string s;
    if (!value(s)) return false;
    if (!ParseInt(s, out) || out < min) {
      error = a + ": bad number " + s;
      return false;
    }
    return true;
  };
  long long n = 0;
  std::string s;
  if (a == "--lying-items") opt.lyingItems = true;
  else if (a == "--oversize") opt.oversize = true;
  else if (a == "--endless-tables") opt.endlessTables = true;
  else if (a == "--silent-scan") opt.silentScan = true;
  else if (a == "--info-bad-length") opt.infoBadLength = true;
  else if (a == "--no-aps") opt.aps.clear();
  else if (a == "--dad") { if (!number(n, 0)) return false; opt.dadCount = static_cast<int32_t>(n); }
  else if (a == "--scan-polls") { if (!number(n, 0)) return false; opt.scanPolls = static_cast<int>(n); }
  else if (a == "--scan-qsize") { if (!number(n, -0x7FFFFFFFLL)) return false; opt.qsizeAnswer = static_cast<int32_t>(n); }
  else if (a == "--uptime") { if (!number(n, 0)) return false; opt.uptimeMs = n; }
  else if (a == "--late-replies") { if (!number(n, 0)) return false; opt.lateMs = static_cast<int>(n); }
  else if (a == "--php-log") return value(opt.phpLog);
  else if (a == "--fw-log") return value(opt.fwLog);
  else if (a == "--info") return value(opt.infoText);
  else if (a == "--rtc") {
    if (!value(s)) return false;
    if (s.size() != 14 || s.find_first_not_of("0123456789") != std::string::npos) {
      error = "--rtc: want YYYYMMDDhhmmss";
      return false;
    }
    opt.date = s;
  } else {
    return false;
  }
  return true;
}

}  // namespace boardsim
