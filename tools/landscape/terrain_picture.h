// The base picture of the terrain: one texel per height-map cell, coloured by
// height and slope (sand, grass, dry grass, rock, snow on the highest tops),
// with the fixed sun's hill-shading baked in, since the viewer draws the
// ground without lighting. Row y of the picture (top row 0) is the height
// map's row z = y and column x its column x: the viewer stretches the picture
// with s = x / 1024 and t = -z / 1024 over a texture whose first stored row
// (the BMP's bottom row) is t = 0, which puts the picture's top edge on z = 0.
#pragma once

#include "heightfield.h"
#include "picture.h"

#include <cstdint>

namespace landscape {

Picture paintTerrain(const HeightField& field, uint64_t seed);

// A square picture of the ground brought to another side, blending the four
// nearest pixels; it repeats across its edges as the ground does.
Picture resizedPicture(Picture picture, int side);

} // namespace landscape
