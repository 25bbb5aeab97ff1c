#include "platform/pointer_hold.h"

#include "view/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace {

// A pointer moved by hand, on a window system whose warps land, are ignored
// (accepted, but the pointer stays) or are refused outright. The hand may move
// it while a warp is under way.
enum class Warp { Lands, Ignored, Refused };
Warp warp;
int pointerX, pointerY, motionX, motionY, handX;

void move(int dx, int dy) { pointerX += dx, pointerY += dy, motionX += dx, motionY += dy; }

const platform::PointerDevice device{[](int& x, int& y) { x = pointerX, y = pointerY; },
                                     [](int x, int y) {
                                         if (warp == Warp::Lands)
                                             pointerX = x, pointerY = y;
                                         move(handX, 0);
                                         return warp != Warp::Refused;
                                     },
                                     [](int& dx, int& dy) { dx = motionX, dy = motionY, motionX = motionY = 0; },
                                     [] {}};
platform::PointerHold hold;

// The window's client area centred on the screen at (centreX, centreY), the
// pointer at (x, y), the window focused.
void reset(Warp kind, int x, int y, int centreX = kCursorHoldX, int centreY = kCursorHoldY)
{
    warp = kind, pointerX = x, pointerY = y, motionX = motionY = handX = 0;
    hold = {};
    hold.place(kCursorHoldX, kCursorHoldY, centreX, centreY);
    hold.setFocus(true);
}

// The first read after that puts the pointer at the hold point.
void settle()
{
    int x = 0;
    int y = 0;
    hold.read(device, x, y);
}

// Radians turned to the left of +x after some updates.
float headingAfter(Camera& camera, int updates)
{
    const CursorAccess cursor{[](int& x, int& y) { hold.read(device, x, y); },
                              [](int x, int y) { hold.put(device, x, y); }};
    for (int i = 0; i < updates; ++i)
        camera.update(KeyStateTable{}, 0, cursor);
    return std::atan2(camera.position.z - camera.viewPoint.z, camera.viewPoint.x - camera.position.x);
}

class PointerHoldTest : public ::testing::TestWithParam<Warp> {};

} // namespace

TEST_P(PointerHoldTest, OneMoveTurnsTheViewOnceThenItStays)
{
    reset(GetParam(), kCursorHoldX, kCursorHoldY);
    settle();
    Camera camera;
    camera.place(kStartPosition, kStartViewPoint, kUpVector);
    move(50, 0); // 0.1 rad to the right
    EXPECT_NEAR(headingAfter(camera, 1), -0.1f, 1e-4f);
    EXPECT_NEAR(headingAfter(camera, 5), -0.1f, 1e-4f);
    // The next move turns by its own motion, wherever the pointer was left.
    move(-100, 0);
    EXPECT_NEAR(headingAfter(camera, 5), 0.1f, 1e-4f);
    EXPECT_EQ(hold.followsMotion, GetParam() != Warp::Lands);
}

INSTANTIATE_TEST_SUITE_P(Warps, PointerHoldTest, ::testing::Values(Warp::Lands, Warp::Ignored, Warp::Refused));

TEST(PointerHold, AWarpThatLandsAsTheHandMovesKeepsReadingPositions)
{
    reset(Warp::Lands, 520, 310);
    settle();
    handX = 3;
    hold.put(device, 400, 300);
    int x = 0;
    int y = 0;
    hold.read(device, x, y);
    EXPECT_EQ(x, 403);
    EXPECT_FALSE(hold.followsMotion);
}

TEST(PointerHold, FollowingFromTheStartReadsAStillPointerAsHeld)
{
    reset(Warp::Refused, 10, 20);
    move(70, -40); // before the window existed
    hold.startFollowingMotion(device);
    settle();
    int x = 0;
    int y = 0;
    hold.read(device, x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(400, 300));
    move(-7, 9);
    hold.read(device, x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(393, 309));
}

// The window wherever the window manager put it: its first appearance, a move
// or resize, and the focus coming back never turn the view, wherever the
// pointer was, whether put-backs land or only motion is read (the end-to-end
// tests see where a landing pointer goes).
TEST_P(PointerHoldTest, TheWindowsOwnChangesNeverTurnTheView)
{
    reset(GetParam(), 20, 900, 900, 500);
    Camera camera;
    camera.place(kStartPosition, kStartViewPoint, kUpVector);
    EXPECT_NEAR(headingAfter(camera, 2), 0, 1e-6f) << "first appearance";
    move(50, 0);
    EXPECT_NEAR(headingAfter(camera, 2), -0.1f, 1e-4f) << "a move in the window";

    hold.place(kCursorHoldX, kCursorHoldY, 640, 512); // moved and resized: maximised
    move(-30, 0);
    EXPECT_NEAR(headingAfter(camera, 2), -0.1f, 1e-4f) << "maximised";
    hold.setFocus(false);
    move(-200, 100); // the user's, over another window
    EXPECT_NEAR(headingAfter(camera, 2), -0.1f, 1e-4f) << "without the focus";
    hold.setFocus(true);
    EXPECT_NEAR(headingAfter(camera, 2), -0.1f, 1e-4f) << "the focus back";
    move(-50, 0);
    EXPECT_NEAR(headingAfter(camera, 2), 0, 1e-4f) << "a move after the focus came back";
}
