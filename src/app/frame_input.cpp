#include "app/frame_input.h"

FrameInput viewerFrameInput(const FrameClock& clock, const Drawing& drawing, const World& world)
{
    FrameInput input;
    input.frameDelta = clock.delta;
    input.zoomed = drawing.zoom == Zoom::On;
    input.wireframe = drawing.wireframe;
    input.crouching = world.ground.crouching;
    return input;
}

FrameInput replayedFrameInput(const WalkFrame& frame, float frameDelta, OverlayShown overlay)
{
    FrameInput input;
    input.camera = CameraControl::Placed;
    input.eye = frame.eye;
    input.lookAt = frame.lookAt;
    input.eyeHeight = EyeHeight::AsPlaced;
    input.frameDelta = frameDelta;
    input.zoomed = frame.zoomed;
    input.wireframe = frame.wireframe;
    input.crouching = frame.crouching;
    input.overlay = overlay;
    input.time = FrameTime::Offline;
    return input;
}

WalkFrame recordedWalkFrame(const FrameInput& input, const Camera& drawn)
{
    return {0, drawn.position, drawn.viewPoint, input.crouching, input.zoomed, input.wireframe};
}
