// The ground: a 1024 × 1024 grid of heights in world units (0..255), row-major
// by z then x, one grid step per world unit. It repeats at its edges, because
// the viewer's terrain mesh reads row 0 again at z = 1024 and columns 0 and 8
// at x = 1024 and 1032. Built from fractal noise, shaped around the two places
// the viewer relies on (the start site and the origin palm), eroded by water,
// then stretched over most of the byte range.
#pragma once

#include "assets/landscape_facts.h"

#include <cstdint>
#include <vector>

namespace landscape {

constexpr int kMapSize = kGroundSide;

// The viewer starts at (500, 35, 500) with its eye 5.5 above the ground and
// only follows the ground from less than 10 below the eye: the ground there
// must lie between 26 and 40. It is set to this height exactly.
constexpr int kStartX = 500;
constexpr int kStartZ = 500;
constexpr float kStartGroundHeight = 31.0f;

// The origin palm's file coordinates are world coordinates with its foot at
// y = 0, so the ground within this distance of (0, 0) stays within 0..3.
constexpr float kOriginBeachRadius = 40.0f;

struct HeightField {
    int size = 0;
    std::vector<float> heights; // size × size, index z * size + x

    // Height at a grid point, wrapping both coordinates like the viewer does.
    float at(int x, int z) const
    {
        const int mask = size - 1;
        return heights[(z & mask) * size + (x & mask)];
    }
};

HeightField generateHeightField(uint64_t seed);

// The bytes of the raw height file: each height rounded to the nearest byte.
std::vector<uint8_t> heightBytes(const HeightField& field);

} // namespace landscape
