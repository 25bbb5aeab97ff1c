#include "app/main_loop.h"

#include "app/frame.h"
#include "app/projection.h"
#include "app/window.h"

#include "support/gl_test_context.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>

namespace {

Message message(MessageKind kind, int key = 0)
{
    Message m{};
    m.kind = kind;
    m.key = key;
    return m;
}

Message resize(int width, int height)
{
    Message m = message(MessageKind::Size);
    m.width = width;
    m.height = height;
    return m;
}

double verticalFieldOfViewDegrees()
{
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    return 2.0 * std::atan(1.0 / p[5]) * 180.0 / M_PI;
}

double aspectRatio()
{
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    return p[5] / p[0];
}

// Scripted runs: every message comes from the test, never from the platform.
class MainLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        shell.fullScreen = false;
        shell.queue.pumpsPlatform = false;
        shell.clientRect = {0, 0, 800, 600};
        world->terrain.terrainList = 0;
        idleTurns = 0;
        script = nullptr;
    }

    Shell shell;
    Drawing drawing;
    std::unique_ptr<World> world = std::make_unique<World>();

    // What the idle turns do: the turn number in, the message to post out.
    static inline int idleTurns = 0;
    static inline bool (*script)(int turn, Shell& shell) = nullptr;
    static bool countingIdleTurn(void*, Shell& s, Drawing&, World&)
    {
        // A frame is only ever drawn with the queue empty.
        EXPECT_EQ(s.queue.count, 0);
        ++idleTurns;
        return script && script(idleTurns, s);
    }
};

TEST_F(MainLoop, NoFrameIsDrawnWhileMessagesKeepArriving)
{
    for (int i = 0; i < 5; ++i)
        shell.queue.post(message(MessageKind::Paint));
    // Each of the first three frames lets two more messages arrive.
    script = [](int turn, Shell& s) {
        if (turn > 3)
            return false;
        s.queue.post(message(MessageKind::Paint));
        s.queue.post(message(MessageKind::LeftButtonDown));
        return true;
    };
    EXPECT_EQ(runMainLoop(shell, drawing, *world, countingIdleTurn), 0);
    EXPECT_EQ(idleTurns, 4);
}

TEST_F(MainLoop, QuitPostedDuringStartUpEndsTheLoopBeforeTheFirstFrame)
{
    shell.queue.post(resize(800, 600));
    shell.queue.post(message(MessageKind::Paint));
    shell.queue.postQuit(0);
    EXPECT_EQ(runMainLoop(shell, drawing, *world, countingIdleTurn), 0);
    EXPECT_EQ(idleTurns, 0);
}

// Escape, the close message and a posted quit end the loop through one path,
// code 0; the shutdown after it deletes the terrain list and releases the context.
class MainLoopEnding : public MainLoop, public ::testing::WithParamInterface<int> {};

TEST_P(MainLoopEnding, EndsThroughTheSamePath)
{
    REQUIRE_GL_CONTEXT();
    world->terrain.terrainList = glGenLists(1);
    glNewList(world->terrain.terrainList, GL_COMPILE);
    glEndList();
    ASSERT_TRUE(glIsList(world->terrain.terrainList));
    const GLuint list = world->terrain.terrainList;

    switch (GetParam()) {
    case 0:
        shell.queue.post(message(MessageKind::KeyDown, platform::kKeyEscape));
        break;
    case 1:
        shell.queue.post(message(MessageKind::Close));
        break;
    default:
        shell.queue.postQuit(0);
        break;
    }
    EXPECT_EQ(runMainLoop(shell, drawing, *world, countingIdleTurn), 0);
    EXPECT_EQ(idleTurns, 0);
    shutDown(shell, drawing, *world);
    EXPECT_EQ(world->terrain.terrainList, 0u);
    EXPECT_FALSE(platform::hasRenderingContext());
    ASSERT_TRUE(ensureGlContext());
    EXPECT_FALSE(glIsList(list)) << "the terrain list outlived the loop";
}

INSTANTIATE_TEST_SUITE_P(EscapeCloseAndQuit, MainLoopEnding, ::testing::Values(0, 1, 2));

