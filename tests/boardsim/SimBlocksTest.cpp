// The board's blocks and password record, driven without a pseudo-terminal.
#include <gtest/gtest.h>

#include "tests/boardsim/BoardModel.h"
#include "tests/boardsim/SimBlocks.h"

using namespace boardsim;

namespace {

struct Board {
  explicit Board(SimOptions o = SimOptions()) : model(o) {
    std::string err;
    EXPECT_TRUE(model.Init(err)) << err;
    model.StartSession();
  }
  std::vector<Frame> Send(const Bytes& bytes) {
    std::vector<Burst> bursts;
    model.OnBytes(bytes.data(), bytes.size(), bursts);
    std::vector<Frame> frames;
    FrameDecoder d;
    for (Burst& b : bursts)
      for (Bytes& f : b.frames) {
        std::vector<FrameDecoder::Event> ev;
        d.Feed(f.data(), f.size(), ev);
        for (auto& e : ev) frames.push_back(e.frame);
      }
    return frames;
  }
  // Writes a block as the program does: request, then a chunk per window.
  Frame Write(uint8_t code, const Bytes& block) {
    std::vector<Frame> f = Send(EncodeCommand(0, 4, code, {}));
    size_t at = 0;
    while (!f.empty() && f.back().window) {
      size_t n = std::min<size_t>(f.back().field67, block.size() - at);
      f = Send(EncodeChunk(0, block.data() + at, n));
      at += n;
    }
    return f.empty() ? Frame{} : f.back();
  }
  CBoardModel model;
};

int32_t IntOf(const Frame& f) {
  std::vector<Item> items;
  return ParseItems(f.payload, items) && !items.empty() ? items[0].AsInt32() : -1;
}

TEST(SimBlocks, StrictCheckOfEveryLength) {
  Bytes good = DefaultSettingsBlock("ZX1001");
  std::string why;
  ASSERT_TRUE(CheckBlock(good, kMagicSettings, why)) << why;
  struct Case {
    const char* what;
    size_t at;
    uint8_t value;
  } cases[] = {{"magic", 0, 'x'}, {"header length", 4, 0x10}, {"header CRC", 6, 0}, {"zero bytes", 9, 1},
               {"record length odd", 18, 13}, {"record length past the end", 19, 0x7F}, {"record CRC", 20, 'Y'}};
  for (auto& c : cases) {
    Bytes b = good;
    b[c.at] ^= c.value ? c.value : 0xFF;
    EXPECT_FALSE(CheckBlock(b, kMagicSettings, why)) << c.what;
  }
  Bytes shorter(good.begin(), good.end() - 4);
  EXPECT_FALSE(CheckBlock(shorter, kMagicSettings, why));
}

TEST(SimBlocks, WritesAreStoredOnlyWhole) {
  Board b;
  Bytes block = b.model.SettingsBlock();
  block[block.size() - 10] ^= 1;  // inside the unknown record: its CRC now fails
  Frame r = b.Write(0x21, block);
  EXPECT_TRUE(r.refused);
  EXPECT_EQ(b.model.SettingsBlock(), DefaultSettingsBlock("ZX1001"));
  Bytes certRecords = DefaultSettingsBlock("c");  // any sound records will do
  Bytes cert = certRecords;
  cert[0] = 0x65, cert[1] = 0x56, cert[2] = 0x6E, cert[3] = 0x4D;
  cert[6] = static_cast<uint8_t>(Crc16(cert.data(), 6)), cert[7] = static_cast<uint8_t>(Crc16(cert.data(), 6) >> 8);
  r = b.Write(0x24, cert);
  EXPECT_FALSE(r.refused);
  EXPECT_EQ(IntOf(r), static_cast<int32_t>(cert.size()));
  EXPECT_EQ(b.model.CertBlock(), cert);
}

TEST(SimBlocks, PasswordRecordChangesTheLoginKey) {
  SimOptions o;
  Board b(o);
  Bytes key = CBoardModel::LoginKey(o.mcuId, "secret");
  Bytes record = {1, 0, static_cast<uint8_t>(Crc16(key)), static_cast<uint8_t>(Crc16(key) >> 8)};
  record.insert(record.end(), key.begin(), key.end());
  uint16_t crc = Crc16(record);
  record.push_back(static_cast<uint8_t>(crc));
  record.push_back(static_cast<uint8_t>(crc >> 8));
  Bytes items;
  PutInt32(items, 200);
  PutBytes(items, record);
  std::vector<Frame> f = b.Send(EncodeCommand(1, 5, 0x24, items));
  ASSERT_EQ(f.size(), 1u);
  EXPECT_FALSE(f[0].refused);
  EXPECT_EQ(b.model.TakeAction(), BoardAction::kReboot);
  b.model.StartSession();
  // Locked now: the login must answer for the new password.
  EXPECT_TRUE(b.Send(EncodeCommand(2, 1, 0x21, {}))[0].refused);
  Bytes user;
  PutText(user, "admin");
  f = b.Send(EncodeCommand(3, 5, 0x41, user));
  std::vector<Item> it;
  ASSERT_TRUE(ParseItems(f[0].payload, it));
  Bytes response;
  PutBytes(response, CBoardModel::LoginResponse(it[0].value, o.mcuId, "secret"));
  f = b.Send(EncodeCommand(4, 5, 0x42, response));
  EXPECT_FALSE(f[0].refused);
  // A damaged record is refused and changes nothing.
  record[10] ^= 1;
  Bytes bad;
  PutInt32(bad, 200);
  PutBytes(bad, record);
  EXPECT_TRUE(b.Send(EncodeCommand(5, 5, 0x24, bad))[0].refused);
}

}  // namespace
