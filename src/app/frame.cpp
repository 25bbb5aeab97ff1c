#include "app/frame.h"

#include "app/frame_clock.h"
#include "app/projection.h"
#include "app/screenshot.h"
#include "app/startup.h"
#include "app/surface_choice.h"
#include "app/walk_recording.h"
#include "input/key_bindings.h"
#include "overlay/overlay_clock.h"
#include "overlay/place_readout.h"
#include "platform/platform.h"
#include "view/walk_bounds.h"

#include <GL/gl.h>

namespace {

void passDone(const FrameHooks& hooks, FramePass pass)
{
    if (hooks.passDone)
        hooks.passDone(hooks.context, pass);
}

} // namespace

void moveCameraByInput(const KeyStateTable& keys, Camera& camera, float frameDelta, const WalkBounds& bounds)
{
    const CursorAccess screenCursor{platform::getCursorPosition, platform::setCursorPosition};
    const Vector3 walkStart = camera.position;
    camera.update(keys, frameDelta, screenCursor);
    // The camera walks anywhere; the viewer keeps its walker on the ground
    // it draws.
    keepWalkOnDrawnGround(camera, walkStart, bounds);
}

void renderFrame(Shell& shell, Drawing& drawing, World& world, const FrameInput& input, const FrameHooks& hooks)
{
    updateBeforeDrawing(shell, drawing, world, input, hooks);
    recordWalkFrame(drawing.walk, shell.startFolder, world, input);
    drawFrame(drawing, shell.clientRect, world, input, hooks);
    presentFrame(drawing, shell.startFolder, hooks);
    updateAfterSwap(shell.keys, world, input);
}

void takeFrameInput(Drawing& drawing, World& world, const FrameInput& input)
{
    if (input.zoomed != (drawing.zoom == Zoom::On)) {
        drawing.zoom = input.zoomed ? Zoom::On : Zoom::Off;
        drawing.requests.zoom = true;
    }
    if (input.wireframe != drawing.wireframe) {
        drawing.wireframe = input.wireframe;
        drawing.requests.polygonMode = true;
    }
    world.ground.crouching = input.crouching;
}

void updateBeforeDrawing(Shell& shell, Drawing& drawing, World& world, const FrameInput& input,
                         const FrameHooks& hooks)
{
    takeFrameInput(drawing, world, input);
    switch (input.camera) {
    case CameraControl::KeysAndMouse:
        moveCameraByInput(shell.keys, world.camera, input.frameDelta, walkBounds(world));
        break;
    case CameraControl::Placed:
        world.camera.place(input.eye, input.lookAt, kUpVector);
        break;
    case CameraControl::Moved:
        if (input.move)
            input.move(input.moveContext, world.camera, input.frameDelta);
        break;
    }
    if (input.time == FrameTime::WallClock)
        tickFrameClock(shell.frameClock);
    adjustRenderScale(drawing, shell.clientRect, shell.frameClock.delta);
    applyDisplayRequests(drawing, shell.clientRect);
    beginScene(drawing.surface);

    // The view volume is read back from the matrices that the passes draw
    // with, so the view is set before anything is marked visible.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glPushMatrix();
    if (input.eyeHeight == EyeHeight::FollowGround)
        followGround(world.camera, standingGround(world), world.ground);
    world.camera.applyView();
    world.frustum.extract();
    markVisible(world);

    // The flyers are marked where the previous frame left them, then move
    // with the previous frame's delta. These are the run's only random draws.
    advanceFlyers(world.flyers, world.random);
    keepFlyersAboveGround(world.flyers, flyingGround(world));
    passDone(hooks, FramePass::View);
}

