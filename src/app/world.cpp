#include "app/world.h"

namespace {

float fineSurface(void* fine, float x, float z) { return static_cast<FineTerrain*>(fine)->surfaceHeight(x, z); }
void fineSurfaces(void* fine, const float* xz, float* heights, int count)
{
    static_cast<FineTerrain*>(fine)->surfaceHeights(xz, heights, count);
}
float fineHighest(void* fine, float x, float z) { return static_cast<const FineTerrain*>(fine)->highestAt(x, z); }

} // namespace

GroundLookup standingGround(const World& world)
{
    return world.fineTerrain ? GroundLookup(fineSurface, world.fineTerrain.get(), fineSurfaces) : GroundLookup(world.heightMap);
}

GroundLookup flyingGround(const World& world)
{
    return world.fineTerrain ? GroundLookup(fineHighest, world.fineTerrain.get()) : GroundLookup(world.heightMap);
}

const WalkBounds& walkBounds(const World& world)
{
    return world.fineTerrain ? kFineGroundWalkBounds : kStripWalkBounds;
}
