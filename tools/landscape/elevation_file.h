// Elevation models read from files through the raster library: GeoTIFF (and
// cloud-optimised GeoTIFF), SRTM .hgt and zipped .hgt, ASCII grids, .img,
// .flt with its header, 8- and 16-bit PNG and the other pictures the import
// took before, and mosaics of those (.vrt). Only the window the user asked
// for is read, resampled by averaging straight to at most kMapSize samples a
// side, or the fine ground's side (from the file's overviews where it has
// them), so a large file never sits in memory whole.
//
// A file never makes the import reach the network or read outside what the
// user named (geodata_file.h); failures come back as one plain reason.
#pragma once

#include "elevation.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace landscape {

// A box in the file's own coordinates (west, south, east, north).
struct CoordinateBox {
    double west = 0.0, south = 0.0, east = 0.0, north = 0.0;
};

// The part of the file to read: all of it, a box of samples, or a box in the
// file's coordinates (a georeferenced file only).
struct ReadWindow {
    std::optional<CropBox> samples;
    std::optional<CoordinateBox> bounds;
};

struct ElevationModel {
    ElevationGrid grid;  // the window resampled, at most the side asked for; holes NaN
    int windowWidth = 0; // samples of the window in the file
    int windowHeight = 0;
    // The window's ground size in metres, where the file says where it lies
    // (a projected system, or degrees taken at the window's middle latitude).
    std::optional<double> metresAcross; // west to east
    std::optional<double> metresAlong;  // north to south
    double metresPerUnit = 1.0;         // the samples' height unit (metres unless the file says feet)
    // Where the window lies: GDAL's geotransform from the window's (column,
    // row), counted from its top-left corner, to the file's coordinates, and
    // the file's coordinate system as WKT (empty when it names none).
    std::optional<std::array<double, 6>> windowTransform;
    std::string systemWkt;
};

// Reads the window at most mostSide samples a side (kGroundSideOfWindow: the
// fine ground's default side for the window, groundSideFor). Throws
// std::runtime_error with the reason in plain words (the caller names the
// file).
constexpr int kGroundSideOfWindow = -1;
ElevationModel readElevationModel(const std::filesystem::path& file, const ReadWindow& window = {},
                                  int mostSide = kMapSize);

} // namespace landscape
