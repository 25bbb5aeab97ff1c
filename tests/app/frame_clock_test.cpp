#include "app/frame_clock.h"

#include <gtest/gtest.h>

TEST(FrameClock, FirstTickHasNoDeltaAndWritesTheFigureOne)
{
    FrameClock clock;
    int figure = 0;
    // However long the machine has been up, the first step is 0.
    EXPECT_TRUE(clock.tick(86400.0 * 30, figure));
    EXPECT_EQ(figure, 1);
    EXPECT_EQ(clock.delta, 0.0f);
}

TEST(FrameClock, TitleAfterMoreThanOneSecondCountsTheTicksSinceTheLastOne)
{
    FrameClock clock;
    int figure = 0;
    const double start = 1000.0;
    ASSERT_TRUE(clock.tick(start, figure));
    // Steps of 1/8 s are exact: the eighth tick is exactly one second on and is
    // not yet due (the test is strict); the ninth is.
    for (int k = 1; k <= 8; ++k)
        EXPECT_FALSE(clock.tick(start + k * 0.125, figure)) << k;
    EXPECT_TRUE(clock.tick(start + 9 * 0.125, figure));
    EXPECT_EQ(figure, 9);
    EXPECT_FLOAT_EQ(clock.delta, 0.125f);
}

TEST(FrameClock, TitlesNeverComeFasterThanOncePerSecond)
{
    FrameClock clock;
    int figure = 0;
    double now = 50.0;
    double lastTitle = now;
    ASSERT_TRUE(clock.tick(now, figure));
    int ticksSinceTitle = 0;
    int titles = 0;
    for (int i = 0; i < 2000; ++i) {
        now += 0.001 + 0.004 * (i % 7); // uneven frame times
        ++ticksSinceTitle;
        if (clock.tick(now, figure)) {
            EXPECT_GT(now - lastTitle, 1.0);
            EXPECT_EQ(figure, ticksSinceTitle);
            lastTitle = now;
            ticksSinceTitle = 0;
            ++titles;
        }
    }
    EXPECT_GE(titles, 5);
}

TEST(FrameClock, DeltaKeepsMillisecondResolutionAfterMonthsOfUpTime)
{
    FrameClock clock;
    int figure = 0;
    const double start = 86400.0 * 90; // a float of this size resolves only 0.5 s
    clock.tick(start, figure);
    clock.tick(start + 0.001, figure);
    EXPECT_NEAR(clock.delta, 0.001f, 1e-6f);
    clock.tick(start + 0.0175, figure);
    EXPECT_NEAR(clock.delta, 0.0165f, 1e-6f);
}
