#include "app/frame.h"

#include "app/main_loop.h"
#include "app/projection.h"
#include "support/gl_test_context.h"

#include <GL/gl.h>

#include <memory>

namespace {

// The camera stays where the test put it.
const FrameHooks keepCamera = {.moveCamera = [](void*, Shell&, Camera&, float) {}};

TEST(RenderFrame, LeavesTheGraphicsStateAsItFoundIt)
{
    REQUIRE_GL_CONTEXT();
    Shell shell;
    auto world = std::make_unique<World>();
    setUpViewport(shell, 800, 600);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    world->camera.place(kStartPosition, kStartViewPoint, kUpVector);
    while (glGetError() != GL_NO_ERROR) {}

    for (int frame = 0; frame < 3; ++frame)
        renderFrame(shell, *world, 0, keepCamera);

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

} // namespace
