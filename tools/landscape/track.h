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

} // namespace landscape
