#include "app/frame_surface.h"

#include "app/projection.h"
#include "app/screenshot.h"
#include "platform/platform.h"

#include <GL/gl.h>

namespace {

// The scaled target for the client area at shell.surface.scale.
TargetReport makeScaledTarget(Shell& shell)
{
    int scaledWidth = 0;
    int scaledHeight = 0;
    scaledSize(shell.clientRect.right, shell.clientRect.bottom, shell.surface.scale, scaledWidth, scaledHeight);
    RenderTarget& target = shell.surface.target;
    if (target.framebuffer != 0 && target.width == scaledWidth && target.height == scaledHeight)
        return {TargetOutcome::Made, scaledWidth, scaledHeight, {}};
    return makeRenderTarget(target, scaledWidth, scaledHeight, platform::depthBits());
}

} // namespace

TargetReport drawOffscreen(Shell& shell, int width, int height)
{
    const TargetReport report = makeRenderTarget(shell.surface.target, width, height, platform::depthBits());
    if (report.outcome != TargetOutcome::Made)
        return report;
    shell.surface.kind = SurfaceKind::Offscreen;
    shell.clientRect = {0, 0, width, height};
    setUpViewport(shell, width, height);
    return report;
}

TargetReport setRenderScale(Shell& shell, float scale)
{
    FrameSurface& surface = shell.surface;
    if (scale >= kMaxRenderScale) {
        deleteRenderTarget(surface.target);
        surface.kind = SurfaceKind::Window;
        surface.scale = kMaxRenderScale;
        return {};
    }
    const float previous = surface.scale;
    surface.scale = scale;
    const TargetReport report = makeScaledTarget(shell);
    if (report.outcome == TargetOutcome::Made)
        surface.kind = SurfaceKind::Scaled;
    else
        surface.scale = previous;
    return report;
}

void fitSurfaceToWindow(Shell& shell)
{
    if (shell.surface.kind != SurfaceKind::Scaled)
        return;
    // A size the renderer cannot make draws the scene at the window's size.
    if (makeScaledTarget(shell).outcome != TargetOutcome::Made)
        setRenderScale(shell, kMaxRenderScale);
}

void adjustRenderScale(Shell& shell)
{
    if (shell.autoScale.on && observeFrameTime(shell.autoScale, shell.frameClock.delta))
        setRenderScale(shell, kAutoScaleSteps[shell.autoScale.step]);
}

void beginScene(const Shell& shell)
{
    const FrameSurface& surface = shell.surface;
    if (surface.kind == SurfaceKind::Window)
        return;
    bindRenderTarget(surface.target);
    if (surface.kind == SurfaceKind::Scaled)
        glViewport(0, 0, surface.target.width, surface.target.height);
}

void finishScene(const Shell& shell)
{
    const FrameSurface& surface = shell.surface;
    if (surface.kind != SurfaceKind::Scaled)
        return;
    const int width = shell.clientRect.right;
    const int height = shell.clientRect.bottom;
    stretchToWindow(surface.target, width, height);
    glViewport(0, 0, width, height);
    // The scene's depth stayed in the target; the overlay finds the window's
    // far, as the frame's clear leaves it.
    glClear(GL_DEPTH_BUFFER_BIT);
}

void readBackFrame(const Shell& shell, int width, int height, uint8_t* pixels)
{
    if (shell.surface.kind == SurfaceKind::Offscreen)
        readBackTarget(shell.surface.target, pixels);
    else
        readBackBuffer(width, height, pixels);
}
