// lumora-bench: the camera path, the figures, and a short run that prints
// every figure. No timing is asserted.
#include "bench/camera_path.h"
#include "bench/figures.h"
#include "tool_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

struct PathAfter {
    Camera camera;
    float maxDistanceFromStart = 0;
};

PathAfter walk(float seconds, float step)
{
    PathAfter after;
    CameraPath path;
    startCameraPath(path, after.camera, 30);
    for (int i = 0; i < static_cast<int>(std::lround(seconds / step)); ++i) {
        stepCameraPath(path, after.camera, step);
        const float dx = after.camera.position.x - kPathStartX;
        const float dz = after.camera.position.z - kPathStartZ;
        after.maxDistanceFromStart = std::max(after.maxDistanceFromStart, std::hypot(dx, dz));
    }
    return after;
}

constexpr float kRadius = 114.59156f; // 12 / (6 degrees in radians)

TEST(CameraPath, StartsAtTheStartUpPlacementLookingAlongX)
{
    Camera camera;
    CameraPath path;
    startCameraPath(path, camera, 30.5f);
    EXPECT_FLOAT_EQ(camera.position.x, 500);
    EXPECT_FLOAT_EQ(camera.position.y, 30.5f);
    EXPECT_FLOAT_EQ(camera.position.z, 500);
    EXPECT_FLOAT_EQ(camera.viewPoint.x, 501);
    EXPECT_FLOAT_EQ(camera.viewPoint.z, 500);
    EXPECT_FLOAT_EQ(camera.upVector.y, 1);
}

TEST(CameraPath, AQuarterMinuteIsAQuarterTurnToTheLeft)
{
    const PathAfter after = walk(15, 1.0f / 60);
    // Turning left from +x, a positive yaw, swings towards -z.
    EXPECT_NEAR(after.camera.position.x, 500 + kRadius, 0.5f);
    EXPECT_NEAR(after.camera.position.z, 500 - kRadius, 0.5f);
    EXPECT_NEAR(after.camera.viewPoint.x - after.camera.position.x, 0, 1e-3f);
    EXPECT_NEAR(after.camera.viewPoint.z - after.camera.position.z, -1, 1e-3f);
}

TEST(CameraPath, AMinuteIsOneWholeCircleWhateverTheFrameRate)
{
    for (float step : {1.0f / 30, 1.0f / 78, 1.0f / 250}) {
        SCOPED_TRACE(step);
        const PathAfter after = walk(60, step);
        EXPECT_NEAR(after.camera.position.x, 500, 0.5f);
        EXPECT_NEAR(after.camera.position.z, 500, 0.5f);
        EXPECT_NEAR(after.maxDistanceFromStart, 2 * kRadius, 0.5f);
        EXPECT_FLOAT_EQ(after.camera.position.y, 30) << "the path leaves the height to ground following";
    }
}

TEST(CameraPath, EachStepWalksTwelveUnitsASecondAsTheCameraWould)
{
    Camera camera;
    CameraPath path;
    startCameraPath(path, camera, 30);
    stepCameraPath(path, camera, 0.5f);
    EXPECT_FLOAT_EQ(camera.speed, 6);
    EXPECT_NEAR(std::hypot(camera.position.x - 500, camera.position.z - 500), 6, 1e-4f);
    stepCameraPath(path, camera, 0); // the first frame's delta: nothing moves
    EXPECT_FLOAT_EQ(camera.speed, 0);
    EXPECT_NEAR(std::hypot(camera.position.x - 500, camera.position.z - 500), 6, 1e-4f);
}

TEST(Figures, MedianOfOddAndEvenCounts)
{
    EXPECT_DOUBLE_EQ(median({3, 1, 2}), 2);
    EXPECT_DOUBLE_EQ(median({4, 1, 3, 2}), 2.5);
    EXPECT_DOUBLE_EQ(median({7}), 7);
    EXPECT_DOUBLE_EQ(median({}), 0);
}

TEST(Figures, PercentileIsTheNearestRank)
{
    std::vector<float> hundred;
    for (int i = 100; i >= 1; --i)
        hundred.push_back(static_cast<float>(i));
    EXPECT_FLOAT_EQ(static_cast<float>(percentile(hundred, 0.99)), 99);
    EXPECT_FLOAT_EQ(static_cast<float>(percentile(hundred, 0.5)), 50);
    EXPECT_FLOAT_EQ(static_cast<float>(percentile(hundred, 1.0)), 100);
    EXPECT_FLOAT_EQ(static_cast<float>(percentile({1, 2, 3, 4}, 0.5)), 2);
    EXPECT_FLOAT_EQ(static_cast<float>(percentile({5}, 0.99)), 5);
    EXPECT_FLOAT_EQ(static_cast<float>(percentile({}, 0.5)), 0);
}

