#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The boot loader's text protocol. Commands go out as ASCII ending in CR,
// one write each, no terminating zero; replies come back as lines ending in
// LF and are told apart by their first bytes.
namespace IspTextLine {

// Commands.
extern const char kDumpEnv[];       // "de 0\r"
extern const char kTestFirmware[];  // "tf 0\r"
extern const char kUnlock[];        // "uf fcdb\r"
extern const char kErase[];         // "ef dfcb\r"
extern const char kProgram[];       // "pf decf\r"
extern const char kBootFlag[];      // "bf 400 QUIVER RESTACK\r"
extern const char kJumpFirmware[];  // "jf 10\r"
extern const char kReset[];         // "rs 10\r"

// Reply prefixes.
extern const char kReady[];         // "100 "
extern const char kDone[];          // "200 "
extern const char kDumpEcho[];      // "de 0"
extern const char kSendFirmware[];  // "201 Send Firmware"
extern const char kTestOk[];        // "202 Test OK"
extern const char kCommandOk[];     // "200 Command OK"
extern const char kCrcOk[];         // "204 CRC OK"

bool StartsWith(const std::string& line, const char* prefix);
// "300 ", "304 ", "305 ", "306 " or "307 ".
bool IsFailure(const std::string& line);

// The environment dump: every byte as two hex digits and a separator, the
// line's last two bytes (CR LF) not data. Appends the line's bytes to dump
// while it holds fewer than `limit`; false (nothing appended) for a line that
// is not a dump line.
bool AppendDumpLine(const std::string& line, std::vector<uint8_t>& dump, size_t limit);

// The installed firmware's name from a dumped "eVnS" environment block: the
// first record 0x0C/0 with data, as text up to its first zero, at most 1023
// characters. Empty when the block fails any check.
std::string GetEnvStringRecord(const uint8_t* dump, size_t count);

} // namespace IspTextLine
