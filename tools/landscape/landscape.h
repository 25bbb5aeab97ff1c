// The complete default landscape: every file that the viewer reads from its
// working directory, built in memory from one seed. The same seed gives the
// same bytes; the run script regenerates a folder whose "landscape.version"
// differs from versionLine(), so kGeneratorVersion goes up whenever the
// output for a seed changes.
#pragma once

#include "assets/landscape_facts.h"
#include "fine_picture.h"
#include "heightfield.h"
#include "picture.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace landscape {

using ::kDefaultDetail;
using ::kGeneratorVersion;
using ::kVersionFileName;
constexpr uint64_t kDefaultSeed = 1;

// "lumora-landscape N detail D": printed by --version (for the default
// detail) and held, with a line break, in the version file, so a folder made
// at another level of detail tells itself apart too.
inline std::string versionLine(int detail = kDefaultDetail) { return generatorVersionLine(detail); }

struct LandscapeFile {
    std::string name;
    std::vector<uint8_t> bytes;
    // Writes the file itself instead, where it is too large to be held twice.
    std::function<void(const std::filesystem::path&)> write = {};
};

using ::Plants;

struct LandscapeOptions {
    int detail = kDefaultDetail; // palms and tufts at this level of detail (plants.h)
    // None leaves the palm and grass meshes without triangles: the viewer
    // still reads them, and draws nothing.
    Plants plants = Plants::Palms;
    int pictureSize = kMapSize; // the terrain picture's side, kMapSize..kMostPictureSize
    int groundSize = 0;         // the generated fine ground's side (fine_ground.h); 0: none
    std::filesystem::path folder; // the landscape's: a picture past kMostWholePictureSize is made in it
};

constexpr int kMostPictureSize = kMostFinePictureSide;

struct FineGround; // fine_ground.h

// The ground and the two pictures laid on it.
struct Terrain {
    HeightField ground;       // 1024 × 1024, heights 0..255
    Picture picture;          // the terrain picture, square, top row along z = 0
    // Past kMostWholePictureSize: landscape.picture.tif, made in the folder
    // already (picture is then the same at kListPictureSize).
    std::shared_ptr<const MadeFile> finePicture;
    Picture detailPicture;    // repeated over the ground and multiplied in
    std::string geoReference; // the text of landscape.geo.json; empty where the place has none
    std::shared_ptr<const FineGround> fineGround; // landscape.ground.tif; none without
};

// Every file in the order to write them; the version file comes last, so a
// folder whose writing was cut short never looks complete. The generated
// terrain is made while the sky and the plants are built on a second thread.
std::vector<LandscapeFile> buildLandscape(uint64_t seed, const LandscapeOptions& options = {});

// The same around a terrain that is given (a user's own place), under an open
// sky (sky.h); the picture's side is the terrain's own.
std::vector<LandscapeFile> buildLandscapeAround(Terrain terrain, uint64_t seed, const LandscapeOptions& options = {});

// Removes a version file left in the folder, so that a set that fails half
// way is not taken for a complete one, and a geographic reference and a fine
// ground and a fine picture, so that a folder never carries one that is not its own; creates
// the folder if it is missing.
void prepareLandscapeFolder(const std::filesystem::path& folder);

// Writes one file into the folder and returns its size. Throws std::runtime_error on failure.
size_t writeLandscapeFile(const std::filesystem::path& folder, const LandscapeFile& file);

} // namespace landscape
