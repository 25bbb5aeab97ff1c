// File encodings of pictures, by the stb_image_write library: the generator
// holds no image encoder of its own, so the viewer's readers are checked
// against files that they did not write.
#pragma once

#include "picture.h"

#include <cstdint>
#include <vector>

namespace landscape {

// 24-bit BMP with the 14-byte file header and the 40-byte info header, rows
// stored bottom first. Takes a 3-channel picture.
std::vector<uint8_t> encodeBmp(const Picture& picture);

// Uncompressed true-colour TGA (image type 2) of 32 bits with 8 alpha bits,
// rows stored bottom first. Takes a 4-channel picture.
std::vector<uint8_t> encodeTga(const Picture& picture);

} // namespace landscape
