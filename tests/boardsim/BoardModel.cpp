#include "tests/boardsim/BoardModel.h"

#include "tests/boardsim/SimBlocks.h"

#include <errno.h>
#include <openssl/evp.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace boardsim {

// Refusal codes of this board. 16 is the one the program knows ("nothing to
// report"); the others only need to differ from it.
enum : int {
  kCodeNotPermitted = 1,   // uploads refused
  kCodeNoSuchItem = 2,     // watch variable unknown
  kCodeNotLoggedIn = 13,   // password set and no login yet, or a wrong response
  kCodeNothing = 16,
  kCodeBadData = 22,       // a broken upload or a frame against the protocol
  kCodeNoSpace = 28,       // upload larger than the file system
  kCodeUnsupported = 38,
};

static Bytes Sha1(const Bytes& data) {
  Bytes md(20);
  unsigned len = 0;
  EVP_Digest(data.data(), data.size(), md.data(), &len, EVP_sha1(), nullptr);
  return md;
}

CBoardModel::CBoardModel(const SimOptions& opt)
    : opt_(opt), rng_(opt.seed), bootTime_(std::chrono::steady_clock::now()), isp_(opt.isp), boot_(opt) {
  boot_.SetEnvSource([this] { return settings_; });
}

bool CBoardModel::Init(std::string& error) {
  if (!opt_.stateDir.empty() && mkdir(opt_.stateDir.c_str(), 0755) != 0 && errno != EEXIST) {
    error = "cannot make the state folder " + opt_.stateDir;
    return false;
  }
  Bytes img;
  std::string statePath = opt_.stateDir.empty() ? "" : opt_.stateDir + "/board.kbx";
  if (!statePath.empty() && ReadFile(statePath, img)) {
    Log("image from " + statePath);
  } else if (!opt_.imagePath.empty()) {
    if (!ReadFile(opt_.imagePath, img)) {
      error = "cannot read image " + opt_.imagePath;
      return false;
    }
  } else if (!opt_.emptyFs) {
    img = BuiltInImage();
  }
  if (!img.empty()) {
    ImageInfo info;
    std::string why;
    if (!ParseImage(img, info, &why)) {
      error = "bad image: " + why;
      return false;
    }
    // The board marks its own image when it refuses uploads.
    if (opt_.refuseUpload) img[11] = 1;
  }
  image_ = std::move(img);
  if (!opt_.settingsPath.empty()) {
    std::string why;
    if (!ReadFile(opt_.settingsPath, settings_) || !CheckBlock(settings_, kMagicSettings, why)) {
      error = "bad settings block " + opt_.settingsPath + (why.empty() ? "" : ": " + why);
      return false;
    }
  } else {
    settings_ = DefaultSettingsBlock(opt_.firmwareName);
  }
  // The board keeps the key of its password (of the empty one when none is set).
  loginKey_ = LoginKey(opt_.mcuId, opt_.password);
  passwordSet_ = !opt_.password.empty();
  return true;
}

Bytes CBoardModel::LoginKey(const Bytes& mcuId, const std::string& password) {
  uint8_t salt[20] = {0};
  std::memcpy(salt, mcuId.data(), std::min<size_t>(mcuId.size(), 20));
  Bytes key(32);
  PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt, sizeof salt, 4096,
                         static_cast<int>(key.size()), key.data());
  return key;
}

Bytes CBoardModel::FsId() const {
  if (!opt_.fsId.empty()) return Bytes(opt_.fsId.begin(), opt_.fsId.end());
  // Derived from the image, so it changes exactly when the files do.
  Bytes h = Sha1(image_);
  h.resize(16);
  return h;
}

Bytes CBoardModel::LoginResponse(const Bytes& challenge, const Bytes& mcuId, const std::string& password) {
  uint8_t salt[20] = {0};
  std::memcpy(salt, mcuId.data(), std::min<size_t>(mcuId.size(), 20));
  uint8_t key[32];
  PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt, sizeof salt, 4096,
                         sizeof key, key);
  Bytes msg(challenge);
  msg.resize(16, 0);
  msg.insert(msg.end(), key, key + sizeof key);
  return Sha1(msg);
}

void CBoardModel::StartSession() {
  decoder_.Reset();
  boot_.StartSession();
  loggedIn_ = false;
  challenge_.clear();
  silent_ = false;
  debugger_.StartSession();
  AbortTransfers(nullptr);
  Log("session start");
  if (mute_ && muteHeard_) {
    mute_ = muteHeard_ = false;
    Log("the port is opened again: the board answers");
  }
}

