#include "tests/boardsim/SimImage.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace boardsim {

static size_t Pad4(size_t n) { return (4 - n % 4) % 4; }

static void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
static uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

static const uint8_t kMagic[4] = {'e', 'F', 'z', 'S'};

size_t ImageSize(const std::vector<ImageEntry>& entries) {
  size_t total = 28;
  for (const ImageEntry& e : entries) {
    if (e.name.size() > 255 || e.data.size() > 0xFFFFFF) return 0;
    total += 8 + e.name.size() + Pad4(e.name.size()) + e.data.size() + Pad4(e.data.size());
  }
  return (total + 1023) / 1024 * 1024;
}

Bytes BuildImage(const ImageInfo& info) {
  size_t size = ImageSize(info.entries);
  if (size == 0 || size > kMaxImage) return {};
  Bytes img(size, 0);
  auto putHead = [&](uint8_t* p) {
    std::memcpy(p, kMagic, 4);
    PutLe16(p + 4, static_cast<uint16_t>(size / 1024));
    PutLe16(p + 6, Crc16(p, 6));
  };
  putHead(img.data());
  PutLe16(&img[8], info.fsValue);
  img[10] = info.headerWords;
  img[11] = info.flags;
  size_t off = info.headerWords ? 4u * info.headerWords : 16u;
  for (const ImageEntry& e : info.entries) {
    size_t n = e.name.size(), l = e.data.size();
    img[off] = static_cast<uint8_t>(n);
    img[off + 1] = static_cast<uint8_t>(l);
    img[off + 2] = static_cast<uint8_t>(l >> 8);
    img[off + 3] = static_cast<uint8_t>(l >> 16);
    size_t body = off + 4;
    std::memcpy(&img[body], e.name.data(), n);
    if (l) std::memcpy(&img[body + n + Pad4(n)], e.data.data(), l);
    size_t bodyLen = n + Pad4(n) + l + Pad4(l);
    PutLe16(&img[body + bodyLen + 2], Crc16(&img[body], bodyLen));
    off = body + bodyLen + 4;
  }
  putHead(&img[size - 8]);
  return img;
}

bool ParseImage(const Bytes& img, ImageInfo& info, std::string* why) {
  auto fail = [why](const std::string& w) {
    if (why) *why = w;
    return false;
  };
  info = ImageInfo{};
  if (img.size() < 1024 || img.size() % 1024 || img.size() > kMaxImage) return fail("size is not a whole number of KiB up to 1 MiB");
  if (std::memcmp(img.data(), kMagic, 4) != 0) return fail("bad magic");
  if (Crc16(img.data(), 6) != Le16(&img[6])) return fail("bad head CRC");
  if (static_cast<size_t>(Le16(&img[4])) * 1024 != img.size()) return fail("size field disagrees with the data");
  const uint8_t* tail = &img[img.size() - 8];
  if (std::memcmp(tail, kMagic, 4) != 0 || Le16(tail + 4) != Le16(&img[4])) return fail("bad tail");
  if (Crc16(tail, 6) != Le16(tail + 6)) return fail("bad tail CRC");
  info.fsValue = Le16(&img[8]);
  info.headerWords = img[10];
  info.flags = img[11];
  size_t off = img[10] ? 4u * img[10] : 16u;
  size_t end = img.size() - 8;  // entries never reach into the tail
  if (off + 4 > end) return fail("header length past the data");
  while (true) {
    if (off + 4 > end) return fail("entry list has no end mark");
    const uint8_t* h = &img[off];
    if (!h[0] && !h[1] && !h[2] && !h[3]) break;
    size_t n = h[0], l = h[1] | h[2] << 8 | static_cast<size_t>(h[3]) << 16;
    size_t bodyLen = n + Pad4(n) + l + Pad4(l);
    if (bodyLen + 8 > end - off) return fail("entry at " + std::to_string(off) + " runs past the image");
    const uint8_t* body = h + 4;
    if (Crc16(body, bodyLen) != Le16(body + bodyLen + 2)) return fail("bad CRC of entry at " + std::to_string(off));
    ImageEntry e;
    e.name.assign(reinterpret_cast<const char*>(body), n);
    e.data.assign(body + n + Pad4(n), body + n + Pad4(n) + l);
    info.entries.push_back(std::move(e));
    off += 8 + bodyLen;
  }
  return true;
}

static Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

Bytes BuiltInImage() {
  ImageInfo info;
  info.fsValue = 0x0100;
  info.entries.push_back({"index.php", Text("<?php\r\necho \"Hello from the board\\r\\n\";\r\n?>\r\n")});
  info.entries.push_back({"lib/util.php", Text("<?php\r\nfunction twice($x) { return 2 * $x; }\r\n?>\r\n")});
  info.entries.push_back({"mmap", {}});
  info.entries.push_back({"www/index.html", Text("<html><body><?php echo twice(21); ?></body></html>\r\n")});
  // A 1x1 GIF, so that a binary file with an odd length is in the set.
  static const uint8_t gif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00,
                                0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00,
                                0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02,
                                0x44, 0x01, 0x00, 0x3B};
  info.entries.push_back({"www/dot.gif", Bytes(gif, gif + sizeof gif)});
  info.entries.push_back({"config.ini", Text("[net]\r\nip=192.168.0.100\r\n")});
  return BuildImage(info);
}

bool ReadFile(const std::string& path, Bytes& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  return !f.bad();
}

bool WriteFileAtomic(const std::string& path, const Bytes& data) {
  std::string tmp = path + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    f.flush();
    if (!f) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace boardsim
