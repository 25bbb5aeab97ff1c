#include "terrain/ground_lookup.h"

float GroundLookup::heightAt(float x, float z) const
{
    if (surface)
        return surface(context, x, z);
    return static_cast<float>(::heightAt(map, gridCoordinate(x), gridCoordinate(z)));
}

void GroundLookup::heightsAt(const float* xz, float* heights, int count) const
{
    if (surfaces) {
        surfaces(context, xz, heights, count);
        return;
    }
    for (int i = 0; i < count; ++i)
        heights[i] = heightAt(xz[2 * i], xz[2 * i + 1]);
}