void CBoardModel::AbortTransfers(const char* why) {
  if (why && (read_.active || upload_.active)) Log(std::string("transfer dropped: ") + why);
  read_ = Read{};
  upload_ = Upload{};
}

BoardAction CBoardModel::TakeAction() {
  BoardAction a = action_;
  action_ = BoardAction::kNone;
  if (a == BoardAction::kRebootIsp) isp_ = true;
  if (a == BoardAction::kReboot) {
    isp_ = false;
    if (opt_.muteAfterReboot) {
      mute_ = true;
      muteHeard_ = false;
      Log("the restart leaves the board mute until the port is opened again");
    }
  }
  return a;
}

void CBoardModel::OnBytes(const uint8_t* data, size_t n, std::vector<Burst>& out) {
  if (silent_ || action_ != BoardAction::kNone) return;
  if (mute_) {
    Overhear(data, n);
    return;
  }
  if (isp_) {
    OnIspBytes(data, n, out);
    return;
  }
  std::vector<FrameDecoder::Event> events;
  decoder_.Feed(data, n, events);
  for (auto& e : events) {
    if (silent_ || action_ != BoardAction::kNone) return;
    switch (e.type) {
      case FrameDecoder::Event::kSync: {
        // A sync byte also resets the protocol: the program starts over.
        AbortTransfers("sync byte");
        Burst b;
        b.raw = true;
        b.frames.push_back({SyncAnswer(e.syncByte)});
        char line[64];
        std::snprintf(line, sizeof line, "RX sync 0x%02x -> TX 0x%02x", e.syncByte, SyncAnswer(e.syncByte));
        Log(line);
        out.push_back(std::move(b));
        break;
      }
      case FrameDecoder::Event::kBadFrame:
        Log("RX bad frame: " + e.why);
        break;
      case FrameDecoder::Event::kFrame:
        OnFrame(e.frame, out);
        break;
    }
  }
}

void CBoardModel::Overhear(const uint8_t* data, size_t n) {
  muteHeard_ = true;
  std::vector<FrameDecoder::Event> events;
  decoder_.Feed(data, n, events);
  for (auto& e : events) {
    if (e.type == FrameDecoder::Event::kSync) {
      char line[48];
      std::snprintf(line, sizeof line, "RX sync 0x%02x (mute)", e.syncByte);
      Log(line);
    } else if (e.type == FrameDecoder::Event::kFrame) {
      Log("RX " + Describe(e.frame) + " (mute)");
    } else {
      Log("RX bad frame: " + e.why + " (mute)");
    }
  }
}

void CBoardModel::OnIspBytes(const uint8_t* data, size_t n, std::vector<Burst>& out) {
  std::vector<std::string> lines;
  CSimBootLoader::Exit e = boot_.OnBytes(data, n, lines);
  for (const std::string& line : lines) {
    // Split: the program reads the line's head before the rest is there.
    const size_t head = opt_.ispSplit && line.size() > 2 ? 2 : line.size();
    Burst b;
    b.raw = true;
    b.frames.push_back(Bytes(line.begin(), line.begin() + static_cast<long>(head)));
    out.push_back(std::move(b));
    if (head == line.size()) continue;
    Burst rest;
    rest.raw = true;
    rest.delayMs = 30;
    rest.frames.push_back(Bytes(line.begin() + static_cast<long>(head), line.end()));
    out.push_back(std::move(rest));
  }
  if (e == CSimBootLoader::Exit::kUnplug) action_ = BoardAction::kUnplug;
  if (e == CSimBootLoader::Exit::kRunFirmware) action_ = BoardAction::kReboot;
  if (e == CSimBootLoader::Exit::kStayInBootLoader) action_ = BoardAction::kRebootIsp;
}

void CBoardModel::OnFrame(Frame& f, std::vector<Burst>& out) {
  if (log_) Log("RX " + Describe(f));
  bool request = f.kind == kKindCommand;
  if (!request && f.kind != kKindData) {
    Log("ignored: the program sent a board-only frame kind");
    return;
  }
  // The once-only faults count requests, or the chunks of the running upload.
  if (request) ++requests_;
  bool chunk = !request && !f.window && upload_.active;
  long count = request ? requests_ - 1 : upload_.chunks;
  long unplugAt = request ? opt_.unplugAfter : chunk ? opt_.unplugInUpload : -1;
  long silentAt = request ? opt_.silentAfter : chunk ? opt_.silentInUpload : -1;
  std::string when = (request ? " after " : " in the upload after ") + std::to_string(count) +
                     (request ? " requests" : " chunks");
  if (unplugAt >= 0 && !unplugSpent_ && count >= unplugAt) {
    unplugSpent_ = true;
    Log("unplugged" + when);
    action_ = BoardAction::kUnplug;
  } else if (silentAt >= 0 && !silenceSpent_ && count >= silentAt) {
    silenceSpent_ = silent_ = true;
    Log("silent" + when);
  } else if (request) {
    OnRequest(f, out);
  } else {
    OnDataFrame(f, out);
  }
}

