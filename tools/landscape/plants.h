// Palms and grass tufts as meshes. The viewer sets every copy unrotated and
// unscaled at its spot (palms 2.5 below the ground, tufts 1 below), draws them
// without lighting or alpha and with face culling off, so fronds and blades
// are real two-sided geometry and the sun is baked into their texture
// coordinates: each leaflet, blade and trunk side takes the s coordinate of
// its brightness in the shade-to-sun textures of textures.h. Units are world
// units, y up; the eye is 5.5 above the ground.
#pragma once

#include "vec3.h"
#include "vxm.h"

#include <cstdint>
#include <string>

namespace landscape {

struct PalmShape {
    Vec3 foot;                 // centre of the trunk's foot
    float trunkHeight = 0.0f;  // from the foot to the top of the trunk
    Vec3 lean;                 // horizontal offset of the trunk's top from its foot
    float footRadius = 0.0f;
    float topRadius = 0.0f;
    int trunkSides = 0;
    int trunkSegments = 0;
    int fronds = 0;
    int frondSamples = 0;      // segments along each frond's midrib
    float frondLength = 0.0f;
    float frondLift = 0.0f;    // radians above level where a frond leaves the crown
    float frondDroop = 0.0f;   // radians the midrib bends down by its tip
    float leafletLength = 0.0f;
    float leafletDroop = 0.0f; // how far leaflets hang below the frond's plane, 0..1
    int coconuts = 0;
    std::string barkTexture;
    std::string frondTexture;
};

Mesh buildPalm(const PalmShape& shape, uint64_t seed);

// A tuft of twelve bent blades rooted around the origin, 3 to 6 units tall.
Mesh buildGrassTuft(uint64_t seed, const std::string& bladeTexture);

} // namespace landscape
