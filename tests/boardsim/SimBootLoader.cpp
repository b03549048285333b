#include "tests/boardsim/SimBootLoader.h"

#include <algorithm>
#include <cstdio>

#include "tests/boardsim/SimBlocks.h"
#include "tests/boardsim/SimImage.h"

namespace boardsim {

namespace {

// Far above the board's flash, but keeps a broken header from holding the
// boot loader for gigabytes.
constexpr size_t kFlashSize = 16u * 1024 * 1024;
constexpr size_t kTestSize = 512;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

CSimBootLoader::CSimBootLoader(const SimOptions& opt) : opt_(opt) {}

size_t CSimBootLoader::ImageSize(const uint8_t* h) {
  size_t size = (size_t(U16(h + 4)) + U16(h + 22)) * 16;
  return size < 24 || size > kFlashSize ? 0 : size;
}

Bytes CSimBootLoader::EnvBlock() const {
  return envSource_ ? envSource_() : DefaultSettingsBlock(opt_.firmwareName);
}

void CSimBootLoader::StartSession() {
  mode_ = Mode::kLines;
  line_.clear();
  exit_ = Exit::kNone;
  test_.clear();
  incoming_.clear();
  expected_ = 0;
  drain_ = 0;
}

void CSimBootLoader::Answer(const std::string& text, std::vector<std::string>& out) {
  Log("TX isp \"" + text + "\"");
  out.push_back(text + "\r\n");
}

CSimBootLoader::Exit CSimBootLoader::OnBytes(const uint8_t* data, size_t n, std::vector<std::string>& out) {
  for (size_t i = 0; i < n && exit_ == Exit::kNone; ++i) {
    uint8_t b = data[i];
    switch (mode_) {
      case Mode::kSilent:
        return exit_;
      case Mode::kDrain:
        if (--drain_ == 0) mode_ = Mode::kLines;
        break;
      case Mode::kTest:
        test_.push_back(b);
        if (test_.size() == 24 && ImageSize(test_.data()) == 0) {
          Answer("307 Bad image header", out);
          mode_ = Mode::kLines;
        } else if (test_.size() >= 24 && test_.size() == std::min(kTestSize, ImageSize(test_.data()))) {
          Log("RX test header " + std::to_string(test_.size()) + " bytes");
          Answer("202 Test OK", out);
          mode_ = Mode::kLines;
        }
        break;
      case Mode::kProgram:
        OnProgramByte(b, out);
        break;
      case Mode::kLines:
        if (b == '\n') break;
        if (b != '\r') {
          if (line_.size() < 256) line_ += static_cast<char>(b);
          break;
        }
        std::string line;
        line.swap(line_);
        OnLine(line, out);
        break;
    }
  }
  Exit e = exit_;
  if (e != Exit::kNone) mode_ = Mode::kSilent;
  return e;
}

void CSimBootLoader::OnLine(const std::string& line, std::vector<std::string>& out) {
  Log("RX isp \"" + line + "\"");
  auto is = [&line](const char* command) { return line == command; };
  if (line.size() == 1 && IsSyncByte(static_cast<uint8_t>(line[0]))) {
    Answer("100 ISP boot loader ready", out);
  } else if (line.empty()) {
    return;
  } else if (is("de 0")) {
    Answer("de 0", out);
    Bytes env = EnvBlock();
    for (size_t at = 0; at < env.size(); at += 16) {
      std::string text;
      for (size_t i = at; i < std::min(env.size(), at + 16); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i + 1 == std::min(env.size(), at + 16) ? "%02X" : "%02X ", env[i]);
        text += hex;
      }
      out.push_back(text + "\r\n");
    }
    Answer("200 Environment done", out);
  } else if (is("tf 0")) {
    test_.clear();
    mode_ = Mode::kTest;
    Answer("201 Send Firmware", out);
  } else if (is("uf fcdb")) {
    unlocked_ = true;
    Answer("200 Command OK", out);
  } else if (is("ef dfcb")) {
    if (!unlocked_) return Answer("304 Flash locked", out);
    // Erasing locks the flash again: programming needs a fresh unlock.
    unlocked_ = false;
    erased_ = true;
    verified_ = bootable_ = false;
    Answer("200 Command OK", out);
  } else if (is("pf decf")) {
    if (!unlocked_) return Answer("304 Flash locked", out);
    if (!erased_) return Answer("305 Flash not erased", out);
    unlocked_ = erased_ = false;
    incoming_.clear();
    expected_ = 0;
    faultSpent_ = extraSent_ = false;
    mode_ = Mode::kProgram;
    Answer("201 Send Firmware", out);
  } else if (is("bf 400 QUIVER RESTACK")) {
    if (!verified_) return Answer("300 No verified image", out);
    bootable_ = true;
    if (opt_.ispSilentAfterBootFlag) {
      Log("boot flag taken; silent from here on");
      mode_ = Mode::kSilent;
      return;
    }
    Answer("200 Command OK", out);
  } else if (line.rfind("jf ", 0) == 0 || line.rfind("rs ", 0) == 0) {
    // The port goes away; the board comes back with the script firmware,
    // or in its boot loader again when nothing bootable is in the flash.
    // A reset restarts whatever is installed; a jump needs the image just
    // made bootable.
    bool run = line.rfind("rs ", 0) == 0 || bootable_;
    Log(run ? "jump to the script firmware" : "no bootable firmware: staying in the boot loader");
    exit_ = run ? Exit::kRunFirmware : Exit::kStayInBootLoader;
  } else {
    Answer("300 Unknown command", out);
  }
}

void CSimBootLoader::OnProgramByte(uint8_t b, std::vector<std::string>& out) {
  incoming_.push_back(b);
  const size_t got = incoming_.size();
  if (got == 24) {
    expected_ = ImageSize(incoming_.data());
    if (expected_ == 0) {
      mode_ = Mode::kLines;
      return Answer("307 Bad image header", out);
    }
  }
  if (!faultSpent_ && (got == static_cast<size_t>(opt_.ispFailAfter) ||
                       got == static_cast<size_t>(opt_.ispSilentAfter) ||
                       got == static_cast<size_t>(opt_.ispUnplugAfter))) {
    faultSpent_ = true;
    if (got == static_cast<size_t>(opt_.ispFailAfter)) {
      Answer("305 Flash write error", out);
      drain_ = expected_ > got ? expected_ - got : 0;
      mode_ = drain_ ? Mode::kDrain : Mode::kLines;
      Log("dropping the rest of the image: " + std::to_string(drain_) + " bytes");
    } else if (got == static_cast<size_t>(opt_.ispSilentAfter)) {
      Log("silent from here on");
      mode_ = Mode::kSilent;
    } else {
      exit_ = Exit::kUnplug;
    }
    return;
  }
  if (!extraSent_ && expected_ && got < expected_ && got == static_cast<size_t>(opt_.ispEarlyCrc)) {
    // A lying boot loader: the answer the program may only trust at the end.
    extraSent_ = true;
    Answer("204 CRC OK", out);
    drain_ = expected_ - got;
    mode_ = Mode::kDrain;
    Log("answered early; dropping the rest of the image: " + std::to_string(drain_) + " bytes");
    return;
  }
  if (opt_.ispExtraReply && !extraSent_ && expected_ && got == expected_ / 2) {
    extraSent_ = true;
    Answer("201 Send Firmware", out);
  }
  if (expected_ && got == expected_) FinishProgram(out);
}

void CSimBootLoader::FinishProgram(std::vector<std::string>& out) {
  mode_ = Mode::kLines;
  const uint16_t crc = Crc16(incoming_.data() + 16, incoming_.size() - 16);
  const size_t n = std::min(test_.size(), incoming_.size());
  if (test_.empty() || !std::equal(test_.begin(), test_.begin() + static_cast<long>(n), incoming_.begin())) {
    Log("image differs from the test header");
    return Answer("305 Image differs from the test header", out);
  }
  if (crc != U16(incoming_.data() + 8)) {
    Log("image CRC mismatch");
    return Answer("306 CRC error", out);
  }
  char text[64];
  std::snprintf(text, sizeof text, "FLASHED %zu bytes crc %04x", incoming_.size(), crc);
  Log(text);
  firmware_.swap(incoming_);
  incoming_.clear();
  ++flashes_;
  verified_ = true;
  if (!opt_.stateDir.empty()) WriteFileAtomic(opt_.stateDir + "/firmware.bin", firmware_);
  Answer("204 CRC OK", out);
}

}  // namespace boardsim
