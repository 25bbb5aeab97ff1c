#pragma once
// Where a palm or a grass tuft can stand on an imported place, in the place's
// own metres: above the sea, on ground no steeper than a palm holds, and at
// or below the tree line. The facts come from the place's geographic
// reference (the generator paints the ground by the same ones: rock where
// plants cannot hold, open ground above the tree line). The generated
// landscape has no reference, and every plant stands where it is drawn.

#include "assets/geo_reference.h"
#include "terrain/ground_lookup.h"

// Rise over run, about 32 degrees: steeper ground is rock.
constexpr double kSteepestPlantGround = 0.62;
// Cells each side over which the slope is measured, so that a plant follows
// the land's form rather than one bump.
constexpr int kPlantSlopeReach = 3;

struct PlantGround {
    double metresAtHeight0;     // metres of height byte 0
    double metresPerHeightStep; // > 0
    double metresAcross;        // of a world unit along x
    double metresAlong;         // of a world unit along z
    double treeLineNorth;       // metres at z = 0; infinite where the reference gives none
    double treeLineSouth;       // metres at z = 1024
};

// The facts of one place: its metres, and the size of a world unit from its
// corners' longitudes and latitudes.
PlantGround plantGroundOf(const GeoReference& reference);

// The tree line at world z, even between the north and the south edge.
inline double treeLineAt(double north, double south, double z)
{
    if (north == south) // also where neither is known, both infinite
        return north;
    return north + (south - north) * z / kGeoWorldSide;
}

// True when a plant can stand at world point (x, z). On the height map the
// point's cell decides, and the slope is read from the cells
// kPlantSlopeReach away, held inside the map (the ground is drawn once, so
// it does not continue across its edge); on a fine ground its surface at the
// point itself and as far away, held onto the ground.
bool plantStands(const PlantGround& ground, const GroundLookup& lookup, float x, float z);
