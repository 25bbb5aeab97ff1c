// The fine ground: the heights at the source's own resolution, N = 2^k + 1
// samples a side over the world's 1024 units (terrain/ground_layout.h), in
// the world's height units, written as landscape.ground.tif (its format is in
// docs/data-formats.md). The byte map is read from it at the world's integer
// points, so the two never disagree by more than the byte's rounding (and its
// clipping to 0..255, which the fine ground does not have).
#pragma once

#include "elevation.h"
#include "heightfield.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace landscape {

// --ground-size none: the byte map alone, as before there was a fine ground.
constexpr int kNoGround = 0;
constexpr const char* kGroundSizeOption = "--ground-size";
constexpr const char* kGroundSizeChoices = "1025, 2049, 4097, 8193, 16385 or none";

// The side a --ground-size value names (kNoGround for "none"); none for any other text.
std::optional<int> groundSizeNamed(std::string_view text);

// The side an import takes by default: the smallest 2^k + 1 that holds the
// window's samples on its longer side, from 1025 up to 16385.
int groundSideFor(int windowWidth, int windowHeight);

struct FineGround {
    int side = 0;
    std::vector<float> heights; // side × side, row by row from the top (z = 0)
    // GDAL's geotransform of the samples (from their pixels' corners) and the
    // coordinate system as WKT; none for a ground that lies nowhere.
    std::optional<std::array<double, 6>> transform;
    std::string systemWkt;

    float at(int i, int j) const { return heights[static_cast<size_t>(j) * side + i]; }
};

// The generated ground at side N: at 1025 the field's own heights (sample
// 1024 repeats sample 0, as the map repeats); larger sides are upsampled
// smoothly from them and gain finer noise octaves that vanish at the world's
// integer points, so the byte map stays the field's own. The same seed gives
// the same ground.
FineGround refineGeneratedGround(const HeightField& field, int side, uint64_t seed);

// Where the samples of a grid read from a window lie, along one axis, in
// the window's columns (or rows) counted from its edge: sample k at
// first + k × every. A window read whole has its samples at their pixels'
// centres; one read shrunk by averaging, at the centres of the pixels the
// reading cut it into.
struct SampleLine {
    double first = 0.5;
    double every = 1.0;
};
SampleLine sampleLineOf(int windowSamples, int readSamples);

// The read grid stretched to side × side, its first and last samples kept on
// the ground's edges and the rest blended linearly between their nearest
// neighbours (kept as they are where the grid is already that size). The
// grid is used up. Heights stay in input units.
FineGround groundFromGrid(ElevationGrid&& grid, int side);

// The ground sample's line along one axis: sample k of side N at the read
// grid's position k × (read − 1) / (N − 1).
SampleLine groundLineOf(const SampleLine& read, int readSamples, int side);

// Fits the ground's heights (input units) as the byte map is fitted: the
// lowest at 0 and, unless a scale is given, the highest at 255, unrounded
// and unclipped; the fit's ground is the byte map, the fine ground at the
// world's integer points clipped to 0..255.
GroundFit fitFineGround(FineGround& ground, std::optional<float> unitsPerStep);

// The byte map's start placement (standStartOnGround) carried to the fine ground.
void placeFineGround(FineGround& ground, const StartPlacement& placement);

// The byte map: the fine ground at the world's integer points, clipped to
// 0..255; clipped counts those above 255.
HeightField byteMapOf(const FineGround& ground, int* clipped = nullptr);

// Writes landscape.ground.tif: the heights, every level as an overview of
// exact subsamples, and the nodes' bounds. Throws std::runtime_error.
void writeGroundFile(const FineGround& ground, const std::filesystem::path& file);

} // namespace landscape
