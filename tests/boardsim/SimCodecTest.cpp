// The simulator's codec against the byte examples the protocol documents and
// against values computed elsewhere (Python's binascii.crc_hqx with 0x1D0F).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/boardsim/SimCodec.h"

using namespace boardsim;

static Bytes H(const char* hex) {
  Bytes b;
  EXPECT_TRUE(ParseHex(hex, b)) << hex;
  return b;
}
static Bytes S(const char* s) { return Bytes(s, s + std::strlen(s)); }
static Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(SimCodec, CrcSyncAndItemLengthRules) {
  EXPECT_EQ(Crc16(S("123456789")), 0xE5CC);
  EXPECT_EQ(Crc16(nullptr, 0), 0x1D0F);
  EXPECT_EQ(Crc16(S("abc")), 0x8CDA);
  EXPECT_EQ(Crc16(H("65467a530100")), 0xEFBB);

  // The sync range is 0x21..0x3E; a frame start is never a sync byte.
  EXPECT_EQ(SyncAnswer(0x21), 0x3E);
  EXPECT_EQ(SyncAnswer(0x3E), 0x21);
  EXPECT_EQ(SyncAnswer(0x50), 0);
  EXPECT_EQ(SyncAnswer(0x20), 0);

  EXPECT_EQ(VarLengthField(6), 10);           // "admin" with its NUL
  EXPECT_EQ(VarLengthField(20), 20);          // a digest
  EXPECT_EQ(VarLengthField(16), 16);          // an id
  EXPECT_EQ(VarLengthField(4), 4);            // 3 characters and NUL
  EXPECT_EQ(VarLengthField(5), 11);           // 4 characters and NUL
  EXPECT_EQ(VarLengthField(27, true), 0x1C);  // "mmap/net0 ioctl get ipaddr", padded size alone
  EXPECT_EQ(VarLengthField(9, true), 12);     // main.php in 06/12
  EXPECT_EQ(VarLengthField(9), 15);           // main.php in 06/42
  for (size_t d = 0; d < 40; ++d) EXPECT_EQ(VarDataLength(VarLengthField(d)), static_cast<int>(d));
}

TEST(SimCodec, DocumentedFrames) {
  Bytes it;
  PutInt32(it, 200);
  EXPECT_EQ(EncodeCommand(3, 5, 0x25, it), H("5003000c0525000800020004000000c8"));

  it.clear();
  PutText(it, "init_net0");
  EXPECT_EQ(EncodeCommand(0, 1, 0x40, it), Cat(Cat(H("50000014014000100006000e"), S("init_net0")), H("000000")));

  it.clear();
  PutBytes(it, Bytes(20, 0xAB));
  Bytes f = EncodeCommand(7, 5, 0x42, it);
  EXPECT_EQ(Bytes(f.begin(), f.begin() + 12), H("5007001c0542001800070014"));
  EXPECT_EQ(f.size(), 32u);

  // 06/12 for a.php, line 5: text length field without the pad count.
  it.clear();
  PutInt32(it, 0);
  PutText(it, "a.php", true);
  PutInt32(it, 5);
  EXPECT_EQ(EncodeCommand(2, 6, 0x12, it),
            H("50020020061200 1c 0002000400000000 00060008 612e706870000000 0002000400000005"));

  EXPECT_EQ(EncodeWindow(9, 0x2000), H("5019000440002000"));
  EXPECT_EQ(EncodeChunk(4, nullptr, 0), H("5014000400000000"));
  const uint8_t three[3] = {1, 2, 3};
  EXPECT_EQ(EncodeChunk(0, three, 3), H("50100007000000 03 010203"));
}

TEST(SimCodec, ItemReaderIsBounded) {
  std::vector<Item> items;
  std::string why;
  Bytes ok;
  PutInt32(ok, -7);
  PutText(ok, "abcd");
  ASSERT_TRUE(ParseItems(ok, items, &why)) << why;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].AsInt32(), -7);
  EXPECT_EQ(items[1].AsText(), "abcd");
  EXPECT_EQ(items[1].value.size(), 5u);

  EXPECT_FALSE(ParseItems(H("0007001c0000"), items));    // value runs past the payload
  EXPECT_FALSE(ParseItems(H("00070003"), items));        // pad count above the padded size
  EXPECT_FALSE(ParseItems(H("00020004000000"), items));  // int32 cut short
  EXPECT_FALSE(ParseItems(H("000200"), items));          // head cut short
  EXPECT_TRUE(ParseItems(Bytes{}, items));
  EXPECT_TRUE(items.empty());
}

TEST(SimCodec, DecoderReassemblesResynchronisesAndRejectsLyingLengths) {
  Bytes it;
  PutInt32(it, 0);
  // Noise, a sync byte and its CR, two frames, noise and a window.
  Bytes stream = Cat(Cat(Cat(H("000d7f300d"), EncodeCommand(1, 1, 0x25, {})), EncodeCommand(2, 1, 0x51, it)),
                     Cat(H("ff"), EncodeWindow(3, 8192)));
  for (bool byteByByte : {true, false}) {
    FrameDecoder d;
    std::vector<FrameDecoder::Event> ev;
    if (byteByByte)
      for (uint8_t c : stream) d.Feed(&c, 1, ev);
    else
      d.Feed(stream.data(), stream.size(), ev);
    ASSERT_EQ(ev.size(), 4u);
    EXPECT_EQ(ev[0].type, FrameDecoder::Event::kSync);
    EXPECT_EQ(ev[0].syncByte, 0x30);
    EXPECT_EQ(ev[1].frame.Code(), 0x25);
    EXPECT_EQ(ev[2].frame.Code(), 0x51);
    EXPECT_EQ(ev[2].frame.seq, 2);
    EXPECT_TRUE(ev[3].frame.window);
    EXPECT_EQ(ev[3].frame.field67, 8192);
    EXPECT_EQ(d.DroppedBytes(), 4u);
  }

  // A frame length below the header drops the start byte and finds the next
  // frame; a payload length disagreeing with the frame length is refused.
  FrameDecoder d;
  std::vector<FrameDecoder::Event> ev;
  Bytes s = Cat(Cat(H("50000001"), EncodeCommand(0, 1, 0x11, {})), H("5000000801110008 00000000"));
  d.Feed(s.data(), s.size(), ev);
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[0].type, FrameDecoder::Event::kFrame);
  EXPECT_EQ(ev[0].frame.Code(), 0x11);
  EXPECT_EQ(ev[1].type, FrameDecoder::Event::kBadFrame);
}
