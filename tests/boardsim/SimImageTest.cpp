// The image container against the documented layout and values computed with
// Python's binascii.crc_hqx (initial value 0x1D0F).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/boardsim/SimImage.h"
#include "tests/boardsim/SimScript.h"

using namespace boardsim;

TEST(SimImage, EmptyAndOneEntryLayout) {
  ImageInfo info;
  Bytes empty = BuildImage(info);
  ASSERT_EQ(empty.size(), 1024u);
  const uint8_t head[8] = {'e', 'F', 'z', 'S', 0x01, 0x00, 0xBB, 0xEF};
  EXPECT_EQ(0, std::memcmp(empty.data(), head, 8));
  EXPECT_EQ(0, std::memcmp(&empty[1016], head, 8));
  for (size_t i = 8; i < 1016; ++i) ASSERT_EQ(empty[i], 0) << i;  // header length 0 in an upload image

  // Name length 6, data length 3: an entry of 20 bytes, a 1 KiB container.
  info.fsValue = 0x0203;
  info.entries.push_back({"abc.js", Bytes{'x', 'y', 'z'}});
  Bytes one = BuildImage(info);
  ASSERT_EQ(one.size(), 1024u);
  const uint8_t entry[24] = {6, 3, 0, 0, 'a', 'b', 'c', '.', 'j', 's', 0, 0, 'x', 'y', 'z', 0, 0, 0, 0x2A, 0x5F};
  EXPECT_EQ(0, std::memcmp(&one[16], entry, 24));  // and the end mark after it
  EXPECT_EQ(one[8], 0x03);
  EXPECT_EQ(one[9], 0x02);
  EXPECT_EQ(0, std::memcmp(&one[1016], one.data(), 8));
}

TEST(SimImage, SizeRoundsUpAndCapsAtOneMiB) {
  std::vector<ImageEntry> e{{"a", Bytes(1024 - 28 - 8 - 4, 1)}};  // exactly fills 1 KiB
  EXPECT_EQ(ImageSize(e), 1024u);
  e[0].data.push_back(0);
  EXPECT_EQ(ImageSize(e), 2048u);
  ImageInfo big;
  big.entries.push_back({"big.bin", Bytes(kMaxImage - 28 - 8 - 8, 7)});
  EXPECT_EQ(BuildImage(big).size(), kMaxImage);
  big.entries[0].data.push_back(1);
  EXPECT_TRUE(BuildImage(big).empty());
}

TEST(SimImage, RoundTripWithEitherHeaderLength) {
  Bytes img = BuiltInImage();
  ImageInfo info, moved;
  std::string why;
  ASSERT_TRUE(ParseImage(img, info, &why)) << why;
  EXPECT_EQ(info.entries.size(), 6u);
  EXPECT_EQ(info.headerWords, 0);  // entries from offset 16
  EXPECT_EQ(BuildImage(info), img);
  info.headerWords = 5;  // entries from offset 20
  ASSERT_TRUE(ParseImage(BuildImage(info), moved, &why)) << why;
  ASSERT_EQ(moved.entries.size(), 6u);
  EXPECT_EQ(moved.entries[4].data, info.entries[4].data);
}

TEST(SimImage, MalformedImagesAreRefusedWhole) {
  struct Case {
    const char* name;
    void (*spoil)(Bytes&);
    const char* reason;
  } cases[] = {
      {"magic", [](Bytes& b) { b[0] = 'E'; }, "magic"},
      {"head crc", [](Bytes& b) { b[6] ^= 1; }, "head CRC"},
      {"size field", [](Bytes& b) { b.resize(b.size() + 1024); }, "size field"},
      {"tail crc", [](Bytes& b) { b[b.size() - 1] ^= 1; }, "tail CRC"},
      {"entry crc", [](Bytes& b) { b[22] ^= 1; }, "CRC of entry"},
      {"entry past end", [](Bytes& b) { b[17] = 0xFF; b[18] = 0xFF; }, "runs past"},
      {"truncated", [](Bytes& b) { b.resize(b.size() - 1); }, "size"},
      {"no end mark", [](Bytes& b) { std::fill(b.begin() + 16, b.end() - 8, 0x01); }, "runs past"},
  };
  for (const Case& c : cases) {
    Bytes b = BuiltInImage();
    c.spoil(b);
    ImageInfo info;
    std::string why;
    EXPECT_FALSE(ParseImage(b, info, &why)) << c.name;
    EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
  }
}

TEST(SimScript, PrintsWhatIndexPhpEchoes) {
  struct Case { const char* script; const char* printed; };
  const Case cases[] = {
      {"<?php echo \"a\\r\\n\"; echo 'b\\n'; ?>", "a\r\nb\\n"},
      {"<?php\necho \"say \\\"hi\\\"\";\n$x = 1; echo $x; ?>", "say \"hi\""},
      {"<html>no script</html>", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EchoedText(c.script), c.printed) << c.script;
  ImageInfo info;
  info.entries = {{"lib", {}}, {std::string("index.php", 10), Bytes{'e', 'c', 'h', 'o', ' ', '"', 'x', '"'}}};
  EXPECT_EQ(ScriptOutput(BuildImage(info)), "x");
  EXPECT_EQ(ScriptOutput(Bytes()), "");
}
