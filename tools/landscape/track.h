// A user's tracks, routes and waypoints (GPX, GeoJSON or KML, read through
// GDAL's vector drivers) drawn into the terrain picture: lines red with a
// dark edge, about 3 pixels wide at a side of 2048 and as wide on the ground
// at other sides, and waypoints as small red marks ringed dark. Points are
// brought into the elevation model's coordinate system, then to the world's
// x and z by the ground's geotransform. GPX track and route points are drawn
// as their lines, not as marks.
#pragma once

#include "geo_reference.h"
#include "picture.h"

#include <gdal_priv.h>

#include <memory>

namespace landscape {

struct TrackDrawing {
    int lines = 0;      // lines and routes with at least two points
    int waypoints = 0;  // points
    bool drawn = false; // anything of it lies on the ground
};

// Draws the tracks (opened by openGeodata as GeodataKind::Track) onto the
// terrain picture (square, RGB, any side), the colours multiplied by gain.
// Throws std::runtime_error with the reason (the caller names the file).
TrackDrawing drawTrack(GDALDataset& dataset, const GeoReference& ground, Vec3 gain, Picture& picture);

// The same a band of rows at a time, for a terrain picture too large to hold
// whole: the tracks are read once, for a picture of side x side, and drawn
// on each band of its rows.
class TrackDrawer {
public:
    // Throws, as drawTrack does, before anything is drawn.
    TrackDrawer(GDALDataset& dataset, const GeoReference& ground, Vec3 gain, int side);
    ~TrackDrawer();
    TrackDrawer(TrackDrawer&&) noexcept;

    // Draws on band, the terrain picture's rows from first down.
    void draw(int first, Picture& band);
    const TrackDrawing& drawing() const { return drawing_; } // drawn: on the bands so far

private:
    struct Shapes;
    std::unique_ptr<Shapes> shapes_;
    Vec3 gain_;
    int side_;
    TrackDrawing drawing_;
};

} // namespace landscape
