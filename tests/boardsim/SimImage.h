// The board's file-system image: the "eFzS" container the board serves on a
// read and takes on an upload.
#pragma once

#include <string>
#include <vector>

#include "tests/boardsim/SimCodec.h"

namespace boardsim {

struct ImageEntry {
  std::string name;
  Bytes data;
};

struct ImageInfo {
  uint16_t fsValue = 0;   // bytes 8-9
  uint8_t headerWords = 0;  // byte 10 (0 reads as 4)
  uint8_t flags = 0;      // byte 11: non-zero = uploads refused
  std::vector<ImageEntry> entries;
};

constexpr size_t kMaxImage = 1048576;

// Total container size for these entries (multiple of 1 KiB), or 0 when a
// name is longer than 255 bytes or data longer than 2^24-1.
size_t ImageSize(const std::vector<ImageEntry>& entries);

// Builds a container; empty when it cannot be built or passes 1 MiB.
Bytes BuildImage(const ImageInfo& info);

// Checks a whole container (header, tail, every entry inside its bounds and
// its CRC) and reads its entries. false with a reason on the first fault.
bool ParseImage(const Bytes& image, ImageInfo& info, std::string* why = nullptr);

// The image a board without --image serves: a handful of small files.
Bytes BuiltInImage();

bool ReadFile(const std::string& path, Bytes& out);
// Writes through a temporary file and a rename, so a crash never leaves half a file.
bool WriteFileAtomic(const std::string& path, const Bytes& data);

}  // namespace boardsim
