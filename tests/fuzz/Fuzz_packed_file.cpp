// Packed project files and board images.
#include "tests/fuzz/FuzzTarget.h"

#include "link/FileEntry.h"
#include "link/codecs/Crc16.h"
#include "link/codecs/PackedFile.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> c(data, data + size);
    // Half the inputs get a sound header CRC, so the walk gets to the entries.
    if (size >= 16 && (size & 1)) {
        uint16_t crc = CalcCrc16(6, c.data());
        c[6] = static_cast<uint8_t>(crc);
        c[7] = static_cast<uint8_t>(crc >> 8);
    }
    std::vector<PackedFile::Entry> entries;
    PackedFile::ParseFile(c.data(), size, entries);
    entries.clear();
    PackedFile::ImageInfo info;
    PackedFile::ParseImage(c.data(), size, entries, info);
    return 0;
}

// A script, an image in a folder and a folder row.
std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    FileEntry files[3];
    const char* names[3] = {"one.php", "img/a.gif", "lib"};
    const std::string data[3] = {"<?php echo 1; ?>", std::string(3000, 'g'), ""};
    for (int i = 0; i < 3; ++i) {
        files[i].name = names[i];
        files[i].nameLength = static_cast<uint8_t>(files[i].name.size() + 1);
        files[i].data = data[i];
    }
    std::string out;
    PackedFile::Build({&files[0], &files[1], &files[2]}, 0, 4, out);
    return {std::vector<uint8_t>(out.begin(), out.end())};
}
