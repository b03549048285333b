// The board's answers, driven byte for byte without a pseudo-terminal.
#include <gtest/gtest.h>

#include "tests/boardsim/BoardModel.h"

using namespace boardsim;

namespace {

// A minimal program side: sends frames, collects the board's frames.
class Talk {
 public:
  explicit Talk(const SimOptions& opt) : board(opt) {
    std::string err;
    EXPECT_TRUE(board.Init(err)) << err;
    board.StartSession();
  }

  std::vector<Frame> Send(const Bytes& bytes) {
    std::vector<Burst> bursts;
    board.OnBytes(bytes.data(), bytes.size(), bursts);
    std::vector<Frame> frames;
    for (Burst& b : bursts)
      for (Bytes& f : b.frames) {
        std::vector<FrameDecoder::Event> ev;
        decoder.Feed(f.data(), f.size(), ev);
        for (auto& e : ev) {
          EXPECT_EQ(e.type, FrameDecoder::Event::kFrame);
          frames.push_back(e.frame);
        }
      }
    return frames;
  }

  Frame Request(uint8_t group, uint8_t code, const Bytes& items = {}) {
    std::vector<Frame> f = Send(EncodeCommand(seq++ & 15, group, code, items));
    EXPECT_EQ(f.size(), 1u) << std::hex << int(group) << "/" << int(code);
    return f.empty() ? Frame{} : f[0];
  }

  static Item First(const Frame& f) {
    std::vector<Item> items;
    EXPECT_TRUE(ParseItems(f.payload, items));
    return items.empty() ? Item{} : items[0];
  }

  // Reads the image the way the program does: request, then one window per chunk.
  Bytes ReadImage(int* chunks = nullptr, int32_t* total = nullptr) {
    Bytes img;
    std::vector<Frame> f = Send(EncodeCommand(seq++ & 15, 3, 0x11, {}));
    if (!f.empty()) {  // refused at once
      if (total) *total = First(f[0]).AsInt32();
      return img;
    }
    for (int n = 0; n < 2000; ++n) {
      f = Send(EncodeWindow(0, 8192));
      EXPECT_EQ(f.size(), 1u);
      if (f.empty()) break;
      if (f[0].kind == kKindCommand) {
        if (total) *total = First(f[0]).AsInt32();
        break;
      }
      img.insert(img.end(), f[0].payload.begin(), f[0].payload.end());
      if (chunks) ++*chunks;
    }
    return img;
  }

  // Uploads like the program: 05/51, 04/10, then a chunk per window.
  Frame Upload(const Bytes& image, int* windows = nullptr) {
    Frame prep = Request(5, 0x51);
    if (prep.refused) return prep;
    std::vector<Frame> f = Send(EncodeCommand(seq++ & 15, 4, 0x10, {}));
    size_t sent = 0;
    Frame last;
    for (int n = 0; n < 2000 && f.size() == 1; ++n) {
      last = f[0];
      if (f[0].kind == kKindCommand) return f[0];
      EXPECT_TRUE(f[0].window);
      if (windows) ++*windows;
      size_t chunk = std::min<size_t>(f[0].field67, image.size() - sent);
      f = Send(EncodeChunk(0, image.data() + sent, chunk));
      sent += chunk;
    }
    return last;  // the board went quiet after this one
  }

  CBoardModel board;
  FrameDecoder decoder;
  uint8_t seq = 0;
};

Bytes TestImage(size_t dataBytes) {
  ImageInfo info;
  info.entries.push_back({"big.bin", Bytes(dataBytes, 0x5A)});
  info.entries.push_back({"a.php", Bytes{'<', '?', '\n'}});
  return BuildImage(info);
}

}  // namespace

TEST(BoardModel, IdentificationChain) {
  SimOptions opt;
  opt.fsId = "FSID";
  Talk t(opt);
  std::vector<Burst> sync;
  t.board.OnBytes(Bytes{0x21, 0x0D}.data(), 2, sync);
  ASSERT_EQ(sync.size(), 1u);
  EXPECT_EQ(sync[0].frames[0], Bytes{0x3E});

  Frame pdb = t.Request(1, 0x25);
  EXPECT_EQ(pdb.payload, (Bytes{0, 7, 0, 6, 1, 7, 0, 0}));
  EXPECT_EQ(pdb.seq, 0);  // the board answers with the request's number
  EXPECT_EQ(Talk::First(t.Request(1, 0x11)).AsInt32(), 1048576);
  EXPECT_EQ(Talk::First(t.Request(1, 0x21)).value, (Bytes{'F', 'S', 'I', 'D'}));
  EXPECT_EQ(Talk::First(t.Request(1, 0x22)).value.size(), 16u);
  EXPECT_EQ(Hex(Talk::First(t.Request(1, 0x23)).value), "3a0024000851363033363238");
  EXPECT_EQ(Hex(Talk::First(t.Request(1, 0x24)).value), "02fa57000001");
  Bytes net;
  PutText(net, "init_net1");
  Item wl = Talk::First(t.Request(1, 0x40, net));
  EXPECT_EQ(wl.type, kItemText);
  EXPECT_EQ(wl.AsText(), "1");
  EXPECT_EQ(Talk::First(t.Request(1, 0x33)).value.size(), 20u);

  Bytes task;
  PutInt32(task, 0);
  EXPECT_EQ(t.Request(1, 0x51, task).payload.size(), 16u);  // the program uses only 16-byte replies
  Bytes run;
  PutInt32(run, 1);
  PutInt32(run, 3);
  t.Request(2, 0x21, run);
  EXPECT_EQ(t.board.TaskState(), 3);
  EXPECT_TRUE(t.Request(7, 0x11).refused);  // unknown: refused, never silent
}

