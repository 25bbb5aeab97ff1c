// The complete default landscape: every file that the viewer reads from its
// working directory, built in memory from one seed. The same seed gives the
// same bytes; the run script regenerates a folder whose "landscape.version"
// differs from versionLine(), so kGeneratorVersion goes up whenever the
// output for a seed changes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace landscape {

constexpr int kGeneratorVersion = 2;
constexpr uint64_t kDefaultSeed = 1;
constexpr const char* kVersionFileName = "landscape.version";

// "lumora-landscape N": printed by --version and held, with a line break,
// in the version file.
std::string versionLine();

struct LandscapeFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Every file in the order to write them; the version file comes last, so a
// folder whose writing was cut short never looks complete.
std::vector<LandscapeFile> buildLandscape(uint64_t seed);

// Removes a version file left in the folder, so that a set that fails half
// way is not taken for a complete one; creates the folder if it is missing.
void prepareLandscapeFolder(const std::filesystem::path& folder);

// Writes one file into the folder. Throws std::runtime_error on failure.
void writeLandscapeFile(const std::filesystem::path& folder, const LandscapeFile& file);

} // namespace landscape
