#include "view/camera.h"

#include "view/held_keys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// A cursor the test moves by hand. Putting it back moves it, as the screen's does.
struct ScriptedCursor {
    static inline int x, y, puts;
    static void read(int& outX, int& outY) { outX = x, outY = y; }
    static void put(int newX, int newY) { ++puts, x = newX, y = newY; }
};
const CursorAccess scripted{ScriptedCursor::read, ScriptedCursor::put};

Vector3 viewOffset(const Camera& camera)
{
    return {camera.viewPoint.x - camera.position.x, camera.viewPoint.y - camera.position.y,
            camera.viewPoint.z - camera.position.z};
}

// Radians above the horizon.
float elevation(const Camera& camera)
{
    const Vector3 v = viewOffset(camera);
    return std::asin(v.y / magnitude(v));
}

// Radians of turn to the left of +x (towards -z), in the horizontal plane.
float heading(const Camera& camera)
{
    const Vector3 v = viewOffset(camera);
    return std::atan2(-v.z, v.x);
}

// The view point is held in world coordinates, where a float near 500 has
// steps of 3e-5: each turn may move the view point by half of that.
constexpr float kNearEye = 5e-5f;

bool isFinite(Vector3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ScriptedCursor::x = kCursorHoldX;
        ScriptedCursor::y = kCursorHoldY;
        ScriptedCursor::puts = 0;
        camera = Camera{};
        camera.place(kStartPosition, kStartViewPoint, kUpVector); // the start-up placement
    }

    // One update with the cursor read at (x, y), no keys and no time passing.
    void moveMouseTo(int x, int y)
    {
        ScriptedCursor::x = x;
        ScriptedCursor::y = y;
        camera.update(KeyStateTable{}, 0, scripted);
    }

    Camera camera;
};

// ---- vector operations

TEST(VectorOperations, CrossFollowsTheRightHandRule)
{
    // Looking along +x with y up, the viewer's right is +z.
    EXPECT_EQ(cross({1, 0, 0}, {0, 1, 0}).z, 1);
    EXPECT_EQ(cross({0, 1, 0}, {1, 0, 0}).z, -1);
    EXPECT_EQ(cross({0, 0, 1}, {0, 1, 0}).x, -1);
    EXPECT_FLOAT_EQ(magnitude({3, 4, 12}), 13);
}

TEST(VectorOperations, NormalizeGivesTheFallbackForVectorsWithoutALength)
{
    const Vector3 unit = normalize({0, 3, 4}, {9, 9, 9});
    EXPECT_FLOAT_EQ(unit.x, 0);
    EXPECT_FLOAT_EQ(unit.y, 0.6f);
    EXPECT_FLOAT_EQ(unit.z, 0.8f);

    const float inf = INFINITY;
    const Vector3 degenerate[] = {
        {0, 0, 0}, {1e-30f, 0, 0}, {NAN, 0, 0}, {inf, 0, 0}, {0, -inf, 1},
    };
    for (const Vector3& v : degenerate) {
        const Vector3 n = normalize(v, {0, 0, 1});
        EXPECT_EQ(n.x, 0) << v.x << " " << v.y << " " << v.z;
        EXPECT_EQ(n.y, 0);
        EXPECT_EQ(n.z, 1);
    }
}

// ---- mouse look

TEST_F(CameraTest, HundredPixelsLeftTurnsLeftByAFifthOfARadian)
{
    moveMouseTo(300, 300);
    EXPECT_NEAR(camera.viewPoint.x, 500.980f, 1e-3);
    EXPECT_FLOAT_EQ(camera.viewPoint.y, 35);
    EXPECT_NEAR(camera.viewPoint.z, 499.801f, 1e-3);
    EXPECT_NEAR(magnitude(viewOffset(camera)), 1, kNearEye);
    EXPECT_FLOAT_EQ(camera.position.x, 500);
    EXPECT_FLOAT_EQ(camera.position.z, 500);

    EXPECT_EQ(ScriptedCursor::puts, 1);
    EXPECT_EQ(ScriptedCursor::x, 400);
    EXPECT_EQ(ScriptedCursor::y, 300);
}

TEST_F(CameraTest, ACentredCursorChangesNothingAndIsNotPutBack)
{
    camera.pitchAccumulator = 0.25f;
    const Camera before = camera;
    moveMouseTo(400, 300);
    EXPECT_EQ(ScriptedCursor::puts, 0);
    EXPECT_EQ(camera.viewPoint.x, before.viewPoint.x);
    EXPECT_EQ(camera.viewPoint.y, before.viewPoint.y);
    EXPECT_EQ(camera.viewPoint.z, before.viewPoint.z);
    EXPECT_EQ(camera.pitchAccumulator, 0.25f);

    // One pixel off is a move: it turns and puts the cursor back.
    moveMouseTo(401, 300);
    EXPECT_EQ(ScriptedCursor::puts, 1);
    EXPECT_NEAR(heading(camera), -0.002f, kNearEye);
}

