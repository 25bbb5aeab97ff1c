#include "geo_reference.h"

#include "geodata_file.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace landscape {

std::array<double, 6> worldTransformOf(const std::array<double, 6>& w, int windowWidth, int windowHeight)
{
    // World x covers window columns (x + 0.5) * across, so x = 0 is the
    // centre of the first cell, half a cell in from the window's edge.
    const double across = static_cast<double>(windowWidth) / kGroundSide;
    const double along = static_cast<double>(windowHeight) / kGroundSide;
    return {w[0] + 0.5 * across * w[1] + 0.5 * along * w[2], across * w[1], along * w[2],
            w[3] + 0.5 * across * w[4] + 0.5 * along * w[5], across * w[4], along * w[5]};
}

std::array<double, 6> worldTransformOf(const std::array<double, 6>& w, double firstColumn, double columnsEach,
                                       double firstRow, double rowsEach)
{
    return {w[0] + firstColumn * w[1] + firstRow * w[2], columnsEach * w[1], rowsEach * w[2],
            w[3] + firstColumn * w[4] + firstRow * w[5], columnsEach * w[4], rowsEach * w[5]};
}

void placeGridOnEarth(GeoReference& reference)
{
    const std::array<double, 6>& t = reference.geotransform;
    setUpGeodataLibrary();
    OGRSpatialReference model, lonLat;
    if (model.importFromWkt(reference.systemWkt.c_str()) != OGRERR_NONE)
        throw std::runtime_error("its coordinate system cannot be read");
    lonLat.SetWellKnownGeogCS("WGS84");
    // Longitude first, in both systems' own order of x then y.
    model.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    lonLat.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const std::unique_ptr<OGRCoordinateTransformation> toLonLat(OGRCreateCoordinateTransformation(&model, &lonLat));
    if (!toLonLat)
        throw std::runtime_error("its coordinate system cannot be turned into longitude and latitude");
    for (int row = 0; row < kGeoGridCount; ++row)
        for (int column = 0; column < kGeoGridCount; ++column) {
            const double x = column * kGeoGridEvery, z = row * kGeoGridEvery;
            double east = t[0] + x * t[1] + z * t[2];
            double north = t[3] + x * t[4] + z * t[5];
            if (!toLonLat->Transform(1, &east, &north) || !std::isfinite(east) || !std::isfinite(north))
                throw std::runtime_error("a corner of the ground has no longitude and latitude");
            reference.grid[row * kGeoGridCount + column] = {std::remainder(east, 360.0), north};
        }
    setCornersFromGrid(reference);
}

} // namespace landscape
