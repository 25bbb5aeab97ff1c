#include "terrain/picture_file.h"

#include "terrain/ground_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

std::string tempPath(const char* name) { return (fs::path(::testing::TempDir()) / name).string(); }

constexpr int kSide = 1024;

// Every pixel tells where it is: red the column, green the row, blue both.
std::vector<uint8_t> placedPixels()
{
    std::vector<uint8_t> rgb(size_t(kSide) * kSide * 3);
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i) {
            uint8_t* p = &rgb[(size_t(j) * kSide + i) * 3];
            p[0] = uint8_t(i);
            p[1] = uint8_t(j);
            p[2] = uint8_t(i / 256 + 4 * (j / 256));
        }
    return rgb;
}

// Squares at each level read back as the picture's pixels, the edge
// repeated beyond it: DEFLATE tiles, so every byte is exact.
TEST(PictureFile, ReadsSquaresOfEachLevelRepeatingTheEdge)
{
    const std::vector<uint8_t> rgb = placedPixels();
    const std::string path = tempPath("exact.picture.tif");
    PictureFixture fixture{.side = kSide, .rgb = rgb.data(), .jpeg = false};
    ASSERT_TRUE(writePictureFile(path, fixture));

    testing::internal::CaptureStderr();
    Report report;
    std::unique_ptr<PictureFile> picture = PictureFile::open(path, report);
    ASSERT_TRUE(picture) << reportLine(report);
    EXPECT_EQ(picture->side(), kSide);
    ASSERT_EQ(picture->levelCount(), 3);
    EXPECT_EQ(picture->levelSide(1), 512);
    EXPECT_EQ(picture->levelSide(2), 256);

    struct Square {
        int level, x, y, size;
    };
    const Square squares[] = {
        {0, 0, 0, 64},        // inside one tile
        {0, 200, 230, 100},   // across four tiles
        {0, -20, 1000, 64},   // off the left and the bottom
        {0, 990, -7, 40},     // off the top and the right
        {1, 250, 250, 300},   // straddling level 1's tiles and its edge
        {2, -300, -300, 900}, // all of level 2 and far beyond
    };
    for (const Square& s : squares) {
        SCOPED_TRACE(testing::Message() << "level " << s.level << " at " << s.x << ", " << s.y);
        const std::vector<uint8_t> level = pictureFixtureLevel(fixture, s.level);
        const int side = pictureFixtureSide(kSide, s.level);
        std::vector<uint8_t> square(size_t(s.size) * s.size * 3, 0);
        const Report read = picture->readSquare(s.level, s.x, s.y, s.size, square.data());
        ASSERT_FALSE(read.failed()) << reportLine(read);
        int wrong = 0;
        for (int v = 0; v < s.size && wrong < 3; ++v)
            for (int u = 0; u < s.size && wrong < 3; ++u) {
                const int i = std::clamp(s.x + u, 0, side - 1), j = std::clamp(s.y + v, 0, side - 1);
                const uint8_t* want = &level[(size_t(j) * side + i) * 3];
                const uint8_t* got = &square[(size_t(v) * s.size + u) * 3];
                if (!std::equal(want, want + 3, got)) {
                    ADD_FAILURE() << "pixel " << u << ", " << v;
                    ++wrong;
                }
            }
    }
    EXPECT_TRUE(picture->readSquare(3, 0, 0, 16, nullptr).failed()) << "no level 3";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    fs::remove(path);
}

// JPEG tiles stored as YCbCr come back as RGB, upright: row 0 is the top.
TEST(PictureFile, ReadsJpegTilesAsRgbWithRowZeroOnTop)
{
    // Quarters of one colour each: red, green above; blue, white below.
    const uint8_t colours[4][3] = {{220, 30, 30}, {30, 220, 30}, {30, 30, 220}, {230, 230, 230}};
    std::vector<uint8_t> rgb(size_t(kSide) * kSide * 3);
    for (int j = 0; j < kSide; ++j)
        for (int i = 0; i < kSide; ++i)
            std::copy_n(colours[(i >= kSide / 2) + 2 * (j >= kSide / 2)], 3, &rgb[(size_t(j) * kSide + i) * 3]);
    const std::string path = tempPath("jpeg.picture.tif");
    ASSERT_TRUE(writePictureFile(path, PictureFixture{.side = kSide, .rgb = rgb.data()}));

    Report report;
    std::unique_ptr<PictureFile> picture = PictureFile::open(path, report);
    ASSERT_TRUE(picture) << reportLine(report);
    std::vector<uint8_t> square(16 * 16 * 3);
    for (int level = 0; level < picture->levelCount(); ++level) {
        const int side = picture->levelSide(level);
        for (int quarter = 0; quarter < 4; ++quarter) {
            const int x = (quarter & 1) ? side - 16 : 0, y = (quarter & 2) ? side - 16 : 0;
            ASSERT_FALSE(picture->readSquare(level, x, y, 16, square.data()).failed());
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(square[(8 * 16 + 8) * 3 + c], colours[quarter][c], 8)
                    << "level " << level << ", quarter " << quarter << ", channel " << c;
        }
    }
    fs::remove(path);
}

// Each hostile picture fails to open, or fails the read of its spoilt tile,
// with one line and nothing from libtiff.
TEST(PictureFile, RefusesEachHostileFileWithOneLine)
{
    static const std::vector<uint8_t> rgb = placedPixels();
    const auto written = [](std::function<void(PictureFixture&)> change) {
        return [change](const std::string& path) {
            PictureFixture fixture{.side = kSide, .rgb = rgb.data()};
            change(fixture);
            return writePictureFile(path, fixture);
        };
    };
    struct Case {
        const char* name;
        std::function<bool(const std::string& path)> make;
        const char* says;
        bool failsRead = false;
    };
    const Case cases[] = {
        {"not there", [](const std::string&) { return true; }, ""},
        {"too small", written([](PictureFixture& f) { f.side = 1000; }), "1000 x 1000"},
        {"grey", written([](PictureFixture& f) { f.samplesPerPixel = 1; }), "holds 1 samples of 8 bits"},
        {"level 1 missing", written([](PictureFixture& f) { f.omittedLevel = 1; }),
         "level 1 (512 pixels a side) is missing"},
        {"a width of 2^31 - 1 claimed",
         [&](const std::string& path) {
             return written([](PictureFixture&) {})(path) && patchTiffTag(path, 0, 256, 0, 0x7FFFFFFF);
         },
         "not a TIFF file that can be read"},
        {"a tile that will not decode",
         [&](const std::string& path) { return written([](PictureFixture&) {})(path) && spoilTile(path, 0, 0); },
         "tile 0 of level 0 will not decode", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tempPath("hostile.picture.tif");
        fs::remove(path);
        ASSERT_TRUE(c.make(path));
        testing::internal::CaptureStderr();
        Report report;
        std::unique_ptr<PictureFile> picture = PictureFile::open(path, report);
        if (c.failsRead) {
            ASSERT_TRUE(picture) << reportLine(report);
            std::vector<uint8_t> square(32 * 32 * 3);
            report = picture->readSquare(0, 0, 0, 32, square.data());
        } else {
            EXPECT_FALSE(picture);
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(report.failure, Failure::Read);
        EXPECT_EQ(report.file, path);
        EXPECT_EQ(report.text.find('\n'), std::string::npos) << report.text;
        if (std::string(c.name) == "not there")
            EXPECT_EQ(report.text, "");
        else
            EXPECT_NE(report.text.find(c.says), std::string::npos) << report.text;
        fs::remove(path);
    }
}

} // namespace
