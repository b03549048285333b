#include "tests/boardsim/BoardSim.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <random>

#include "tests/boardsim/BoardModel.h"

using namespace boardsim;
using Clock = std::chrono::steady_clock;

CBoardSim::CBoardSim(const SimOptions& options) : opt_(options) {}

CBoardSim::~CBoardSim() { Stop(); }

std::string CBoardSim::SlavePath() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return slavePath_;
}

long CBoardSim::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return model_ ? model_->Requests() : 0;
}

Bytes CBoardSim::Image() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return model_ ? model_->Image() : Bytes{};
}

Bytes CBoardSim::Firmware() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return model_ ? model_->BootLoader().Firmware() : Bytes{};
}

long CBoardSim::Flashes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return model_ ? model_->BootLoader().Flashes() : 0;
}

bool CBoardSim::Plug(std::string* error) {
  int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
    if (error) *error = std::string("cannot open a pseudo-terminal: ") + strerror(errno);
    if (fd >= 0) close(fd);
    return false;
  }
  char name[128];
  if (ptsname_r(fd, name, sizeof name) != 0) {
    if (error) *error = "ptsname failed";
    close(fd);
    return false;
  }
  // Raw from the start, so nothing is echoed or translated before the
  // program sets its own line settings. The settings outlive this open.
  int slave = open(name, O_RDWR | O_NOCTTY);
  if (slave >= 0) {
    termios t{};
    if (tcgetattr(slave, &t) == 0) {
      cfmakeraw(&t);
      cfsetispeed(&t, B115200);
      cfsetospeed(&t, B115200);
      tcsetattr(slave, TCSANOW, &t);
    }
    close(slave);
  }
  if (!opt_.linkPath.empty()) {
    std::string tmp = opt_.linkPath + ".new";
    unlink(tmp.c_str());
    if (symlink(name, tmp.c_str()) != 0 || rename(tmp.c_str(), opt_.linkPath.c_str()) != 0) {
      if (error) *error = "cannot make the link " + opt_.linkPath + ": " + strerror(errno);
      unlink(tmp.c_str());
      close(fd);
      return false;
    }
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slavePath_ = name;
  }
  master_ = fd;
  plugged_ = true;
  // Opens and closes of the port by the program mark its sessions, even when
  // it closes and reopens faster than a hang-up can be seen on the master.
  if (notify_ >= 0) watch_ = inotify_add_watch(notify_, name, IN_OPEN | IN_CLOSE);
  return true;
}

void CBoardSim::Unplug() {
  // The port goes with the device: a name left behind could lead to another
  // simulator's terminal once the system hands its number out again.
  if (master_ >= 0 && !opt_.linkPath.empty()) {
    char target[256];
    ssize_t n = readlink(opt_.linkPath.c_str(), target, sizeof target - 1);
    if (n > 0) {
      target[n] = 0;
      if (SlavePath() == target) unlink(opt_.linkPath.c_str());
    }
  }
  if (watch_ >= 0) inotify_rm_watch(notify_, watch_);
  watch_ = -1;
  if (master_ >= 0) close(master_);
  master_ = -1;
  plugged_ = false;
  std::lock_guard<std::mutex> lock(mutex_);
  slavePath_.clear();
}

bool CBoardSim::Start(std::string* error) {
  if (thread_.joinable()) return true;
  if (!opt_.logPath.empty()) {
    log_ = fopen(opt_.logPath.c_str(), "w");
    if (!log_) {
      if (error) *error = "cannot write the log " + opt_.logPath;
      return false;
    }
  }
  model_ = std::make_unique<CBoardModel>(opt_);
  auto start = Clock::now();
  if (log_) {
    model_->SetLogger([this, start](const std::string& line) {
      double t = std::chrono::duration<double>(Clock::now() - start).count();
      fprintf(log_, "%9.3f %s\n", t, line.c_str());
      fflush(log_);
    });
  }
  std::string why;
  if (!model_->Init(why)) {
    if (error) *error = why;
    return false;
  }
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    if (error) *error = "pipe failed";
    return false;
  }
  notify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);  // optional: hang-ups still work without it
  if (!Plug(error)) return false;
  if (ready_) ready_(SlavePath());
  stopping_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void CBoardSim::UnplugNow() {
  unplugAsked_ = true;
  char c = 1;
  (void)!write(wake_[1], &c, 1);
}

