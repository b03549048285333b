#include "tests/boardsim/SimOptions.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <cstring>

#include "tests/boardsim/BoardModel.h"

namespace boardsim {

static const char* kDefaultMcuId = "3a0024000851363033363238";
static const char* kDefaultMac = "02fa57000001";
// A firmware header: bytes 4-5 the size in 16-byte units (0x4000: 256 KiB),
// bytes 12-13 the version (1.2.3).
static const char* kDefaultFib = "5a564657004000000000000012300000";
static const char* kDefaultEnvc = "8d1b6f3c0b2f0a7e4e2d5c9a1f0b3c4d5e6f7a8b";

SimOptions::SimOptions() {
  ParseHex(kDefaultMcuId, mcuId);
  ParseHex(kDefaultMac, mac);
  ParseHex(kDefaultFib, firmwareHeader);
  ParseHex(kDefaultEnvc, envcHash);
}

static bool ParseRequest(const std::string& s, uint16_t& key) {
  // "GGCS" in hex, e.g. 0125 for 01/25; "01/25" works too.
  std::string t;
  for (char c : s)
    if (c != '/') t += c;
  Bytes b;
  if (t.size() != 4 || !ParseHex(t, b)) return false;
  key = RequestKey(b[0], b[1]);
  return true;
}

static bool ParseLong(const std::string& s, long& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtol(s.c_str(), &end, 0);
  return *end == 0;
}

// Options that only set a field, one row each.
struct FlagOption { const char* name; bool SimOptions::*field; bool value; };
static const FlagOption kFlags[] = {
    {"--isp", &SimOptions::isp, true},           {"--no-wired", &SimOptions::wired, false},
    {"--no-wireless", &SimOptions::wireless, false}, {"--net-int", &SimOptions::netAsInt, true},
    {"--empty-fs", &SimOptions::emptyFs, true},  {"--refuse-upload", &SimOptions::refuseUpload, true},
    {"--zero-chunk", &SimOptions::zeroChunkAtEnd, true}, {"--split", &SimOptions::split, true},
    {"--merge", &SimOptions::merge, true},       {"--garbage", &SimOptions::garbage, true},
    {"--isp-extra-reply", &SimOptions::ispExtraReply, true}, {"--isp-split", &SimOptions::ispSplit, true},
    {"--isp-silent-after-bf", &SimOptions::ispSilentAfterBootFlag, true},
    {"--mute-after-reboot", &SimOptions::muteAfterReboot, true},
};
struct TextOption { const char* name; std::string SimOptions::*field; };
static const TextOption kTexts[] = {{"--link", &SimOptions::linkPath}, {"--fs-id", &SimOptions::fsId},
                                    {"--image", &SimOptions::imagePath}, {"--state", &SimOptions::stateDir},
                                    {"--log", &SimOptions::logPath}, {"--settings", &SimOptions::settingsPath},
                                    {"--firmware-name", &SimOptions::firmwareName},
                                    {"--dump-settings", &SimOptions::dumpSettings}};
struct HexOption { const char* name; Bytes SimOptions::*field; };
static const HexOption kHexes[] = {{"--mcu-id", &SimOptions::mcuId}, {"--mac", &SimOptions::mac},
                                   {"--fib", &SimOptions::firmwareHeader}};
struct CountOption { const char* name; long SimOptions::*field; long min; };
static const CountOption kCounts[] = {{"--silent-after", &SimOptions::silentAfter, 0},
                                      {"--unplug-after", &SimOptions::unplugAfter, 0},
                                      {"--silent-in-upload", &SimOptions::silentInUpload, 0},
                                      {"--unplug-in-upload", &SimOptions::unplugInUpload, 0},
                                      {"--pace-baud", &SimOptions::paceBaud, 1},
                                      {"--isp-fail-after", &SimOptions::ispFailAfter, 1},
                                      {"--isp-silent-after", &SimOptions::ispSilentAfter, 1},
                                      {"--isp-unplug-after", &SimOptions::ispUnplugAfter, 1},
                                      {"--isp-early-crc", &SimOptions::ispEarlyCrc, 1}};

bool ParseOptions(const std::vector<std::string>& args, SimOptions& opt, std::string& error, bool& help) {
  help = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto number = [&](long& out, long min) {
      std::string s;
      if (!value(s)) return false;
      if (!ParseLong(s, out) || out < min) {
        error = a + ": bad number " + s;
        return false;
      }
      return true;
    };
    auto fail = [&](const std::string& why) {
      error = why;
      return false;
    };
    auto is = [&a](const auto& row) { return a == row.name; };
    long n = 0;
    std::string s;
    if (auto f = std::find_if(std::begin(kFlags), std::end(kFlags), is); f != std::end(kFlags)) {
      opt.*(f->field) = f->value;
    } else if (auto t = std::find_if(std::begin(kTexts), std::end(kTexts), is); t != std::end(kTexts)) {
      if (!value(opt.*(t->field))) return false;
    } else if (auto h = std::find_if(std::begin(kHexes), std::end(kHexes), is); h != std::end(kHexes)) {
      if (!value(s)) return false;
      if (!ParseHex(s, opt.*(h->field)) || (opt.*(h->field)).empty()) return fail(a + ": bad hex " + s);
    } else if (auto c = std::find_if(std::begin(kCounts), std::end(kCounts), is); c != std::end(kCounts)) {
      if (!number(opt.*(c->field), c->min)) return false;
    } else if (a == "--help" || a == "-h") {
      help = true;
    } else if (a == "--password") {
      if (!value(opt.password)) return false;
      if (opt.password.size() > 32) return fail("--password: at most 32 characters (the program sends no more)");
    } else if (a == "--envc") {
      if (!value(s)) return false;
      if (s == "none")
        opt.envcHash.clear();
      else if (!ParseHex(s, opt.envcHash) || opt.envcHash.empty())
        return fail("--envc: bad hex " + s);
    } else if (a == "--pdb") {
      if (!value(s)) return false;
      long h = 0, l = 0;
      size_t comma = s.find(',');
      if (comma == std::string::npos || !ParseLong(s.substr(0, comma), h) || !ParseLong(s.substr(comma + 1), l) ||
          h < 0 || h > 255 || l < 0 || l > 255)
        return fail("--pdb: want HIGH,LOW");
      opt.pdbHigh = static_cast<uint8_t>(h);
      opt.pdbLow = static_cast<uint8_t>(l);
    } else if (a == "--capacity") {
      if (!number(n, 0)) return false;
      opt.capacity = static_cast<int32_t>(n);
    } else if (a == "--refuse-id") {
      if (!number(n, 0)) return false;
      opt.refusals[RequestKey(1, 0x25)] = Refusal{static_cast<int>(n), true};
    } else if (a == "--refuse") {
      // GGCS=CODE[,once]
      if (!value(s)) return false;
      size_t eq = s.find('=');
      uint16_t key = 0;
      Refusal r;
      std::string codeText = eq == std::string::npos ? "" : s.substr(eq + 1);
      size_t comma = codeText.find(',');
      r.once = comma != std::string::npos && codeText.substr(comma + 1) == "once";
      if (comma != std::string::npos && !r.once) return fail("--refuse: want GGCS=CODE or GGCS=CODE,once");
      if (r.once) codeText.resize(comma);
      if (eq == std::string::npos || !ParseRequest(s.substr(0, eq), key) || !ParseLong(codeText, n))
        return fail("--refuse: want GGCS=CODE or GGCS=CODE,once");
      r.code = static_cast<int>(n);
      opt.refusals[key] = r;
    } else if (a == "--wrong-type") {
      uint16_t key = 0;
      if (!value(s)) return false;
      if (!ParseRequest(s, key)) return fail("--wrong-type: want GGCS");
      opt.wrongTypes.push_back(key);
    } else if (a == "--block-window") {
      if (!number(n, 1)) return false;
      opt.blockWindow = static_cast<int>(std::min(n, 8192L));
    } else if (a == "--chunk-cap") {
      if (!number(n, 1)) return false;
      opt.chunkCap = static_cast<int>(std::min(n, 8192L));
    } else if (a == "--replug-ms") {
      if (!number(n, -1)) return false;
      opt.replugMs = static_cast<int>(n);
    } else if (a == "--seed") {
      if (!number(n, 0)) return false;
      opt.seed = static_cast<unsigned>(n);
    } else if (int taken = ParseDebugOption(args, i, opt.debug, error); taken != 0) {
      if (taken < 0) return false;
    } else if (!ParseQueryOption(args, i, opt.queries, error)) {
      return error.empty() ? fail("unknown option " + a + " (see --help)") : false;
    }
  }
  if (opt.fsId.size() > 200) {
    error = "--fs-id: too long";
    return false;
  }
  return true;
}

