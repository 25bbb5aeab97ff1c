#include "view/ground_following.h"

#include "support/key_messages.h"
#include "view/held_keys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class GroundFollowingTest : public ::testing::Test {
protected:
    // The viewer stands in cell (500, 500), looking along +x and a little down.
    void standAt(float eyeY, int groundHeight)
    {
        map->heights[500 * kHeightMapSide + 500] = static_cast<uint8_t>(groundHeight);
        camera.place({500.75f, eyeY, 500.25f}, {501.75f, eyeY - 0.5f, 500.25f}, kUpVector);
    }

    std::unique_ptr<HeightMap> map = std::make_unique<HeightMap>();
    Camera camera;
    GroundFollowing ground;
};

TEST_F(GroundFollowingTest, BeforeWalkingTheEyeStandsFiveAndAHalfAboveTheGround)
{
    standAt(35, 30);
    followGround(camera, *map, ground);
    EXPECT_EQ(camera.position.y, 35.5f);
    EXPECT_EQ(camera.position.x, 500.75f);
    EXPECT_EQ(camera.position.z, 500.25f);
    // The view point moves with the eye, so the view does not tilt.
    EXPECT_EQ(camera.viewPoint.y, 35.0f);
    EXPECT_EQ(camera.viewPoint.x, 501.75f);
    EXPECT_EQ(camera.upVector.y, 1);
}

TEST_F(GroundFollowingTest, TheBobSwingsTwoTenthsEitherSideOfStandingHeight)
{
    float lowest = 1000;
    float highest = -1000;
    for (int step = 0; step < 200; ++step) {
        ground.walkPhase = static_cast<float>(step) * 0.1f;
        standAt(38, 30);
        followGround(camera, *map, ground);
        lowest = std::fmin(lowest, camera.position.y);
        highest = std::fmax(highest, camera.position.y);
    }
    EXPECT_NEAR(lowest, 35.3f, 1e-3);
    EXPECT_NEAR(highest, 35.7f, 1e-3);
    EXPECT_GE(lowest, 35.3f - 1e-5f);
    EXPECT_LE(highest, 35.7f + 1e-5f);
}

TEST_F(GroundFollowingTest, CrouchedTheEyeIsOneAndAHalfUpWithoutBob)
{
    ground.crouching = true;
    for (float phase : {0.0f, 1.5708f, 4.7124f, 100.0f}) {
        ground.walkPhase = phase;
        standAt(36, 30);
        followGround(camera, *map, ground);
        EXPECT_EQ(camera.position.y, 31.5f) << phase;
        EXPECT_EQ(camera.viewPoint.y, 31.0f) << phase;
    }

    // The phase goes on while crouched, and the bob is back on standing up.
    ground.walkPhase = 0;
    advanceWalkPhase(ground, holding({'W'}), 1.5f);
    EXPECT_NEAR(ground.walkPhase, 1.575f, 1e-6);
    ground.crouching = false;
    standAt(36, 30);
    followGround(camera, *map, ground);
    EXPECT_NEAR(camera.position.y, 35.5f + 0.2f * std::sin(1.575f), 1e-5);
}

TEST_F(GroundFollowingTest, TenOrMoreAboveTheGroundTheViewerFloats)
{
    struct Case {
        float eyeY;
        int groundHeight;
        float expectedY;
    };
    const Case cases[] = {
        {35, 25, 35},        // the start-up eye over ground 25: floats
        {35, 0, 35},         // over flat ground from a missing height map
        {35, 26, 31.5f},     // over ground 26: brought down
        {40, 30, 40},        // exactly 10 above
        {39.99f, 30, 35.5f}, // just under
        {-20, 30, 35.5f},    // below the ground: brought up
        {265, 255, 265},     // the highest ground, 10 above
        {264, 255, 260.5f},
    };
    for (const Case& c : cases) {
        standAt(c.eyeY, c.groundHeight);
        followGround(camera, *map, ground);
        EXPECT_FLOAT_EQ(camera.position.y, c.expectedY) << c.eyeY << " over " << c.groundHeight;
        EXPECT_NEAR(camera.viewPoint.y - camera.position.y, -0.5f, 1e-5);
    }
}

TEST_F(GroundFollowingTest, TheGroundIsTheCellTheEyeIsInWrappedAround)
{
    map->heights[0] = 100;                           // (0, 0)
    map->heights[1023 * kHeightMapSide + 1023] = 50; // (1023, 1023)
    map->heights[7 * kHeightMapSide + 3] = 70;       // (3, 7)
    struct Case {
        float x, z;
        float expectedY;
    };
    const Case cases[] = {
        {0.99f, 0.99f, 105.5f},    {-0.5f, -0.5f, 105.5f}, // truncated toward zero: cell 0
        {-1.5f, -1.5f, 55.5f},     {1023.5f, -1, 55.5f},   // one step below 0 wraps to 1023
        {1027.2f, 1031.9f, 75.5f}, {3, 7, 75.5f},          // past the far edge wraps to the start
        {NAN, 0, 105.5f},                                  // a NaN position reads cell 0
    };
    for (const Case& c : cases) {
        camera.place({c.x, 5, c.z}, {c.x + 1, 5, c.z}, kUpVector);
        followGround(camera, *map, ground);
        EXPECT_FLOAT_EQ(camera.position.y, c.expectedY) << c.x << ", " << c.z;
    }
}