TEST(BoardModel, LoginWithPassword) {
  // Pinned against Python's hashlib: sha1(C || pbkdf2_hmac('sha1', pw, mcu id + 8 zeros, 4096, 32)).
  Bytes c;
  for (int i = 0; i < 16; ++i) c.push_back(static_cast<uint8_t>(i));
  Bytes mcu;
  ParseHex("3a0024000851363033363238", mcu);
  EXPECT_EQ(Hex(CBoardModel::LoginResponse(c, mcu, "secret")), "c4f9e06f924d09d561f9aad425a6629c31788021");
  EXPECT_EQ(Hex(CBoardModel::LoginResponse(c, mcu, "")), "aec3d6048410d0c3c676fb179ed69476077698aa");

  SimOptions opt;
  opt.password = "secret";
  Talk t(opt);
  Frame refused = t.Request(1, 0x25);
  EXPECT_TRUE(refused.refused);
  EXPECT_EQ(Talk::First(refused).AsInt32(), 13);
  EXPECT_TRUE(t.Request(1, 0x11).refused);

  Bytes admin;
  PutText(admin, "admin");
  Item challenge = Talk::First(t.Request(5, 0x41, admin));
  ASSERT_EQ(challenge.type, kItemBytes);
  ASSERT_EQ(challenge.value.size(), 16u);
  Bytes id = Talk::First(t.Request(1, 0x23)).value;  // open before login: it is the salt

  Bytes wrong;
  PutBytes(wrong, CBoardModel::LoginResponse(challenge.value, id, "Secret"));
  Frame no = t.Request(5, 0x42, wrong);
  EXPECT_NE(Talk::First(no).AsInt32(), 0);
  EXPECT_FALSE(t.board.LoggedIn());

  Bytes right;  // the same challenge stays valid for the next try
  PutBytes(right, CBoardModel::LoginResponse(challenge.value, id, "secret"));
  Frame yes = t.Request(5, 0x42, right);
  EXPECT_FALSE(yes.refused);
  EXPECT_EQ(Talk::First(yes).AsInt32(), 0);
  EXPECT_FALSE(t.Request(1, 0x25).refused);

  t.board.StartSession();  // a new connection logs in again
  EXPECT_TRUE(t.Request(1, 0x25).refused);
}

TEST(BoardModel, RefusalsAndWrongTypes) {
  SimOptions opt;
  std::string err;
  bool help;
  ASSERT_TRUE(ParseOptions({"--refuse-id", "16", "--refuse", "0111=5", "--wrong-type", "01/22", "--wrong-type",
                            "0140", "--envc", "none"},
                           opt, err, help))
      << err;
  Talk t(opt);
  Frame first = t.Request(1, 0x25);
  EXPECT_TRUE(first.refused);
  EXPECT_EQ(Talk::First(first).AsInt32(), 16);
  EXPECT_FALSE(t.Request(1, 0x25).refused);  // once only
  EXPECT_EQ(Talk::First(t.Request(1, 0x11)).AsInt32(), 5);
  EXPECT_TRUE(t.Request(1, 0x11).refused);  // every time
  EXPECT_EQ(Talk::First(t.Request(1, 0x22)).type, kItemInt32);
  Bytes net;
  PutText(net, "init_net0");
  EXPECT_EQ(Talk::First(t.Request(1, 0x40, net)).type, kItemBytes);
  Frame envc = t.Request(1, 0x33);
  EXPECT_TRUE(envc.refused);
  EXPECT_EQ(Talk::First(envc).AsInt32(), 16);

  EXPECT_FALSE(ParseOptions({"--refuse", "0111"}, opt, err, help));
  EXPECT_FALSE(ParseOptions({"--password", std::string(33, 'x')}, opt, err, help));
}

