// lumora-landscape: writes the default landscape, or one around a user's own
// terrain, into a folder.
#include "elevation.h"
#include "landscape.h"
#include "plants.h"

#include "assets/data_files.h"
#include "common/tool_options.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace {

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: lumora-landscape OUTDIR [--seed N] [--detail N]\n"
                      "                        [--heightmap FILE [--vertical-scale S] [--crop X,Y,W,H]]\n"
                      "       lumora-landscape --names | --help | --version\n");
}

void printHelp()
{
    printUsage(stdout);
    std::printf("\n"
                "Writes the complete set of data files that the viewer reads from its working\n"
                "directory into OUTDIR (created if missing): the height map Tertest.raw, the\n"
                "terrain and detail pictures, the six sky-box faces, the flyer sprite busch2.tga,\n"
                "the palm and grass meshes (.vxm) with their textures, and landscape.version.\n"
                "Files already in OUTDIR are overwritten. The same seed always gives the same\n"
                "bytes; another seed gives another landscape.\n"
                "\n"
                "  --seed N    landscape seed, an unsigned integer (default %llu)\n"
                "  --detail N  palms and grass at level N, %d to %d (default %d); level 1 has a few\n"
                "              dozen triangles a palm, and each level up about twice as many\n"
                "  --heightmap FILE\n"
                "              the ground from your own height map instead of a generated one:\n"
                "              a greyscale PNG (8 or 16 bits) or an SRTM .hgt tile (1201 or 3601\n"
                "              samples square; no-data holes are filled from their neighbours).\n"
                "              It is resampled to 1024 x 1024 and its lowest point set to height\n"
                "              0, its highest to 255; the picture's top row lies along z = 0 and\n"
                "              its left column along x = 0. The terrain picture is painted from\n"
                "              it; the other files are as generated.\n"
                "  --vertical-scale S\n"
                "              input units per height step instead (a positive number); heights\n"
                "              above 255 are cut at 255\n"
                "  --crop X,Y,W,H\n"
                "              use only the W x H samples from column X, row Y of the height map\n"
                "  --names     print the names of the files the viewer reads, one a line, in the\n"
                "              order it reads them, and exit\n"
                "  --version   print the generator version line and exit; landscape.version\n"
                "              holds the same line, so a folder made by an older generator\n"
                "              or at another level of detail can be told apart\n"
                "  --help      print this text and exit\n",
                static_cast<unsigned long long>(landscape::kDefaultSeed), landscape::kLeastDetail,
                landscape::kMostDetail, landscape::kDefaultDetail);
}

bool parseSeed(std::string_view text, uint64_t& seed)
{
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, seed);
    return !text.empty() && error == std::errc() && last == end;
}

bool parseDetail(std::string_view text, int& detail)
{
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, detail);
    return !text.empty() && error == std::errc() && last == end && detail >= landscape::kLeastDetail &&
           detail <= landscape::kMostDetail;
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

// The user's height map as the ground, with what was done to it on one line.
// Throws std::runtime_error when the file cannot serve.
landscape::HeightField groundFrom(const std::string& file, std::optional<float> scale,
                                  std::optional<landscape::CropBox> box)
{
    landscape::ElevationGrid grid = landscape::readElevationFile(file);
    try {
        if (box)
            grid = landscape::crop(grid, *box);
        const int filled = landscape::fillNoData(grid);
        landscape::GroundFit fit = landscape::fitGround(grid, scale);
        std::printf("%s: %d x %d samples, from %g to %g; one height step is %g input units", file.c_str(), grid.width,
                    grid.height, static_cast<double>(fit.inputMin), static_cast<double>(fit.inputMax),
                    static_cast<double>(fit.unitsPerStep));
        if (filled > 0)
            std::printf("; %d no-data samples filled", filled);
        if (fit.clipped > 0)
            std::printf("; %d heights cut at 255", fit.clipped);
        std::printf("\n");
        return std::move(fit.ground);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(file + ": " + e.what());
    }
}

} // namespace

int main(int argc, char** argv)
{
    const ToolCommandLine line = parseToolCommandLine(argc, argv,
                                                      {{"--seed", true},
                                                       {"--detail", true},
                                                       {"--heightmap", true},
                                                       {"--vertical-scale", true},
                                                       {"--crop", true},
                                                       {"--names", false}});
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
    if (const std::string* text = line.value("--seed"); text && !parseSeed(*text, seed)) {
        std::fprintf(stderr, "lumora-landscape: --seed needs an unsigned integer\n");
        return 2;
    }
    int detail = landscape::kDefaultDetail;
    if (const std::string* text = line.value("--detail"); text && !parseDetail(*text, detail)) {
        std::fprintf(stderr, "lumora-landscape: --detail needs a level from %d to %d\n", landscape::kLeastDetail,
                     landscape::kMostDetail);
        return 2;
    }
    std::optional<float> scale;
    if (const std::string* text = line.value("--vertical-scale");
        text && !parseScale(text->c_str(), scale.emplace())) {
        std::fprintf(stderr, "lumora-landscape: --vertical-scale needs a positive number\n");
        return 2;
    }
    std::optional<landscape::CropBox> box;
    if (const std::string* text = line.value("--crop"); text && !parseCrop(*text, box.emplace())) {
        std::fprintf(stderr, "lumora-landscape: --crop needs X,Y,W,H (W and H above 0)\n");
        return 2;
    }
    const std::string* heightMapText = line.value("--heightmap");
    const std::string heightMap = heightMapText ? *heightMapText : std::string();
    if (heightMap.empty() && (scale || box)) {
        std::fprintf(stderr, "lumora-landscape: --vertical-scale and --crop go with --heightmap\n");
        return 2;
    }
    if (line.positional.size() != 1)
        return reportUsageError("lumora-landscape", line.positional.empty() ? "" : "only one OUTDIR, please",
                                printUsage);
    const std::string& folder = line.positional[0];

    try {
        const auto start = std::chrono::steady_clock::now();
        // Everything is built before the folder is touched, so a height map
        // that cannot serve leaves it as it was.
        const std::vector<landscape::LandscapeFile> files =
            heightMap.empty() ? landscape::buildLandscape(seed, detail)
                              : landscape::buildLandscapeAround(groundFrom(heightMap, scale, box), seed, detail);
        landscape::prepareLandscapeFolder(folder);
        size_t total = 0;
        for (const landscape::LandscapeFile& file : files) {
            landscape::writeLandscapeFile(folder, file);
            std::printf("  %-18s %9zu bytes\n", file.name.c_str(), file.bytes.size());
            total += file.bytes.size();
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %zu files, %zu bytes, seed %llu, %.2f s -> %s\n", landscape::versionLine(detail).c_str(),
                    files.size(), total, static_cast<unsigned long long>(seed), seconds, folder.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lumora-landscape: %s\n", e.what());
        return 1;
    }
    return 0;
}