TEST_F(CameraTest, AClampedMoveDropsItsWholeTiltButStillTurns)
{
    moveMouseTo(400, 50); // 250 pixels up: tilt 0.5, accumulator -0.5
    EXPECT_NEAR(elevation(camera), 0.5f, 1e-4);
    EXPECT_FLOAT_EQ(camera.pitchAccumulator, -0.5f);

    // 300 pixels up and 50 left: the accumulator would reach -1.1, so it is set
    // to -1 and only the turn is applied.
    moveMouseTo(350, 0);
    EXPECT_FLOAT_EQ(camera.pitchAccumulator, -1);
    EXPECT_NEAR(elevation(camera), 0.5f, 1e-4);
    EXPECT_NEAR(heading(camera), 0.1f, 1e-4);

    // 50 pixels down: -0.9, and the view tilts down by 0.1 from where it was.
    moveMouseTo(400, 350);
    EXPECT_FLOAT_EQ(camera.pitchAccumulator, -0.9f);
    EXPECT_NEAR(elevation(camera), 0.4f, 1e-4);
    EXPECT_NEAR(heading(camera), 0.1f, 1e-4);
    EXPECT_NEAR(magnitude(viewOffset(camera)), 1, kNearEye);
}

TEST_F(CameraTest, AnAccumulatorLandingExactlyOnABoundStillTilts)
{
    struct Case {
        int y;             // cursor row of both moves
        float bound;       // accumulator after them
        float tilt;        // elevation after them
        int oneMorePixelY; // one pixel further the same way
    };
    const Case cases[] = {
        {50, -1, 1, 299},  // up
        {550, 1, -1, 301}, // down
    };
    for (const Case& c : cases) {
        SetUp();
        moveMouseTo(400, c.y);
        moveMouseTo(400, c.y);
        EXPECT_EQ(camera.pitchAccumulator, c.bound) << c.y;
        EXPECT_NEAR(elevation(camera), c.tilt, 1e-4) << c.y;

        moveMouseTo(400, c.oneMorePixelY);
        EXPECT_EQ(camera.pitchAccumulator, c.bound) << c.y;
        EXPECT_NEAR(elevation(camera), c.tilt, 1e-4) << "past the bound nothing tilts";
    }
}

TEST_F(CameraTest, TheEyeStaysOneUnitFromTheViewPointOverManyMouseMoves)
{
    // Rounding the view point to floats near 500 is a random walk of about
    // 1e-5 per turn; a turn that scaled the offset would leave 1 % at once.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pixels(-60, 60);
    for (int i = 0; i < 10000; ++i) {
        moveMouseTo(400 + pixels(random), 300 + pixels(random));
        ASSERT_TRUE(isFinite(camera.viewPoint)) << "move " << i;
        ASSERT_NEAR(magnitude(viewOffset(camera)), 1, 1e-2) << "move " << i;
        ASSERT_GE(camera.pitchAccumulator, -1);
        ASSERT_LE(camera.pitchAccumulator, 1);
    }
    EXPECT_FLOAT_EQ(camera.position.x, 500);
    EXPECT_FLOAT_EQ(camera.position.y, 35);
    EXPECT_FLOAT_EQ(camera.position.z, 500);
}

TEST_F(CameraTest, LookingAlongTheUpVectorKeepsThePreviousRightHandDirection)
{
    camera.update(KeyStateTable{}, 0, scripted);
    EXPECT_FLOAT_EQ(camera.strafeVector.z, 1);

    // Straight up: the view has no right-hand side of its own.
    camera.place({500, 35, 500}, {500, 36, 500}, kUpVector);
    moveMouseTo(400, 300);
    EXPECT_EQ(camera.strafeVector.x, 0);
    EXPECT_EQ(camera.strafeVector.y, 0);
    EXPECT_EQ(camera.strafeVector.z, 1);

    // A move down tilts about the kept axis, off the pole and towards +x.
    moveMouseTo(400, 350);
    ASSERT_TRUE(isFinite(camera.viewPoint));
    EXPECT_NEAR(elevation(camera), static_cast<float>(M_PI / 2) - 0.1f, 1e-4);
    EXPECT_GT(camera.viewPoint.x, 500);

    // Side-steps still go somewhere definite.
    camera.place({500, 35, 500}, {500, 36, 500}, kUpVector);
    camera.update(holding({'D', 'W'}), 0.5f, scripted);
    ASSERT_TRUE(isFinite(camera.position));
    EXPECT_FLOAT_EQ(camera.position.z, 506);
    EXPECT_FLOAT_EQ(camera.position.y, 41); // forward is straight up
}

// ---- walking

