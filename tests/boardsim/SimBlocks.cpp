#include "tests/boardsim/SimBlocks.h"

#include <openssl/evp.h>

#include <cstdio>

namespace boardsim {
namespace {

uint16_t Le16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t Le32(const Bytes& b, size_t at) { return Le16(b, at) | static_cast<uint32_t>(Le16(b, at + 2)) << 16; }
void AddLe16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void AddRecord(Bytes& block, uint8_t type, uint8_t sub, const Bytes& data) {
  size_t length = (data.size() + 6 + 3) / 4 * 4;
  size_t at = block.size();
  block.push_back(type);
  block.push_back(sub);
  AddLe16(block, static_cast<uint16_t>(length));
  block.insert(block.end(), data.begin(), data.end());
  block.resize(at + length - 2, 0);
  AddLe16(block, Crc16(block.data() + at, length - 2));
}

Bytes Finish(Bytes records, uint32_t magic) {
  Bytes block;
  for (int i = 0; i < 4; ++i) block.push_back(static_cast<uint8_t>(magic >> (8 * i)));
  AddLe16(block, static_cast<uint16_t>(records.size() + 16));
  AddLe16(block, Crc16(block.data(), 6));
  block.resize(16, 0);
  block.insert(block.end(), records.begin(), records.end());
  return block;
}

std::string HexOf(const uint8_t* p, size_t n) {
  std::string s;
  char b[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02x", p[i]);
    s += b;
  }
  return s;
}

}  // namespace

Bytes DefaultSettingsBlock(const std::string& firmwareName) {
  Bytes r;
  AddRecord(r, 0x0C, 0, Bytes(firmwareName.begin(), firmwareName.end()));
  AddRecord(r, 0x03, 0, {192, 168, 0, 100});
  AddRecord(r, 0x03, 1, {255, 255, 255, 0});
  AddRecord(r, 0x03, 2, {192, 168, 0, 1});
  AddRecord(r, 0x03, 3, {8, 8, 8, 8});
  Bytes v6(18, 0);
  v6[0] = 0xfe;
  v6[1] = 0x80;
  v6[15] = 0x64;
  v6[16] = 64;
  AddRecord(r, 0x04, 0, v6);
  std::string ssid = "zarvo-lab";
  Bytes ssidData(32, 0);
  std::copy(ssid.begin(), ssid.end(), ssidData.begin());
  AddRecord(r, 0x09, 1, ssidData);
  Bytes options(32, 0);
  options[0] = 0x05;  // WLAN on, IPv4 by DHCP
  options[4] = 0x01;  // infrastructure
  AddRecord(r, 0x0D, 1, options);
  AddRecord(r, 0x21, 7, {'k', 'e', 'e', 'p', ' ', 'm', 'e'});  // unknown to the program
  AddRecord(r, 0xFF, 0, {});
  return Finish(r, kMagicSettings);
}

bool CheckBlock(const Bytes& block, uint32_t magic, std::string& why) {
  if (block.size() < 16) return why = "shorter than its header", false;
  if (Le32(block, 0) != magic) return why = "wrong magic", false;
  if (Le16(block, 4) != block.size())
    return why = "header length " + std::to_string(Le16(block, 4)) + " for " + std::to_string(block.size()) +
                 " bytes", false;
  if (Le16(block, 6) != Crc16(block.data(), 6)) return why = "header CRC", false;
  for (size_t i = 8; i < 16; ++i)
    if (block[i] != 0) return why = "header bytes 8-15 not zero", false;
  size_t at = 16;
  while (at < block.size()) {
    if (block.size() - at < 4) return why = "truncated record head at " + std::to_string(at), false;
    if (block[at] == 0xFF) return true;
    size_t length = Le16(block, at + 2);
    if (length < 6 || length % 4 != 0 || length > block.size() - at)
      return why = "record length " + std::to_string(length) + " at " + std::to_string(at), false;
    if (Le16(block, at + length - 2) != Crc16(block.data() + at, length - 2))
      return why = "record CRC at " + std::to_string(at), false;
    at += length;
  }
  return true;
}

std::vector<std::string> DescribeSettings(const Bytes& block) {
  std::vector<std::string> out;
  for (size_t at = 16; at + 4 <= block.size() && block[at] != 0xFF;) {
    size_t length = Le16(block, at + 2);
    if (length < 6 || length > block.size() - at) break;
    char head[32];
    std::snprintf(head, sizeof head, "%02X/%02X %zu", block[at], block[at + 1], length);
    out.push_back(std::string(head) + " " + HexOf(block.data() + at + 4, length - 6));
    at += length;
  }
  return out;
}

bool CheckPasswordRecord(const Bytes& record, Bytes& key, std::string& why) {
  if (record.size() != 38) return why = "password record of " + std::to_string(record.size()) + " bytes", false;
  if (Le16(record, 36) != Crc16(record.data(), 36)) return why = "password record CRC", false;
  bool zero = true;
  for (size_t i = 0; i < 36; ++i) zero = zero && record[i] == 0;
  if (zero) {
    key.clear();
    return true;
  }
  if (record[0] != 1 || record[1] != 0) return why = "password record kind", false;
  if (Le16(record, 2) != Crc16(record.data() + 4, 32)) return why = "password key CRC", false;
  key.assign(record.begin() + 4, record.begin() + 36);
  return true;
}

Bytes LoginResponseForKey(const Bytes& challenge, const Bytes& key) {
  Bytes msg(challenge);
  msg.resize(16, 0);
  msg.insert(msg.end(), key.begin(), key.end());
  Bytes md(20);
  unsigned len = 0;
  EVP_Digest(msg.data(), msg.size(), md.data(), &len, EVP_sha1(), nullptr);
  return md;
}

}  // namespace boardsim
