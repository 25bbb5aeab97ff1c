// Gradient noise on an integer lattice that repeats every `period` cells, and
// fractal sums of it. A lattice that repeats across the picture or map makes
// the result tile with no seam; the sky uses a period far beyond its range.
// Values lie roughly in [-1, 1]; every function is pure and deterministic.
#pragma once

#include <cstdint>

namespace landscape {

// One octave at (x, y) in lattice cells, repeating every `period` cells.
float gradientNoise(uint32_t seed, float x, float y, int period);

// Octaves of gradientNoise over a square tile: (u, v) in tile units (one tile
// = 1), the first octave has `cells` lattice cells across the tile, each next
// octave twice as many with `gain` times the amplitude. Repeats every tile.
float tileFbm(uint32_t seed, float u, float v, int cells, int octaves, float gain = 0.5f);

// Ridged octaves: sharp crests where the noise crosses zero, each octave
// weighted by the one before so that detail gathers on the ridges. In [0, 1].
float tileRidged(uint32_t seed, float u, float v, int cells, int octaves);

} // namespace landscape