TEST_F(CameraTest, EachWalkingKeyAndItsArrowMoveTwelveUnitsPerSecond)
{
    struct Case {
        int key;
        float dx, dz; // per second, with the start-up view along +x
    };
    const Case cases[] = {
        {'W', 12, 0},  {platform::kKeyUp, 12, 0},    {'S', -12, 0}, {platform::kKeyDown, -12, 0},
        {'A', 0, -12}, {platform::kKeyLeft, 0, -12}, {'D', 0, 12},  {platform::kKeyRight, 0, 12},
    };
    for (const Case& c : cases) {
        SetUp();
        camera.update(holding({c.key}), 0.25f, scripted);
        EXPECT_FLOAT_EQ(camera.position.x, 500 + c.dx / 4) << c.key;
        EXPECT_FLOAT_EQ(camera.position.y, 35) << c.key;
        EXPECT_FLOAT_EQ(camera.position.z, 500 + c.dz / 4) << c.key;
        EXPECT_FLOAT_EQ(camera.viewPoint.x, 501 + c.dx / 4) << c.key;
        EXPECT_FLOAT_EQ(camera.viewPoint.z, 500 + c.dz / 4) << c.key;
        EXPECT_FLOAT_EQ(camera.speed, 3);
    }
}

TEST_F(CameraTest, OppositeKeysCancelAndADiagonalIsRootTwoFaster)
{
    camera.update(holding({'W', 'S', platform::kKeyLeft, platform::kKeyRight}), 0.5f, scripted);
    EXPECT_NEAR(camera.position.x, 500, 1e-4);
    EXPECT_NEAR(camera.position.z, 500, 1e-4);
    EXPECT_NEAR(camera.viewPoint.x, 501, 1e-4);

    SetUp();
    camera.update(holding({'W', 'D'}), 0.5f, scripted);
    const Vector3 moved{camera.position.x - 500, camera.position.y - 35, camera.position.z - 500};
    EXPECT_NEAR(magnitude(moved), 6 * std::sqrt(2.0f), 1e-4);
    EXPECT_FLOAT_EQ(moved.x, 6);
    EXPECT_FLOAT_EQ(moved.z, 6);
}

TEST_F(CameraTest, ANullFrameDeltaMovesNothing)
{
    const Camera before = camera;
    camera.update(holding({'W', 'A', platform::kKeyDown, platform::kKeyRight}), 0, scripted);
    EXPECT_EQ(camera.speed, 0);
    EXPECT_EQ(camera.position.x, before.position.x);
    EXPECT_EQ(camera.position.y, before.position.y);
    EXPECT_EQ(camera.position.z, before.position.z);
    EXPECT_EQ(camera.viewPoint.x, before.viewPoint.x);
    EXPECT_EQ(camera.viewPoint.z, before.viewPoint.z);
}

TEST_F(CameraTest, WalkingFollowsATiltedViewButSideStepsStayLevel)
{
    moveMouseTo(400, 50); // 0.5 rad up
    camera.update(holding({'W'}), 1, scripted);
    EXPECT_NEAR(camera.position.y, 35 + 12 * std::sin(0.5f), 1e-3);
    EXPECT_NEAR(camera.position.x, 500 + 12 * std::cos(0.5f), 1e-3);

    // An up vector tilted towards +z gives the strafe vector a y component;
    // side-steps ignore it.
    const float s = std::sqrt(0.5f);
    camera.place({500, 35, 500}, {501, 35.5f, 500}, {0, s, s});
    camera.update(holding({'D'}), 1, scripted);
    ASSERT_NE(camera.strafeVector.y, 0);
    EXPECT_FLOAT_EQ(camera.position.y, 35);
    EXPECT_FLOAT_EQ(camera.viewPoint.y, 35.5f);
    EXPECT_NE(camera.position.z, 500);
}

TEST_F(CameraTest, SideStepsUseTheDirectionFromBeforeThisUpdatesTurn)
{
    // Turning left by 0.2 in the same update as a right side-step: the step
    // still goes along +z, the right-hand side of the view before the turn.
    ScriptedCursor::x = 300;
    camera.update(holding({'D'}), 0.5f, scripted);
    EXPECT_FLOAT_EQ(camera.position.x, 500);
    EXPECT_FLOAT_EQ(camera.position.z, 506);
    EXPECT_NEAR(heading(camera), 0.2f, 1e-4);
}

TEST_F(CameraTest, AnEyeOnItsViewPointDoesNotWalkIntoNaN)
{
    camera.place({10, 20, 30}, {10, 20, 30}, kUpVector);
    camera.update(holding({'W'}), 1, scripted);
    EXPECT_TRUE(isFinite(camera.position));
    EXPECT_TRUE(isFinite(camera.viewPoint));
    EXPECT_FLOAT_EQ(camera.position.x, 10);
}

} // namespace
