// A user's own terrain: elevation samples (read by elevation_file.h) fitted to
// the viewer's ground of 1024 × 1024 heights 0..255 and placed so the viewer
// starts on it; its edges are left as the place is. Samples keep their order:
// the file's top (north) row becomes row z = 0 of the ground and its left
// (west) column x = 0, just as the height file and the terrain picture are
// laid out, so nothing is mirrored or turned.
#pragma once

#include "heightfield.h"

#include <optional>
#include <vector>

namespace landscape {

// Samples row by row from the top; a sample without data is NaN.
struct ElevationGrid {
    int width = 0;
    int height = 0;
    std::vector<float> samples;

    float at(int x, int y) const { return samples[static_cast<size_t>(y) * width + x]; }
};

// Gives every sample without data the mean of its neighbours that have data,
// working inwards from the edge of each hole. Returns how many were filled;
// throws std::runtime_error when no sample has data.
int fillNoData(ElevationGrid& grid);

struct CropBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// What a height of the ground stands for in the model's own units:
// input = atHeight0 + perStep × height. Every step that changes the heights
// carries it along, so a height reads back as the input it came from.
struct HeightScale {
    double atHeight0 = 0.0;
    double perStep = 1.0;
};

struct GroundFit {
    HeightField ground;
    HeightScale scale;         // the ground's heights in input units
    float unitsPerStep = 0.0f; // input units per height step as fitted; scale also follows standStartOnGround
    float inputMin = 0.0f;
    float inputMax = 0.0f;
    int clipped = 0; // ground cells that a given scale put above 255
};

// Resamples to 1024 × 1024 (averaging where it shrinks, blending where it
// grows) and scales the heights so the input's minimum is 0 and, unless a
// scale is given, its maximum 255. The grid must have no holes left.
GroundFit fitGround(const ElevationGrid& grid, std::optional<float> unitsPerStep = std::nullopt);

// The viewer starts with its eye at height 35 and stands on the ground only
// where that lies above 25; below, it floats. The lowest height the start
// cell is given, so that it rounds to a byte above 25.
constexpr float kLeastStartGround = 26.25f;

struct StartPlacement {
    float raisedBy = 0.0f; // height steps added to every height
    float relief = 1.0f;   // share of the relief kept, where raising alone could not do
};

// Lifts the ground so its start cell (kStartX, kStartZ) lies at least at
// kLeastStartGround: raised as a whole where the top allows, otherwise raised
// to the top and the relief flattened just enough towards 255.
StartPlacement standStartOnGround(HeightField& ground);
// The same for a fitted ground, whose scale follows the raising and the flattening.
StartPlacement standStartOnGround(GroundFit& fit);

} // namespace landscape
