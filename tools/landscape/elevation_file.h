// Elevation models read from files through the raster library: GeoTIFF (and
// cloud-optimised GeoTIFF), SRTM .hgt and zipped .hgt, ASCII grids, .img,
// .flt with its header, 8- and 16-bit PNG and the other pictures the import
// took before, and mosaics of those (.vrt). Only the window the user asked
// for is read, resampled by averaging straight to at most kMapSize samples a
// side (from the file's overviews where it has them), so a large file never
// sits in memory whole.
//
// A file never makes the import reach the network or read outside what the
// user named: only the drivers above may open it, a mosaic whose sources are
// not files in its own folder is refused before it is opened, and every file
// the opened dataset reads must lie in the named file's folder. The library's
// own messages are kept quiet; failures come back as one plain reason.
#pragma once

#include "elevation.h"

#include <filesystem>
#include <optional>

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
    ElevationGrid grid;   // the window resampled, at most kMapSize a side; holes NaN
    int windowWidth = 0;  // samples of the window in the file
    int windowHeight = 0;
    // The window's ground size in metres, where the file says where it lies
    // (a projected system, or degrees taken at the window's middle latitude).
    std::optional<double> metresAcross; // west to east
    std::optional<double> metresAlong;  // north to south
    double metresPerUnit = 1.0;         // the samples' height unit (metres unless the file says feet)
};

// Throws std::runtime_error with the reason in plain words (the caller names
// the file).
ElevationModel readElevationModel(const std::filesystem::path& file, const ReadWindow& window = {});

} // namespace landscape