TEST(Figures, TheRunLineCarriesEveryFigure)
{
    const RunFigures figures = {{"fps", 78.25}, {"startup_ms", 212.5}, {"allocations_per_frame", 0}};
    RunFigures back;
    ASSERT_TRUE(parseRunLine(formatRunLine(figures), back));
    ASSERT_EQ(back.size(), 3u);
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].key, figures[i].key);
        EXPECT_DOUBLE_EQ(back[i].value, figures[i].value);
    }
    for (const char* other : {"", "lumora-bench-run fps", "lumora-bench-run fps=", "lumora-bench-run =3",
                              "lumora-bench-run fps=7x", "INFO: fps=78"})
        EXPECT_FALSE(parseRunLine(other, back)) << other;
}

TEST(Figures, MediansAreTakenPerKeyOverTheRunsThatHaveIt)
{
    const std::vector<RunFigures> runs = {
        {{"fps", 70}, {"pass_terrain_ms", 9}},
        {{"fps", 90}},
        {{"fps", 80}, {"pass_terrain_ms", 11}},
    };
    const RunFigures medians = medianFigures(runs);
    ASSERT_EQ(medians.size(), 2u);
    EXPECT_EQ(medians[0].key, "fps");
    EXPECT_DOUBLE_EQ(medians[0].value, 80);
    EXPECT_DOUBLE_EQ(medians[1].value, 10);
}

const char* const kEveryFigure[] = {
    "start-up, process start to first swap",
    "start-up, after the question to first swap",
    "frames per second along the path",
    "frame time, median",
    "frame time, 99th percentile",
    "heap allocations per frame after start-up",
    "peak resident memory",
    "resident memory growth along the path",
    "limit: clear + swap",
    "limit: clear + quad with two texture units + swap",
    "limit: the quad + the terrain list + swap",
    "path frames per second / terrain limit",
};

TEST(Bench, AShortRunPrintsEveryFigure)
{
    if (!hasDisplay())
        GTEST_FAIL() << "no display: run the tests under one (the test command uses Xvfb)";
    const ToolRun run = runTool(quotedArgument(LUMORA_BENCH) + " " + quotedArgument(generatedSet().string()) +
                                " --seconds 1 --runs 1");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* figure : kEveryFigure) {
        const auto line = std::find_if(run.lines.begin(), run.lines.end(),
                                       [&](const std::string& l) { return l.find(figure) != std::string::npos; });
        ASSERT_NE(line, run.lines.end()) << "missing: " << figure << "\n" << run.output;
        const std::string value = line->substr(line->find(figure) + std::strlen(figure));
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        EXPECT_NE(end, value.c_str()) << *line;
        EXPECT_TRUE(std::isfinite(number)) << *line;
    }
    EXPECT_NE(run.lines.front().find("medians of 1 run(s), 1.0 s"), std::string::npos) << run.lines.front();
}

TEST(Bench, ProfileAndJsonAddThePassesToEveryRunAndTheWindowItsSizeAndScale)
{
    if (!hasDisplay())
        GTEST_FAIL() << "no display: run the tests under one (the test command uses Xvfb)";
    const ToolRun run = runTool(quotedArgument(LUMORA_BENCH) + " " + quotedArgument(generatedSet().string()) +
                                " --seconds 1 --runs 2 --json --profile --window 1000x700 --render-scale 0.5");
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(run.lines.size(), 1u) << run.output;
    for (const char* key :
         {"\"runs\":[{", "},{", "\"medians\":{", "\"fps\":", "\"pass_terrain_ms\":", "\"pass_flyers_ms\":",
          "\"pass_swap_ms\":", "\"allocations_per_frame\":0.0", "\"window_width_px\":1000.0",
          "\"window_height_px\":700.0", "\"render_scale\":0.5"})
        EXPECT_NE(run.output.find(key), std::string::npos) << key << "\n" << run.output;
}

TEST(Bench, WrongUseIsStatus2)
{
    const std::string bench = quotedArgument(LUMORA_BENCH);
    for (const char* options : {" --seconds 0", " --seconds -1", " --runs 0", " --runs 1.5", " --frames 3",
                                " --window 800", " --render-scale 0.2", " --window 800x600 --fullscreen-desktop",
                                " --terrain-error 0", " --terrain-error nan"})
        EXPECT_EQ(runTool(bench + " " + quotedArgument(generatedSet().string()) + options + " 2>/dev/null").status, 2)
            << options;
    EXPECT_EQ(runTool(bench + " 2>/dev/null").status, 2);
    EXPECT_EQ(runTool(bench + " one two 2>/dev/null").status, 2);
}

} // namespace
