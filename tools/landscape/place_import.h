// The import of a user's own place, in one piece: the elevation model read,
// filled and fitted as the ground, the terrain picture laid on it, and the
// geographic reference that ties the world's x and z to the model's
// coordinates. It returns everything the landscape's terrain files are made
// of, and the one line that tells the user what was done; it writes nothing.
#pragma once

#include "elevation_file.h"
#include "geo_reference.h"
#include "landscape.h"

#include <filesystem>
#include <optional>
#include <string>

namespace landscape {

// A georeferenced model is drawn at most this many times steeper than it is,
// unless told otherwise: enough for a plain's low hills to read from the
// eye's height, and little enough that a coast or a valley keeps its shape.
// A relief too high for the byte range at this scale is drawn flatter, spread
// over the range. (Spread over the range always, a coastal plain 90 m high
// came out 28 times steeper, a wall of white spikes.)
constexpr float kMostDefaultExaggeration = 3.0f;

// A photograph has more to show than one texel a grid step.
constexpr int kPhotoPictureSize = 2048;

struct ImportOptions {
    std::filesystem::path heightMap;
    std::optional<float> scale;        // input units per height step
    std::optional<float> exaggeration; // times steeper than the ground is (1: true proportions); by default
                                       // at most kMostDefaultExaggeration
    ReadWindow window;                 // the part of the elevation model to use
    std::filesystem::path image;       // a picture to lay on the ground; empty: none
    std::filesystem::path track;       // tracks and waypoints to draw on it; empty: none
    // The terrain picture's side; by default kPhotoPictureSize with a picture, else kMapSize.
    std::optional<int> pictureSize;
    // The fine ground's side (fine_ground.h); kNoGround for none; by default
    // the smallest that holds the window's samples.
    std::optional<int> groundSize;
    std::filesystem::path folder; // the landscape's: a picture past kMostWholePictureSize is made in it
};

struct ImportedPlace {
    Terrain terrain;
    std::optional<GeoReference> reference; // what terrain.geoReference holds, where the model is georeferenced
    std::string report;                    // what was done, one line without its line break
};

// Throws std::runtime_error, its text starting with the file that cannot
// serve, when one cannot.
ImportedPlace importPlace(const ImportOptions& options, uint64_t seed);

} // namespace landscape
