// lumora-landscape: writes the default landscape, or one around a user's own
// terrain, into a folder.
#include "fine_ground.h"
#include "landscape.h"
#include "place_import.h"
#include "plants.h"

#include "assets/data_files.h"
#include "assets/landscape_facts.h"
#include "common/sandbox.h"
#include "common/tool_options.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: lumora-landscape OUTDIR [--seed N] [--detail N]\n"
                      "                        [--plants none|palms] [--image-size N]\n"
                      "                        [--ground-size N|none]\n"
                      "                        [--heightmap FILE [--exaggeration F | --vertical-scale S]\n"
                      "                                          [--crop X,Y,W,H | --bounds W,S,E,N]\n"
                      "                                          [--image PICTURE] [--track TRACK]]\n"
                      "       lumora-landscape --names | --help | --version\n");
}

// Every option, in the order --help lists them.
const std::vector<ToolOption>& options()
{
    static const std::vector<ToolOption> table = {
        {"--seed", true, "N",
         formatText("landscape seed, an unsigned integer (default %llu)",
                    static_cast<unsigned long long>(landscape::kDefaultSeed))},
        {"--detail", true, "N",
         formatText("palms and grass at level N, %d to %d (default %d); level 1 has a few\n"
                    "dozen triangles a palm, and each level up about twice as many",
                    landscape::kLeastDetail, landscape::kMostDetail, landscape::kDefaultDetail)},
        {"--heightmap", true, "FILE",
         formatText("the ground from your own elevation model instead of a generated\n"
                    "one: a GeoTIFF (also cloud-optimised; 16-bit integer or 32-bit\n"
                    "float), an SRTM .hgt tile, zipped or not, an ESRI ASCII grid\n"
                    "(.asc), an ERDAS .img, an ESRI .flt with its .hdr, a mosaic of\n"
                    "tiles (.vrt), or a greyscale PNG of 8 or 16 bits. Samples without\n"
                    "data are filled from their neighbours. It is kept at its own\n"
                    "samples in the fine ground (--ground-size), the height map read\n"
                    "from that at 1024 x 1024, and its lowest point set to height 0;\n"
                    "its top (north) row lies along z = 0 and its left (west) column\n"
                    "along x = 0. Its edges are left as they are (the viewer draws the\n"
                    "ground once). A\n"
                    "georeferenced file is drawn at most %g times steeper than it is,\n"
                    "less where its relief would not fit in heights 0 to 255 (then its\n"
                    "highest point is 255): enough for low hills to show, little enough\n"
                    "for a coast or a valley to keep its shape. A file without\n"
                    "georeferencing spreads over heights 0 to 255. The ground is raised\n"
                    "(or its relief flattened) until the start at (%d, %d) lies above\n"
                    "height 25. One line tells the file's size, the height step and,\n"
                    "for a georeferenced file, the grid step and height step in metres\n"
                    "and the exaggeration that results. The terrain picture is painted\n"
                    "from it; the other files are as generated. A mosaic whose tiles\n"
                    "are not files in its own folder is refused, and nothing is fetched\n"
                    "from the network.",
                    static_cast<double>(landscape::kMostDefaultExaggeration), landscape::kStartX,
                    landscape::kStartZ)},
        {"--exaggeration", true, "F",
         "heights F times as steep as the ground is instead (1 gives true\n"
         "proportions, a height step as long as a grid step); needs a\n"
         "georeferenced file. A relief too high for heights 0 to 255 at\n"
         "that scale is flattened to fit, and the line says by how much"},
        {"--vertical-scale", true, "S",
         "input units per height step instead (a positive number); heights\n"
         "above 255 are cut at 255"},
        {"--crop", true, "X,Y,W,H", "use only the W x H samples from column X, row Y of the file"},
        {"--bounds", true, "W,S,E,N",
         "use only the part of a georeferenced file between west W, south S,\n"
         "east E and north N, in the file's own coordinates (degrees for\n"
         "SRTM tiles, metres for most national grids)"},
        {"--image", true, "PICTURE",
         "lay your own orthophoto or satellite picture on the ground:\n"
         "a GeoTIFF (also cloud-optimised), JPEG 2000, JPEG, PNG, WebP,\n"
         "ERDAS .img or a mosaic of tiles (.vrt), RGB, RGBA or grey (more\n"
         "than 8 bits are stretched by their statistics). It is warped\n"
         "into the elevation model's coordinate system over exactly the\n"
         "ground the heights cover; one without georeferencing is\n"
         "stretched over it. Where it covers only part, the rest is\n"
         "painted and the line gives the share it covers"},
        {"--track", true, "TRACK",
         "draw GPS tracks, routes and waypoints (GPX, GeoJSON or KML) on\n"
         "the ground, red with a dark edge; needs a georeferenced model"},
        {"--image-size", true, "N",
         formatText("the terrain picture's side, %d to %d (default %d with\n"
                    "--image, else %d); a larger one is sharper and costs the\n"
                    "viewer more start-up time and memory. Above %d it is\n"
                    "written as %s, a tiled picture with\n"
                    "overviews, and %s at %d beside it",
                    landscape::kMapSize, landscape::kMostPictureSize, landscape::kPhotoPictureSize,
                    landscape::kMapSize, landscape::kMostWholePictureSize, kFinePictureFileName,
                    dataFileName(DataFile::TerrainPicture), landscape::kListPictureSize)},
        {landscape::kGroundSizeOption, true, "N|none",
         "the fine ground's side, 1025, 2049, 4097, 8193 or 16385 samples,\n"
         "written as landscape.ground.tif beside the height map, which is\n"
         "read from it; or none. With --heightmap the default is the\n"
         "smallest that holds the samples across the part used (a larger\n"
         "model is averaged down to 16385), and none gives the height map\n"
         "alone, as without a fine ground. The generated landscape has none\n"
         "by default; at 1025 its ground holds the height map's own heights\n"
         "unrounded, and larger sides add finer detail between them"},
        {"--plants", true, "none|palms",
         "palms and grass (the default), or none: their meshes are\n"
         "written empty, and the viewer draws no plants"},
        {"--names", false, nullptr,
         "print the names of the files the viewer reads, one a line, in the\n"
         "order it reads them, and exit"},
        {"--version", false, nullptr,
         "print the generator version line and exit; landscape.version\n"
         "holds the same line, so a folder made by an older generator\n"
         "or at another level of detail can be told apart"},
        {"--help", false, nullptr, "print this text and exit"},
    };
    return table;
}

