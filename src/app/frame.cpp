#include "app/frame.h"

#include "overlay/hud.h"
#include "platform/platform.h"

#include <GL/gl.h>

FramePassProbe framePassProbe = nullptr;

namespace {

void passDone(FramePass pass)
{
    if (framePassProbe)
        framePassProbe(pass);
}

} // namespace

void renderFrame(Shell& shell, World& world, float frameDelta)
{
    Camera& camera = world.camera;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glPushMatrix();

    followGround(camera, world.heightMap, world.ground);
    camera.applyView();
    world.frustum.extract();
    markVisible(world);
    passDone(FramePass::View);

    if (world.terrain.terrainList != 0) // list 0 names nothing and is an error
        glCallList(world.terrain.terrainList);
    passDone(FramePass::Terrain);

    // The sky box follows the eye after this frame's ground following, so its
    // walls never come nearer.
    const Vector3 eye = camera.position;
    drawSkyBox(world.skyBox, eye.x + kSkyBoxOffset, eye.y, eye.z + kSkyBoxOffset, kSkyBoxSize, kSkyBoxSize,
               kSkyBoxSize);
    passDone(FramePass::SkyBox);

    // The origin palm's file coordinates are world coordinates.
    glDisable(GL_CULL_FACE);
    world.originPalm.draw();
    glEnable(GL_CULL_FACE);
    passDone(FramePass::OriginPalm);

    world.palmGrove.draw(eye.x, eye.y, eye.z);
    passDone(FramePass::Palms);
    world.grassField.draw(eye.x, eye.y, eye.z);
    passDone(FramePass::Grass);

    // The flyers move and beat their wings with the previous frame's delta.
    advanceFlyers(world.flyers, world.random);
    keepFlyersAboveGround(world.flyers, world.heightMap);
    drawFlyers(world.flyers);
    beatFlyerWings(world.flyers);
    passDone(FramePass::Flyers);

    // Each frame shows the time of the frames before it; the captions go by
    // the clock after this frame.
    char clock[kTextBufferBytes];
    formatClock(world.overlay, clock);
    advanceClock(world.overlay, frameDelta);
    drawOverlay(world.overlay, camera, clock);
    glPopMatrix();
    passDone(FramePass::Overlay);

    setFlyersFrameDelta(world.flyers, frameDelta);
    platform::swapBuffers();
    passDone(FramePass::Swap);

    pollCrouchKey(world.ground, shell.keys);
    advanceWalkPhase(world.ground, shell.keys, camera.speed);
}

void markVisible(World& world)
{
    world.grassField.markVisible(world.frustum);
    markVisibleFlyers(world.flyers, world.frustum);
    world.palmGrove.markVisible(world.frustum);
}
