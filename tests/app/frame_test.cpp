#include "app/frame.h"

#include "app/main_loop.h"
#include "app/projection.h"
#include "app/walk_recording.h"
#include "support/gl_test_context.h"
#include "formats/walk_format.h"

#include <GL/gl.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

// A move of none: the camera stays where the test put it.
const FrameInput keepCamera = {.camera = CameraControl::Moved};

TEST(RenderFrame, LeavesTheGraphicsStateAsItFoundIt)
{
    REQUIRE_GL_CONTEXT();
    Shell shell;
    Drawing drawing;
    auto world = std::make_unique<World>();
    setUpViewport(drawing, 800, 600);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    world->camera.place(kStartPosition, kStartViewPoint, kUpVector);
    while (glGetError() != GL_NO_ERROR) {}

    for (int frame = 0; frame < 3; ++frame)
        renderFrame(shell, drawing, *world, keepCamera);

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1) << "the frame's push and pop do not balance";
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));

    // The model-view matrix left behind is the identity the frame loaded, not
    // the camera transform.
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
}

// F9's walk goes where F12's pictures go; a full buffer saves it at once.
TEST(WalkRecording, AFullWalkIsSavedWhereScreenshotsGo)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("walks." + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    WalkRecording recording;
    const std::string startFolder = folder.string();
    const auto world = std::make_unique<World>();
    world->camera.place({10, 20, 30}, {11, 20, 30}, kUpVector);

    // Pressed twice before a frame is drawn: nothing to save.
    toggleWalkRecording(recording, startFolder);
    EXPECT_TRUE(recording.active());
    toggleWalkRecording(recording, startFolder);
    EXPECT_FALSE(recording.active());
    EXPECT_TRUE(fs::is_empty(folder));

    recording.start(3);
    testing::internal::CaptureStderr();
    const FrameInput input = {.frameDelta = 0.5f};
    for (int frame = 0; frame < 3; ++frame) {
        recordWalkFrame(recording, startFolder, *world, input);
        EXPECT_EQ(recording.active(), frame < 2) << "frame " << frame << ": the overlay's mark shows this";
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(recording.active());
    recordWalkFrame(recording, startFolder, *world, input); // no longer recording: nothing happens

    ASSERT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 1);
    const fs::path saved = fs::directory_iterator(folder)->path();
    EXPECT_EQ(saved.extension(), ".walk");
    EXPECT_NE(said.find("recording stopped"), std::string::npos) << said;
    EXPECT_NE(said.find("saved the walk as " + saved.string() + " (1.0 s)"), std::string::npos) << said;
    std::stringstream text;
    text << std::ifstream(saved).rdbuf();
    std::vector<WalkFrame> walk;
    Report problem;
    ASSERT_TRUE(parseWalk(text.str(), walk, problem)) << problem.text;
    ASSERT_EQ(walk.size(), 3u);
    EXPECT_EQ(walk[2].time, 1.0f);
    EXPECT_EQ(walk[2].eye.x, 10);
    fs::remove_all(folder);
}

// Drawn as the viewer draws it, C crouching from the frame after the press,
// recorded by F9 and fed back as a tool replays it: every frame's eye where
// the viewer drew it, 4 lower while crouched, and the crouch replayed with it.
TEST(WalkRecording, AReplayedCrouchDrawsTheEyeWhereTheViewerDrewIt)
{
    REQUIRE_GL_CONTEXT();
    Shell shell;
    Drawing drawing;
    auto world = std::make_unique<World>();
    setUpViewport(drawing, 800, 600);
    world->heightMap.heights[500 * kHeightMapSide + 500] = 30; // under the start-up eye
    world->camera.place(kStartPosition, kStartViewPoint, kUpVector);
    drawing.walk.start(7); // one more than drawn: a full buffer would save the walk
    for (int frame = 0; frame < 6; ++frame) {
        if (frame == 2) {
            Message press{};
            press.kind = MessageKind::KeyDown;
            press.key = 'C';
            shell.keys.apply(press);
        }
        FrameInput input = viewerFrameInput(shell.frameClock, drawing, *world);
        input.camera = CameraControl::Moved; // the keys, without the screen's pointer
        input.frameDelta = 1.0f / 60;
        renderFrame(shell, drawing, *world, input);
    }
    ASSERT_EQ(drawing.walk.count, 6);
    const std::vector<WalkFrame> walk(drawing.walk.frames.get(), drawing.walk.frames.get() + 6);
    drawing.walk.stop();

    Shell tool; // no key held
    Drawing toolDrawing;
    auto replay = std::make_unique<World>();
    replay->heightMap.heights[500 * kHeightMapSide + 500] = 30;
    for (int frame = 0; frame < 6; ++frame) {
        EXPECT_EQ(walk[frame].crouching, frame >= 3) << "frame " << frame;
        EXPECT_FLOAT_EQ(walk[frame].eye.y, frame >= 3 ? 31.5f : 35.5f) << "frame " << frame;
        // What the passes draw with, seen once the view is set.
        struct Seen {
            const World* world;
            Vector3 eye, lookAt;
            bool crouching;
        } seen{replay.get(), {}, {}, false};
        const FrameHooks probe = {
            .context = &seen, .passDone = [](void* context, FramePass finished) {
                Seen& s = *static_cast<Seen*>(context);
                if (finished == FramePass::View)
                    s = {s.world, s.world->camera.position, s.world->camera.viewPoint, s.world->ground.crouching};
            }};
        renderFrame(tool, toolDrawing, *replay, replayedFrameInput(walk[frame], 1.0f / 30, OverlayShown::Drawn),
                    probe);
        EXPECT_FLOAT_EQ(seen.eye.y, walk[frame].eye.y) << "frame " << frame;
        EXPECT_FLOAT_EQ(seen.lookAt.y, walk[frame].lookAt.y) << "frame " << frame;
        EXPECT_EQ(seen.crouching, walk[frame].crouching) << "frame " << frame;
    }
}

} // namespace
