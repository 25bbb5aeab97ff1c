#pragma once
// The ground of the whole scene: 1024 x 1024 unsigned byte heights, row-major
// by z then x, one grid step per world unit, one byte step per world unit.
// Read once at start-up and never changed; lookups wrap in both directions.

#include "assets/landscape_facts.h"
#include "assets/load_outcome.h"

#include <cstddef>
#include <cstdint>

constexpr int kHeightMapSide = kGroundSide;
constexpr size_t kHeightMapBytes = size_t{kHeightMapSide} * kHeightMapSide;

struct HeightMap {
    uint8_t heights[kHeightMapBytes] = {}; // zero where no file supplied a byte
};

// A world coordinate as a grid coordinate: truncated toward zero, the plain
// float-to-integer conversion, but defined for every float (NaN gives 0, values
// beyond the integer range the nearest integer).
int gridCoordinate(float worldCoordinate);

// Reads up to byteCount bytes of the file (never more than the map holds) into
// the map. A missing file ("Can't find the height map!") or a read error
// ("Can't get data!") fails with that message and leaves what was read; a
// short file fills only the leading heights, silently.
Report loadHeightMap(const char* fileName, size_t byteCount, HeightMap& map);
// Height at grid point (x, z), wrapped into the map; 0 against no map.
int heightAt(const HeightMap* map, int x, int z);
