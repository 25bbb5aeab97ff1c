// The six sky-box pictures, each texel computed from the world direction in
// which the viewer sees it, so that the faces meet without seams. The viewer
// draws a 9000-unit box centred 500 units off the eye in +x and +z; each face
// layout below says where a texel's (s, t) lies on that box, relative to the
// eye, as the viewer's face table puts it there. A face picture is painted top row first: column i is
// s = i / (size - 1) and row j is t = 1 - j / (size - 1) (the BMP's bottom
// row is t = 0), so the border texels of two faces sample the same
// directions along their shared edge.
#pragma once

#include "picture.h"
#include "vec3.h"

#include "terrain/sky_box.h"

#include <array>
#include <cstdint>
#include <vector>

namespace landscape {

constexpr int kSkyFaceSize = 512;

// Where (s, t) of one face lies: corner + s × sAxis + t × tAxis, relative to
// the eye, in world units.
struct SkyFaceLayout {
    const char* fileName; // the viewer's name for the face's picture
    Vec3 corner;          // (s, t) = (0, 0)
    Vec3 sAxis;
    Vec3 tAxis;
};

// In the viewer's texture order: back, front, bottom, top, left, right.
const std::array<SkyFaceLayout, kSkyFaceCount>& skyFaceLayouts();

// The world direction (unit length) seen through (s, t) of a face.
Vec3 skyDirection(const SkyFaceLayout& face, float s, float t);

// Hills: the generated landscape's, ranges of distant hills all round.
// Open: an imported place's, whose own ground ends where it ends: no hills,
// a clear haze at the horizon, and below it nothing but that haze, in the
// viewer's fog colour, so the ground's edge meets haze rather than a dark void.
enum class SkyHorizon { Hills, Open };

// What the sky holds, fixed by the seed: cloud noise and, for hills, three
// ranges of distant hills, each a ring of heights around the horizon.
struct SkyScene {
    uint32_t cloudSeed = 0;
    std::vector<std::vector<float>> hillRanges; // elevation in radians per azimuth step; none when open
    SkyHorizon horizon = SkyHorizon::Hills;
};

SkyScene makeSkyScene(uint64_t seed, SkyHorizon horizon = SkyHorizon::Hills);

// The colour of the sky, hills, ground or (open) haze seen along a unit direction.
Vec3 skyColour(const SkyScene& scene, Vec3 direction);

Picture paintSkyFace(const SkyScene& scene, const SkyFaceLayout& face, int size = kSkyFaceSize);

} // namespace landscape