void printHelp()
{
    printUsage(stdout);
    std::printf("\n"
                "Writes the complete set of data files that the viewer reads from its working\n"
                "directory into OUTDIR (created if missing): the height map Tertest.raw, the\n"
                "terrain and detail pictures, the six sky-box faces, the flyer sprite busch2.tga,\n"
                "the palm and grass meshes (.vxm) with their textures, and landscape.version;\n"
                "for a georeferenced elevation model also landscape.geo.json, where it lies;\n"
                "with a fine ground also landscape.ground.tif.\n"
                "Files already in OUTDIR are overwritten. The same seed always gives the same\n"
                "bytes; another seed gives another landscape.\n"
                "\n");
    printToolOptions(options(), {.indent = 2, .column = 14});
}

// A whole number from least to most.
bool parseWholeIn(std::string_view text, int least, int most, int& value)
{
    return parseNumberText(text, value) && value >= least && value <= most;
}

bool parseScale(const char* text, float& scale)
{
    char* end = nullptr;
    scale = std::strtof(text, &end);
    return end != text && *end == '\0' && std::isfinite(scale) && scale > 0.0f;
}

bool parseCrop(std::string_view text, landscape::CropBox& box)
{
    int* const fields[] = {&box.x, &box.y, &box.width, &box.height};
    const char* at = text.data();
    const char* end = at + text.size();
    for (size_t i = 0; i < 4; ++i) {
        const auto [last, error] = std::from_chars(at, end, *fields[i]);
        if (error != std::errc() || last == at)
            return false;
        const char expected = i < 3 ? ',' : '\0';
        if ((last == end ? '\0' : *last) != expected)
            return false;
        at = last + (i < 3 ? 1 : 0);
    }
    return box.width > 0 && box.height > 0;
}

