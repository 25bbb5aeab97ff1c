// A user's own terrain: elevation models made here through GDAL's own API,
// read, filled, fitted and placed under the start;
// then the command run on files it must refuse and on a height map that
// ImageMagick makes, read back with stb_image.
#include "geodata_files.h"

#include "elevation.h"
#include "elevation_file.h"

#include "assets/geo_reference.h"
#include "terrain/ground_layout.h"

#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

namespace landscape_test {
namespace {

// One level of a fine ground as GDAL reads it back: level 0, or overview level - 1.
std::vector<float> groundLevel(GDALDataset& file, int level, int& side)
{
    GDALRasterBand* band = file.GetRasterBand(1);
    if (level > 0)
        band = band->GetOverview(level - 1);
    side = band ? band->GetXSize() : 0;
    std::vector<float> samples(static_cast<size_t>(side) * side);
    if (band == nullptr || band->GetYSize() != side ||
        band->RasterIO(GF_Read, 0, 0, side, side, samples.data(), side, side, GDT_Float32, 0, 0, nullptr) != CE_None)
        ADD_FAILURE() << "level " << level << " cannot be read";
    return samples;
}

// A slope rising east and south, with a 6 x 6 hole of no data.
TEST(OwnTerrain, GeoTiffHolesFillFromTheirNeighboursAndTheShapeFollows)
{
    const fs::path file = scratch("float") / "dem.tif";
    auto value = [](int x, int y) { return 100.0 + 0.5 * x + 0.25 * y; };
    writeRaster(file, {300, 200, GDT_Float32, {500000, 20, 0, 5200000, 0, -20}},
                [&](int x, int y) { return x >= 200 && x < 206 && y >= 50 && y < 56 ? NAN : value(x, y); });

    landscape::ElevationModel model = landscape::readElevationModel(file);
    ASSERT_EQ(model.grid.width, 300);
    ASSERT_EQ(model.grid.height, 200);
    EXPECT_EQ(model.grid.at(299, 0), value(299, 0));
    EXPECT_TRUE(std::isnan(model.grid.at(203, 53)));
    EXPECT_EQ(model.metresAcross, 6000.0);
    EXPECT_EQ(model.metresAlong, 4000.0);
    EXPECT_EQ(landscape::fillNoData(model.grid), 36);
    for (int y = 50; y < 56; ++y)
        for (int x = 200; x < 206; ++x)
            EXPECT_NEAR(model.grid.at(x, y), value(x, y), 1.5) << x << "," << y;
}

TEST(OwnTerrain, ZippedTileReadsAsItsSamples)
{
    const fs::path file = scratch("zip") / "N47E010.hgt.zip";
    std::string bytes;
    for (int i = 0; i < 1201 * 1201; ++i) {
        const auto sample = static_cast<uint16_t>(i % 1201 - 600); // east minus 600 m, below sea level in the west
        bytes += {static_cast<char>(sample >> 8), static_cast<char>(sample & 0xFF)};
    }
    VSILFILE* out = VSIFOpenL(("/vsizip/" + file.string() + "/N47E010.hgt").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    VSIFWriteL(bytes.data(), 1, bytes.size(), out);
    VSIFCloseL(out);

    const landscape::ElevationModel model = landscape::readElevationModel(file);
    EXPECT_EQ(model.windowWidth, 1201);
    EXPECT_EQ(model.grid.width, 1024);
    EXPECT_NEAR(model.grid.at(0, 10), -600.0, 1.0);
    EXPECT_NEAR(model.grid.at(1023, 10), 600.0, 1.0);
    EXPECT_NEAR(*model.metresAlong, 111319.5 * 1201 / 1200, 1.0);
}

// Four tiles of 1024 x 1024 and their mosaic, read at half size as the whole.
TEST(OwnTerrain, MosaicOfFourTilesReadsAsTheWhole)
{
    const fs::path folder = scratch("mosaic");
    auto value = [](int x, int y) { return std::sin(x * 0.01) * 300.0 + y * 0.1 + (x * 7 + y * 13) % 5; };
    writeRaster(folder / "whole.tif", {2048, 2048, GDT_Float32, {0, 1, 0, 2048, 0, -1}}, value);
    std::vector<std::string> tiles;
    std::vector<const char*> names;
    for (int tile = 0; tile < 4; ++tile) {
        const int left = tile % 2 * 1024, top = tile / 2 * 1024;
        tiles.push_back((folder / ("tile" + std::to_string(tile) + ".tif")).string());
        writeRaster(tiles.back(), {1024, 1024, GDT_Float32, {double(left), 1, 0, 2048.0 - top, 0, -1}},
                    [&](int x, int y) { return value(left + x, top + y); });
    }
    for (const std::string& name : tiles)
        names.push_back(name.c_str());
    GDALClose(GDALBuildVRT((folder / "all.vrt").c_str(), 4, nullptr, names.data(), nullptr, nullptr));

    const landscape::ElevationModel whole = landscape::readElevationModel(folder / "whole.tif");
    const landscape::ElevationModel mosaic = landscape::readElevationModel(folder / "all.vrt");
    ASSERT_EQ(mosaic.grid.width, 1024);
    EXPECT_EQ(mosaic.grid.samples, whole.grid.samples);
}

// Mosaics naming a server on the loopback address (listened to here), a
// network path, or a file above their folder: refused, and nobody calls.
TEST(OwnTerrain, MosaicReachingOutsideItsFolderIsRefusedWithoutAConnection)
{
    const Listener listener;
    const std::string url = "http://127.0.0.1:" + std::to_string(listener.port) + "/t.tif";

    const fs::path folder = scratch("refused");
    writeRaster(folder.parent_path() / "outside.tif", {8, 8, GDT_Float32, {0, 1, 0, 8, 0, -1}},
                [](int x, int) { return x; });
    for (const std::string& source : {url, "/vsicurl/" + url, std::string("../outside.tif")}) {
        writeBytes(folder / "bad.vrt", "<VRTDataset rasterXSize=\"8\" rasterYSize=\"8\"><VRTRasterBand "
                                       "dataType=\"Float32\" band=\"1\"><SimpleSource><SourceFilename "
                                       "relativeToVRT=\"1\">" +
                                           source +
                                           "</SourceFilename><SourceBand>1</SourceBand></SimpleSource>"
                                           "</VRTRasterBand></VRTDataset>");
        try {
            landscape::readElevationModel(folder / "bad.vrt");
            ADD_FAILURE() << source << " was read";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("refused"), std::string::npos) << e.what();
        }
    }
    EXPECT_FALSE(listener.called());
}

// Ground flat at the given height with one peak: the start ends above 25
// (as a byte), the peak within 255 and above the start.
TEST(OwnTerrain, StartStandsOnTheGround)
{
    const struct {
        float flat, peak, raisedBy, relief;
    } cases[] = {{0, 100, 26.25f, 1},
                 {0, 255, 0, 228.75f / 255},
                 {20, 240, 6.25f, 1},
                 {10, 250, 5, 228.75f / 240},
                 {30, 250, 0, 1}};
    for (const auto& c : cases) {
        landscape::HeightField ground{1024, std::vector<float>(1024 * 1024, c.flat)};
        ground.heights[3] = c.peak;
        const landscape::StartPlacement placed = landscape::standStartOnGround(ground);
        EXPECT_NEAR(placed.raisedBy, c.raisedBy, 1e-4f) << c.flat << " " << c.peak;
        EXPECT_NEAR(placed.relief, c.relief, 1e-4f) << c.flat << " " << c.peak;
        EXPECT_GT(std::lround(ground.at(500, 500)), 25);
        EXPECT_LE(ground.heights[3], 255.0f);
        EXPECT_GT(ground.heights[3], ground.at(500, 500));
    }
}

// An 8-bit picture wider than tall keeps its 8-bit units, and its bright and
// dark spots land at the same share of the square ground's width and height.
TEST(OwnTerrain, EightBitPictureWiderThanTallStretchesOntoTheGround)
{
    const int width = 300, height = 120;
    std::vector<uint8_t> pixels(width * height, 128);
    for (int d = 0; d < 9; ++d) { // 3 x 3 blocks, so the cells in the middle keep their height
        pixels[(29 + d / 3) * width + 249 + d % 3] = 248;
        pixels[(99 + d / 3) * width + 39 + d % 3] = 18;
    }
    std::string png;
    const auto append = [](void* out, void* data, int size) {
        static_cast<std::string*>(out)->append(static_cast<char*>(data), size);
    };
    ASSERT_TRUE(stbi_write_png_to_func(append, &png, width, height, 1, pixels.data(), width));
    const fs::path file = scratch("picture") / "wide.png";
    writeBytes(file, png);

    const landscape::ElevationModel model = landscape::readElevationModel(file);
    EXPECT_FALSE(model.metresAcross);
    const landscape::GroundFit fit = landscape::fitGround(model.grid, 2.0f);
    EXPECT_EQ(fit.inputMax, 248.0f);
    EXPECT_EQ(fit.inputMin, 18.0f);
    const auto cell = [](int sample, int count) { return static_cast<int>((sample + 0.5) * 1024 / count); };
    EXPECT_NEAR(fit.ground.at(cell(250, width), cell(30, height)), 115.0f, 0.5f);
    EXPECT_NEAR(fit.ground.at(cell(40, width), cell(100, height)), 0.0f, 0.5f);
    EXPECT_NEAR(fit.ground.at(512, 512), 55.0f, 0.5f);
}

TEST(OwnTerrainCommand, RefusesWhatItCannotReadWithOneLineAndWritesNothing)
{
    const fs::path files = scratch("bad");
    writeBytes(files / "notes.png", "just some words, no picture\n");
    writeBytes(files / "short.hgt", std::string(1000, '\0'));
    writeBytes(files / "cut.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    writeBytes(files / "cut.tif", std::string("II*\0\x08\0\0\0\x10\0", 10));
    for (const char* name : {"notes.png", "short.hgt", "cut.png", "cut.tif", "missing.png"}) {
        SCOPED_TRACE(name);
        const fs::path out = files / (std::string("out-") + name);
        const CommandRun run = generate(out, "--heightmap " + (files / name).string());
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_EQ(run.err.find("ERROR"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// --image-size's words. A side it takes goes on to the next option read,
// whose fault is then told, so nothing is generated.
TEST(LandscapeCommand, ImageSizeTakesWholeSidesFrom1024To32768)
{
    const fs::path files = scratch("image-size");
    const struct {
        const char* word;
        bool taken;
    } cases[] = {{"1024", true},   {"8193", true}, {"32768", true}, {"1023", false},
                 {"32769", false}, {"2e4", false}, {"", false},     {"-2048", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        const CommandRun run =
            generate(files / "out", std::string("--image-size '") + c.word + "' --vertical-scale none");
        EXPECT_EQ(run.status, 2);
        const std::string told = c.taken ? "lumora-landscape: --vertical-scale needs a positive number\n"
                                         : "lumora-landscape: --image-size needs a side from 1024 to 32768\n";
        EXPECT_EQ(run.err, told);
    }
    EXPECT_FALSE(fs::exists(files / "out"));
}

// A one-degree tile around latitude 60: a degree is 111.32 km along
// the meridian and half that along the parallel, and the ground spans the
// 1199 sample steps from the first sample to the last, so a grid step is
// 54.31 m across and 108.6 m along; a relief of ten times their mean is 10
// height steps high at true proportions.
TEST(OwnTerrainCommand, TrueProportionsMakeAHeightStepAsLongAsAGridStep)
{
    const fs::path folder = scratch("true");
    const double step = 111319.49 * 0.75 / 1024;
    writeRaster(folder / "dem.tif", {1200, 1200, GDT_Int16, {10.0, 1.0 / 1200, 0, 60.5, 0, -1.0 / 1200}, true},
                [&](int x, int) { return std::round(std::min(x, 1199 - x) * step * 10 / 599); });
    const CommandRun run = generate(folder / "out", "--exaggeration 1 --heightmap " + (folder / "dem.tif").string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("a grid step is 54.31 m across and 108.6 m along and a height step 81.46 m, so the "
                           "relief is in true proportions"),
              std::string::npos)
        << run.out;
    // Told once the files are written, the version file last among them.
    EXPECT_GT(run.out.find("in true proportions"), run.out.find("landscape.version"));
    const std::string raw = readText(folder / "out" / "Tertest.raw");
    const auto [low, high] = std::minmax_element(raw.begin(), raw.end());
    EXPECT_NEAR(*high - *low, 10, 1);

    // An OUTDIR that is a file: the failure alone, no line of what the
    // import did.
    writeBytes(folder / "a-file", "not a folder\n");
    const CommandRun refused = generate(folder / "a-file", "--heightmap " + (folder / "dem.tif").string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err.rfind("lumora-landscape: cannot create " + (folder / "a-file").string(), 0), 0u)
        << refused.err;
}

TEST(OwnTerrainCommand, ImageMagicksHeightMapIsNeitherMirroredNorTurned)
{
    const fs::path folder = scratch("magick");
    const std::string picture = (folder / "hm.png").string();
    ASSERT_EQ(
        std::system(("convert -seed 7 -size 512x512 plasma:fractal -colorspace Gray -depth 16 " + picture).c_str()),
        0);
    int w = 0, h = 0, channels = 0;
    stbi_us* grey = stbi_load_16(picture.c_str(), &w, &h, &channels, 1);
    ASSERT_NE(grey, nullptr);
    std::vector<int> input(grey, grey + w * h);
    stbi_image_free(grey);

    const CommandRun run = generate(folder / "out", "--heightmap " + picture);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("one height step is"), std::string::npos) << run.out;
    const std::string raw = readText(folder / "out" / "Tertest.raw");
    ASSERT_EQ(raw.size(), 1024u * 1024u);
    EXPECT_TRUE(fs::exists(folder / "out" / "Terrain2.bmp"));

    // The written highest and lowest cells lie on the input's highest and
    // lowest points, within two height steps and a sample (each cell blends
    // neighbouring samples); a mirrored or turned map would not. The edges
    // are the input's own, never blended towards the opposite edge.
    const std::vector<uint8_t> ground(raw.begin(), raw.end());
    const auto [low, high] = std::minmax_element(input.begin(), input.end());
    const double step = (*high - *low) / 255.0;
    const auto [bottom, top] = std::minmax_element(ground.begin(), ground.end());
    const auto around = [&](auto cell, auto pick) {
        const int i = static_cast<int>(cell - ground.begin()), x = i % 1024 / 2, y = i / 1024 / 2;
        int value = input[y * w + x];
        for (int v = std::max(y - 1, 0); v <= std::min(y + 1, h - 1); ++v)
            for (int u = std::max(x - 1, 0); u <= std::min(x + 1, w - 1); ++u)
                value = pick(value, input[v * w + u]);
        return value;
    };
    EXPECT_LE(*high - around(top, [](int a, int b) { return std::max(a, b); }), 2.0 * step);
    EXPECT_LE(around(bottom, [](int a, int b) { return std::min(a, b); }) - *low, 2.0 * step);
}

// A model of exactly 1025 samples a side, in metres, at true proportions:
// every sample is kept where it lies, edges included, and reads back through
// the reference's metres within a centimetre; the levels are its exact
// subsamples, the bounds hold what lies under them, the byte map is the
// ground at the world's integer points. Made again without a fine ground,
// the folder keeps no stale one.
TEST(OwnTerrainCommand, FineGroundKeepsTheSourcesSamplesAtEveryLevel)
{
    const fs::path folder = scratch("fine");
    constexpr int kSide = 1025;
    const std::array<double, 6> transform = {500000, 10, 0, 5200000, 0, -10};
    const auto value = [](int x, int y) {
        return static_cast<float>(150.0 + 120.0 * std::sin(x * 0.011) * std::cos(y * 0.007) +
                                  0.37 * ((x * 7 + y * 13) % 11));
    };
    writeRaster(folder / "dem.tif", {kSide, kSide, GDT_Float32, transform}, value);
    const CommandRun run = generate(folder / "out", "--exaggeration 1 --heightmap " + (folder / "dem.tif").string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("a fine ground of 1025 x 1025 samples"), std::string::npos) << run.out;

    const GeoReferenceRead reference = readGeoReference((folder / "out" / "landscape.geo.json").c_str());
    ASSERT_EQ(reference.status, GeoReferenceStatus::Read) << reference.report.text;
    const GeoReference& geo = reference.reference;
    // World x = 0 and 1024 lie on the first and last samples' centres.
    EXPECT_NEAR(geo.geotransform[0], transform[0] + 5.0, 1e-6);
    EXPECT_NEAR(geo.geotransform[1], 10.0, 1e-9);
    EXPECT_NEAR(geo.geotransform[3], transform[3] - 5.0, 1e-6);
    EXPECT_NEAR(geo.geotransform[5], -10.0, 1e-9);

    GDALAllRegister();
    const std::unique_ptr<GDALDataset> file(
        GDALDataset::Open((folder / "out" / "landscape.ground.tif").c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    ASSERT_NE(file, nullptr);
    std::array<double, 6> written{};
    ASSERT_EQ(file->GetGeoTransform(written.data()), CE_None);
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(written[i], transform[i], 1e-6) << i;
    int side = 0;
    const std::vector<float> ground = groundLevel(*file, 0, side);
    ASSERT_EQ(side, kSide);
    double worst = 0.0;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const double metres = geo.metresAtHeight0 + geo.metresPerHeightStep * ground[size_t(y) * kSide + x];
            worst = std::max(worst, std::fabs(metres - value(x, y)));
        }
    EXPECT_LT(worst, 0.01);

    const std::optional<GroundLayout> layout = groundLayout(kSide);
    ASSERT_TRUE(layout);
    ASSERT_EQ(file->GetRasterBand(1)->GetOverviewCount(), layout->levelCount - 1);
    for (int level = 1; level < layout->levelCount; ++level) {
        int across = 0;
        const std::vector<float> samples = groundLevel(*file, level, across);
        ASSERT_EQ(across, levelSide(*layout, level));
        size_t differ = 0;
        for (int j = 0; j < across; ++j)
            for (int i = 0; i < across; ++i)
                differ += samples[size_t(j) * across + i] != levelSample(*layout, ground.data(), level, i, j);
        EXPECT_EQ(differ, 0u) << "level " << level;
    }

    const char* quads = file->GetMetadataItem("GROUND_NODE_QUADS", "LUMORA");
    const char* nodes = file->GetMetadataItem("GROUND_NODES", "LUMORA");
    ASSERT_NE(quads, nullptr);
    ASSERT_NE(nodes, nullptr);
    EXPECT_STREQ(quads, "32");
    std::vector<GroundNodeBounds> bounds;
    std::istringstream numbers(nodes);
    for (GroundNodeBounds node; numbers >> node.minHeight >> node.maxHeight >> node.error;)
        bounds.push_back(node);
    EXPECT_TRUE(numbers.eof());
    ASSERT_EQ(bounds.size(), static_cast<size_t>(groundNodeCount(*layout)));
    const auto [low, high] = std::minmax_element(ground.begin(), ground.end());
    EXPECT_EQ(bounds[0].minHeight, *low);
    EXPECT_EQ(bounds[0].maxHeight, *high);
    for (size_t index = 0; index < bounds.size(); ++index) {
        const GroundNode node = groundNodeAt(*layout, static_cast<int>(index));
        const std::optional<GroundNode> parent = parentNode(*layout, node);
        const GroundNodeBounds& own = bounds[index];
        EXPECT_LE(own.minHeight, own.maxHeight) << index;
        if (node.level == 0) {
            EXPECT_EQ(own.error, 0.0f) << index;
        }
        if (parent) {
            const GroundNodeBounds& above = bounds[static_cast<size_t>(groundNodeIndex(*layout, *parent))];
            EXPECT_GE(own.minHeight, above.minHeight) << index;
            EXPECT_LE(own.maxHeight, above.maxHeight) << index;
            EXPECT_LE(own.error, above.error) << index;
        }
    }

    const std::string raw = readText(folder / "out" / "Tertest.raw");
    ASSERT_EQ(raw.size(), 1024u * 1024u);
    size_t unlike = 0;
    for (int z = 0; z < 1024; ++z)
        for (int x = 0; x < 1024; ++x)
            unlike += static_cast<uint8_t>(raw[size_t(z) * 1024 + x]) !=
                      std::lround(std::clamp(ground[size_t(z) * kSide + x], 0.0f, 255.0f));
    EXPECT_EQ(unlike, 0u);

    const CommandRun none = generate(folder / "out", "--ground-size none --heightmap " + (folder / "dem.tif").string());
    ASSERT_EQ(none.status, 0) << none.err;
    EXPECT_FALSE(fs::exists(folder / "out" / "landscape.ground.tif"));
    EXPECT_EQ(none.out.find("fine ground"), std::string::npos) << none.out;

    // A side that is not one of the five is refused before anything is read or made.
    const CommandRun refused = generate(folder / "refused", "--ground-size 4096 --heightmap " + (folder / "dem.tif").string());
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "lumora-landscape: --ground-size needs 1025, 2049, 4097, 8193, 16385 or none\n");
    EXPECT_FALSE(fs::exists(folder / "refused"));
}

} // namespace
} // namespace landscape_test