// The request a transfer's last reply answers.
static Frame RequestOf(uint8_t group, uint8_t code, uint8_t seq) {
  Frame f;
  f.group = group;
  f.command = code >> 4;
  f.sub = code & 0x0F;
  f.seq = seq;
  return f;
}

bool CBoardModel::WrongType(const Frame& req) const {
  uint16_t key = RequestKey(req.group, req.Code());
  return std::find(opt_.wrongTypes.begin(), opt_.wrongTypes.end(), key) != opt_.wrongTypes.end();
}

Bytes CBoardModel::Out(const Bytes& frame) {
  if (log_) {
    FrameDecoder d;
    std::vector<FrameDecoder::Event> ev;
    d.Feed(frame.data(), frame.size(), ev);
    for (auto& e : ev)
      if (e.type == FrameDecoder::Event::kFrame) Log("TX " + Describe(e.frame));
  }
  return frame;
}

Bytes CBoardModel::Reply(const Frame& req, const Bytes& items, bool refused) {
  Bytes body = items;
  if (!refused && WrongType(req) && body.size() >= 4) {
    // Swap the first item for one of another type: an int32 where a byte
    // string belongs, a byte string where anything else does.
    body.clear();
    if (items[1] == kItemBytes) {
      PutInt32(body, 0);
    } else {
      const uint8_t four[4] = {0, 0, 0, 1};
      PutBytes(body, four, 4);
    }
  }
  return Out(EncodeCommand(req.seq, req.group, req.Code(), body, refused));
}

Bytes CBoardModel::Refuse(const Frame& req, int code) {
  Bytes items;
  PutInt32(items, code);
  return Reply(req, items, true);
}

void CBoardModel::StoreImage(const Bytes& image) {
  image_ = image;
  if (!opt_.stateDir.empty()) {
    std::string path = opt_.stateDir + "/board.kbx";
    if (WriteFileAtomic(path, image_))
      Log("image kept in " + path);
    else
      Log("cannot keep the image in " + path);
  }
}