bool parseBounds(const std::string& text, landscape::CoordinateBox& box)
{
    double* const fields[] = {&box.west, &box.south, &box.east, &box.north};
    const char* at = text.c_str();
    for (size_t i = 0; i < 4; ++i) {
        char* last = nullptr;
        *fields[i] = std::strtod(at, &last);
        if (last == at || !std::isfinite(*fields[i]) || *last != (i < 3 ? ',' : '\0'))
            return false;
        at = last + 1;
    }
    return box.west < box.east && box.south < box.north;
}

// Makes the folder and any missing above it; made gets those it made,
// innermost first.
bool makeFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& made)
{
    std::error_code error;
    std::filesystem::path at = std::filesystem::absolute(folder).lexically_normal();
    if (!at.has_filename())
        at = at.parent_path(); // "out/" is the folder "out"
    for (; at.has_relative_path() && !std::filesystem::exists(at, error); at = at.parent_path())
        made.push_back(at);
    std::filesystem::create_directories(folder, error);
    if (error)
        std::fprintf(stderr, "lumora-landscape: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
    return !error;
}

// The locked work reads the inputs' folders (a mosaic's tiles, a .flt's
// header and a picture's world file lie beside them) and writes OUTDIR.
SandboxRules importRules(const landscape::ImportOptions& import, const std::string& folder)
{
    SandboxRules rules{systemReadFolders(SystemData::Geodata), {folder}};
    for (const std::filesystem::path* input : {&import.heightMap, &import.image, &import.track})
        if (!input->empty())
            rules.readFolders.push_back(std::filesystem::absolute(*input).parent_path());
    return rules;
}

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line = parseToolCommandLine(argc, argv, options());
    // The generator's version is its own, the line that landscape.version repeats.
    const auto printVersion = [](const char*) { std::printf("%s\n", landscape::versionLine().c_str()); };
    if (const int status = answerToolCommandLine(line, "lumora-landscape", printHelp, printUsage, printVersion);
        status != kToolRuns)
        return status;
    if (line.has("--names")) {
        for (const DataFileRow& row : kDataFiles)
            std::printf("%s\n", row.name);
        return 0;
    }
    uint64_t seed = landscape::kDefaultSeed;
    if (const std::string* text = line.value("--seed"); text && !parseNumberText(*text, seed)) {
        std::fprintf(stderr, "lumora-landscape: --seed needs an unsigned integer\n");
        return 2;
    }
    int detail = landscape::kDefaultDetail;
    if (const std::string* text = line.value("--detail");
        text && !parseWholeIn(*text, landscape::kLeastDetail, landscape::kMostDetail, detail)) {
        std::fprintf(stderr, "lumora-landscape: --detail needs a level from %d to %d\n", landscape::kLeastDetail,
                     landscape::kMostDetail);
        return 2;
    }
    landscape::LandscapeOptions options;
    options.detail = detail;
    if (const std::string* text = line.value(kPlantsOption)) {
        const std::optional<Plants> plants = plantsNamed(*text);
        if (!plants) {
            std::fprintf(stderr, "lumora-landscape: %s needs %s\n", kPlantsOption, kPlantsChoices);
            return 2;
        }
        options.plants = *plants;
    }
    landscape::ImportOptions import;
    if (const std::string* text = line.value("--image"))
        import.image = *text;
    if (const std::string* text = line.value("--track"))
        import.track = *text;
    if (const std::string* text = line.value("--image-size");
        text &&
        !parseWholeIn(*text, landscape::kMapSize, landscape::kMostPictureSize, import.pictureSize.emplace())) {
        std::fprintf(stderr, "lumora-landscape: --image-size needs a side from %d to %d\n", landscape::kMapSize,
                     landscape::kMostPictureSize);
        return 2;
    }
    options.pictureSize = import.pictureSize.value_or(landscape::kMapSize);
    if (const std::string* text = line.value(landscape::kGroundSizeOption)) {
        import.groundSize = landscape::groundSizeNamed(*text);
        if (!import.groundSize) {
            std::fprintf(stderr, "lumora-landscape: %s needs %s\n", landscape::kGroundSizeOption,
                         landscape::kGroundSizeChoices);
            return 2;
        }
        options.groundSize = *import.groundSize;
    }
    if (const std::string* text = line.value("--vertical-scale");
        text && !parseScale(text->c_str(), import.scale.emplace())) {
        std::fprintf(stderr, "lumora-landscape: --vertical-scale needs a positive number\n");
        return 2;
    }
    if (const std::string* text = line.value("--exaggeration");
        text && !parseScale(text->c_str(), import.exaggeration.emplace())) {
        std::fprintf(stderr, "lumora-landscape: --exaggeration needs a positive number\n");
        return 2;
    }
    if (const std::string* text = line.value("--crop"); text && !parseCrop(*text, import.window.samples.emplace())) {
        std::fprintf(stderr, "lumora-landscape: --crop needs X,Y,W,H (W and H above 0)\n");
        return 2;
    }
    if (const std::string* text = line.value("--bounds");
        text && !parseBounds(*text, import.window.bounds.emplace())) {
        std::fprintf(stderr, "lumora-landscape: --bounds needs W,S,E,N (west below east, south below north)\n");
        return 2;
    }
    if (const std::string* text = line.value("--heightmap"))
        import.heightMap = *text;
    if (import.heightMap.empty() && (import.scale || import.exaggeration || import.window.samples ||
                                     import.window.bounds || !import.image.empty() || !import.track.empty())) {
        std::fprintf(stderr, "lumora-landscape: --vertical-scale, --exaggeration, --crop, --bounds, --image and "
                             "--track go with --heightmap\n");
        return 2;
    }
    if (import.scale && import.exaggeration) {
        std::fprintf(stderr,
                     "lumora-landscape: --vertical-scale and --exaggeration set the same thing: one of them\n");
        return 2;
    }
    if (import.window.samples && import.window.bounds) {
        std::fprintf(stderr, "lumora-landscape: --crop and --bounds both choose the part to read: one of them\n");
        return 2;
    }
    if (line.positional.size() != 1)
        return reportUsageError("lumora-landscape", line.positional.empty() ? "" : "only one OUTDIR, please",
                                printUsage);
    const std::string& folder = line.positional[0];
    options.folder = import.folder = folder;

    // The work runs in a child locked into the sandbox; folders made here
    // for it are removed again when it fails, which the child could not do.
    std::vector<std::filesystem::path> made;
    if (!makeFolder(folder, made))
        return 1;
    if (const std::optional<ChildEnding> ending = continueInChild("lumora-landscape")) {
        std::error_code error;
        if (!ending->succeeded()) {
            landscape::removePassingFiles(folder); // what a child cut short left
            for (const std::filesystem::path& each : made)
                std::filesystem::remove(each, error); // only while empty
        }
        return endLikeChild(*ending);
    }
    if (!enterToolSandbox("lumora-landscape", importRules(import, folder),
                          "the import runs with its own checks and without network sockets"))
        return 1;

    try {
        const auto start = std::chrono::steady_clock::now();
        // Everything is built before the folder is touched, so a height map
        // that cannot serve leaves it as it was.
        std::vector<landscape::LandscapeFile> files;
        std::string report; // what the import did, told once its files are written
        if (import.heightMap.empty()) {
            files = landscape::buildLandscape(seed, options);
        } else {
            landscape::ImportedPlace place = landscape::importPlace(import, seed);
            report = std::move(place.report);
            files = landscape::buildLandscapeAround(std::move(place.terrain), seed, options);
        }
        landscape::prepareLandscapeFolder(folder);
        size_t total = 0;
        for (const landscape::LandscapeFile& file : files) {
            const size_t bytes = landscape::writeLandscapeFile(folder, file);
            std::printf("  %-18s %9zu bytes\n", file.name.c_str(), bytes);
            total += bytes;
        }
        if (!report.empty())
            std::printf("%s\n", report.c_str());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %zu files, %zu bytes, seed %llu, %.2f s -> %s\n", landscape::versionLine(detail).c_str(),
                    files.size(), total, static_cast<unsigned long long>(seed), seconds, folder.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lumora-landscape: %s\n", e.what());
        return 1;
    }
    return 0;
}
