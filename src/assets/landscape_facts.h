#pragma once
// What the generator (lumora-landscape) and the viewer both hold to, kept
// once: the ground's side, the generator's name and version, the file that
// marks a landscape folder complete, the options the viewer hands the
// generator for an import, the choice of plants, and the line in which the
// generator tells what an import did. The data files' names are in
// data_files.h and the geographic reference in geo_reference.h.

#include <optional>
#include <string>
#include <string_view>

// Height samples along each side of the ground, and the world units it spans.
constexpr int kGroundSide = 1024;

constexpr const char* kGeneratorName = "lumora-landscape";
// Goes up whenever the generator's output for a seed changes; compiled into
// the viewer too, which keys its cache of imports by it.
constexpr int kGeneratorVersion = 4;
// The richest palms whose frame keeps at least 0.9 of the terrain limit and
// pace with another viewer of the same scene, along the benchmark path.
constexpr int kDefaultDetail = 2;
// Holds the version line and is written last, so a folder whose writing was
// cut short never looks complete.
constexpr const char* kVersionFileName = "landscape.version";

// "lumora-landscape N detail D": what --version prints (for the default
// detail) and the version file holds, with a line break.
std::string generatorVersionLine(int detail = kDefaultDetail);

// The generator's options that an import by the viewer passes on.
constexpr const char* kHeightMapOption = "--heightmap"; // the elevation model, always first
constexpr const char* kImageOption = "--image";
constexpr const char* kTrackOption = "--track";
constexpr const char* kPlantsOption = "--plants";

// --plants none|palms: None leaves the palm and grass meshes without
// triangles (the viewer still reads them, and draws nothing).
enum class Plants { None, Palms };
constexpr const char* kPlantsChoices = "none or palms";
// The choice a --plants value names; none for any other text.
std::optional<Plants> plantsNamed(std::string_view text);

// The import line: "MODEL: WHAT", the elevation model as given to
// --heightmap, then what the import did, on one line of the generator's
// standard output once its files are written.
std::string importLine(const std::string& model, const std::string& what);
// The import line for that model within the generator's output; empty without one.
std::string findImportLine(const std::string& output, const std::string& model);
