#include "app/frame.h"

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

void renderFrame(Shell& shell, World& world)
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

    advanceFlyers(world.flyers, world.random);
    keepFlyersAboveGround(world.flyers, world.heightMap);
    drawFlyers(world.flyers);
    passDone(FramePass::Flyers);

    drawOverlay(world.overlay, camera);
    glPopMatrix();
    passDone(FramePass::Overlay);

    // The flyers move with this delta in the next frame.
    setFlyersFrameDelta(world.flyers, camera.frameDelta);
    platform::swapBuffers();
    passDone(FramePass::Swap);

    pollCrouchKey(world.ground, shell.keys);
    advanceWalkPhase(world.ground, shell.keys, camera.speed);
}

void markVisible(World& world)
{
    const FrustumPlanes& frustum = world.frustum;
    for (GrassTuft& tuft : world.grassField.tufts)
        tuft.visible = frustum.containsSphere(tuft.x, tuft.y, tuft.z, kGrassVisibilityRadius);

    // Flyers are tested where the previous frame left them; they move later.
    for (Flyer& flyer : world.flyers.flyers) {
        const float* p = flyer.position;
        flyer.visible = frustum.containsSphere(p[0], p[1], p[2], kFlyerVisibilityRadius) ? 1 : 0;
    }

    for (PalmInstance& palm : world.palmGrove.palms) {
        palm.visible = frustum.containsSphere(palm.x, palm.y, palm.z, kPalmVisibilityRadius) ||
                       frustum.containsSphere(palm.x, palm.y + kPalmCrownHeight, palm.z, kPalmVisibilityRadius);
    }
}
