#include "tests/boardsim/SimCodec.h"

#include <cstdio>
#include <algorithm>
#include <cstring>

namespace boardsim {

uint16_t Crc16(const uint8_t* data, size_t length) {
  // Direct (augmented) form: shift the message through a 16-bit register
  // started at 0xFFFF, then 16 zero bits.
  uint32_t reg = 0xFFFF;
  auto shiftIn = [&reg](uint8_t byte) {
    for (int bit = 7; bit >= 0; --bit) {
      bool top = (reg & 0x8000) != 0;
      reg = ((reg << 1) | ((byte >> bit) & 1)) & 0xFFFF;
      if (top) reg ^= 0x1021;
    }
  };
  for (size_t i = 0; i < length; ++i) shiftIn(data[i]);
  shiftIn(0);
  shiftIn(0);
  return static_cast<uint16_t>(reg);
}

bool IsSyncByte(uint8_t b) { return b >= 0x21 && b <= 0x3E; }

uint8_t SyncAnswer(uint8_t s) {
  if (!IsSyncByte(s)) return 0;
  return static_cast<uint8_t>((s - 0x20) ^ 0x3F);
}

static void PutBe16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

static uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

static uint64_t Be(const Bytes& value, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n && value.size() >= n; ++i) v = v << 8 | value[i];
  return v;
}

int32_t Item::AsInt32() const { return static_cast<int32_t>(static_cast<uint32_t>(Be(value, 4))); }
int64_t Item::AsInt64() const { return static_cast<int64_t>(Be(value, 8)); }

std::string Item::AsText() const {
  size_t n = 0;
  while (n < value.size() && value[n] != 0) ++n;
  return std::string(value.begin(), value.begin() + n);
}

uint16_t VarLengthField(size_t d, bool padOnly) {
  size_t p = (4 - d % 4) % 4;
  return static_cast<uint16_t>(padOnly ? d + p : d + p + p);
}

int VarDataLength(uint16_t field) { return (field & ~3) - (field & 3); }