// The window procedure records what a message asks for; no graphics call.
TEST_F(MainLoop, KeysAndTheRightButtonBecomeRequestsForTheNextFrame)
{
    windowProcedure(shell, drawing, message(MessageKind::KeyDown, platform::kKeySpace));
    EXPECT_TRUE(drawing.wireframe);
    EXPECT_TRUE(drawing.requests.polygonMode);
    windowProcedure(shell, drawing, message(MessageKind::KeyDown, platform::kKeyReturn));
    EXPECT_FALSE(drawing.wireframe);

    windowProcedure(shell, drawing, message(MessageKind::RightButtonDown));
    EXPECT_EQ(drawing.zoom, Zoom::On);
    EXPECT_TRUE(drawing.requests.zoom);

    Message repeat = message(MessageKind::KeyDown, platform::kKeyF12);
    repeat.repeat = true;
    windowProcedure(shell, drawing, repeat);
    EXPECT_FALSE(drawing.requests.screenshot) << "auto-repeat saves nothing";
    windowProcedure(shell, drawing, message(MessageKind::KeyDown, platform::kKeyF12));
    EXPECT_TRUE(drawing.requests.screenshot);
    EXPECT_EQ(drawing.requests.screenshotWidth, 800);
    EXPECT_EQ(drawing.requests.screenshotHeight, 600);

    // F3 shows and hides the readout once per press, however long it is held.
    repeat.key = platform::kKeyF3;
    windowProcedure(shell, drawing, message(MessageKind::KeyDown, platform::kKeyF3));
    windowProcedure(shell, drawing, repeat);
    EXPECT_EQ(drawing.placeReadout, PlaceReadout::Shown);
    windowProcedure(shell, drawing, message(MessageKind::KeyDown, platform::kKeyF3));
    EXPECT_EQ(drawing.placeReadout, PlaceReadout::Hidden);
    repeat.key = platform::kKeyF9;
    windowProcedure(shell, drawing, repeat);
    EXPECT_FALSE(drawing.walk.active()) << "auto-repeat records nothing";
    windowProcedure(shell, drawing, message(MessageKind::KeyDown, platform::kKeyF9));
    EXPECT_TRUE(drawing.walk.active());
    drawing.walk.stop();

    for (int key : {int{'W'}, int{'C'}, platform::kKeyUp})
        windowProcedure(shell, drawing, message(MessageKind::KeyDown, key));
    EXPECT_FALSE(shell.queue.quitPosted) << "held keys are polled, not pressed";
}

TEST_F(MainLoop, FullScreenIgnoresResizesAndAWindowedResizeDropsAnEarlierZoom)
{
    shell.fullScreen = true;
    windowProcedure(shell, drawing, resize(400, 300));
    EXPECT_FALSE(drawing.requests.viewport);
    EXPECT_EQ(shell.clientRect.right, 800);

    shell.fullScreen = false;
    windowProcedure(shell, drawing, message(MessageKind::RightButtonDown));
    windowProcedure(shell, drawing, resize(640, 480));
    EXPECT_TRUE(drawing.requests.viewport);
    EXPECT_EQ(drawing.requests.viewportWidth, 640);
    EXPECT_EQ(drawing.requests.viewportHeight, 480);
    EXPECT_FALSE(drawing.requests.zoom) << "the resize sets the normal projection";
    EXPECT_EQ(drawing.zoom, Zoom::On) << "the projection is set at the next frame";
}

// The loop makes a message's graphics calls as soon as the message is
// handled, as the window procedure of old did, not at the next frame.
TEST_F(MainLoop, AMessagesGraphicsCallsComeBeforeTheNextTurn)
{
    REQUIRE_GL_CONTEXT();
    shell.queue.post(message(MessageKind::KeyDown, platform::kKeySpace));
    script = [](int, Shell&) {
        GLint mode[2];
        glGetIntegerv(GL_POLYGON_MODE, mode);
        EXPECT_EQ(mode[0], GL_LINE);
        return false;
    };
    EXPECT_EQ(runMainLoop(shell, drawing, *world, countingIdleTurn), 0);
    EXPECT_EQ(idleTurns, 1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

// Applied, the requests make the calls the messages ask for.
TEST_F(MainLoop, AppliedRequestsOutlineZoomAndResize)
{
    REQUIRE_GL_CONTEXT();
    setUpViewport(drawing, 800, 600);
    GLint mode[2];
    windowProcedure(shell, drawing, message(MessageKind::KeyDown, platform::kKeySpace));
    applyDisplayRequests(drawing, shell.clientRect);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_LINE);
    EXPECT_EQ(mode[1], GL_LINE);
    windowProcedure(shell, drawing, message(MessageKind::KeyDown, platform::kKeyReturn));
    applyDisplayRequests(drawing, shell.clientRect);
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);

    windowProcedure(shell, drawing, message(MessageKind::RightButtonDown));
    applyDisplayRequests(drawing, shell.clientRect);
    EXPECT_NEAR(verticalFieldOfViewDegrees(), 10.0, 1e-3);
    EXPECT_NEAR(aspectRatio(), 800.0 / 600.0, 1e-4);

    // Zoomed, then resized: back to 80 degrees, but still marked zoomed, so the
    // next click un-zooms and stays at 80. A height of 0 counts as 1.
    windowProcedure(shell, drawing, resize(640, 0));
    applyDisplayRequests(drawing, shell.clientRect);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_NEAR(verticalFieldOfViewDegrees(), 80.0, 1e-3);
    EXPECT_NEAR(aspectRatio(), 640.0, 0.05);
    windowProcedure(shell, drawing, message(MessageKind::RightButtonDown));
    applyDisplayRequests(drawing, shell.clientRect);
    EXPECT_NEAR(verticalFieldOfViewDegrees(), 80.0, 1e-3);
    EXPECT_EQ(drawing.zoom, Zoom::Off);
}

TEST_F(MainLoop, ZoomWithZeroClientHeightTakesItAsOne)
{
    REQUIRE_GL_CONTEXT();
    shell.clientRect = {0, 0, 640, 0};
    drawing.zoom = Zoom::On;
    applyZoom(drawing, shell.clientRect);
    EXPECT_TRUE(std::isfinite(aspectRatio()));
    EXPECT_NEAR(aspectRatio(), 640.0, 0.05);
}

} // namespace
