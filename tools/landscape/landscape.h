// The complete default landscape: every file that the viewer reads from its
// working directory, built in memory from one seed. The same seed gives the
// same bytes; the run script regenerates a folder whose "landscape.version"
// differs from versionLine(), so kGeneratorVersion goes up whenever the
// output for a seed changes.
#pragma once

#include "heightfield.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace landscape {

constexpr int kGeneratorVersion = 3;
constexpr uint64_t kDefaultSeed = 1;
// The richest palms whose frame keeps at least 0.9 of the terrain limit and
// pace with another viewer of the same scene, along the benchmark path.
constexpr int kDefaultDetail = 2;
constexpr const char* kVersionFileName = "landscape.version";

// "lumora-landscape N detail D": printed by --version (for the default
// detail) and held, with a line break, in the version file, so a folder made
// at another level of detail tells itself apart too.
std::string versionLine(int detail = kDefaultDetail);

struct LandscapeFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Every file in the order to write them; the version file comes last, so a
// folder whose writing was cut short never looks complete.
// Palms and tufts at the given level of detail (plants.h).
std::vector<LandscapeFile> buildLandscape(uint64_t seed, int detail = kDefaultDetail);

// The same around a ground that is given rather than generated (a user's own
// terrain, 1024 × 1024, heights 0..255): its picture is painted from it, and
// every other file is as the seed makes it.
std::vector<LandscapeFile> buildLandscapeAround(const HeightField& ground, uint64_t seed,
                                                int detail = kDefaultDetail);

// Removes a version file left in the folder, so that a set that fails half
// way is not taken for a complete one; creates the folder if it is missing.
void prepareLandscapeFolder(const std::filesystem::path& folder);

// Writes one file into the folder. Throws std::runtime_error on failure.
void writeLandscapeFile(const std::filesystem::path& folder, const LandscapeFile& file);

} // namespace landscape
