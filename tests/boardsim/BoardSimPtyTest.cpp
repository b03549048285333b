// The simulator over a real pseudo-terminal, with a tiny raw client.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/boardsim/BoardModel.h"
#include "tests/boardsim/BoardSim.h"

using namespace boardsim;

namespace {

class Client {
 public:
  explicit Client(const std::string& path) {
    fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) fprintf(stderr, "open %s: %s\n", path.c_str(), strerror(errno));
    if (fd >= 0) {
      termios t{};
      tcgetattr(fd, &t);
      cfmakeraw(&t);
      tcsetattr(fd, TCSANOW, &t);
    }
  }
  ~Client() {
    if (fd >= 0) close(fd);
  }
  void Write(const Bytes& b) { ASSERT_EQ(write(fd, b.data(), b.size()), static_cast<ssize_t>(b.size())); }

  // Reads until `count` frames arrived (or the time is up).
  std::vector<Frame> Frames(size_t count, int ms = 3000) {
    std::vector<Frame> frames;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (frames.size() < count && std::chrono::steady_clock::now() < end) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      uint8_t buf[9000];
      ssize_t n = read(fd, buf, sizeof buf);
      if (n <= 0) break;
      std::vector<FrameDecoder::Event> ev;
      decoder.Feed(buf, static_cast<size_t>(n), ev);
      for (auto& e : ev)
        if (e.type == FrameDecoder::Event::kFrame) frames.push_back(e.frame);
    }
    return frames;
  }

  int ReadByte(int ms = 3000) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) return -1;
    uint8_t c;
    return read(fd, &c, 1) == 1 ? c : -1;
  }

  int fd = -1;
  FrameDecoder decoder;
};

Item FirstItem(const Frame& f) {
  std::vector<Item> items;
  ParseItems(f.payload, items);
  return items.empty() ? Item{} : items[0];
}

}  // namespace

TEST(BoardSimPty, SyncIdentifyAndLogin) {
  SimOptions opt;
  opt.password = "pw";
  CBoardSim sim(opt);
  std::string err;
  ASSERT_TRUE(sim.Start(&err)) << err;
  Client c(sim.SlavePath());
  ASSERT_GE(c.fd, 0);

  c.Write({0x2A, 0x0D});
  EXPECT_EQ(c.ReadByte(), (0x0A ^ 0x3F));

  c.Write(EncodeCommand(0, 1, 0x25, {}));
  std::vector<Frame> f = c.Frames(1);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_TRUE(f[0].refused);

  Bytes admin;
  PutText(admin, "admin");
  c.Write(EncodeCommand(1, 5, 0x41, admin));
  c.Write(EncodeCommand(2, 1, 0x23, {}));
  f = c.Frames(2);
  ASSERT_EQ(f.size(), 2u);
  Bytes resp;
  PutBytes(resp, CBoardModel::LoginResponse(FirstItem(f[0]).value, FirstItem(f[1]).value, "pw"));
  c.Write(EncodeCommand(3, 5, 0x42, resp));
  c.Write(EncodeCommand(4, 1, 0x25, {}));
  f = c.Frames(2);
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(FirstItem(f[0]).AsInt32(), 0);
  EXPECT_FALSE(f[1].refused);
  EXPECT_EQ(FirstItem(f[1]).value, (Bytes{1, 7}));
  EXPECT_EQ(sim.Requests(), 5);

  // Closing and reopening the port at once is a new connection: log in again.
  close(c.fd);
  c.fd = open(sim.SlavePath().c_str(), O_RDWR | O_NOCTTY);
  c.Write(EncodeCommand(5, 1, 0x25, {}));
  f = c.Frames(1);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_TRUE(f[0].refused);
}

TEST(BoardSimPty, SplitGarbageAndMergedWritesStillCarryEveryFrame) {
  SimOptions opt;
  opt.split = opt.garbage = opt.merge = true;
  opt.seed = 42;
  char logPath[] = "/tmp/boardsimlogXXXXXX";
  int logFd = mkstemp(logPath);
  ASSERT_GE(logFd, 0);
  close(logFd);
  opt.logPath = logPath;
  CBoardSim sim(opt);
  ASSERT_TRUE(sim.Start());
  Client c(sim.SlavePath());
  c.Write({0x21, 0x0D});
  EXPECT_EQ(c.ReadByte(), 0x3E);  // the sync answer itself is never garbled
  const uint8_t codes[] = {0x25, 0x11, 0x21, 0x22, 0x23, 0x24};
  for (uint8_t code : codes) c.Write(EncodeCommand(0, 1, code, {}));
  std::vector<Frame> f = c.Frames(12);
  ASSERT_EQ(f.size(), 12u);  // each reply followed by its firmware-log frame
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(f[2 * i].Code(), codes[i]);
    EXPECT_EQ(f[2 * i + 1].kind, kKindFwLog);
  }
  // How many reads the pieces take is up to the scheduler (a loaded machine
  // lets them pile up): the board's own log says that it split its writes.
  sim.Stop();
  std::ifstream log(logPath);
  std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  unlink(logPath);
  EXPECT_NE(text.find("split into "), std::string::npos);
  EXPECT_GT(c.decoder.DroppedBytes(), 0u);
}

