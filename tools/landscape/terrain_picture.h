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
#include <functional>
#include <memory>

namespace landscape {

Picture paintTerrain(const HeightField& field, uint64_t seed);

// What the ground is in the real world, for a place whose position is known.
struct GroundMetres {
    double atHeight0 = 0.0;     // metres of height 0
    double perHeightStep = 1.0; // metres of a height step
    double stepAcross = 1.0;    // metres of a grid step along x
    double stepAlong = 1.0;     // metres of a grid step along z
    double northLatitude = 0.0; // degrees at z = 0
    double southLatitude = 0.0; // degrees at z = 1024
};

// The same painted from metres and true slopes: snow above the snow line of
// the latitude, bare ground and alpine grass above the tree line, forest and
// fields below it, rock on true slopes too steep for plants, sand at sea level. The light
// falls on the true relief too, so the exaggeration changes nothing here.
Picture paintTerrain(const HeightField& field, uint64_t seed, const GroundMetres& metres);

// The lowest height of lasting snow at a latitude (degrees): about 4500 m
// near the equator, falling from latitude 25 to sea level at 80.
double snowLineMetres(double latitude);

// The tree line at a latitude (degrees), some way below the snow line. The
// ground is painted with it even between the place's north and south edge,
// and landscape.geo.json carries it, so the viewer grows no plant above it.
double treeLineMetres(double latitude);

// The ground's heights along a line of constant z (in cells of the byte
// map, 0 to 1024), at x = x0 + n * step for n below count, between its
// samples: what a picture finer than the ground is painted from. A row at a
// time, so that a lookup costs no call a point.
using HeightLookup = std::function<void(float z, double x0, double step, int count, float* heights)>;

// The byte map's heights blended bilinearly between its samples, wrapping
// as the ground does. The lookup holds on to field.
HeightLookup blendedHeights(const HeightField& field);

// A terrain picture of side x side finer than the ground, painted pixel by
// pixel from the heights at each pixel's centre, so that it shows the ground
// smooth, not in cells: from metres where they are given (else as the
// generated ground), with the same cover and light as paintTerrain.
class FinePainter {
public:
    FinePainter(HeightLookup heights, uint64_t seed, const GroundMetres* metres, int side);
    ~FinePainter();

    // Paints band (side wide) with the picture's rows from first down, on
    // two threads.
    void paint(int first, Picture& band) const;

private:
    struct Work;
    std::unique_ptr<Work> work_;
};

// A square picture of the ground brought to another side, blending the four
// nearest pixels; it repeats across its edges as the ground does.
Picture resizedPicture(Picture picture, int side);

} // namespace landscape