void CBoardModel::OnRequest(const Frame& f, std::vector<Burst>& out) {
  // A new request ends whatever transfer was open: the program gave it up.
  AbortTransfers("new request");

  Burst burst;
  auto send = [&](const Bytes& frame) { burst.frames.push_back(frame); };
  auto reply = [&](const Bytes& items) { send(Reply(f, items)); };
  auto refuse = [&](int code) { send(Refuse(f, code)); };
  auto replyInts = [&](std::initializer_list<int32_t> values) {
    Bytes items;
    for (int32_t v : values) PutInt32(items, v);
    reply(items);
  };
  auto replyInt = [&](int32_t v) { replyInts({v}); };
  auto replyBytes = [&](const Bytes& b) {
    Bytes items;
    PutBytes(items, b);
    reply(items);
  };

  std::vector<Item> items;
  std::string why;
  const uint16_t key = RequestKey(f.group, f.Code());
  auto forced = opt_.refusals.find(key);
  // With a password set, only the MCU id (the salt), the login itself and
  // the reset of the login prompt's "Initialize" are open to a stranger.
  bool open = key == RequestKey(1, 0x23) || key == RequestKey(5, 0x41) || key == RequestKey(5, 0x42) ||
              key == RequestKey(5, 0x25);
  if (!ParseItems(f.payload, items, &why)) {
    Log("request with bad items: " + why);
    refuse(kCodeBadData);
  } else if (forced != opt_.refusals.end()) {
    refuse(forced->second.code);
    if (forced->second.once) opt_.refusals.erase(forced);
  } else if (passwordSet_ && !loggedIn_ && !open) {
    refuse(kCodeNotLoggedIn);
  } else if (DebugAnswer dbg; debugger_.OnRequest(f, items, image_, fwLog_, dbg)) {
    if (dbg.kind == DebugAnswer::kReply) reply(dbg.items);
    else if (dbg.kind == DebugAnswer::kRefuse) refuse(dbg.code);
    else if (dbg.kind == DebugAnswer::kRead) read_ = Read{true, std::move(dbg.readData), 0, f.seq, f.Code()};
    for (const Bytes& e : dbg.after) send(Out(e));
  } else if (CSimQueries::Handles(key)) {
    ServeQuery(f, items, burst);
  } else if (OnBlockRequest(f, items, burst)) {
    // handled with the blocks
  } else switch (key) {
    case RequestKey(1, 0x11): replyInt(opt_.capacity); break;
    case RequestKey(1, 0x13): replyInts({2048, 512, 1536}); break;
    case RequestKey(1, 0x15): replyInts({196608, 65536, 131072}); break;
    case RequestKey(1, 0x21): replyBytes(FsId()); break;
    case RequestKey(1, 0x22): replyBytes(opt_.firmwareHeader); break;
    case RequestKey(1, 0x23): replyBytes(opt_.mcuId); break;
    case RequestKey(1, 0x24): replyBytes(opt_.mac); break;
    case RequestKey(1, 0x25): replyBytes(Bytes{opt_.pdbHigh, opt_.pdbLow}); break;
    case RequestKey(1, 0x31):
      if (image_.empty()) refuse(kCodeNothing); else replyBytes(Sha1(image_));
      break;
    case RequestKey(1, 0x33):
      if (opt_.envcHash.empty()) refuse(kCodeNothing); else replyBytes(opt_.envcHash);
      break;
    case RequestKey(1, 0x40): {
      std::string name = !items.empty() && items[0].type == kItemText ? items[0].AsText() : "";
      if (name != "init_net0" && name != "init_net1") {
        refuse(kCodeBadData);
        break;
      }
      bool present = name == "init_net0" ? opt_.wired : opt_.wireless;
      Bytes it;
      if (opt_.netAsInt) PutInt32(it, present ? 1 : 0); else PutText(it, present ? "1" : "0");
      reply(it);
      break;
    }
    case RequestKey(2, 0x11):
    case RequestKey(2, 0x12): replyInt(0); break;
    case RequestKey(2, 0x13):
      fwLog_ = !items.empty() && items[0].AsInt32() != 0;
      replyInt(0);
      break;
    case RequestKey(3, 0x11):
      if (image_.empty()) {
        refuse(kCodeNothing);
      } else {
        read_.active = true;
        read_.data = image_;
        read_.offset = 0;
        read_.reqSeq = f.seq;
        read_.code = 0x11;
      }
      break;
    // The other blocks are empty on this board: "nothing there".
    case RequestKey(3, 0x30):
    case RequestKey(3, 0x41):
    case RequestKey(3, 0x42): refuse(kCodeNothing); break;
    case RequestKey(4, 0x10):
      if (opt_.refuseUpload) {
        refuse(kCodeNotPermitted);
      } else {
        upload_.active = true;
        upload_.reqSeq = f.seq;
        upload_.window = static_cast<uint16_t>(std::clamp(opt_.chunkCap, 1, 8192));
        send(Out(EncodeWindow(NextDataSeq(), upload_.window)));
      }
      break;
    case RequestKey(5, 0x10): {
      auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - bootTime_);
      Bytes it;
      PutInt64(it, ms.count());
      reply(it);
      break;
    }
    case RequestKey(5, 0x22):
    case RequestKey(5, 0x26):
      // Answers, then leaves the bus and comes back.
      replyInt(0);
      action_ = BoardAction::kReboot;
      break;
    case RequestKey(5, 0x23):
      replyInt(0);
      action_ = BoardAction::kRebootIsp;
      break;
    case RequestKey(5, 0x25):
      // Back to factory state: the password goes, the files stay.
      replyInt(0);
      opt_.password.clear();
      passwordSet_ = false;
      loginKey_ = LoginKey(opt_.mcuId, "");
      action_ = BoardAction::kReboot;
      break;
    case RequestKey(5, 0x41): {
      std::string user = !items.empty() && items[0].type == kItemText ? items[0].AsText() : "";
      if (user != "admin") {
        refuse(kCodeNotLoggedIn);
        break;
      }
      challenge_.resize(16);
      for (uint8_t& b : challenge_) b = static_cast<uint8_t>(rng_());
      replyBytes(challenge_);
      break;
    }
    case RequestKey(5, 0x42): {
      // Checked against the key it stored, not the password (a board without
      // a password stored the empty one's key).
      bool ok = !challenge_.empty() && !items.empty() && items[0].type == kItemBytes &&
                items[0].value == LoginResponseForKey(challenge_, loginKey_);
      if (ok) {
        loggedIn_ = true;
        Log("login accepted");
        replyInt(0);
      } else {
        Log("login refused");
        refuse(kCodeNotLoggedIn);
      }
      break;
    }
    case RequestKey(5, 0x51):
      if (opt_.refuseUpload) refuse(kCodeNotPermitted); else replyInt(0);
      break;
    default: refuse(kCodeUnsupported); break;
  }
  for (const Bytes& e : debugger_.AfterReply()) send(Out(e));
  if (!burst.frames.empty()) out.push_back(std::move(burst));
}

