// The simulated board's boot loader: text commands ending in CR, answers as
// lines ending in CR LF, and two raw transfers (the test header and the
// firmware image). No I/O: bytes in, answer lines out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/boardsim/SimCodec.h"
#include "tests/boardsim/SimOptions.h"

namespace boardsim {

class CSimBootLoader {
 public:
  enum class Exit { kNone, kUnplug, kRunFirmware, kStayInBootLoader };

  explicit CSimBootLoader(const SimOptions& opt);

  // The program opened the port: half lines, transfers and silence go.
  void StartSession();
  // Answers (whole lines with CR LF) are appended to out; an exit is
  // reported once, after which the rest of the input is not looked at.
  Exit OnBytes(const uint8_t* data, size_t n, std::vector<std::string>& out);

  void SetLogger(std::function<void(const std::string&)> log) { log_ = std::move(log); }
  // Where the dump's block comes from (the board's current settings block);
  // without one, the built-in block.
  void SetEnvSource(std::function<Bytes()> source) { envSource_ = std::move(source); }

  // The last image flashed with a good CRC (empty before).
  const Bytes& Firmware() const { return firmware_; }
  long Flashes() const { return flashes_; }
  // The environment block the dump shows.
  Bytes EnvBlock() const;

  // The size the boot loader expects from a header: the record area ends
  // the image. 0 when the header is unusable.
  static size_t ImageSize(const uint8_t* header24);

 private:
  enum class Mode { kLines, kTest, kProgram, kDrain, kSilent };

  void OnLine(const std::string& line, std::vector<std::string>& out);
  void OnProgramByte(uint8_t b, std::vector<std::string>& out);
  void FinishProgram(std::vector<std::string>& out);
  void Answer(const std::string& text, std::vector<std::string>& out);
  void Log(const std::string& s) { if (log_) log_(s); }

  SimOptions opt_;
  std::function<void(const std::string&)> log_;
  std::function<Bytes()> envSource_;
  Mode mode_ = Mode::kLines;
  std::string line_;
  Exit exit_ = Exit::kNone;

  bool unlocked_ = false, erased_ = false, verified_ = false, bootable_ = false;
  Bytes test_;           // the test header, kept to compare with the image
  Bytes incoming_;       // the image being programmed
  size_t expected_ = 0;  // its size once the header is in (0 before)
  size_t drain_ = 0;     // bytes still to swallow after a failure
  bool faultSpent_ = false, extraSent_ = false;
  Bytes firmware_;
  long flashes_ = 0;
};

}  // namespace boardsim