TEST(BoardSimPty, UnplugRepointsTheLinkAndReconnectStartsOver) {
  char dir[] = "/tmp/boardsimXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  SimOptions opt;
  opt.linkPath = std::string(dir) + "/port";
  opt.unplugAfter = 1;
  opt.replugMs = 100;
  CBoardSim sim(opt);
  ASSERT_TRUE(sim.Start());
  std::string first = sim.SlavePath();
  char target[256] = {0};
  ASSERT_GT(readlink(opt.linkPath.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(first, target);
  {
    Client c(opt.linkPath);
    c.Write(EncodeCommand(0, 1, 0x25, {}));
    ASSERT_EQ(c.Frames(1).size(), 1u);
    c.Write(EncodeCommand(1, 1, 0x11, {}));
    EXPECT_TRUE(c.Frames(1, 300).empty());  // the board is gone
  }
  for (int i = 0; i < 300 && sim.Plugged() && sim.SlavePath() == first; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  for (int i = 0; i < 300 && !sim.Plugged(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(sim.Plugged());
  Client again(opt.linkPath);
  again.Write({0x3E, 0x0D});
  EXPECT_EQ(again.ReadByte(), 0x21);
  again.Write(EncodeCommand(0, 1, 0x11, {}));
  EXPECT_EQ(again.Frames(1).size(), 1u);
  sim.Stop();
  unlink(opt.linkPath.c_str());
  rmdir(dir);
}

TEST(BoardSimPty, ProgramKeepsItsCommandLineContract) {
  char dir[] = "/tmp/boardsimXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string link = std::string(dir) + "/port";
  std::string state = std::string(dir) + "/state";
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    execl(BOARDSIM_EXE, "boardsim", "--link", link.c_str(), "--state", state.c_str(), "--chunk-cap", "300",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  char line[256] = {0};
  size_t got = 0;
  while (got < sizeof line - 1 && read(out[0], line + got, 1) == 1 && line[got] != '\n') ++got;
  line[got] = 0;
  char target[256] = {0};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(line), std::string("READY ") + target);

  // Upload a small image through the program, then read it back in 300-byte chunks.
  ImageInfo info;
  info.entries.push_back({"new.php", Bytes(700, 'x')});
  Bytes image = BuildImage(info);
  {
    Client c(link);
    c.Write(EncodeCommand(0, 5, 0x51, {}));
    ASSERT_EQ(c.Frames(1).size(), 1u);
    c.Write(EncodeCommand(1, 4, 0x10, {}));
    size_t sent = 0;
    for (int i = 0; i < 10; ++i) {
      std::vector<Frame> f = c.Frames(1);
      ASSERT_EQ(f.size(), 1u);
      if (f[0].kind == kKindCommand) {
        EXPECT_EQ(FirstItem(f[0]).AsInt32(), 1024);
        break;
      }
      EXPECT_EQ(f[0].field67, 300);
      size_t n = std::min<size_t>(300, image.size() - sent);
      c.Write(EncodeChunk(0, image.data() + sent, n));
      sent += n;
    }
    Bytes back;
    c.Write(EncodeCommand(2, 3, 0x11, {}));
    for (int i = 0; i < 10; ++i) {
      c.Write(EncodeWindow(0, 8192));
      std::vector<Frame> f = c.Frames(1);
      ASSERT_EQ(f.size(), 1u);
      if (f[0].kind == kKindCommand) break;
      EXPECT_LE(f[0].payload.size(), 300u);
      back.insert(back.end(), f[0].payload.begin(), f[0].payload.end());
    }
    EXPECT_EQ(back, image);
  }
  Bytes kept;
  EXPECT_TRUE(ReadFile(state + "/board.kbx", kept));
  EXPECT_EQ(kept, image);

  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(access(link.c_str(), F_OK), 0);  // the link goes with the board
  close(out[0]);
  unlink((state + "/board.kbx").c_str());
  rmdir(state.c_str());
  rmdir(dir);
}