void CBoardModel::ServeQuery(const Frame& f, const std::vector<Item>& items, Burst& burst) {
  std::string why;
  CSimQueries::Answer a = queries_.OnRequest(RequestKey(f.group, f.Code()), items, why);
  if (!why.empty()) Log(why);
  burst.delayMs = a.delayMs;
  switch (a.kind) {
    case CSimQueries::Answer::kItems: burst.frames.push_back(Reply(f, a.items)); break;
    case CSimQueries::Answer::kRefuse: burst.frames.push_back(Refuse(f, a.code)); break;
    case CSimQueries::Answer::kBlock:
      read_.active = true;
      read_.data = std::move(a.block);
      read_.offset = 0;
      read_.reqSeq = f.seq;
      read_.code = f.Code();
      break;
    case CSimQueries::Answer::kNothing: break;
  }
}

void CBoardModel::OnDataFrame(const Frame& f, std::vector<Burst>& out) {
  Burst burst;
  if (f.window) {
    if (!read_.active) {
      Log("window while no read runs: ignored");
      return;
    }
    if (f.field67 == 0) return;
    size_t left = read_.data.size() - read_.offset;
    if (left > 0) {
      size_t n = std::min<size_t>({f.field67, static_cast<size_t>(std::max(opt_.chunkCap, 1)), left});
      burst.frames.push_back(Out(EncodeChunk(NextDataSeq(), &read_.data[read_.offset], n)));
      read_.offset += n;
    } else {
      if (opt_.zeroChunkAtEnd) burst.frames.push_back(Out(EncodeChunk(NextDataSeq(), nullptr, 0)));
      Bytes it;
      PutInt32(it, static_cast<int32_t>(read_.data.size()));
      burst.frames.push_back(Reply(RequestOf(3, read_.code, read_.reqSeq), it));
      read_ = Read{};
    }
    out.push_back(std::move(burst));
    return;
  }

  if (!upload_.active) {
    Log("data chunk while no upload runs: ignored");
    return;
  }
  ++upload_.chunks;
  size_t n = f.payload.size();
  if (n > upload_.window || upload_.data.size() + n > kMaxImage) {
    if (n > upload_.window) Log("chunk larger than the window granted");
    burst.frames.push_back(Refuse(RequestOf(4, upload_.code, upload_.reqSeq), n > upload_.window ? kCodeBadData : kCodeNoSpace));
    upload_ = Upload{};
    out.push_back(std::move(burst));
    return;
  }
  upload_.data.insert(upload_.data.end(), f.payload.begin(), f.payload.end());
  // A chunk shorter than the window is the last one; when the image fills
  // the last window exactly, the program says so with an empty chunk.
  if (n < upload_.window) {
    if (upload_.code == 0x10)
      FinishUpload(out);
    else
      FinishBlockWrite(out);
    return;
  }
  burst.frames.push_back(Out(EncodeWindow(NextDataSeq(), upload_.window)));
  out.push_back(std::move(burst));
}

void CBoardModel::FinishUpload(std::vector<Burst>& out) {
  Frame req = RequestOf(4, 0x10, upload_.reqSeq);
  Bytes data = std::move(upload_.data);
  upload_ = Upload{};
  Burst burst;
  ImageInfo info;
  std::string why;
  if (!ParseImage(data, info, &why)) {
    // The old files stay: a board never mounts a broken image.
    Log("upload refused: " + why);
    burst.frames.push_back(Refuse(req, kCodeBadData));
  } else if (static_cast<long>(data.size()) > opt_.capacity) {
    Log("upload refused: larger than the file system");
    burst.frames.push_back(Refuse(req, kCodeNoSpace));
  } else {
    int32_t n = static_cast<int32_t>(data.size());
    StoreImage(data);
    Log("upload stored: " + std::to_string(n) + " bytes, " + std::to_string(info.entries.size()) + " entries");
    Bytes it;
    PutInt32(it, n);
    burst.frames.push_back(Reply(req, it));
  }
  out.push_back(std::move(burst));
}

}  // namespace boardsim
