#include "surface/render_scale.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

TEST(RenderScale, ParsesAutoAndScalesFromAQuarterToOne)
{
    const struct {
        const char* text;
        bool valid;
        bool automatic;
        float scale;
    } cases[] = {
        {"auto", true, true, 1},    {"1", true, false, 1},      {"0.25", true, false, 0.25f},
        {"0.5", true, false, 0.5f}, {"0.249", false, false, 0}, {"1.001", false, false, 0},
        {"0", false, false, 0},     {"-0.5", false, false, 0},  {"0.5x", false, false, 0},
        {"", false, false, 0},      {"Auto", false, false, 0},  {"nan", false, false, 0},
    };
    for (const auto& c : cases) {
        RenderScaleChoice choice;
        EXPECT_EQ(parseRenderScale(c.text, choice), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(choice.automatic, c.automatic) << c.text;
            EXPECT_FLOAT_EQ(choice.scale, c.scale) << c.text;
        }
    }
}

TEST(RenderScale, ScaledSizesRoundAndNeverVanish)
{
    const struct {
        int width, height;
        float scale;
        int scaledWidth, scaledHeight;
    } cases[] = {
        {1920, 1061, 0.5f, 960, 531}, {800, 600, 0.25f, 200, 150}, {800, 600, 1, 800, 600},
        {1, 1, 0.25f, 1, 1},          {800, 0, 0.5f, 400, 1},
    };
    for (const auto& c : cases) {
        int width = 0;
        int height = 0;
        scaledSize(c.width, c.height, c.scale, width, height);
        EXPECT_EQ(width, c.scaledWidth) << c.width << " x " << c.height << " at " << c.scale;
        EXPECT_EQ(height, c.scaledHeight) << c.width << " x " << c.height << " at " << c.scale;
    }
}

// A renderer whose frame costs fixed seconds plus fill seconds at scale 1,
// the fill going with the pixels; the scale follows each change asked for.
struct Machine {
    double fixed;
    double fill;
};

struct AutoRun {
    int changes = 0;
    double firstChangeAt = -1; // seconds
};

AutoRun runAuto(AutoRenderScale& scale, double seconds, const std::function<Machine(double now)>& machine)
{
    AutoRun run;
    for (double now = 0; now < seconds;) {
        const Machine m = machine(now);
        const double s = kAutoScaleSteps[scale.step];
        const double frame = m.fixed + m.fill * s * s;
        now += frame;
        if (observeFrameTime(scale, static_cast<float>(frame))) {
            ++run.changes;
            if (run.firstChangeAt < 0)
                run.firstChangeAt = now;
        }
    }
    return run;
}

TEST(RenderScale, AutoStaysAtOneOnAFastMachine)
{
    AutoRenderScale scale;
    const AutoRun run = runAuto(scale, 60, [](double) { return Machine{0.002, 0.008}; });
    EXPECT_EQ(run.changes, 0);
    EXPECT_EQ(scale.step, 0);
}

TEST(RenderScale, AutoSettlesOnTheLargestScaleAboveFiftyFivePerSecondAndStays)
{
    // 25 frames a second at scale 1; 0.6 gives 59, 0.7 only 46.
    AutoRenderScale scale;
    const AutoRun run = runAuto(scale, 120, [](double) { return Machine{0.004, 0.036}; });
    EXPECT_FLOAT_EQ(kAutoScaleSteps[scale.step], 0.6f);
    EXPECT_EQ(run.changes, 1) << "the scale pumps";
    EXPECT_GE(run.firstChangeAt, kAutoScaleSettleSeconds + kAutoScaleEvidenceSeconds);
    EXPECT_LT(run.firstChangeAt, 2 * (kAutoScaleSettleSeconds + kAutoScaleEvidenceSeconds));
}

TEST(RenderScale, AutoTellsTheScaleItSettlesOnOnce)
{
    // 0.6 as above; a resize's fresh look that keeps it is no news.
    AutoRenderScale scale;
    std::vector<float> told;
    const auto machine = [&](double) {
        if (settledUntold(scale))
            told.push_back(kAutoScaleSteps[scale.step]);
        return Machine{0.004, 0.036};
    };
    runAuto(scale, 30, machine);
    restartAutoScaleEvidence(scale);
    runAuto(scale, 10, machine);
    EXPECT_EQ(told, std::vector<float>{0.6f});
}

TEST(RenderScale, AutoClimbsBackWhenTheLoadGoes)
{
    AutoRenderScale scale;
    const AutoRun run = runAuto(scale, 60, [](double now) {
        return now < 20 ? Machine{0.004, 0.060} : Machine{0.002, 0.008};
    });
    EXPECT_EQ(scale.step, 0);
    EXPECT_LE(run.changes, kAutoScaleStepCount);
}

TEST(RenderScale, AutoEndsItsLookEarlyWhenTheFramesFillItsRecord)
{
    // 1024 frames of 1 ms are far less than the evidence time: the decision
    // comes with the last one that fits, and nothing is written past it.
    AutoRenderScale scale;
    scale.step = 2;
    scale.settleLeft = 0;
    for (int frame = 1; frame < kAutoScaleEvidenceFrames; ++frame)
        ASSERT_FALSE(observeFrameTime(scale, 0.001f)) << frame;
    EXPECT_TRUE(observeFrameTime(scale, 0.001f));
    EXPECT_EQ(scale.step, 1);
    EXPECT_EQ(scale.evidenceCount, 0);
}

TEST(RenderScale, AutoIgnoresFramesWithoutTime)
{
    AutoRenderScale scale;
    scale.settleLeft = 0;
    for (int frame = 0; frame < 5000; ++frame)
        EXPECT_FALSE(observeFrameTime(scale, 0));
    EXPECT_EQ(scale.evidenceCount, 0);
}

} // namespace
