// Erosion on a square height grid that wraps at its edges, so a tileable map
// stays tileable. In hydraulic erosion each droplet starts at a random
// point, runs downhill with some inertia, picks up soil where it speeds up
// and sets it down where it slows or climbs; thousands of them carve gullies
// and valleys and fill hollows with sediment. Thermal erosion then lets
// the steepest walls slump. Heights and capacities are in the grid's own
// height units; horizontal distances in cells.
#pragma once

#include <cstdint>
#include <vector>

namespace landscape {

struct ErosionSettings {
    int droplets = 0;
    int maxSteps = 32;         // cells a droplet may run before it evaporates
    float inertia = 0.05f;     // 0: follows the slope at once; 1: never turns
    float capacity = 4.0f;     // soil carried per unit of drop, speed and water
    float minCapacity = 0.01f; // keeps flat runs from depositing everything at once
    float erodeRate = 0.3f;    // share of free capacity taken per step
    float depositRate = 0.3f;  // share of excess sediment set down per step
    float evaporation = 0.02f; // share of water lost per step
    float gravity = 4.0f;
    int radius = 3; // cells around the droplet that it erodes, weighted
};

// Erodes `heights` (size × size, row-major, size a power of two) in place.
void erodeWithDroplets(std::vector<float>& heights, int size, uint64_t seed, const ErosionSettings& settings);

// Thermal erosion: wherever a cell stands more than `maxDrop` above one of
// its four neighbours, part of the excess slides down to it. Softens the
// walls that the droplets cut into scree slopes; the total volume is kept.
void relaxSlopes(std::vector<float>& heights, int size, float maxDrop, int iterations);

} // namespace landscape
