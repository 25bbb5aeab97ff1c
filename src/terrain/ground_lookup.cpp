#include "terrain/ground_lookup.h"

float GroundLookup::heightAt(float x, float z) const
{
    if (surface)
        return surface(context, x, z);
    return static_cast<float>(::heightAt(map, gridCoordinate(x), gridCoordinate(z)));
}