// A fine ground's surface, a slope that rises 0.25 a unit along x: the eye
// stands on it at its own point, not on the cell's corner.
float slope(void*, float x, float z) { return 0.25f * x + 0.0625f * z - 100; }

TEST_F(GroundFollowingTest, OnAFineGroundTheEyeStandsOnTheSurfaceAtItsOwnPoint)
{
    map->heights[500 * kHeightMapSide + 500] = 200; // the map under the eye is not looked at
    const GroundLookup fine(slope, nullptr);
    struct Case {
        float eyeY;
        bool crouching;
        float expectedY;
    };
    // The surface at (500.75, 500.25) is 56.453125.
    const Case cases[] = {
        {60, false, 61.953125f}, {50, false, 61.953125f}, // brought up or down to it + 5.5
        {60, true, 57.953125f},                           // crouched: + 1.5
        {66.453125f, false, 66.453125f},                  // 10 above: floats
        {66.45f, false, 61.953125f},                      // just under 10 above
    };
    for (const Case& c : cases) {
        ground.crouching = c.crouching;
        camera.place({500.75f, c.eyeY, 500.25f}, {501.75f, c.eyeY - 0.5f, 500.25f}, kUpVector);
        followGround(camera, fine, ground);
        EXPECT_FLOAT_EQ(camera.position.y, c.expectedY) << c.eyeY;
        EXPECT_FLOAT_EQ(camera.viewPoint.y - camera.position.y, -0.5f) << c.eyeY;
    }
}

TEST(CrouchKey, LatchesOnAPressAndEndsOnTheReleaseThatClearsTheToggle)
{
    KeyStateTable keys;
    GroundFollowing ground;
    struct Step {
        MessageKind kind;
        bool repeat;
        bool crouching;
        const char* what;
    };
    const Step steps[] = {
        {MessageKind::KeyDown, false, true, "first press crouches"},
        {MessageKind::KeyDown, true, true, "auto-repeat keeps it"},
        {MessageKind::KeyUp, false, true, "first release keeps it: the toggle bit is set"},
        {MessageKind::KeyDown, false, true, "second press keeps it"},
        {MessageKind::KeyUp, false, false, "second release stands up"},
        {MessageKind::KeyDown, false, true, "third press crouches again"},
    };
    pollCrouchKey(ground, keys);
    EXPECT_FALSE(ground.crouching) << "a key never pressed";
    for (const Step& step : steps) {
        keys.apply(keyMessage(step.kind, 'C', step.repeat));
        pollCrouchKey(ground, keys);
        pollCrouchKey(ground, keys); // the latch is steady between presses
        EXPECT_EQ(ground.crouching, step.crouching) << step.what;
    }
}

TEST(WalkPhase, AdvancesPerHeldLetterKeyAndIgnoresTheArrows)
{
    struct Case {
        std::vector<int> keys;
        float advance; // in units of speed x 1.05
    };
    const Case cases[] = {
        {{}, 0},
        {{'W'}, 1},
        {{'A'}, 1},
        {{'S'}, 1},
        {{'D'}, 1},
        {{'W', 'D'}, 2},
        {{'W', 'S'}, 2}, // opposite keys still bob
        {{'W', 'A', 'S', 'D'}, 4},
        {{platform::kKeyUp, platform::kKeyDown, platform::kKeyLeft, platform::kKeyRight}, 0},
        {{platform::kKeyUp, 'A'}, 1},
        {{'C', platform::kKeySpace}, 0},
    };
    const float speed = 12 * 0.1f; // a frame delta of 0.1 s
    for (const Case& c : cases) {
        GroundFollowing ground;
        ground.walkPhase = 2;
        advanceWalkPhase(ground, holding(c.keys), speed);
        EXPECT_NEAR(ground.walkPhase, 2 + c.advance * 1.26f, 1e-5) << c.keys.size() << " keys";
    }
}

TEST(WalkPhase, HoldingWAdvancesTwelvePointSixTimesTheFrameDeltaEachFrame)
{
    // The camera's speed of the same turn drives the bob.
    const KeyStateTable keys = holding({'W'});
    Camera camera;
    camera.place(kStartPosition, kStartViewPoint, kUpVector);
    GroundFollowing ground;
    const CursorAccess still{[](int& x, int& y) {
                                 x = kCursorHoldX;
                                 y = kCursorHoldY;
                             },
                             [](int, int) {}};
    for (int frame = 1; frame <= 10; ++frame) {
        camera.update(keys, 0.02f, still);
        advanceWalkPhase(ground, keys, camera.speed);
        EXPECT_NEAR(ground.walkPhase, 12.6f * 0.02f * static_cast<float>(frame), 1e-5) << frame;
    }
}

} // namespace
