// A user's own terrain: elevation samples read from a greyscale picture or an
// elevation tile, then fitted to the viewer's ground of 1024 × 1024 heights
// 0..255. Samples keep their order: the picture's (or tile's) top row becomes
// row z = 0 of the ground and its left column x = 0, just as the height file
// and the terrain picture are laid out, so nothing is mirrored or turned.
#pragma once

#include "heightfield.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace landscape {

// Samples row by row from the top; a sample without data is NaN.
struct ElevationGrid {
    int width = 0;
    int height = 0;
    std::vector<float> samples;

    float at(int x, int y) const { return samples[static_cast<size_t>(y) * width + x]; }
};

// An elevation tile of 1201 or 3601 samples square: big-endian signed 16-bit
// samples, -32768 for no data. Throws std::runtime_error for any other size.
ElevationGrid decodeElevationTile(const std::vector<uint8_t>& bytes);

// A picture that stb_image reads, as grey: 16-bit pictures keep their 0..65535
// range, all others are 0..255. Throws std::runtime_error when it is none.
ElevationGrid decodeGreyPicture(const std::vector<uint8_t>& bytes);

// Reads the file, as a tile when its name ends in ".hgt" (any case), else as
// a picture. Throws std::runtime_error with a message naming the file.
ElevationGrid readElevationFile(const std::filesystem::path& path);

// Gives every sample without data the mean of its neighbours that have data,
// working inwards from the edge of each hole. Returns how many were filled;
// throws std::runtime_error when no sample has data.
int fillNoData(ElevationGrid& grid);

struct CropBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// The box of samples; throws std::runtime_error when it does not lie inside.
ElevationGrid crop(const ElevationGrid& grid, const CropBox& box);

struct GroundFit {
    HeightField ground;
    float unitsPerStep = 0.0f; // input units per height step of the ground
    float inputMin = 0.0f;
    float inputMax = 0.0f;
    int clipped = 0; // ground cells that a given scale put above 255
};

// Resamples to 1024 × 1024 (averaging where it shrinks, blending where it
// grows) and scales the heights so the input's minimum is 0 and, unless a
// scale is given, its maximum 255. The grid must have no holes left.
GroundFit fitGround(const ElevationGrid& grid, std::optional<float> unitsPerStep = std::nullopt);

} // namespace landscape
