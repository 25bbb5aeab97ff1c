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
// The same at count points, xz holding x and z in turn: a surface read from a
// file answers many points best in the order its tiles lie in.
using SurfaceHeights = void (*)(void* context, const float* xz, float* heights, int count);

struct GroundLookup {
    // A height map is looked up by its cells, so every caller of the
    // original ground passes the map itself.
    GroundLookup(const HeightMap& heightMap) : map(&heightMap) {}
    GroundLookup(SurfaceHeight surfaceHeight, void* surfaceContext, SurfaceHeights surfaceHeights = nullptr)
        : surface(surfaceHeight), surfaces(surfaceHeights), context(surfaceContext)
    {
    }

    const HeightMap* map = nullptr;
    SurfaceHeight surface = nullptr;   // null: the map's cells
    SurfaceHeights surfaces = nullptr; // null: one point at a time
    void* context = nullptr;

    bool isFine() const { return surface != nullptr; }
    float heightAt(float x, float z) const;
    void heightsAt(const float* xz, float* heights, int count) const;
};
