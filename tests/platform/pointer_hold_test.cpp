#include "platform/pointer_hold.h"

#include "view/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// A pointer the test moves by hand, on a window system whose warps land, are
// ignored (accepted but the pointer stays), or are refused outright.
enum class Warp { Lands, Ignored, Refused };

struct ScriptedPointer {
    static inline Warp warp = Warp::Lands;
    static inline int x, y, motionX, motionY;
    static inline bool hidden;
    static inline int handX, handY; // a move the user makes while a warp is under way

    static void move(int dx, int dy) { x += dx, y += dy, motionX += dx, motionY += dy; }
    static void position(int& outX, int& outY) { outX = x, outY = y; }
    static bool warpTo(int toX, int toY)
    {
        if (warp == Warp::Lands)
            x = toX, y = toY;
        move(handX, handY);
        return warp != Warp::Refused;
    }
    static void motion(int& dx, int& dy) { dx = motionX, dy = motionY, motionX = motionY = 0; }
    static void followMotion() { hidden = true; }
};
const platform::PointerDevice device{ScriptedPointer::position, ScriptedPointer::warpTo, ScriptedPointer::motion,
                                     ScriptedPointer::followMotion};

platform::PointerHold hold;
const CursorAccess heldCursor{[](int& x, int& y) { hold.read(device, x, y); },
                              [](int x, int y) { hold.put(device, x, y); }};

// Radians of turn to the left of +x.
float heading(const Camera& camera)
{
    return std::atan2(-(camera.viewPoint.z - camera.position.z), camera.viewPoint.x - camera.position.x);
}

class PointerHoldTest : public ::testing::TestWithParam<Warp> {
protected:
    void SetUp() override
    {
        ScriptedPointer::warp = GetParam();
        ScriptedPointer::x = kCursorHoldX;
        ScriptedPointer::y = kCursorHoldY;
        ScriptedPointer::motionX = ScriptedPointer::motionY = 0;
        ScriptedPointer::handX = ScriptedPointer::handY = 0;
        ScriptedPointer::hidden = false;
        hold = {};
        camera.place(500, 35, 500, 501, 35, 500, 0, 1, 0);
    }

    void updates(int count)
    {
        for (int i = 0; i < count; ++i)
            camera.update(KeyStateTable{}, 0, heldCursor);
    }

    Camera camera;
};

} // namespace

TEST_P(PointerHoldTest, OneMoveTurnsTheViewOnceThenItStays)
{
    ScriptedPointer::move(50, 0); // 0.1 rad to the right
    updates(1);
    EXPECT_NEAR(heading(camera), -0.1f, 1e-4f);
    updates(5);
    EXPECT_NEAR(heading(camera), -0.1f, 1e-4f);

    // The next move turns by its own motion only, wherever the pointer sits.
    ScriptedPointer::move(-100, 0);
    updates(5);
    EXPECT_NEAR(heading(camera), 0.1f, 1e-4f);

    // Only a warp that does not land hides the pointer and follows its motion.
    EXPECT_EQ(hold.followsMotion, GetParam() != Warp::Lands);
    EXPECT_EQ(ScriptedPointer::hidden, GetParam() != Warp::Lands);
}

std::string warpName(const ::testing::TestParamInfo<Warp>& info)
{
    return info.param == Warp::Lands ? "Lands" : info.param == Warp::Ignored ? "Ignored" : "Refused";
}
INSTANTIATE_TEST_SUITE_P(Warps, PointerHoldTest, ::testing::Values(Warp::Lands, Warp::Ignored, Warp::Refused),
                         warpName);

TEST(PointerHold, WarpsThatLandReadThePointerAsItIsEvenWhenTheHandMovesMeanwhile)
{
    ScriptedPointer::warp = Warp::Lands;
    ScriptedPointer::x = 520, ScriptedPointer::y = 310;
    ScriptedPointer::handX = 3, ScriptedPointer::handY = 0; // lands 3 pixels off
    hold = {};
    hold.put(device, 400, 300);
    int x = 0;
    int y = 0;
    hold.read(device, x, y);
    EXPECT_EQ(x, 403);
    EXPECT_EQ(y, 300);
    EXPECT_FALSE(hold.followsMotion);
}

TEST(PointerHold, FollowingFromTheStartReadsAStillPointerAsHeld)
{
    ScriptedPointer::x = 10, ScriptedPointer::y = 20;
    ScriptedPointer::motionX = 70, ScriptedPointer::motionY = -40; // before the window existed
    hold = {};
    hold.startFollowingMotion(device, 400, 300);
    int x = 0;
    int y = 0;
    hold.read(device, x, y);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    ScriptedPointer::move(-7, 9);
    hold.read(device, x, y);
    EXPECT_EQ(x, 393);
    EXPECT_EQ(y, 309);
}
