#include "overlay/overlay_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

std::string clockText(const Overlay& overlay)
{
    char text[kTextBufferBytes];
    const int length = formatClock(overlay, text);
    EXPECT_EQ(length, static_cast<int>(std::strlen(text)));
    return text;
}

// One frame as drawOverlay runs it: the clock is read, then advanced, then the
// captions are decided.
struct ClockFrame {
    float delta;       // the camera's frame delta for this frame
    const char* shown; // the clock text drawn in this frame
    bool captions;     // captions drawn in this frame
};

void runFrames(Overlay& overlay, const ClockFrame* frames, int count)
{
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(testing::Message() << "frame " << i + 1 << " at " << overlay.clockSeconds << " s");
        EXPECT_EQ(clockText(overlay), frames[i].shown);
        advanceClock(overlay, frames[i].delta);
        EXPECT_EQ(captionsShown(overlay), frames[i].captions);
    }
}

TEST(OverlayClock, ShowsTheTimeBeforeEachFrameAndRoundsToNearest)
{
    // The first delta of the run is 0. The second field reads 1 from just
    // over half a second; the captions go at exactly 4 seconds.
    const ClockFrame frames[] = {
        {0.0f, "-1: 0", true},     // seconds after the frame: 0
        {0.25f, "-1: 0", true},    // 0.25
        {0.1875f, "-1: 0", true},  // 0.4375
        {0.125f, "-1: 0", true},   // 0.5625
        {0.9375f, "-1: 1", true},  // 1.5
        {2.4375f, "-1: 2", true},  // 3.9375
        {0.0625f, "-1: 4", false}, // 4
        {6.0f, "-1: 4", false},    // 10
        {90.0f, "-1:10", false},   // 100
        {0.0f, "-1:100", false},
    };
    Overlay overlay;
    runFrames(overlay, frames, static_cast<int>(std::size(frames)));
}

TEST(OverlayClock, WrapsAt6000SecondsDroppingTheExcess)
{
    Overlay overlay;
    overlay.clockSeconds = 5999.75f;
    const ClockFrame frames[] = {
        {0.5f, "-1:6000", true},  // 6000.25: wraps to 0, the quarter second is lost
        {3.9375f, " 0: 0", true}, // the captions return for 4 seconds after the first wrap
        {0.0625f, " 0: 4", false},
        {1.0f, " 0: 4", false},
    };
    runFrames(overlay, frames, static_cast<int>(std::size(frames)));
    EXPECT_EQ(overlay.clockMinutes, 1.0f);
    EXPECT_EQ(overlay.clockSeconds, 5.0f);
}

TEST(OverlayClock, WrapsOnReachingExactly6000AndNotJustBelow)
{
    Overlay below;
    advanceClock(below, std::nextafter(6000.0f, 0.0f));
    EXPECT_EQ(below.clockMinutes, 0.0f);
    EXPECT_EQ(clockText(below), "-1:6000");

    Overlay at;
    advanceClock(at, 6000.0f);
    EXPECT_EQ(at.clockMinutes, 1.0f);
    EXPECT_EQ(at.clockSeconds, 0.0f);
}

TEST(OverlayClock, OneHugeDeltaWrapsOnlyOnce)
{
    Overlay overlay;
    advanceClock(overlay, 20000.0f);
    EXPECT_EQ(overlay.clockMinutes, 1.0f);
    EXPECT_EQ(overlay.clockSeconds, 0.0f);
    EXPECT_EQ(clockText(overlay), " 0: 0");
}

TEST(OverlayClock, CaptionsNeverReturnAfterTheSecondWrap)
{
    Overlay overlay;
    overlay.clockMinutes = 1;
    overlay.clockSeconds = 5999;
    advanceClock(overlay, 1.0f);
    EXPECT_EQ(overlay.clockMinutes, 2.0f);
    EXPECT_EQ(overlay.clockSeconds, 0.0f);
    EXPECT_FALSE(captionsShown(overlay));
    EXPECT_EQ(clockText(overlay), " 1: 0");
}

TEST(OverlayClock, CaptionWindow)
{
    struct Row {
        float minutes, seconds;
        bool shown;
    };
    const Row rows[] = {
        {0, 0, true},      {0, 3.999f, true}, {0, 4, false}, {0, 5999, false},   {1, 0, true},
        {1, 3.999f, true}, {1, 4, false},     {2, 0, false}, {2, 3.999f, false}, {7, 0, false},
    };
    for (const Row& row : rows) {
        Overlay overlay;
        overlay.clockMinutes = row.minutes;
        overlay.clockSeconds = row.seconds;
        EXPECT_EQ(captionsShown(overlay), row.shown) << row.minutes << " wraps, " << row.seconds << " s";
    }
}

} // namespace
