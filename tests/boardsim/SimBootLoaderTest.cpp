// The boot loader's commands and transfers, driven without a pseudo-terminal.
// The program's side of the same road runs in the link's end-to-end cases.
#include <gtest/gtest.h>

#include "tests/boardsim/SimBootLoader.h"

using namespace boardsim;

namespace {

// An image whose record area (16 bytes) ends it, sealed with its CRC.
Bytes MakeImage(size_t size) {
  Bytes b(size);
  for (size_t i = 24; i < size; ++i) b[i] = static_cast<uint8_t>(i * 31 + 3);
  b[4] = static_cast<uint8_t>((size - 16) / 16), b[5] = static_cast<uint8_t>((size - 16) / 16 >> 8);
  b[22] = 1, b[23] = 0;
  uint16_t crc = Crc16(b.data() + 16, size - 16);
  b[8] = static_cast<uint8_t>(crc), b[9] = static_cast<uint8_t>(crc >> 8);
  return b;
}

struct Loader {
  explicit Loader(const SimOptions& o = SimOptions()) : boot(o) { boot.StartSession(); }
  // Everything the board answers to these bytes, lines joined.
  std::string Send(const std::string& text) { return Send(Bytes(text.begin(), text.end())); }
  std::string Send(const Bytes& bytes) {
    std::vector<std::string> out;
    exit = boot.OnBytes(bytes.data(), bytes.size(), out);
    std::string all;
    for (auto& l : out) all += l;
    return all;
  }
  // Test transfer, unlock, erase, unlock, program: the answer to the image.
  std::string Flash(const Bytes& image) {
    Send("tf 0\r");
    Send(Bytes(image.begin(), image.begin() + std::min<size_t>(512, image.size())));
    for (const char* c : {"uf fcdb\r", "ef dfcb\r", "uf fcdb\r"}) EXPECT_EQ("200 Command OK\r\n", Send(c)) << c;
    EXPECT_EQ("201 Send Firmware\r\n", Send("pf decf\r"));
    return Send(image);
  }
  CSimBootLoader boot;
  CSimBootLoader::Exit exit = CSimBootLoader::Exit::kNone;
};

}  // namespace

TEST(SimBootLoader, WholeRoad) {
  Loader l;
  EXPECT_EQ("100 ISP boot loader ready\r\n", l.Send("!\r"));
  // The dump: echo, the block as hex lines, the end line.
  std::string dump = l.Send("de 0\r");
  ASSERT_EQ(0u, dump.rfind("de 0\r\n65 56 6E 53 ", 0)) << dump;
  EXPECT_NE(std::string::npos, dump.find("\r\n200 "));
  Bytes env = l.boot.EnvBlock();
  EXPECT_EQ(Crc16(env.data(), 6), env[6] | env[7] << 8);

  EXPECT_EQ("201 Send Firmware\r\n", l.Send("tf 0\r"));
  Bytes image = MakeImage(10000);
  EXPECT_EQ("", l.Send(Bytes(image.begin(), image.begin() + 511)));
  EXPECT_EQ("202 Test OK\r\n", l.Send(Bytes{image[511]}));
  EXPECT_EQ("204 CRC OK\r\n", l.Flash(image));
  EXPECT_EQ(image, l.boot.Firmware());
  EXPECT_EQ("200 Command OK\r\n", l.Send("bf 400 QUIVER RESTACK\r"));
  EXPECT_EQ("", l.Send("jf 10\r"));
  EXPECT_EQ(CSimBootLoader::Exit::kRunFirmware, l.exit);
}

TEST(SimBootLoader, Refusals) {
  Loader l;
  EXPECT_EQ("304 Flash locked\r\n", l.Send("ef dfcb\r"));
  EXPECT_EQ("304 Flash locked\r\n", l.Send("pf decf\r"));
  l.Send("uf fcdb\r");
  EXPECT_EQ("305 Flash not erased\r\n", l.Send("pf decf\r"));
  EXPECT_EQ("300 No verified image\r\n", l.Send("bf 400 QUIVER RESTACK\r"));
  EXPECT_EQ("300 Unknown command\r\n", l.Send("uf 0000\r"));
  // A jump with nothing bootable comes back in the boot loader.
  l.Send("jf 10\r");
  EXPECT_EQ(CSimBootLoader::Exit::kStayInBootLoader, l.exit);

  Loader bad;
  Bytes image = MakeImage(4096);
  Bytes broken = image;
  broken[3000] ^= 1;
  bad.Send("tf 0\r");
  bad.Send(Bytes(image.begin(), image.begin() + 512));
  bad.Send("uf fcdb\ref dfcb\ruf fcdb\rpf decf\r");
  EXPECT_EQ("306 CRC error\r\n", bad.Send(broken));
  EXPECT_TRUE(bad.boot.Firmware().empty());
  // The image must start as the test header did.
  bad.Send("tf 0\r");
  bad.Send(Bytes(image.begin(), image.begin() + 512));
  bad.Send("uf fcdb\ref dfcb\ruf fcdb\rpf decf\r");
  EXPECT_EQ("305 Image differs from the test header\r\n", bad.Send(MakeImage(8192)));
}

TEST(SimBootLoader, Faults) {
  Bytes image = MakeImage(8192);
  SimOptions o;
  o.ispFailAfter = 1000;
  Loader fail(o);
  EXPECT_EQ("305 Flash write error\r\n", fail.Flash(image));
  // The rest of that image is dropped, not read as commands.
  EXPECT_EQ("200 Command OK\r\n", fail.Send("uf fcdb\r"));

  o = SimOptions();
  o.ispExtraReply = true;
  Loader extra(o);
  EXPECT_EQ("201 Send Firmware\r\n204 CRC OK\r\n", extra.Flash(image));

  o = SimOptions();
  o.ispUnplugAfter = 100;
  Loader unplug(o);
  unplug.Flash(image);
  EXPECT_EQ(CSimBootLoader::Exit::kUnplug, unplug.exit);

  o = SimOptions();
  o.ispSilentAfter = 100;
  Loader silent(o);
  EXPECT_EQ("", silent.Flash(image));
  EXPECT_EQ("", silent.Send("uf fcdb\r"));
  silent.boot.StartSession();
  EXPECT_EQ("200 Command OK\r\n", silent.Send("uf fcdb\r"));

  // Early "204": the rest of the image goes unanswered and unflashed.
  o = SimOptions();
  o.ispEarlyCrc = 1000;
  Loader early(o);
  EXPECT_EQ("204 CRC OK\r\n", early.Flash(image));
  EXPECT_EQ(0, early.boot.Flashes());
  EXPECT_EQ("300 No verified image\r\n", early.Send("bf 400 QUIVER RESTACK\r"));

  o = SimOptions();
  o.ispSilentAfterBootFlag = true;
  Loader quiet(o);
  EXPECT_EQ("204 CRC OK\r\n", quiet.Flash(image));
  EXPECT_EQ("", quiet.Send("bf 400 QUIVER RESTACK\r"));
  EXPECT_EQ("", quiet.Send("jf 10\r"));
}
