// A user's own terrain: elevation tiles and pictures read, holes filled and
// fitted to the ground, then the command run on files it must refuse and on
// a height map that ImageMagick makes, read back with stb_image.
#include "elevation.h"

#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace landscape_test {
namespace {

namespace fs = std::filesystem;

fs::path scratch(const std::string& name)
{
    const fs::path folder = fs::path(LANDSCAPE_TEST_OUTPUT) / ("own-" + std::to_string(getpid())) / name;
    return fs::remove_all(folder), fs::create_directories(folder), folder;
}

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A tile falling from 3100 in the north-east corner to -1700 in the
// south-west, with a 5 x 5 hole and one in a corner.
TEST(OwnTerrain, TileHolesFillFromTheirNeighboursAndNorthWestStaysAtTheOrigin)
{
    const int side = 1201;
    auto value = [](int x, int y) { return -500 + 3 * x - y; };
    auto hole = [](int x, int y) { return (x >= 600 && x < 605 && y >= 300 && y < 305) || (x == 0 && y == 0); };
    std::string bytes;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const auto sample = static_cast<uint16_t>(hole(x, y) ? -32768 : value(x, y));
            bytes += static_cast<char>(sample >> 8);
            bytes += static_cast<char>(sample & 0xFF);
        }
    const fs::path file = scratch("tile") / "N00E000.HGT";
    writeBytes(file, bytes);

    landscape::ElevationGrid grid = landscape::readElevationFile(file);
    ASSERT_EQ(grid.width, side);
    EXPECT_EQ(grid.at(0, side - 1), -1700.0f);
    EXPECT_TRUE(std::isnan(grid.at(602, 302)));
    EXPECT_EQ(landscape::fillNoData(grid), 26);
    for (int y = 300; y < 305; ++y)
        for (int x = 600; x < 605; ++x)
            EXPECT_NEAR(grid.at(x, y), value(x, y), 12.0) << x << "," << y;
    EXPECT_NEAR(grid.at(0, 0), value(1, 1), 3.0);

    const landscape::GroundFit fit = landscape::fitGround(grid);
    EXPECT_EQ(fit.inputMin, -1700.0f);
    EXPECT_EQ(fit.inputMax, 3100.0f);
    EXPECT_FLOAT_EQ(fit.unitsPerStep, 4800.0f / 255.0f);
    EXPECT_NEAR(fit.ground.at(1023, 0), 255.0f, 0.5f);
    EXPECT_NEAR(fit.ground.at(0, 1023), 0.0f, 0.5f);
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

    const landscape::GroundFit fit = landscape::fitGround(landscape::readElevationFile(file), 2.0f);
    EXPECT_EQ(fit.inputMax, 248.0f);
    EXPECT_EQ(fit.inputMin, 18.0f);
    const auto cell = [](int sample, int count) { return static_cast<int>((sample + 0.5) * 1024 / count); };
    EXPECT_NEAR(fit.ground.at(cell(250, width), cell(30, height)), 115.0f, 0.5f);
    EXPECT_NEAR(fit.ground.at(cell(40, width), cell(100, height)), 0.0f, 0.5f);
    EXPECT_NEAR(fit.ground.at(512, 512), 55.0f, 0.5f);
}

struct CommandRun {
    int status;
    std::string out, err;
};

CommandRun generate(const fs::path& folder, const std::string& arguments)
{
    const std::string base = folder.string();
    const int status = std::system(
        (std::string(LUMORA_LANDSCAPE) + " " + base + " " + arguments + " >" + base + ".out 2>" + base + ".err")
            .c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(base + ".out"), readText(base + ".err")};
}

TEST(OwnTerrainCommand, RefusesWhatItCannotReadWithOneLineAndWritesNothing)
{
    const fs::path files = scratch("bad");
    writeBytes(files / "notes.png", "just some words, no picture\n");
    writeBytes(files / "short.hgt", std::string(1000, '\0'));
    writeBytes(files / "cut.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    for (const char* name : {"notes.png", "short.hgt", "cut.png", "missing.png"}) {
        SCOPED_TRACE(name);
        const fs::path out = files / (std::string("out-") + name);
        const CommandRun run = generate(out, "--heightmap " + (files / name).string());
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(OwnTerrainCommand, ImageMagicksHeightMapIsNeitherMirroredNorTurned)
{
    const fs::path folder = scratch("magick");
    const std::string picture = (folder / "hm.png").string();
    ASSERT_EQ(std::system(("convert -size 512x512 plasma:fractal -colorspace Gray -depth 16 " + picture).c_str()), 0);
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
    // neighbouring samples); a mirrored or turned map would not.
    const auto [low, high] = std::minmax_element(input.begin(), input.end());
    const double step = (*high - *low) / 255.0;
    const auto [bottom, top] = std::minmax_element(
        raw.begin(), raw.end(), [](char a, char b) { return static_cast<uint8_t>(a) < static_cast<uint8_t>(b); });
    const auto around = [&](auto cell, auto pick) {
        const int i = static_cast<int>(cell - raw.begin()), x = i % 1024 / 2, y = i / 1024 / 2;
        int value = input[y * w + x];
        for (int v = std::max(y - 1, 0); v <= std::min(y + 1, h - 1); ++v)
            for (int u = std::max(x - 1, 0); u <= std::min(x + 1, w - 1); ++u)
                value = pick(value, input[v * w + u]);
        return value;
    };
    EXPECT_LE(*high - around(top, [](int a, int b) { return std::max(a, b); }), 2.0 * step);
    EXPECT_LE(around(bottom, [](int a, int b) { return std::min(a, b); }) - *low, 2.0 * step);
}

} // namespace
} // namespace landscape_test
