// The board's blocks and password: settings read and write, key and
// certificate blocks, the user password, the firmware file name.
#include "tests/boardsim/BoardModel.h"

#include "tests/boardsim/SimBlocks.h"

#include <unistd.h>

#include <algorithm>

namespace boardsim {
namespace {
enum : int { kNothing = 16, kBadData = 22 };

Frame RequestFrame(uint8_t group, uint8_t code, uint8_t seq) {
  Frame f;
  f.group = group;
  f.command = code >> 4;
  f.sub = code & 0x0F;
  f.seq = seq;
  return f;
}

uint32_t MagicFor(uint8_t code) {
  return code == 0x21 ? kMagicSettings : code == 0x22 ? kMagicKeys : kMagicCert;
}
}  // namespace

bool CBoardModel::OnBlockRequest(const Frame& f, const std::vector<Item>& items, Burst& burst) {
  const uint16_t key = RequestKey(f.group, f.Code());
  auto startRead = [&](const Bytes& block) {
    read_.active = true;
    read_.data = block;
    read_.offset = 0;
    read_.reqSeq = f.seq;
    read_.code = f.Code();
  };
  switch (key) {
    case RequestKey(3, 0x21):
      startRead(settings_);
      return true;
    case RequestKey(3, 0x24):
      if (cert_.empty())
        burst.frames.push_back(Refuse(f, kNothing));
      else
        startRead(cert_);
      return true;
    case RequestKey(4, 0x21):
    case RequestKey(4, 0x22):
    case RequestKey(4, 0x24):
      if (!items.empty()) {
        Log("block write request with items");
        burst.frames.push_back(Refuse(f, kBadData));
        return true;
      }
      // Small windows: a block always takes several.
      upload_.active = true;
      upload_.reqSeq = f.seq;
      upload_.code = f.Code();
      upload_.window = static_cast<uint16_t>(std::clamp(opt_.blockWindow, 1, 8192));
      burst.frames.push_back(Out(EncodeWindow(NextDataSeq(), upload_.window)));
      return true;
    case RequestKey(5, 0x24): {
      Bytes newKey;
      std::string why;
      if (items.size() != 2 || items[0].type != kItemInt32 || items[0].AsInt32() != 200 ||
          items[1].type != kItemBytes) {
        why = "want int 200 and a byte string";
      } else if (CheckPasswordRecord(items[1].value, newKey, why)) {
        passwordSet_ = !newKey.empty();
        loginKey_ = passwordSet_ ? newKey : LoginKey(opt_.mcuId, "");
        Log(passwordSet_ ? "password key stored" : "password deleted");
        PutInt32Reply(f, 0, burst);
        // The board restarts with its new password.
        action_ = BoardAction::kReboot;
        return true;
      }
      Log("05/24 refused: " + why);
      burst.frames.push_back(Refuse(f, kBadData));
      return true;
    }
    case RequestKey(5, 0x60): {
      // Two texts: the file name, then an empty one (four zero bytes, length field 4).
      bool ok = items.size() == 2 && items[0].type == kItemText && !items[0].AsText().empty() &&
                items[1].type == kItemText && items[1].field == 4 && items[1].AsText().empty();
      Log(ok ? "firmware file: " + items[0].AsText() : std::string("05/60 with bad items"));
      if (ok) {
        opt_.firmwareName = items[0].AsText();
        PutInt32Reply(f, 0, burst);
      } else {
        burst.frames.push_back(Refuse(f, kBadData));
      }
      return true;
    }
    default:
      return false;
  }
}

void CBoardModel::PutInt32Reply(const Frame& f, int32_t v, Burst& burst) {
  Bytes it;
  PutInt32(it, v);
  burst.frames.push_back(Reply(f, it));
}

void CBoardModel::FinishBlockWrite(std::vector<Burst>& out) {
  Frame req = RequestFrame(4, upload_.code, upload_.reqSeq);
  uint8_t code = upload_.code;
  Bytes data = std::move(upload_.data);
  upload_ = Upload{};
  Burst burst;
  std::string why;
  if (!CheckBlock(data, MagicFor(code), why)) {
    // The old block stays.
    Log("block write refused: " + why);
    burst.frames.push_back(Refuse(req, kBadData));
  } else {
    (code == 0x21 ? settings_ : code == 0x22 ? keys_ : cert_) = data;
    // Kept beside the image so that a test can read what the board stored.
    if (code == 0x21 && !opt_.stateDir.empty() && !WriteFileAtomic(opt_.stateDir + "/settings.bin", data))
      Log("cannot keep the settings block in " + opt_.stateDir);
    Log("block stored: 04/" + std::to_string(code >> 4) + std::to_string(code & 15) + ", " +
        std::to_string(data.size()) + " bytes");
    // Every block written is kept, numbered, for whoever checks the board
    // afterwards (never served again).
    if (!opt_.stateDir.empty()) {
      const std::string base =
          opt_.stateDir + (code == 0x21 ? "/settings-" : code == 0x22 ? "/keys-" : "/cert-");
      std::string path;
      for (int n = 1; path.empty() || access(path.c_str(), F_OK) == 0; ++n) path = base + std::to_string(n) + ".blk";
      if (!WriteFileAtomic(path, data)) Log("cannot keep the block in " + path);
    }
    PutInt32Reply(req, static_cast<int32_t>(data.size()), burst);
  }
  out.push_back(std::move(burst));
}

}  // namespace boardsim