TEST(BoardModel, WindowedReadHonoursTheCap) {
  SimOptions opt;
  opt.chunkCap = 1000;
  Talk t(opt);
  int chunks = 0;
  int32_t total = -1;
  Bytes img = t.ReadImage(&chunks, &total);
  EXPECT_EQ(img, t.board.Image());
  EXPECT_EQ(total, static_cast<int32_t>(img.size()));
  EXPECT_EQ(chunks, static_cast<int>((img.size() + 999) / 1000));

  SimOptions none;
  none.emptyFs = true;
  Talk e(none);
  total = -1;
  EXPECT_TRUE(e.ReadImage(nullptr, &total).empty());
  EXPECT_EQ(total, 16);
}

TEST(BoardModel, UploadIsStoredAndReadBack) {
  SimOptions opt;
  Talk t(opt);
  Bytes up = TestImage(20000);  // 20 KiB: not a multiple of the 8 KiB window
  int windows = 0;
  Frame done = t.Upload(up, &windows);
  EXPECT_FALSE(done.refused);
  EXPECT_EQ(done.group, 4);
  EXPECT_EQ(Talk::First(done).AsInt32(), static_cast<int32_t>(up.size()));
  EXPECT_EQ(windows, 3);
  EXPECT_EQ(t.ReadImage(), up);

  // 16 KiB fills two windows exactly: a third window asks for the empty chunk.
  Bytes even = TestImage(16384 - 64);  // 28 + 16 + 20 bytes of heads, names and the small entry
  ASSERT_EQ(even.size(), 16384u);
  windows = 0;
  done = t.Upload(even, &windows);
  EXPECT_EQ(Talk::First(done).AsInt32(), 16384);
  EXPECT_EQ(windows, 3);
  EXPECT_EQ(t.ReadImage(), even);
}

TEST(BoardModel, BadOrRefusedUploadsKeepTheFiles) {
  SimOptions opt;
  opt.chunkCap = 512;
  Talk t(opt);
  Bytes before = t.board.Image();
  Bytes bad = TestImage(3000);
  bad[bad.size() - 1] ^= 1;  // tail CRC
  Frame done = t.Upload(bad);
  EXPECT_TRUE(done.refused);
  EXPECT_EQ(Talk::First(done).AsInt32(), 22);
  EXPECT_EQ(t.board.Image(), before);

  SimOptions small;
  small.capacity = 2048;
  Talk s(small);
  done = s.Upload(TestImage(3000));
  EXPECT_EQ(Talk::First(done).AsInt32(), 28);

  SimOptions no;
  no.refuseUpload = true;
  Talk r(no);
  EXPECT_NE(r.board.Image()[11], 0);  // the image tells the program first
  Frame prep = r.Upload(TestImage(10));
  EXPECT_TRUE(prep.refused);
  EXPECT_EQ(prep.Code(), 0x51);
}

TEST(BoardModel, SilenceAndUnplugAreCountedAndEndWithTheSession) {
  SimOptions opt;
  opt.silentAfter = 2;
  Talk t(opt);
  t.Request(1, 0x25);
  t.Request(1, 0x11);
  EXPECT_TRUE(t.Send(EncodeCommand(0, 1, 0x21, {})).empty());
  std::vector<Burst> none;
  t.board.OnBytes(Bytes{0x21, 0x0D}.data(), 2, none);
  EXPECT_TRUE(none.empty());  // not even the sync byte
  t.board.StartSession();
  t.Request(1, 0x21);  // answers again after a reconnect, and stays talking
  t.Request(1, 0x21);
  t.Request(1, 0x21);

  SimOptions mid;
  mid.silentInUpload = 1;
  Talk m(mid);
  Frame last = m.Upload(TestImage(20000));
  EXPECT_TRUE(last.window);  // it granted a second window, then took nothing more
  EXPECT_TRUE(m.Send(EncodeChunk(0, nullptr, 0)).empty());

  SimOptions un;
  un.unplugAfter = 1;
  Talk u(un);
  u.Request(1, 0x25);
  EXPECT_TRUE(u.Send(EncodeCommand(0, 1, 0x11, {})).empty());
  EXPECT_EQ(u.board.TakeAction(), BoardAction::kUnplug);
}

TEST(BoardModel, BootLoaderAnswersTheSyncLine) {
  SimOptions opt;
  opt.isp = true;
  CBoardModel b(opt);
  std::string err;
  ASSERT_TRUE(b.Init(err));
  std::vector<Burst> out;
  b.OnBytes(Bytes{0x33, 0x0D}.data(), 2, out);
  ASSERT_EQ(out.size(), 1u);
  std::string line(out[0].frames[0].begin(), out[0].frames[0].end());
  EXPECT_EQ(line.substr(0, 4), "100 ");
  EXPECT_EQ(line.back(), '\n');
}
