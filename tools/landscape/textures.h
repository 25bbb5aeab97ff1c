// The small pictures: the detail picture that the viewer repeats 60 times
// across the terrain and multiplies into the base picture, the flyers' wing
// sprite, and the textures that the palm and grass meshes name.
//
// The meshes are drawn unlit, so their textures carry the light: across the
// bark (s) brightness follows the trunk's side to the sun, and across the
// frond and blade textures (s) it runs from shade to full sun, so that each
// leaflet or blade picks its brightness with its s coordinate (see plants.h).
// Along t they run from base (t = 0) to tip (t = 1).
#pragma once

#include "picture.h"

#include <cstdint>

namespace landscape {

// The stream of a landscape's seed (random.h) that these pictures are painted from.
constexpr uint64_t kTextureStream = 1;

// 256 × 256 RGB; tiles with no seam; bright (it multiplies) with a fine grain.
Picture paintDetail(uint64_t seed);

// The same for a photograph: white with only a faint grain, so that the
// photograph keeps its colours (divided by this picture's mean, meanColour).
Picture paintPhotoDetail(uint64_t seed);

// 128 × 128 RGBA. One wing: its root along the right edge (s = 1), where the
// flyer's body is, its tip towards the left (s = 0). Alpha is 0 outside the
// wing and softens over a few texels at its edge.
Picture paintWingSprite(uint64_t seed);

// 128 × 128 RGB: ringed palm bark; four rings per repeat along t, s = 0 on
// the side facing the sun.
Picture paintBark(uint64_t seed);

enum class FrondTint { Fresh, Pale, Dark };

// 64 × 64 RGB: palm leaflet green, shade to sun across s, base to tip along t.
Picture paintFronds(uint64_t seed, FrondTint tint);

// 64 × 64 RGB: grass blade green, shade to sun across s, base to tip along t.
Picture paintBlades(uint64_t seed);

} // namespace landscape