void CBoardSim::Stop() {
  if (thread_.joinable()) {
    stopping_ = true;
    char c = 1;
    (void)!write(wake_[1], &c, 1);
    thread_.join();
  }
  Unplug();
  for (int& fd : wake_) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  if (notify_ >= 0) close(notify_);
  notify_ = -1;
  if (log_) fclose(log_);
  log_ = nullptr;
}

namespace {

struct Segment {
  Clock::time_point due;
  Bytes data;
  bool mergeable = false;
};

Clock::duration LineTime(size_t bytes, long baud) {
  // 10 bits per byte: start, 8 data, stop.
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(bytes * 10.0 / baud));
}

}  // namespace

void CBoardSim::Run() {
  std::mt19937 rng(opt_.seed * 7919u + 1);
  std::deque<Segment> inbound, outbound;
  Clock::time_point rxFree{}, txFree{};
  bool session = false;
  BoardAction pending = BoardAction::kNone;
  // A restarting board leaves the bus a moment after its answer, as a real
  // one finishes the USB transfer first (a pulled cable does not wait).
  // Closing the master at once would lose the answer: the kernel hangs up
  // the slave and drops what the program has not read yet (natively and
  // under Wine alike).
  Clock::time_point leaveAt{};
  Clock::time_point replugAt{};
  bool replugPlanned = false;
  auto log = [this](const std::string& s) {
    if (log_) {
      fprintf(log_, "          %s\n", s.c_str());
      fflush(log_);
    }
  };

  auto schedule = [&](std::vector<Burst>& bursts) {
    Clock::time_point now = Clock::now();
    for (Burst& b : bursts) {
      Bytes data;
      for (Bytes& f : b.frames) {
        if (!b.raw && opt_.garbage && rng() % 3 == 0) {
          size_t n = 1 + rng() % 8;
          for (size_t i = 0; i < n; ++i) {
            uint8_t g = static_cast<uint8_t>(rng());
            data.push_back(g == kFrameStart ? 0 : g);
          }
          log("garbage " + std::to_string(n) + " bytes");
        }
        data.insert(data.end(), f.begin(), f.end());
      }
      Clock::time_point due = now + std::chrono::milliseconds(b.delayMs);
      if (!b.raw && opt_.merge) {
        Bytes fw = EncodeText(kKindFwLog, 0, "[fw] request served\r\n");
        data.insert(data.end(), fw.begin(), fw.end());
        if (!outbound.empty() && outbound.back().mergeable && outbound.back().due > now) {
          outbound.back().data.insert(outbound.back().data.end(), data.begin(), data.end());
          log("merged into the previous write");
          continue;
        }
        due = now + std::chrono::milliseconds(15);
      }
      std::vector<Bytes> pieces;
      if (!b.raw && opt_.split && data.size() > 1) {
        size_t k = std::min<size_t>(data.size(), 2 + rng() % 5);
        std::vector<size_t> cuts;
        for (size_t i = 1; i < k; ++i) cuts.push_back(1 + rng() % (data.size() - 1));
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        size_t from = 0;
        for (size_t c : cuts) {
          pieces.emplace_back(data.begin() + from, data.begin() + c);
          from = c;
        }
        pieces.emplace_back(data.begin() + from, data.end());
        log("split into " + std::to_string(pieces.size()) + " writes");
      } else {
        pieces.push_back(std::move(data));
      }
      for (size_t i = 0; i < pieces.size(); ++i) {
        Segment s;
        s.due = due + std::chrono::milliseconds(2 * i);
        if (!outbound.empty() && outbound.back().due > s.due) s.due = outbound.back().due;
        if (opt_.paceBaud > 0) {
          // The bytes are all there only once the line has carried them.
          s.due = std::max(s.due, txFree) + LineTime(pieces[i].size(), opt_.paceBaud);
          txFree = s.due;
        }
        s.data = std::move(pieces[i]);
        s.mergeable = opt_.merge && !b.raw && pieces.size() == 1;
        outbound.push_back(std::move(s));
      }
    }
  };

  auto takeInbound = [&](Clock::time_point until) {
    while (!inbound.empty() && inbound.front().due <= until) {
      std::vector<Burst> bursts;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        model_->OnBytes(inbound.front().data.data(), inbound.front().data.size(), bursts);
        BoardAction a = model_->TakeAction();
        if (a != BoardAction::kNone) {
          pending = a;
          leaveAt = Clock::now() + std::chrono::milliseconds(a == BoardAction::kUnplug ? 0 : 100);
        }
      }
      inbound.pop_front();
      schedule(bursts);
      if (pending != BoardAction::kNone) inbound.clear();
    }
  };
  auto endSession = [&] {
    if (session) {
      // What the program wrote before it closed the port was on the line
      // (a paced line may not have taken it in yet): the board still acts
      // on it, e.g. a last command that restarts it.
      uint8_t buf[4096];
      ssize_t n;
      while (plugged_ && pending == BoardAction::kNone && (n = read(master_, buf, sizeof buf)) > 0)
        inbound.push_back(Segment{Clock::now(), Bytes(buf, buf + n), false});
      if (pending == BoardAction::kNone) takeInbound(Clock::time_point::max());
      log("port closed by the program");
    }
    session = false;
    inbound.clear();
    outbound.clear();
  };
  auto startSession = [&] {
    session = true;
    std::lock_guard<std::mutex> lock(mutex_);
    model_->StartSession();
  };
  int opens = 0;  // the program's open descriptors of the current slave
  auto readNotify = [&] {
    alignas(inotify_event) char buf[4096];
    ssize_t n;
    while (notify_ >= 0 && (n = read(notify_, buf, sizeof buf)) > 0) {
      for (char* p = buf; p < buf + n;) {
        auto* e = reinterpret_cast<inotify_event*>(p);
        p += sizeof(inotify_event) + e->len;
        if (e->mask & IN_IGNORED) continue;  // the old slave went away
        if (e->mask & IN_OPEN) {
          if (opens++ == 0) {
            endSession();
            startSession();
          }
        } else if (e->mask & IN_CLOSE) {
          if (opens > 0 && --opens == 0) endSession();
        }
      }
    }
  };

  while (!stopping_) {
    Clock::time_point now = Clock::now();

    // Replug after a removal or reboot.
    if (!plugged_ && replugPlanned && now >= replugAt) {
      replugPlanned = false;
      std::string err;
      if (Plug(&err)) {
        log("plugged in again at " + SlavePath());
        if (ready_) ready_(SlavePath());
      } else {
        log("replug failed: " + err);
      }
    }

    // A pulled cable: nothing more is taken in or sent.
    if (unplugAsked_.exchange(false) && plugged_) {
      log("unplugged on request");
      inbound.clear();
      outbound.clear();
      pending = BoardAction::kNone;
      if (opt_.replugMs >= 0) {
        replugPlanned = true;
        replugAt = now + std::chrono::milliseconds(opt_.replugMs);
      }
      readNotify();
      Unplug();
      endSession();
      opens = 0;
    }

    // Hand due input to the board.
    takeInbound(now);

    // Write what is due.
    bool wantWrite = false;
    while (plugged_ && !outbound.empty() && outbound.front().due <= now) {
      Segment& s = outbound.front();
      ssize_t n = write(master_, s.data.data(), s.data.size());
      if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) {
          wantWrite = true;
          break;
        }
        outbound.clear();  // nobody listens: the bytes are lost on the line
        break;
      }
      s.data.erase(s.data.begin(), s.data.begin() + n);
      if (!s.data.empty()) {
        wantWrite = true;
        break;
      }
      outbound.pop_front();
    }

    // An unplug or reboot happens once its answer has left.
    if (pending != BoardAction::kNone && outbound.empty() && plugged_ && Clock::now() >= leaveAt) {
      if (pending == BoardAction::kUnplug) {
        log("unplugged");
        if (opt_.replugMs >= 0) {
          replugPlanned = true;
          replugAt = Clock::now() + std::chrono::milliseconds(opt_.replugMs);
        }
      } else {
        log("rebooting");
        replugPlanned = true;
        replugAt = Clock::now() + std::chrono::milliseconds(500);
      }
      pending = BoardAction::kNone;
      readNotify();
      Unplug();
      endSession();
      opens = 0;
    }

    // Wait for input, the next due segment or a stop.
    Clock::time_point next = now + std::chrono::milliseconds(200);
    if (!inbound.empty()) next = std::min(next, inbound.front().due);
    if (!outbound.empty() && !wantWrite) next = std::min(next, outbound.front().due);
    if (replugPlanned) next = std::min(next, replugAt);
    if (pending != BoardAction::kNone) next = std::min(next, leaveAt);
    pollfd fds[3] = {{wake_[0], POLLIN, 0}, {notify_, POLLIN, 0}, {master_, 0, 0}};
    nfds_t nfds = 2;
    // A paced line takes in no more than it can carry soon: the rest waits
    // in the port, so the program's writes block as on the real line.
    const Clock::time_point rxSlack = rxFree - std::chrono::milliseconds(20);
    const bool rxFull = opt_.paceBaud > 0 && rxSlack > now;
    if (rxFull) next = std::min(next, rxSlack);
    if (plugged_) {
      fds[2].events = (rxFull ? 0 : POLLIN) | (wantWrite ? POLLOUT : 0);
      nfds = 3;
    }
    bool hungUp = false;
    if (plugged_) {
      // While nobody holds the port, the master reports a hang-up at once:
      // look again every 5 ms instead of spinning.
      pollfd probe{master_, POLLIN, 0};
      if (poll(&probe, 1, 0) > 0 && (probe.revents & POLLHUP) && !(probe.revents & POLLIN)) hungUp = true;
    }
    if (hungUp) {
      endSession();
      nfds = 2;
      next = std::min(next, now + std::chrono::milliseconds(5));
    }
    // Sub-millisecond waits keep the paced line within a few microseconds per byte burst.
    auto waitNs = std::chrono::duration_cast<std::chrono::nanoseconds>(next - Clock::now()).count();
    if (waitNs < 0) waitNs = 0;
    timespec ts{static_cast<time_t>(waitNs / 1000000000), static_cast<long>(waitNs % 1000000000)};
    int r = ppoll(fds, nfds, &ts, nullptr);
    if (r < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {  // a stop (the loop test ends it) or an unplug
      char drain[16];
      while (read(wake_[0], drain, sizeof drain) > 0) {
      }
      continue;
    }
    readNotify();  // before the data: a reopen resets the board first
    if (nfds == 3 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
      uint8_t buf[65536];
      // Paced: about 50 ms of line time at once.
      size_t cap = opt_.paceBaud > 0 ? std::clamp<size_t>(opt_.paceBaud / 200, 64, sizeof buf) : sizeof buf;
      ssize_t n = read(master_, buf, cap);
      if (n > 0) {
        Clock::time_point t = Clock::now();
        if (!session) startSession();
        if (pending != BoardAction::kNone) continue;  // the board is going away
        Segment s;
        s.due = t;
        if (opt_.paceBaud > 0) {
          s.due = std::max(t, rxFree) + LineTime(static_cast<size_t>(n), opt_.paceBaud);
          rxFree = s.due;
        }
        s.data.assign(buf, buf + n);
        inbound.push_back(std::move(s));
      } else if (n < 0 && errno == EIO) {
        endSession();
      }
    }
  }
}
