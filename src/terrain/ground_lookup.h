#pragma once
// The ground that whatever stands or flies on it finds at a world point
// (x, z), in world units: the height map's unit cell under the point (each
// coordinate truncated toward zero, wrapping), as the ground always was; or,
// on a landscape with a fine ground, a surface of its own read at the point
// itself: the full-detail surface for the eye, the plants and the readout,
// the highest the ground rises near the point for the flyers.

#include "terrain/height_map.h"

// A surface's height at (x, z); context is the surface's own record.
using SurfaceHeight = float (*)(void* context, float x, float z);

struct GroundLookup {
    // A height map is looked up by its cells, so every caller of the
    // original ground passes the map itself.
    GroundLookup(const HeightMap& heightMap) : map(&heightMap) {}
    GroundLookup(SurfaceHeight surfaceHeight, void* surfaceContext) : surface(surfaceHeight), context(surfaceContext) {}

    const HeightMap* map = nullptr;
    SurfaceHeight surface = nullptr; // null: the map's cells
    void* context = nullptr;

    bool isFine() const { return surface != nullptr; }
    float heightAt(float x, float z) const;
};
