// The default landscape as the tests see it: generated once into a folder
// under the build tree and read back from there. Every test process of one
// test binary shares that folder (it is keyed by the binary's identity), so
// a suite run by CTest, one process per case, generates it only once.
#pragma once

#include "landscape.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace landscape_test {

// Folder holding the default set, generated on first use.
const std::filesystem::path& defaultSetFolder();

// Bytes of one file of the default set.
const std::vector<uint8_t>& defaultFile(const std::string& name);

// A picture decoded by stb_image: rows from the top of the picture down.
struct Decoded {
    int width = 0;
    int height = 0;
    int channels = 0;            // as stored in the file
    std::vector<uint8_t> pixels; // width × height × 4 (RGBA; alpha 255 where the file has none)

    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Decodes a BMP or TGA file of the default set. Fails the test on error.
Decoded decodeDefault(const std::string& name);

// Decodes bytes held in memory.
Decoded decodeBytes(const std::vector<uint8_t>& bytes);

} // namespace landscape_test
