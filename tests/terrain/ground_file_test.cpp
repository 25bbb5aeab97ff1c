#include "terrain/ground_file.h"

#include "terrain/ground_fixture.h"
#include "terrain/test_ground.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <tiffio.h>

namespace {

namespace fs = std::filesystem;

std::string tempPath(const char* name) { return (fs::path(::testing::TempDir()) / name).string(); }

const std::vector<GroundNodeBounds>& testBounds()
{
    static const std::vector<GroundNodeBounds> bounds =
        computeGroundNodeBounds(*groundLayout(kTestGroundSide), testGround().data());
    return bounds;
}

// The test ground, its bounds computed once, quick to write.
GroundFixture testFixture(bool compressed = false)
{
    GroundFixture fixture;
    fixture.heights = testGround().data();
    fixture.bounds = testBounds();
    fixture.uncompressed = !compressed;
    return fixture;
}

// Every node of every level reads back as the source's samples at that
// level, exactly: the overviews ordered from the root down, in a BigTIFF.
TEST(GroundFile, ReadsEveryNodeAsTheSourceSamplesAtItsLevel)
{
    const std::string path = tempPath("valid.ground.tif");
    GroundFixture fixture = testFixture(true);
    fixture.bigTiff = true;
    fixture.coarsestFirst = true;
    ASSERT_TRUE(writeGroundFile(path, fixture));

    testing::internal::CaptureStderr();
    Report report;
    std::unique_ptr<GroundFile> ground = GroundFile::open(path, report);
    ASSERT_TRUE(ground) << reportLine(report);
    EXPECT_FALSE(report.failed());
    const GroundLayout& layout = ground->layout();
    EXPECT_EQ(layout.side, kTestGroundSide);
    EXPECT_EQ(layout.levelCount, 6);

    // The bounds come back as written, to the last bit.
    ASSERT_EQ(ground->bounds().size(), testBounds().size());
    for (size_t i = 0; i < testBounds().size(); ++i) {
        EXPECT_EQ(ground->bounds()[i].minHeight, testBounds()[i].minHeight) << i;
        EXPECT_EQ(ground->bounds()[i].maxHeight, testBounds()[i].maxHeight) << i;
        EXPECT_EQ(ground->bounds()[i].error, testBounds()[i].error) << i;
    }

    // Level 0 first, then coarser, then back: the tiles' cache is left and refilled.
    std::vector<float> samples(kGroundNodeSamples);
    int mismatched = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (int index = 0; index < groundNodeCount(layout); ++index) {
            const GroundNode node = groundNodeAt(layout, pass == 0 ? groundNodeCount(layout) - 1 - index : index);
            const Report read = ground->readNodeSamples(node, samples.data());
            ASSERT_FALSE(read.failed()) << reportLine(read);
            if (samples != testNodeSamples(layout, testGround().data(), node)) {
                ADD_FAILURE() << "node " << node.x << ", " << node.z << " at level " << node.level;
                if (++mismatched == 5)
                    break;
            }
        }
    }
    EXPECT_TRUE(ground->readNodeSamples({6, 0, 0}, samples.data()).failed()) << "no level 6";
    EXPECT_TRUE(ground->readNodeSamples({0, 32, 0}, samples.data()).failed()) << "no node 32 across";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    fs::remove(path);
}

// Each hostile file fails to open, or opens and fails the read of the node
// it spoils, with one line that says why and nothing from libtiff.
TEST(GroundFile, RefusesEachHostileFileWithOneLine)
{
    constexpr GroundNode kNoRead = {-1, 0, 0};
    struct Case {
        const char* name;
        std::function<bool(const std::string& path)> make;
        const char* says; // part of the line; "" for a file that is not there
        GroundNode failedRead = kNoRead;
    };
    const auto written = [](std::function<void(GroundFixture&)> change) {
        return [change](const std::string& path) {
            GroundFixture fixture = testFixture();
            change(fixture);
            return writeGroundFile(path, fixture);
        };
    };
    const auto nothing = [](GroundFixture&) {};
    std::vector<float> nanGround; // the test ground with one height not a number, bounds as before
    const Case cases[] = {
        {"not there", [](const std::string&) { return true; }, ""},
        {"a pipe", [](const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }, "not a regular file"},
        {"cut short",
         [&](const std::string& path) {
             if (!written(nothing)(path))
                 return false;
             fs::resize_file(path, fs::file_size(path) / 2);
             return true;
         },
         "TIFF"},
        {"a tile's bytes claimed past the end",
         [&](const std::string& path) {
             return written(nothing)(path) && patchTiffTag(path, 0, TIFFTAG_TILEBYTECOUNTS, 5, 1u << 30);
         },
         "tile 5 lies past the end"},
        {"a side of 1000", written([](GroundFixture& f) { f.side = 1000; }), "1000 x 1000"},
        {"integer samples", written([](GroundFixture& f) { f.integerSamples = true; }), "not 32-bit floats"},
        {"a width of 2^31 - 1 claimed",
         [&](const std::string& path) {
             return written(nothing)(path) && patchTiffTag(path, 0, TIFFTAG_IMAGEWIDTH, 0, 0x7FFFFFFF);
         },
         "not a TIFF file that can be read"},
        {"level 3 missing", written([](GroundFixture& f) { f.omittedLevel = 3; }),
         "level 3 (129 samples a side) is missing"},
        {"no bounds", written([](GroundFixture& f) { f.withMetadata = false; }), "bounds are missing"},
        {"too few bounds", written([](GroundFixture& f) { f.nodesText = "1 2 0"; }), "holds 3 numbers, not the 4095"},
        {"bounds not a number",
         written([](GroundFixture& f) { f.bounds[700].maxHeight = std::numeric_limits<float>::quiet_NaN(); }),
         "node 700 are not finite"},
        {"a height not a number",
         [&](const std::string& path) {
             nanGround = testGround();
             nanGround[600 * kTestGroundSide + 500] = std::numeric_limits<float>::quiet_NaN();
             return written([&](GroundFixture& f) { f.heights = nanGround.data(); })(path);
         },
         "node 15, 18 at level 0 is not finite",
         {0, 15, 18}},
        {"a tile that will not decode",
         [&](const std::string& path) {
             GroundFixture fixture = testFixture(true);
             return writeGroundFile(path, fixture) && spoilTile(path, 0, 0);
         },
         "tile 0 of level 0 will not decode",
         {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tempPath("hostile.ground.tif");
        fs::remove(path);
        ASSERT_TRUE(c.make(path));

        testing::internal::CaptureStderr();
        Report report;
        std::unique_ptr<GroundFile> ground = GroundFile::open(path, report);
        if (c.failedRead.level >= 0) {
            ASSERT_TRUE(ground) << reportLine(report);
            std::vector<float> samples(kGroundNodeSamples);
            report = ground->readNodeSamples(c.failedRead, samples.data());
        } else {
            EXPECT_FALSE(ground);
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
