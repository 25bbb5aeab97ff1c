// The viewer inside a real frame: ground following before the view is applied,
// the planes taken from the view the frame applied, the crouch key read after
// the swap for the next frame.
#include "app/frame.h"

#include "app/main_loop.h"
#include "app/projection.h"
#include "support/gl_test_context.h"

#include <memory>

namespace {

// A move of none: the camera stays where the test put it.
const FrameInput keepCamera = {.camera = CameraControl::Moved};

class ViewInFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        setUpViewport(drawing, 800, 600);
        world->heightMap.heights[500 * kHeightMapSide + 500] = 30; // under the start-up eye
        world->camera.place(kStartPosition, kStartViewPoint, kUpVector);
    }

    Shell shell;
    Drawing drawing;
    std::unique_ptr<World> world = std::make_unique<World>();
};

TEST_F(ViewInFrame, MarksWhatTheGroundedEyeSees)
{
    GrassTuft* tufts = world->grassField.tufts;
    tufts[0] = {520, 35, 500, false}; // ahead
    tufts[1] = {480, 35, 500, true};  // behind
    PalmInstance* palms = world->palmGrove.palms;
    palms[0] = {520, -40, 500, false}; // base below the view, crown 50 higher in it
    palms[1] = {300, 30, 500, true};   // far behind

    renderFrame(shell, drawing, *world, keepCamera);

    EXPECT_FLOAT_EQ(world->camera.position.y, 35.5f);
    EXPECT_FLOAT_EQ(world->camera.viewPoint.y, 35.5f);
    EXPECT_TRUE(tufts[0].visible);
    EXPECT_FALSE(tufts[1].visible);
    EXPECT_TRUE(palms[0].visible);
    EXPECT_FALSE(palms[1].visible);
    // The near plane passes just ahead of the eye the frame applied.
    EXPECT_NEAR(world->frustum.planes[5][0], 1, 1e-4);
    EXPECT_NEAR(world->frustum.planes[5][3], -500.1f, 1e-3);
}

TEST_F(ViewInFrame, AnEyePlacedByAToolKeepsItsHeight)
{
    FrameInput placed = keepCamera;
    placed.eyeHeight = EyeHeight::AsPlaced;
    renderFrame(shell, drawing, *world, placed);
    EXPECT_FLOAT_EQ(world->camera.position.y, kStartPosition.y) << "ground following moved the eye";
    EXPECT_FLOAT_EQ(world->camera.viewPoint.y, kStartViewPoint.y);
}

TEST_F(ViewInFrame, TheCrouchKeyTakesEffectInTheNextFrame)
{
    Message press{};
    press.kind = MessageKind::KeyDown;
    press.key = 'C';
    shell.keys.apply(press);

    // The viewer's input, without the screen's pointer.
    const auto viewerInput = [this] {
        FrameInput input = viewerFrameInput(shell.frameClock, drawing, *world);
        input.camera = CameraControl::Moved;
        return input;
    };
    renderFrame(shell, drawing, *world, viewerInput());
    EXPECT_FLOAT_EQ(world->camera.position.y, 35.5f) << "the key is read after this frame's swap";
    EXPECT_TRUE(world->ground.crouching);

    renderFrame(shell, drawing, *world, viewerInput());
    EXPECT_FLOAT_EQ(world->camera.position.y, 31.5f);
}

} // namespace
