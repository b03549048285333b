// What the simulated board is and which faults it injects.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/boardsim/SimCodec.h"
#include "tests/boardsim/SimDebugger.h"
#include "tests/boardsim/SimQueries.h"

namespace boardsim {

struct Refusal {
  int code = 0;
  bool once = false;
};

struct SimOptions {
  std::string linkPath;  // symlink made to the slave device ("" = none)

  // Identity.
  bool isp = false;
  std::string password;         // "" = no password set
  Bytes mcuId;                  // 01/23
  Bytes mac;                    // 01/24
  std::string fsId;             // 01/21 as text bytes; "" = derived from the image generation
  Bytes firmwareHeader;         // 01/22
  Bytes envcHash;               // 01/33; empty = refused with 16 (no key block)
  uint8_t pdbHigh = 1, pdbLow = 7;  // 01/25
  int32_t capacity = 1048576;   // 01/11
  bool wired = true, wireless = true;
  bool netAsInt = false;        // answer "init_netN" with an int32 instead of text

  // File system.
  std::string imagePath;  // --image
  std::string stateDir;   // --state
  bool emptyFs = false;   // no image: 03/11 refused with 16
  bool refuseUpload = false;
  int chunkCap = 8192;
  bool zeroChunkAtEnd = false;  // end reads with an N = 0 chunk before the reply

  // Blocks.
  std::string settingsPath;  // --settings: the settings block served by 03/21
  std::string firmwareName = "ZX1001";
  std::string dumpSettings;  // --dump-settings FILE: write the built-in block and exit
  int blockWindow = 256;     // window of the block writes

  // Faults.
  std::map<uint16_t, Refusal> refusals;  // key: group << 8 | code
  std::vector<uint16_t> wrongTypes;      // replies whose item has the wrong type
  bool split = false;
  bool merge = false;
  bool garbage = false;
  long silentAfter = -1;    // requests (kind 0) answered before going silent
  long unplugAfter = -1;
  long silentInUpload = -1; // upload chunks taken before going silent
  long unplugInUpload = -1;
  int replugMs = 1000;      // < 0: stays unplugged
  bool muteAfterReboot = false;  // back from a restart: deaf until the port is opened anew
  long paceBaud = 0;
  // Boot loader.
  long ispFailAfter = -1;    // image bytes taken before a failure line
  long ispSilentAfter = -1;  // image bytes taken before going silent
  long ispUnplugAfter = -1;  // image bytes taken before an unplug
  bool ispExtraReply = false;  // a second "201 Send Firmware" halfway through the image
  bool ispSplit = false;       // every boot-loader line in two writes, the second 30 ms later
  long ispEarlyCrc = -1;       // image bytes taken before a premature "204 CRC OK"
  bool ispSilentAfterBootFlag = false;  // takes the boot flag, then answers nothing
  unsigned seed = 1;
  std::string logPath;
  SimDebugOptions debug;

  QueryOptions queries;

  SimOptions();
};

// Parses the command line (without argv[0]). false with a message on a bad option;
// `help` set when --help was given.
bool ParseOptions(const std::vector<std::string>& args, SimOptions& opt, std::string& error, bool& help);
std::string HelpText();

constexpr uint16_t RequestKey(uint8_t group, uint8_t code) { return static_cast<uint16_t>(group << 8 | code); }

}  // namespace boardsim
