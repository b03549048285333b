// The board's answers, driven byte for byte without a pseudo-terminal. What
// the link's end-to-end runs (tests/e2e) already exercise against the program
// (identification, login, reads, uploads, faults of the line) is not repeated.
#include <gtest/gtest.h>

#include <unistd.h>

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

  static Item At(const Frame& f, size_t i = 0) {
    std::vector<Item> items;
    EXPECT_TRUE(ParseItems(f.payload, items));
    return i < items.size() ? items[i] : Item{};
  }

  // Reads the image the way the program does: request, then one window per chunk.
  Bytes ReadImage() {
    Bytes img;
    if (!Send(EncodeCommand(seq++ & 15, 3, 0x11, {})).empty()) return img;  // refused at once
    for (int n = 0; n < 2000; ++n) {
      std::vector<Frame> f = Send(EncodeWindow(0, 8192));
      if (f.size() != 1 || f[0].kind != kKindData) break;  // the reply ends the read
      img.insert(img.end(), f[0].payload.begin(), f[0].payload.end());
    }
    return img;
  }

  // Uploads like the program: 05/51, 04/10, then a chunk per window. Returns
  // the last frame the board sent.
  Frame Upload(const Bytes& image, int* windows = nullptr) {
    Frame prep = Request(5, 0x51);
    if (prep.refused) return prep;
    std::vector<Frame> f = Send(EncodeCommand(seq++ & 15, 4, 0x10, {}));
    size_t sent = 0;
    Frame last;
    for (int n = 0; n < 2000 && f.size() == 1; ++n) {
      last = f[0];
      if (!f[0].window) break;
      if (windows) ++*windows;
      size_t chunk = std::min<size_t>(f[0].field67, image.size() - sent);
      f = Send(EncodeChunk(0, image.data() + sent, chunk));
      sent += chunk;
    }
    return last;
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

TEST(BoardModel, RefusalsWrongTypesAndRequestsOutsideTheLinkRuns) {
  SimOptions opt;
  std::string err;
  bool help;
  ASSERT_TRUE(ParseOptions({"--refuse-id", "16", "--refuse", "0111=5", "--wrong-type", "0140", "--envc", "none",
                            "--fs-id", "FSID", "--empty-fs"},
                           opt, err, help))
      << err;
  SimOptions bad;
  EXPECT_FALSE(ParseOptions({"--refuse", "0111"}, bad, err, help));
  EXPECT_FALSE(ParseOptions({"--password", std::string(33, 'x')}, bad, err, help));
  Talk t(opt);
  t.seq = 5;
  Frame first = t.Request(1, 0x25);
  EXPECT_EQ(first.seq, 5);  // a reply carries its request's number
  EXPECT_TRUE(first.refused);
  EXPECT_EQ(Talk::At(first).AsInt32(), 16);
  EXPECT_FALSE(t.Request(1, 0x25).refused);  // --refuse-id: once only
  EXPECT_EQ(Talk::At(t.Request(1, 0x21)).value, (Bytes{'F', 'S', 'I', 'D'}));
  Bytes net;
  PutText(net, "init_net0");
  EXPECT_EQ(Talk::At(t.Request(1, 0x40, net)).type, kItemBytes);  // a text item belongs there

  // Refused with a code, never left unanswered.
  const struct {
    uint8_t group, code;
    int32_t why;
  } refused[] = {{1, 0x11, 5},  {1, 0x11, 5},  {1, 0x33, 16}, {1, 0x31, 16}, {3, 0x11, 16},
                 {3, 0x24, 16}, {6, 0x42, 22}, {1, 0x60, 22}, {7, 0x11, 38}};
  for (auto& r : refused) {
    Frame f = t.Request(r.group, r.code);
    EXPECT_TRUE(f.refused) << int(r.group) << "/" << std::hex << int(r.code);
    EXPECT_EQ(Talk::At(f).AsInt32(), r.why) << int(r.group) << "/" << std::hex << int(r.code);
  }
}

TEST(BoardModel, LoginRetriesTheSameChallengeAndEndsWithTheSession) {
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
  Frame refused = t.Request(1, 0x11);
  EXPECT_TRUE(refused.refused);
  EXPECT_EQ(Talk::At(refused).AsInt32(), 13);
  Bytes admin;
  PutText(admin, "admin");
  Item challenge = Talk::At(t.Request(5, 0x41, admin));
  ASSERT_EQ(challenge.value.size(), 16u);
  Bytes id = Talk::At(t.Request(1, 0x23)).value;  // open before login: it is the salt
  for (const char* pw : {"Secret", "secret"}) {
    Bytes resp;
    PutBytes(resp, CBoardModel::LoginResponse(challenge.value, id, pw));
    t.Request(5, 0x42, resp);
    EXPECT_EQ(t.board.LoggedIn(), pw[0] == 's') << pw;
  }
  EXPECT_FALSE(t.Request(1, 0x25).refused);
  t.board.StartSession();  // a new connection logs in again
  EXPECT_TRUE(t.Request(1, 0x25).refused);
}

TEST(BoardModel, UploadFillingItsWindowsEndsWithAnEmptyChunkAndIsKept) {
  char dir[] = "/tmp/boardsimXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  SimOptions opt;
  opt.stateDir = std::string(dir) + "/state";  // made on start
  Bytes even = TestImage(16384 - 64);          // 28 + 16 + 20 bytes of heads, names and the small entry
  ASSERT_EQ(even.size(), 16384u);
  {
    Talk t(opt);
    int windows = 0;
    EXPECT_EQ(Talk::At(t.Upload(even, &windows)).AsInt32(), 16384);
    EXPECT_EQ(windows, 3);  // the third asks for the empty chunk
    EXPECT_EQ(t.ReadImage(), even);
  }
  Talk later(opt);  // a later run serves what was kept
  EXPECT_EQ(later.board.Image(), even);
  unlink((opt.stateDir + "/board.kbx").c_str());
  rmdir(opt.stateDir.c_str());
  rmdir(dir);
}

TEST(BoardModel, BadOrRefusedUploadsKeepTheFiles) {
  SimOptions opt;
  opt.chunkCap = 512;
  opt.capacity = 4096;
  Talk t(opt);
  Bytes before = t.board.Image();
  Bytes bad = TestImage(2000);
  bad[bad.size() - 1] ^= 1;  // tail CRC
  Frame done = t.Upload(bad);
  EXPECT_TRUE(done.refused);
  EXPECT_EQ(Talk::At(done).AsInt32(), 22);
  EXPECT_EQ(Talk::At(t.Upload(TestImage(5000))).AsInt32(), 28);  // above the capacity
  EXPECT_EQ(t.board.Image(), before);

  opt.refuseUpload = true;
  Talk r(opt);
  EXPECT_NE(r.board.Image()[11], 0);  // the image tells the program first
  EXPECT_EQ(Talk::At(r.Request(4, 0x10)).AsInt32(), 1);  // and a link that asks anyway fails
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
  for (int i = 0; i < 3; ++i) t.Request(1, 0x21);  // answers again after a reconnect, and stays talking

  SimOptions un;
  un.unplugAfter = 1;
  Talk u(un);
  u.Request(1, 0x25);
  EXPECT_TRUE(u.Send(EncodeCommand(0, 1, 0x11, {})).empty());
  EXPECT_EQ(u.board.TakeAction(), BoardAction::kUnplug);

  // Mute after a restart: opens that send nothing (a look at the port) keep
  // it mute; it answers once a session that sent it bytes is over.
  SimOptions mu;
  std::string err;
  bool help = false;
  ASSERT_TRUE(ParseOptions({"--mute-after-reboot"}, mu, err, help)) << err;
  Talk m(mu);
  EXPECT_FALSE(m.Request(5, 0x22).refused);
  EXPECT_EQ(m.board.TakeAction(), BoardAction::kReboot);
  const Bytes sync{0x22, 0x0D};
  std::vector<Burst> heard;
  for (int look = 0; look < 2; ++look) m.board.StartSession();
  m.board.OnBytes(sync.data(), sync.size(), heard);
  EXPECT_TRUE(heard.empty());
  EXPECT_TRUE(m.Send(EncodeCommand(0, 1, 0x25, {})).empty());
  m.board.OnBytes(sync.data(), sync.size(), heard);
  EXPECT_TRUE(heard.empty());  // the same session stays mute
  m.board.StartSession();
  m.board.OnBytes(sync.data(), sync.size(), heard);
  EXPECT_EQ(heard.size(), 1u);
  m.Request(1, 0x25);
}

namespace {
Bytes DebugItems(const std::string& file, int32_t line, bool padOnly = true) {
  Bytes it;
  PutInt32(it, 0);
  PutText(it, file, padOnly);
  PutInt32(it, line);
  return it;
}
Bytes Ints(std::initializer_list<int32_t> values) {
  Bytes it;
  for (int32_t v : values) PutInt32(it, v);
  return it;
}
Bytes WatchItems(const std::string& base, const std::string& index) {
  Bytes it;
  PutInt32(it, 0);
  PutText(it, base);
  PutBytes(it, reinterpret_cast<const uint8_t*>(index.data()), index.size());
  return it;
}
std::string Kinds(const std::vector<Frame>& frames) {
  std::string s;
  for (const Frame& f : frames)
    s += std::to_string(f.kind) + ":" + std::to_string(f.group) + "/" + std::to_string(f.command) + " ";
  return s;
}
}  // namespace

TEST(BoardModel, TaskRunsToItsBreakpointStepsAndAnswersWatches) {
  Talk t{SimOptions()};
  // Strict requests: task number 0, the padded-size-only text of 06/12.
  EXPECT_TRUE(t.Request(1, 0x51, Ints({1})).refused);
  EXPECT_TRUE(t.Request(6, 0x12, DebugItems("index.php", 2, false)).refused);
  EXPECT_FALSE(t.Request(6, 0x12, DebugItems("index.php", 2)).refused);
  t.Request(6, 0x12, DebugItems("index.php", 3));
  t.Request(6, 0x22, DebugItems("index.php", 3));
  Bytes read0 = Ints({0, 0});
  PutText(read0, "index.php");
  Frame bp = t.Request(6, 0x42, read0);
  EXPECT_EQ(Talk::At(bp, 1).AsInt32(), 2);
  EXPECT_EQ(Talk::At(bp, 2).AsText(), "index.php");
  Bytes read1 = Ints({0, 1});
  PutText(read1, "index.php");
  EXPECT_EQ(Talk::At(t.Request(6, 0x42, read1)).AsInt32(), 16);  // the end of the list

  EXPECT_EQ(Talk::At(t.Request(1, 0x60, WatchItems("$i", std::string(1, '\0')))).AsInt32(), 1);  // not paused
  t.Request(2, 0x21, Ints({1, 3}));
  // The run shows after the state query's reply: it still says running.
  std::vector<Frame> f = t.Send(EncodeCommand(t.seq++, 1, 0x51, Ints({0})));
  ASSERT_EQ(Kinds(f), "0:1/5 2:2/2 2:1/3 ");
  EXPECT_EQ(Talk::At(f[0], 1).AsInt32(), 3);
  EXPECT_EQ(Talk::At(f[2], 1).AsInt32(), 2);
  EXPECT_EQ(t.board.TaskState(), 2);

  // A step runs the echo line: its output, then the break at the next line.
  f = t.Send(EncodeCommand(t.seq++, 6, 0x50, Ints({0})));
  ASSERT_EQ(Kinds(f), "0:6/5 3:0/0 2:1/2 ");
  EXPECT_EQ(std::string(f[1].payload.begin(), f[1].payload.end()), "Hello from the board\r\n");
  EXPECT_EQ(Talk::At(f[2], 1).AsInt32(), 3);

  Item v = Talk::At(t.Request(1, 0x60, WatchItems("$a", std::string("[@A\0[@B\0", 8))));
  EXPECT_EQ(v.type, kItemInt64);
  EXPECT_EQ(v.AsInt64(), 12);
  Frame s = t.Request(1, 0x60, WatchItems("$long", std::string(1, '\0')));
  EXPECT_EQ(Talk::At(s, 0).value.size(), 64u);
  EXPECT_EQ(Talk::At(s, 1).AsInt32(), 300);
  EXPECT_EQ(Talk::At(t.Request(1, 0x60, WatchItems("$nope", std::string(1, '\0')))).AsInt32(), 2);
  // The whole long string by windows, ended by the 03/50 reply.
  EXPECT_TRUE(t.Send(EncodeCommand(t.seq++, 3, 0x50, WatchItems("$long", std::string(1, '\0')))).empty());
  Bytes whole;
  for (int n = 0; n < 10; ++n) {
    f = t.Send(EncodeWindow(0, 128));
    ASSERT_EQ(f.size(), 1u);
    if (f[0].kind == kKindCommand) break;
    whole.insert(whole.end(), f[0].payload.begin(), f[0].payload.end());
  }
  EXPECT_EQ(f[0].Code(), 0x50);
  EXPECT_EQ(Talk::At(f[0]).AsInt32(), 300);
  EXPECT_EQ(whole.size(), 300u);

  // Stepping past the last line ends the task.
  f = t.Send(EncodeCommand(t.seq++, 6, 0x60, Ints({0})));
  EXPECT_EQ(Kinds(f), "0:6/6 2:1/1 ");
  EXPECT_EQ(t.board.TaskState(), 1);
}

TEST(BoardModel, HostileDebuggerAnswers) {
  SimOptions opt;
  std::string err;
  bool help;
  ASSERT_TRUE(ParseOptions({"--debug-lying", "--endless-breakpoints", "--late-watch", "--break-at", "gone.php:99"},
                           opt, err, help)) << err;
  SimOptions bad;
  EXPECT_FALSE(ParseOptions({"--break-at", "x.php"}, bad, err, help));
  Talk t(opt);
  Bytes read = Ints({0, 5000});
  PutText(read, "any.php");
  std::vector<Item> items;
  EXPECT_FALSE(ParseItems(t.Request(6, 0x42, read).payload, items));  // endless, and lying
  t.Send(EncodeCommand(t.seq++, 6, 0x50, Ints({0})));  // from a stop: paused at line 1, named elsewhere
  std::vector<Frame> f = t.Send(EncodeCommand(t.seq++, 6, 0x50, Ints({0})));
  ASSERT_EQ(f.back().kind, kKindEvent);
  EXPECT_FALSE(ParseItems(f.back().payload, items));
  EXPECT_EQ(VarDataLength(static_cast<uint16_t>(f.back().payload[18] << 8 | f.back().payload[19])) > 1000, true);
  // The first watch reply waits for the next request's reply.
  EXPECT_TRUE(t.Send(EncodeCommand(t.seq++, 1, 0x60, WatchItems("$i", std::string(1, '\0')))).empty());
  f = t.Send(EncodeCommand(t.seq++, 1, 0x51, Ints({0})));
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[1].Code(), 0x60);
}
