// A user's orthophoto or satellite picture laid on the ground as the terrain
// picture. A georeferenced picture is warped through GDAL into the elevation
// model's coordinate system over exactly the ground the heights cover,
// averaged where it shrinks and blended bilinearly where it grows, read from
// its overviews and a strip of the terrain picture at a time, so a large
// picture never sits in memory whole. A picture without georeferencing, or
// one on an elevation model without it, is stretched over the ground.
//
// 8-bit pictures keep their values; pictures of more bits are stretched per
// band by their statistics (mean ± 2.5 standard deviations). Grey pictures
// are grey; an alpha band, a no-data value and the picture's edge mark where
// it covers nothing, and there the terrain picture keeps what it had.
#pragma once

#include "geo_reference.h"
#include "picture.h"

#include <gdal_priv.h>

#include <memory>

namespace landscape {

enum class ImageryFit {
    Warped,              // by both georeferences
    WarpedInModelSystem, // the picture has a geotransform but names no system: the model's was taken
    Stretched,           // the picture is not georeferenced
    StretchedOnUnplaced, // the elevation model is not, so nothing could be aligned
};

struct ImageryCover {
    int width = 0, height = 0; // the picture's own pixels
    ImageryFit fit = ImageryFit::Warped;
    double coveredShare = 0.0; // of the ground the heights cover, 0..1
};

// Lays the picture (opened by openGeodata as GeodataKind::Imagery) over the
// terrain picture (square, RGB, any side), its colours multiplied by gain.
// ground is where the heights lie, or null for a model without georeferencing.
// Throws std::runtime_error with the reason (the caller names the file).
ImageryCover drapeImagery(GDALDataset& dataset, const GeoReference* ground, Vec3 gain, Picture& picture);

// The same a band of rows at a time, for a terrain picture too large to hold
// whole: made for a picture of side x side, and laid on its rows in order.
class ImageryDrape {
public:
    // Throws, as drapeImagery does, before any pixel is read.
    ImageryDrape(GDALDataset& dataset, const GeoReference* ground, Vec3 gain, int side);
    ~ImageryDrape();
    ImageryDrape(ImageryDrape&&) noexcept;

    // Lays the picture over band, the terrain picture's rows from first down.
    void lay(int first, Picture& band);
    const ImageryCover& cover() const { return cover_; } // the share so far, of the rows laid

private:
    struct Work;
    std::unique_ptr<Work> work_;
    Vec3 gain_;
    int side_;
    ImageryCover cover_;
};

} // namespace landscape
