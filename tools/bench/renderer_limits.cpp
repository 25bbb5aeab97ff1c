#include "bench/renderer_limits.h"

#include "app/frame.h"
#include "common/viewer_session.h"
#include "platform/platform.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace {

// The fill the terrain costs at most: one quad over the whole window with
// both of the terrain's textures, combined as the terrain list combines them.
void drawTwoUnitQuad(const World& world)
{
    const ExtensionEntryPoints& gl = world.extensions;
    glDisable(GL_DEPTH_TEST); // the terrain drawn after it must not be hidden early by its depth
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    bindTerrainTextures(world.terrain, gl);
    glColor3f(1, 1, 1);
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (const auto& c : corners) {
        gl.glMultiTexCoord2fARB(GL_TEXTURE0_ARB, c[0], -c[1]);
        gl.glMultiTexCoord2fARB(GL_TEXTURE1_ARB, c[0], -c[1]);
        glVertex2f(c[0], c[1]);
    }
    glEnd();
    releaseTerrainTextures(gl);

    glEnable(GL_TEXTURE_2D); // as every pass expects to find it
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
}

void drawLimit(int limit, const LimitRecord& limits, const World& world)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (limit >= kQuadLimit)
        drawTwoUnitQuad(world);
    if (limit >= kQuadTerrainLimit) {
        glLoadIdentity();
        limits.startPose.applyView();
        drawTerrainList(world);
        glEnable(GL_TEXTURE_2D);
    }
    platform::swapBuffers();
}

} // namespace

void measureLimitSlices(LimitRecord& limits, const World& world)
{
    const bool multitexture = world.extensions.glActiveTextureARB && world.extensions.glMultiTexCoord2fARB;
    const int count = multitexture ? kLimitCount : kQuadLimit;
    for (int limit = 0; limit < count; ++limit) {
        constexpr int kWarmUpFrames = 5;
        for (int i = 0; !limits.warm && i < kWarmUpFrames; ++i)
            drawLimit(limit, limits, world);
        glFinish();
        const double start = monotonicSeconds();
        double now = start;
        while (now - start < kLimitSliceSeconds) {
            drawLimit(limit, limits, world);
            ++limits.tallies[limit].frames;
            now = monotonicSeconds();
        }
        limits.tallies[limit].seconds += now - start;
    }
    limits.warm = true;
    glLoadIdentity();
}