void drawFrame(const Drawing& drawing, const ClientRect& clientRect, const World& world, const FrameInput& input,
               const FrameHooks& hooks)
{
    drawTerrain(drawing, clientRect, world);
    passDone(hooks, FramePass::Terrain);

    // The sky box follows the eye after this frame's ground following, so its
    // walls never come nearer.
    const Vector3 eye = world.camera.position;
    drawSkyBox(world.skyBox, eye.x + kSkyBoxOffset, eye.y, eye.z + kSkyBoxOffset, kSkyBoxSize, kSkyBoxSize,
               kSkyBoxSize);
    passDone(hooks, FramePass::SkyBox);

    // The origin palm's file coordinates are world coordinates.
    glDisable(GL_CULL_FACE);
    if (!world.originPalmCannotStand)
        world.originPalm.draw();
    glEnable(GL_CULL_FACE);
    passDone(hooks, FramePass::OriginPalm);

    world.palmGrove.draw(eye.x, eye.y, eye.z);
    passDone(hooks, FramePass::Palms);
    world.grassField.draw(eye.x, eye.y, eye.z);
    passDone(hooks, FramePass::Grass);

    drawFlyers(world.flyers);
    passDone(hooks, FramePass::Flyers);

    finishScene(drawing.surface, clientRect.right, clientRect.bottom);
    if (input.overlay == OverlayShown::Drawn) {
        const GeoReference* reference = world.geoReference ? &*world.geoReference : nullptr;
        drawOverlay(world.overlay, world.camera, input.frameDelta, reference,
                    drawing.walk.active() ? RecordingMark::Shown : RecordingMark::Hidden);
        if (drawing.placeReadout == PlaceReadout::Shown)
            drawPlaceReadout(world.overlay.fontListBase, reference, standingGround(world), world.camera);
    }
    glPopMatrix();
    passDone(hooks, FramePass::Overlay);
}

void presentFrame(Drawing& drawing, const std::string& startFolder, const FrameHooks& hooks)
{
    DisplayRequests& requests = drawing.requests;
    if (requests.screenshot) {
        requests.screenshot = false;
        saveFrameAsSeen(drawing.surface, startFolder, requests.screenshotWidth, requests.screenshotHeight);
    }
    // An offscreen frame is for a tool to read; the window has nothing to show.
    if (drawing.surface.kind != SurfaceKind::Offscreen)
        platform::swapBuffers();
    passDone(hooks, FramePass::Swap);
}

void updateAfterSwap(const KeyStateTable& keys, World& world, const FrameInput& input)
{
    const float frameDelta = input.frameDelta;
    // The wings beat with the delta the flyers moved by, where they were seen.
    beatFlyerWings(world.flyers);
    advanceClock(world.overlay, frameDelta);
    setFlyersFrameDelta(world.flyers, frameDelta);
    pollCrouchKey(world.ground, keys);
    advanceWalkPhase(world.ground, heldBobKeys(keys) + input.walkKeysHeld, world.camera.speed);
    tellFineTerrainFaults(world);
}

void applyDisplayRequests(Drawing& drawing, const ClientRect& clientRect)
{
    DisplayRequests& requests = drawing.requests;
    if (requests.viewport) {
        setUpViewport(drawing, requests.viewportWidth, requests.viewportHeight);
        fitSurfaceToWindow(drawing, clientRect);
    }
    if (requests.zoom)
        applyZoom(drawing, clientRect);
    if (requests.polygonMode)
        glPolygonMode(GL_FRONT_AND_BACK, drawing.wireframe ? GL_LINE : GL_FILL);
    requests.viewport = false;
    requests.zoom = false;
    requests.polygonMode = false;
}

void markVisible(World& world)
{
    world.grassField.markVisible(world.frustum);
    markVisibleFlyers(world.flyers, world.frustum);
    world.palmGrove.markVisible(world.frustum);
}

void drawTerrain(const Drawing& drawing, const ClientRect& clientRect, const World& world)
{
    if (!world.fineTerrain) {
        drawTerrainList(world);
        return;
    }
    world.fineTerrain->draw(world.terrain, world.extensions, world.camera.position, world.frustum,
                            pixelsPerUnitAtOne(drawing, clientRect), drawing.terrainErrorPixels);
}

void drawTerrainList(const World& world)
{
    if (world.terrain.terrainList != 0) // list 0 names nothing and is an error
        glCallList(world.terrain.terrainList);
}
