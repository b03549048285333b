// The simulated board's protocol: what it answers to every byte the program
// sends. No I/O here: bytes in, bursts of bytes out, so tests can drive it
// directly. Faults of the line itself (splitting, garbage, pacing) belong to
// CBoardSim.
#pragma once

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/boardsim/SimBootLoader.h"
#include "tests/boardsim/SimCodec.h"
#include "tests/boardsim/SimDebugger.h"
#include "tests/boardsim/SimImage.h"
#include "tests/boardsim/SimOptions.h"
#include "tests/boardsim/SimQueries.h"

namespace boardsim {

// What the board writes in answer to one piece of input, in order.
struct Burst {
  std::vector<Bytes> frames;  // whole frames, or raw bytes for sync and boot-loader lines
  bool raw = false;           // sync answer or boot-loader text: never garbled or decorated
  int delayMs = 0;            // leaves this much later (a late answer)
};

enum class BoardAction { kNone, kUnplug, kReboot, kRebootIsp };

class CBoardModel {
 public:
  explicit CBoardModel(const SimOptions& opt);

  // Loads the image (--state, --image or the built-in one).
  bool Init(std::string& error);

  // A new session: the program opened the port. Login, transfers, silence
  // and half-received frames of the old session are forgotten.
  void StartSession();

  void OnBytes(const uint8_t* data, size_t n, std::vector<Burst>& out);

  // An action the board takes after its answers have left (unplug, reboot).
  BoardAction TakeAction();

  void SetLogger(std::function<void(const std::string&)> log) { log_ = log; boot_.SetLogger(std::move(log)); }

  // For tests and --help.
  const Bytes& Image() const { return image_; }
  const Bytes& SettingsBlock() const { return settings_; }
  const Bytes& KeyBlock() const { return keys_; }
  const Bytes& CertBlock() const { return cert_; }
  Bytes FsId() const;
  bool LoggedIn() const { return loggedIn_; }
  bool InIsp() const { return isp_; }
  long Requests() const { return requests_; }
  int TaskState() const { return debugger_.TaskState(); }
  const CSimDebugger& Debugger() const { return debugger_; }
  const CSimBootLoader& BootLoader() const { return boot_; }

  // The login response a program must send for this challenge and password.
  static Bytes LoginResponse(const Bytes& challenge, const Bytes& mcuId, const std::string& password);
  // The key a board stores for a password (salt: the MCU id, zero-padded to 20).
  static Bytes LoginKey(const Bytes& mcuId, const std::string& password);

 private:
  void OnFrame(Frame& f, std::vector<Burst>& out);
  void OnRequest(const Frame& f, std::vector<Burst>& out);
  void OnDataFrame(const Frame& f, std::vector<Burst>& out);
  void ServeQuery(const Frame& f, const std::vector<Item>& items, Burst& burst);
  void OnIspBytes(const uint8_t* data, size_t n, std::vector<Burst>& out);
  // Mute (--mute-after-reboot): what the program sends is logged, never answered.
  void Overhear(const uint8_t* data, size_t n);
  void FinishUpload(std::vector<Burst>& out);
  void AbortTransfers(const char* why);

  // Reply to request `req` with `items`, applying the wrong-type fault.
  Bytes Reply(const Frame& req, const Bytes& items, bool refused = false);
  Bytes Refuse(const Frame& req, int code);
  Bytes Out(const Bytes& frame);  // logs a frame the board sends
  uint8_t NextDataSeq() { uint8_t s = dataSeq_; dataSeq_ = (dataSeq_ + 1) & 0x0F; return s; }
  bool WrongType(const Frame& req) const;
  void Log(const std::string& line) { if (log_) log_(line); }
  void StoreImage(const Bytes& image);
  // Blocks and password (SimBlocks): requests 03/21, 03/24, 04/2x, 05/24, 05/60.
  bool OnBlockRequest(const Frame& f, const std::vector<Item>& items, Burst& burst);
  void FinishBlockWrite(std::vector<Burst>& out);
  void PutInt32Reply(const Frame& f, int32_t v, Burst& burst);

  SimOptions opt_;
  CSimQueries queries_{opt_.queries, opt_.wired, opt_.wireless};
  std::function<void(const std::string&)> log_;
  std::mt19937 rng_;
  std::chrono::steady_clock::time_point bootTime_;

  Bytes image_;  // empty = no file system
  Bytes settings_, keys_, cert_;  // blocks as stored; keys_/cert_ empty = none
  Bytes loginKey_;                // the key logins are checked against
  bool passwordSet_ = false;
  bool isp_ = false;
  bool fwLog_ = false;
  CSimDebugger debugger_{opt_.debug, log_};

  CSimBootLoader boot_;

  // Session state.
  FrameDecoder decoder_;
  bool loggedIn_ = false;
  Bytes challenge_;
  bool silent_ = false;
  BoardAction action_ = BoardAction::kNone;
  uint8_t dataSeq_ = 0;

  struct Read {
    bool active = false;
    Bytes data;
    size_t offset = 0;
    uint8_t reqSeq = 0;
    uint8_t code = 0x11;  // 03/xx that the last reply answers
  } read_;
  struct Upload {
    bool active = false;
    Bytes data;
    uint16_t window = 0;
    uint8_t reqSeq = 0;
    long chunks = 0;
    uint8_t code = 0x10;  // 04/10 the image, 04/21, 04/22, 04/24 a block
  } upload_;

  long requests_ = 0;
  bool silenceSpent_ = false, unplugSpent_ = false;
  // Back from a restart, mute across the sessions of mere opens of the port,
  // until one in which it heard something ends.
  bool mute_ = false, muteHeard_ = false;
};

}  // namespace boardsim
