// The geographic reference of an imported place, written beside the data
// files as landscape.geo.json: where the world's x and z lie in the elevation
// model's coordinate system, how many metres a height is, and the longitude
// and latitude of a grid of world points (every 64 units, 17 × 17, row z = 0
// first), so that a reader without GDAL can tell where a point of the world
// lies. The world point (i, j) is the centre of the ground cell that the
// viewer draws there; x runs east along the model's columns, z south along
// its rows.
#pragma once

#include "assets/geo_reference.h" // the file's name and its grid, as the viewer reads them

#include <array>
#include <string>
#include <vector>

namespace landscape {

struct GeoReference {
    std::string systemWkt;                // the model's coordinate system
    std::array<double, 6> worldTransform; // GDAL's order: world (x, z) to the model's coordinates
    double metresAtHeight0 = 0.0;         // above the model's datum
    double metresPerHeightStep = 0.0;
    std::vector<std::array<double, 2>> gridLonLat; // kGeoGridCount² points, WGS 84 longitude, latitude
    double treeLineNorth = 0.0; // metres at z = 0, where the painted forest ends and plants stop
    double treeLineSouth = 0.0; // and at z = 1024, even in between
};

// The world transform of a window of the model stretched over the ground:
// windowTransform maps the window's (column, row) from its top-left corner,
// and each of the ground's cells takes an equal share of the window.
std::array<double, 6> worldTransformOf(const std::array<double, 6>& windowTransform, int windowWidth,
                                       int windowHeight);

// The longitude and latitude of the grid's points. Throws std::runtime_error
// when the system cannot be turned into longitude and latitude.
std::vector<std::array<double, 2>> lonLatGrid(const std::string& systemWkt,
                                              const std::array<double, 6>& worldTransform);

// The file's text: one JSON object, numbers that read back to the same doubles.
std::string formatGeoReference(const GeoReference& reference);

} // namespace landscape
