// The one sun of the landscape. The terrain picture's hill-shading, the sky's
// glow and disc, and the light baked into the palm and grass meshes all come
// from here, since the viewer itself draws without lighting.
#pragma once

#include "vec3.h"

namespace landscape {

// Unit vector from the ground towards the sun, world axes (y up), about 35
// degrees above the horizon. It stands behind the start view's right
// shoulder (the viewer starts looking along +x, with +z to its right), so the
// slopes that face the viewer at start are in the light.
inline Vec3 sunDirection() { return normalize(Vec3{-0.42f, 0.58f, 0.70f}); }

} // namespace landscape
