// Palms and grass tufts as meshes. The viewer sets every copy unrotated and
// unscaled at its spot (palms 2.5 below the ground, tufts 1 below), draws them
// without lighting or alpha and with face culling off, so fronds and blades
// are single-sided geometry seen from both sides, and the sun is baked into
// their texture coordinates: each leaflet, blade and trunk side takes the s
// coordinate of its brightness in the shade-to-sun textures of textures.h.
// Units are world units, y up; the eye is 5.5 above the ground.
//
// Hundreds of palms and a thousand tufts are drawn every frame, so every
// triangle is one the eye can see: an open trunk of a few sides, fronds as
// saw-toothed strips, blades of one triangle; no caps, nothing hidden inside.
// A palm has 2 × trunkSides × trunkSegments + 2 × fronds × frondSamples
// triangles.
#pragma once

#include "vec3.h"
#include "vxm.h"

#include <cstdint>
#include <string>

namespace landscape {

struct PalmShape {
    Vec3 foot;                // centre of the trunk's foot
    float trunkHeight = 0.0f; // from the foot to the top of the trunk
    Vec3 lean;                // horizontal offset of the trunk's top from its foot
    float footRadius = 0.0f;
    float topRadius = 0.0f;
    int trunkSides = 0;    // at least 3
    int trunkSegments = 0; // at least 1
    int fronds = 0;        // at least 1
    int frondSamples = 0;  // segments along each frond's midrib, at least 1; a leaflet each side of each
    float frondLength = 0.0f;
    float frondLift = 0.0f;  // radians above level where a frond leaves the crown
    float frondDroop = 0.0f; // radians the midrib bends down by its tip
    float leafletLength = 0.0f;
    float leafletDroop = 0.0f; // how far leaflets hang below the frond's plane, 0..1
    std::string barkTexture;
    std::string frondTexture;
};

// Throws std::invalid_argument when a count is below its least value.
Mesh buildPalm(const PalmShape& shape, uint64_t seed);

// Levels of detail for the palms and the tufts. Level 1 is the leanest, a few
// dozen triangles a palm; each level up roughly doubles every mesh, spending
// the triangles on a rounder, finer-ringed trunk, longer rows of narrower
// leaflets along a smoother midrib, and more fronds in each crown.
constexpr int kLeastDetail = 1;
constexpr int kMostDetail = 4;

// The shape at a level, from its leanest form (level 1 returns it as it is).
// Throws std::invalid_argument for a level outside the range above.
PalmShape atDetail(const PalmShape& leanest, int level);

// Blades in one tuft at the leanest level: each a single leaning triangle.
constexpr int kGrassBlades = 8;

// Blades in one tuft at a level: kGrassBlades, doubled per level up.
int grassBlades(int level);

// A tuft of grassBlades(level) blades rooted around the origin, 3 to 6 units tall.
Mesh buildGrassTuft(uint64_t seed, const std::string& bladeTexture, int level = kLeastDetail);

} // namespace landscape
