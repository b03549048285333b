// Re-encodes an image entry's bytes at the size the user chose in the image
// viewer, before an upload. Works on uniquely named temporary files (entry
// names come from the board and from files, so they never make a path) and
// replaces the bytes only after a complete read-back.
#pragma once

#include <string>

class CImageReencoder {
public:
    // data: the image bytes, replaced on success. name gives the format by its
    // extension (bmp, jpg, jpeg, png, gif). False, data untouched, on any failure.
    static bool Reencode(std::string& data, const std::string& name, unsigned width, unsigned height,
                         const std::string& tempFolder);
};
