// Packed project files and board images.
#include "link/codecs/PackedFile.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<PackedFile::Entry> entries;
    PackedFile::ParseFile(data, size, entries);
    entries.clear();
    PackedFile::ImageInfo info;
    PackedFile::ParseImage(data, size, entries, info);
    return 0;
}