static void PutFixed(Bytes& out, uint8_t type, uint64_t v, int n) {
  out.insert(out.end(), {0, type, 0, static_cast<uint8_t>(n)});
  for (int s = 8 * (n - 1); s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void PutInt32(Bytes& out, int32_t v) { PutFixed(out, kItemInt32, static_cast<uint32_t>(v), 4); }
void PutInt64(Bytes& out, int64_t v) { PutFixed(out, kItemInt64, static_cast<uint64_t>(v), 8); }

static void PutVar(Bytes& out, uint8_t type, const uint8_t* data, size_t d, bool padOnly) {
  out.push_back(0);
  out.push_back(type);
  PutBe16(out, VarLengthField(d, padOnly));
  out.insert(out.end(), data, data + d);
  out.insert(out.end(), (4 - d % 4) % 4, 0);
}

void PutText(Bytes& out, const std::string& text, bool padOnly) {
  Bytes withNul(text.begin(), text.end());
  withNul.push_back(0);
  PutVar(out, kItemText, withNul.data(), withNul.size(), padOnly);
}

void PutBytes(Bytes& out, const uint8_t* data, size_t n) { PutVar(out, kItemBytes, data, n, false); }

static void PutHeader(Bytes& out, uint8_t kind, uint8_t seq, uint16_t len, uint8_t b4, uint8_t b5,
                      uint16_t f67) {
  out.push_back(kFrameStart);
  out.push_back(static_cast<uint8_t>(kind << 4 | (seq & 0x0F)));
  PutBe16(out, len);
  out.push_back(b4);
  out.push_back(b5);
  PutBe16(out, f67);
}

Bytes EncodeCommand(uint8_t seq, uint8_t group, uint8_t code, const Bytes& items, bool refused) {
  Bytes f;
  f.reserve(8 + items.size());
  PutHeader(f, kKindCommand, seq, static_cast<uint16_t>(4 + items.size()),
            static_cast<uint8_t>((group & 0x0F) | (refused ? kFlagRefused : 0)), code,
            static_cast<uint16_t>(items.size()));
  f.insert(f.end(), items.begin(), items.end());
  return f;
}

Bytes EncodeWindow(uint8_t seq, uint16_t window) {
  Bytes f;
  PutHeader(f, kKindData, seq, 4, kFlagWindow, 0, window);
  return f;
}

// A frame whose payload is raw bytes: a data chunk, output or a firmware log.
static Bytes EncodeRaw(uint8_t kind, uint8_t seq, const uint8_t* data, size_t n) {
  Bytes f;
  f.reserve(8 + n);
  PutHeader(f, kind, seq, static_cast<uint16_t>(n + 4), 0, 0, static_cast<uint16_t>(n));
  if (n) f.insert(f.end(), data, data + n);
  return f;
}

Bytes EncodeChunk(uint8_t seq, const uint8_t* data, size_t n) { return EncodeRaw(kKindData, seq, data, n); }

Bytes EncodeText(uint8_t kind, uint8_t seq, const std::string& text) {
  return EncodeRaw(kind, seq, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

bool ParseItems(const Bytes& payload, std::vector<Item>& items, std::string* why) {
  items.clear();
  size_t off = 0;
  auto fail = [&](const char* what) {
    if (why) *why = what + std::to_string(off);
    return false;
  };
  while (off < payload.size()) {
    if (payload.size() - off < 4) return fail("item head cut at ");
    Item it;
    it.type = payload[off + 1];
    it.field = Be16(&payload[off + 2]);
    size_t dataLen, step;
    if (it.type == kItemText || it.type == kItemBytes) {
      int d = VarDataLength(it.field);
      if (d < 0) return fail("negative item length at ");
      dataLen = static_cast<size_t>(d);
      step = it.field & ~3u;
    } else {
      dataLen = it.field;
      step = (it.field + 3u) & ~3u;
    }
    if (step > payload.size() - off - 4 || dataLen > step) return fail("item runs past the payload at ");
    it.value.assign(payload.begin() + off + 4, payload.begin() + off + 4 + dataLen);
    items.push_back(std::move(it));
    off += 4 + step;
  }
  return true;
}

void FrameDecoder::Reset() {
  buf_.clear();
  pendingSync_ = -1;
}

void FrameDecoder::Feed(const uint8_t* data, size_t n, std::vector<Event>& out) {
  for (size_t i = 0; i < n; ++i) {
    uint8_t b = data[i];
    if (buf_.empty()) {
      if (pendingSync_ >= 0) {
        uint8_t s = static_cast<uint8_t>(pendingSync_);
        pendingSync_ = -1;
        if (b == kSyncCr) {
          out.push_back(Event{Event::kSync, {}, s, {}});
          continue;
        }
        ++dropped_;  // a sync-range byte without its CR was noise
      }
      if (b == kFrameStart) {
        buf_.push_back(b);
      } else if (IsSyncByte(b)) {
        pendingSync_ = b;
      } else {
        ++dropped_;
      }
      continue;
    }
    buf_.push_back(b);
    if (buf_.size() < 4) continue;
    size_t total = static_cast<size_t>(Be16(&buf_[2])) + 4;
    if (total >= 8 && buf_.size() < total) {
      // Take the rest of the frame's bytes in one go.
      size_t take = std::min(total - buf_.size(), n - i - 1);
      buf_.insert(buf_.end(), data + i + 1, data + i + 1 + take);
      i += take;
    }
    if (total < 8) {
      // Cannot be a frame: drop the start byte and look again at the rest.
      Bytes rest(buf_.begin() + 1, buf_.end());
      buf_.clear();
      ++dropped_;
      Feed(rest.data(), rest.size(), out);
      continue;
    }
    if (buf_.size() < total) continue;

    Frame f;
    f.kind = buf_[1] >> 4;
    f.seq = buf_[1] & 0x0F;
    f.group = buf_[4] & 0x0F;
    f.refused = (buf_[4] & kFlagRefused) != 0;
    f.window = (buf_[4] & kFlagWindow) != 0;
    f.command = buf_[5] >> 4;
    f.sub = buf_[5] & 0x0F;
    f.field67 = Be16(&buf_[6]);
    f.payload.assign(buf_.begin() + 8, buf_.end());
    buf_.clear();
    bool windowFrame = f.kind == kKindData && f.window;
    std::string why;
    if (!windowFrame && f.field67 != f.payload.size())
      why = "payload length " + std::to_string(f.field67) + " but frame carries " + std::to_string(f.payload.size());
    else if (windowFrame && !f.payload.empty())
      why = "window frame with a payload";
    out.push_back(Event{why.empty() ? Event::kFrame : Event::kBadFrame, std::move(f), 0, std::move(why)});
  }
}

std::string Hex(const uint8_t* data, size_t n) {
  std::string s;
  char tmp[4];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(tmp, sizeof tmp, "%02x", data[i]);
    s += tmp;
  }
  return s;
}

bool ParseHex(const std::string& text, Bytes& out) {
  out.clear();
  std::string t;
  for (char c : text)
    if (c != ':' && c != '-' && c != ' ') t += c;
  if (t.size() % 2) return false;
  auto nib = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i < t.size(); i += 2) {
    int hi = nib(t[i]), lo = nib(t[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<uint8_t>(hi << 4 | lo));
  }
  return true;
}

std::string Describe(const Frame& f) {
  char head[64];
  if (f.kind == kKindData) {
    if (f.window)
      std::snprintf(head, sizeof head, "window %u (seq %u)", f.field67, f.seq);
    else
      std::snprintf(head, sizeof head, "chunk %zu bytes (seq %u)", f.payload.size(), f.seq);
    return head;
  }
  if (f.kind == kKindOutput || f.kind == kKindFwLog) {
    std::string t(f.payload.begin(), f.payload.end());
    return std::string(f.kind == kKindOutput ? "output " : "fwlog ") + "\"" + t + "\"";
  }
  std::snprintf(head, sizeof head, "%s%02x/%x%x seq %u%s", f.kind == kKindEvent ? "event " : "",
                f.group, f.command, f.sub, f.seq, f.refused ? " refused" : "");
  std::string s = head;
  std::vector<Item> items;
  std::string why;
  if (!ParseItems(f.payload, items, &why)) return s + " [bad items: " + why + "]";
  s += " [";
  for (size_t i = 0; i < items.size(); ++i) {
    const Item& it = items[i];
    if (i) s += ", ";
    switch (it.type) {
      case kItemInt32: s += "int32 " + std::to_string(it.AsInt32()); break;
      case kItemInt64: s += "int64 " + std::to_string(it.AsInt64()); break;
      case kItemText: s += "text \"" + it.AsText() + "\" (field " + std::to_string(it.field) + ")"; break;
      case kItemBytes: s += "bytes " + Hex(it.value); break;
      default: s += "type " + std::to_string(it.type) + " " + Hex(it.value); break;
    }
  }
  return s + "]";
}

}  // namespace boardsim