std::string HelpText() {
  SimOptions d;
  CBoardModel model(d);
  std::string err;
  model.Init(err);
  std::string fsId = Hex(model.FsId());
  std::string text =
      "usage: boardsim --link PATH [options]\n"
      "\n"
      "Plays the board on a fresh pseudo-terminal: makes PATH a symlink to its slave\n"
      "device, prints \"READY <slave-device-path>\" and answers until SIGTERM/SIGINT.\n"
      "The program may close and reopen the port at will; each open starts a new\n"
      "session (login, transfers and silence are forgotten, the files stay).\n"
      "\n"
      "Board identity (what the program logs with the defaults):\n"
      "  --isp                 start in the boot loader (see below)\n"
      "  --password PW         the board requires login (user \"admin\"); every request but\n"
      "                        01/23, 05/41, 05/42 and 05/25 is refused with code 13 until then.\n"
      "                        Without it a login is still answered and checked against\n"
      "                        the empty password\n"
      "  --pdb HIGH,LOW        pdb id (default 1,7: \"get id pdb (High : 1, Low : 7)\")\n"
      "  --capacity N          file-system capacity in bytes (default 1048576)\n"
      "  --fs-id TEXT          file-system id: the bytes of TEXT. Default: the first 16\n"
      "                        bytes of the image's SHA-1, so it changes with the files\n"
      "                        (built-in image: " + fsId + ")\n"
      "  --fib HEX             firmware header (default " + Hex(d.firmwareHeader) + ":\n"
      "                        256 KiB, version 1.2.3)\n"
      "  --mcu-id HEX          MCU id, also the login salt (default " + Hex(d.mcuId) + ")\n"
      "  --mac HEX             MAC address (default " + Hex(d.mac) + ")\n"
      "  --envc HEX|none       envc hash (default " + Hex(d.envcHash) + ");\n"
      "                        none: 01/33 refused with 16\n"
      "  --no-wired, --no-wireless   \"init_net0\" / \"init_net1\" answer \"0\" instead of \"1\"\n"
      "  --net-int             answer \"init_netN\" with an int32 instead of a text item\n"
      "\n"
      "Files:\n"
      "  --image FILE.kbx      the file-system image to serve (default: a built-in one of\n"
      "                        6 entries: index.php, lib/util.php, mmap, www/index.html,\n"
      "                        www/dot.gif, config.ini)\n"
      "  --state DIR           keep an accepted upload in DIR/board.kbx and serve it, also\n"
      "                        in later runs (it wins over --image); a written settings\n"
      "                        block goes to DIR/settings.bin, and each settings, key and\n"
      "                        certificate block written to DIR/settings-N.blk, keys-N.blk, cert-N.blk\n"
      "  --empty-fs            no file system: 03/11 is refused with 16\n"
      "  --refuse-upload       uploads refused: image flag byte set, 05/51 and 04/10\n"
      "                        refused with code 1\n"
      "  --chunk-cap N         largest chunk the board sends per window on a read and the\n"
      "                        window it grants on an upload (default and maximum 8192)\n"
      "  --zero-chunk          end a read with an empty data chunk before the reply\n"
      "\n"
      "Blocks:\n"
      "  --settings FILE       the settings block 03/21 serves (default: a built-in one);\n"
      "                        04/21, 04/22 and 04/24 store what they receive when every\n"
      "                        length and CRC is sound, and 03/21 / 03/24 serve it next\n"
      "  --firmware-name NAME  the firmware name of the built-in settings block (ZX1001)\n"
      "  --block-window N      window of the block writes (default 256)\n"
      "  --dump-settings FILE  write the built-in settings block (with --firmware-name) to\n"
      "                        FILE and exit\n"
      "\n"
      + DebugHelpText() +
      "\n"
      "Faults:\n"
      "  --refuse-id CODE      refuse the first 01/25 with CODE (16 = nothing to report)\n"
      "  --refuse GGCS=CODE[,once]   refuse request GG/CS (hex, e.g. 0111) with CODE\n"
      "  --wrong-type GGCS     answer GG/CS with an item of the wrong type (an int32 for a\n"
      "                        byte string, a byte string for anything else); repeatable\n"
      "  --split               write replies in random pieces, 2 ms apart\n"
      "  --merge               write each reply together with a firmware-log frame (kind 4)\n"
      "                        and hold replies 15 ms so consecutive ones leave in one write\n"
      "  --garbage             send 1-8 garbage bytes (never 0x50) before some frames\n"
      "  --silent-after N      answer N requests (kind-0 frames), then nothing until the\n"
      "                        port is closed and opened again (once)\n"
      "  --unplug-after N      answer N requests, then close the pseudo-terminal like a\n"
      "                        USB removal (once)\n"
      "  --silent-in-upload K  take K data chunks of an upload, then go silent (once)\n"
      "  --unplug-in-upload K  take K data chunks of an upload, then unplug (once)\n"
      "  --replug-ms MS        after an unplug (PATH removed meanwhile), come back on a new\n"
      "                        pseudo-terminal (PATH re-pointed, READY printed again)\n"
      "                        after MS ms (default 1000;\n"
      "                        -1: stay away). Reboot requests come back after 500 ms.\n"
      "                        SIGUSR1 unplugs at once, whatever is on the line.\n"
      "  --mute-after-reboot   after every restart into the script firmware the port comes\n"
      "                        back but the board answers nothing, not even the sync\n"
      "                        byte, until the port it heard bytes on is closed and opened\n"
      "                        again (opens without a byte sent, as a probe of the port,\n"
      "                        keep it mute); what it hears meanwhile is logged \"(mute)\"\n"
      "  --pace-baud N         behave as a line of N baud both ways: written bytes leave\n"
      "                        at N/10 bytes/s, received bytes are taken in no faster\n"
      "  --isp-fail-after K    answer \"305 Flash write error\" after K image bytes and\n"
      "                        drop the rest of the image (once per programming)\n"
      "  --isp-silent-after K  take K image bytes, then answer nothing until the port is\n"
      "                        opened again\n"
      "  --isp-unplug-after K  take K image bytes, then unplug\n"
      "  --isp-extra-reply     send a second \"201 Send Firmware\" halfway through the image\n"
      "  --isp-split           write every boot-loader line in two pieces: its first two\n"
      "                        bytes, and the rest 30 ms later (the answer to the sync\n"
      "                        byte too)\n"
      "  --isp-early-crc K     answer \"204 CRC OK\" after K image bytes, before the image\n"
      "                        is in, and take the rest without a word\n"
      "  --isp-silent-after-bf take the boot flag, then answer nothing until the port is\n"
      "                        opened again\n"
      "  --seed N              seed of the fault and challenge generator (default 1)\n"
      "  --log FILE            log every frame received and sent, decoded\n"
      "  -h, --help            this text\n"
      "\n" + std::string(kQueryHelp) + "\n"
      "Refusal codes of this board: 1 not permitted, 2 no such item, 13 not logged in or\n"
      "wrong password, 16 nothing to report, 22 bad data, 28 no space, 38 unsupported.\n"
      "\n"
      "How the board behaves where the program leaves it open:\n"
      "  - A reply carries its request's sequence number; the board's own data frames\n"
      "    count 0..15. Bytes that begin neither a frame (0x50) nor a sync byte and its\n"
      "    CR are dropped; a frame whose lengths disagree is dropped.\n"
      "  - Read (03/11): one chunk per window of min(window, cap, rest); the window after\n"
      "    the last chunk is answered with the reply, an int32 of the bytes sent.\n"
      "  - Upload (04/10): windows of min(8192, cap); a chunk shorter than the window, or\n"
      "    an empty one, ends it. The image is checked whole (header, tail, every entry\n"
      "    and its CRC, capacity) before it replaces the files; a bad one is refused with\n"
      "    22 or 28 and the old files stay. A chunk above the window is refused with 22.\n"
      "  - A new request or a sync byte drops an unfinished transfer.\n"
      "  - 01/31 is the SHA-1 of the image; 05/10 the time since start in ms; 02/1x\n"
      "    answer int32 0; anything not named here is refused with 38.\n"
      "  - Task and debugger requests must carry task number int32 0 (02/21: int32 1)\n"
      "    and the text length field their request asks (06/12, 06/13, 06/22: the\n"
      "    padded size alone), else they are refused with 22. 01/51 answers task 0 and\n"
      "    its state (1 stopped, 2 paused, 3 running). After 02/21 (1,3) the task runs\n"
      "    once the reply to the next request (the program's 01/51) has left: output\n"
      "    of its echo lines (kind 3), then a break event (kind 2, group 1, command 3)\n"
      "    at the first breakpoint or run-to line, with a resource event (group 2).\n"
      "    06/11 pauses a running task (event 2 where it stands); 06/50 and 06/60 run\n"
      "    one line (event 2 at the next one; event 1 past the end); from a stop they\n"
      "    start paused at line 1. 06/42 answers (0, line, file) for the index-th\n"
      "    breakpoint of the file in line order, then refuses with 16. Watches (01/60)\n"
      "    are answered only while paused (else code 1); strings longer than 64 bytes\n"
      "    send their first 64 bytes and full length, and 03/50 serves them whole by\n"
      "    windows, ended by its reply (an int32 of the bytes sent).\n"
      "  - 05/22 and 05/26 reboot, 05/23 reboots into the boot loader, 05/25 clears the\n"
      "    password and reboots (the port goes and comes back after 500 ms); in the boot\n"
      "    loader \"jf ...\" and \"rs ...\" return to the script firmware the same way.\n"
      "\n"
      "The boot loader (after --isp or 05/23) reads commands ending in CR and answers\n"
      "lines ending in CR LF:\n"
      "  - a sync byte and CR: \"100 ISP boot loader ready\"\n"
      "  - \"de 0\": the echo \"de 0\", the settings block (03/21's) as dump lines\n"
      "    (16 bytes each, \"%02X \"), then \"200 Environment done\"\n"
      "  - \"tf 0\": \"201 Send Firmware\", then takes the image's first min(512, size)\n"
      "    bytes: \"202 Test OK\" (\"307 \" for a header without a usable size)\n"
      "  - \"uf fcdb\" unlocks; \"ef dfcb\" erases and locks again; \"pf decf\" (unlocked\n"
      "    and erased) answers \"201 Send Firmware\" and takes the image: exactly\n"
      "    16 x (u16 at 4 + u16 at 22) bytes (the record area ends the image). Its CRC\n"
      "    (u16 at 8, over bytes 16..end) and its start (equal to the test header) are\n"
      "    checked: \"204 CRC OK\", logged as \"FLASHED <n> bytes crc <crc16>\" and kept\n"
      "    (--state: DIR/firmware.bin); else \"306 CRC error\" or \"305 ...\"\n"
      "  - \"bf 400 QUIVER RESTACK\" after a good image: \"200 Command OK\" (bootable)\n"
      "  - \"jf 10\": replugs with the script firmware when an image was made bootable,\n"
      "    else in the boot loader again; \"rs 10\" replugs with the script firmware\n"
      "  - locked or unerased flash: \"304 Flash locked\" / \"305 Flash not erased\";\n"
      "    anything else \"300 Unknown command\"\n";
  return text;
}

}  // namespace boardsim
