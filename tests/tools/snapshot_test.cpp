// lumora-snapshot: the viewer's own start-up and frames, written as a PNG.
#include "tool_run.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::string snapshot() { return quotedArgument(LUMORA_SNAPSHOT); }

#define REQUIRE_DISPLAY()                                                                                            \
    do {                                                                                                             \
        if (!hasDisplay())                                                                                           \
            GTEST_FAIL() << "no display: run the tests under one (the test command uses Xvfb)";                      \
    } while (0)

struct RegionMean {
    double rgb[3] = {};
    double black = 0; // share of pure black pixels, the clear colour
};

RegionMean meanOfRows(const PngPicture& picture, int firstRow, int endRow)
{
    RegionMean mean;
    double count = 0;
    for (int y = firstRow; y < endRow; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = &picture.pixels[(static_cast<size_t>(y) * picture.width + x) * 3];
            for (int c = 0; c < 3; ++c)
                mean.rgb[c] += p[c];
            mean.black += p[0] == 0 && p[1] == 0 && p[2] == 0;
            ++count;
        }
    }
    for (double& channel : mean.rgb)
        channel /= count;
    mean.black /= count;
    return mean;
}

double distance(const RegionMean& a, const RegionMean& b)
{
    double sum = 0;
    for (int c = 0; c < 3; ++c)
        sum += std::abs(a.rgb[c] - b.rgb[c]);
    return sum;
}

PngPicture takeSnapshot(const std::string& options, const std::string& name)
{
    const fs::path out = fs::path(TOOLS_TEST_SCRATCH) / (name + "." + std::to_string(getpid()) + ".png");
    fs::create_directories(out.parent_path());
    fs::remove(out);
    const ToolRun run = runTool(snapshot() + " " + quotedArgument(generatedSet().string()) + " " +
                                quotedArgument(out.string()) + options);
    EXPECT_EQ(run.status, 0) << run.output;
    PngPicture picture = readPng(out, 3);
    fs::remove(out);
    return picture;
}

TEST(Snapshot, TheStartViewHasSkyAboveAndGroundBelowAtASizeLargerThanTheDisplay)
{
    REQUIRE_DISPLAY();
    // The test display is 1024 x 768: this picture is drawn offscreen.
    const PngPicture picture = takeSnapshot(" --frames 5 --size 1600x1000", "start");
    ASSERT_EQ(picture.width, 1600);
    ASSERT_EQ(picture.height, 1000);
    const RegionMean sky = meanOfRows(picture, 0, 160);
    const RegionMean ground = meanOfRows(picture, 840, 1000);
    EXPECT_GT(distance(sky, ground), 40) << "sky and ground look alike";
    EXPECT_LT(sky.black, 0.05) << "the sky box is missing";
    EXPECT_LT(ground.black, 0.05) << "the terrain is missing";
}

TEST(Snapshot, WireframeLeavesTheClearColourBetweenTheLines)
{
    REQUIRE_DISPLAY();
    // Looking down at the ground from just above it: filled, the ground covers
    // everything; as outlines, most of it is the black clear colour.
    const std::string view = " --eye 300,60,300 --look 310,40,300 --frames 3";
    const RegionMean filled = meanOfRows(takeSnapshot(view, "filled"), 300, 600);
    const RegionMean outlines = meanOfRows(takeSnapshot(view + " --wireframe", "wireframe"), 300, 600);
    EXPECT_LT(filled.black, 0.05);
    EXPECT_GT(outlines.black, 0.3);
}

TEST(Snapshot, WithoutADisplayItSaysSoAndEndsWithStatus1)
{
    const fs::path out = fs::path(TOOLS_TEST_SCRATCH) / "never.png";
    const ToolRun run =
        runTool("env -u DISPLAY -u WAYLAND_DISPLAY " + snapshot() + " " + quotedArgument(generatedSet().string()) +
                " " + quotedArgument(out.string()) + " 2>&1");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("no display"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(out));
}

TEST(Snapshot, ASizeBeyondTheRenderersLimitIsOneLineAndStatus1)
{
    REQUIRE_DISPLAY();
    const fs::path out = fs::path(TOOLS_TEST_SCRATCH) / "too-large.png";
    const ToolRun run = runTool(snapshot() + " " + quotedArgument(generatedSet().string()) + " " +
                                quotedArgument(out.string()) + " --size 1000000x10 2>&1");
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.lines.size(), 1u) << run.output;
    EXPECT_EQ(
        run.lines[0].rfind("lumora-snapshot: cannot draw a 1000000 x 10 picture: this renderer draws at most ", 0),
        0u)
        << run.output;
    EXPECT_FALSE(fs::exists(out));
}

TEST(Snapshot, OptionsItCannotUseAreStatus2)
{
    const std::string folder = " " + quotedArgument(generatedSet().string()) + " out.png";
    const char* wrong[] = {
        " --eye 1,2,3",                // without --look
        " --eye 1,2 --look 3,4,5",     // two coordinates
        " --eye 1,2,3,4 --look 3,4,5", // four
        " --eye 1,2,3 --look 1,2,3",   // looking at itself
        " --eye a,b,c --look 3,4,5",
        " --frames 0",
        " --frames 2x",
        " --size 800",
        " --fullscreen",
        " --terrain-error 0",
        " --terrain-error -2",
        " --terrain-error 2px",
    };
    for (const char* options : wrong)
        EXPECT_EQ(runTool(snapshot() + folder + options + " 2>/dev/null").status, 2) << options;
    EXPECT_EQ(runTool(snapshot() + " 2>/dev/null").status, 2);
}

} // namespace
