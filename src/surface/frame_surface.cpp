#include "surface/frame_surface.h"

#include "app/projection.h"
#include "surface/save_folder.h"
#include "platform/platform.h"

#include <GL/gl.h>

#include <cstdio>

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

TargetReport drawOffscreen(Shell& shell, Overlay& overlay, int width, int height)
{
    const TargetReport report = makeRenderTarget(shell.surface.target, width, height, platform::depthBits());
    if (report.outcome != TargetOutcome::Made)
        return report;
    shell.surface.kind = SurfaceKind::Offscreen;
    shell.clientRect = {0, 0, width, height};
    setUpViewport(shell, width, height);
    scaleOverlay(overlay, height);
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

TargetReport startRenderScale(Shell& shell, const RenderScaleChoice& choice)
{
    if (!choice.automatic)
        return setRenderScale(shell, choice.scale);
    // The renderer builds its code for the stretch at its first use, which
    // would stall the frame of the first change (for seconds on a loaded
    // machine): one stretch now builds it. A renderer without targets is
    // told at start, and auto stays off.
    const TargetReport report = setRenderScale(shell, kAutoScaleSteps[kAutoScaleStepCount - 1]);
    if (report.outcome == TargetOutcome::Made) {
        finishScene(shell);
        setRenderScale(shell, kMaxRenderScale);
    }
    shell.autoScale.on = report.outcome == TargetOutcome::Made;
    return report;
}

void fitSurfaceToWindow(Shell& shell)
{
    restartAutoScaleEvidence(shell.autoScale);
    if (shell.surface.kind != SurfaceKind::Scaled)
        return;
    // A size the renderer cannot make draws the scene at the window's size.
    if (makeScaledTarget(shell).outcome != TargetOutcome::Made)
        setRenderScale(shell, kMaxRenderScale);
}

void adjustRenderScale(Shell& shell)
{
    if (!shell.autoScale.on)
        return;
    if (!observeFrameTime(shell.autoScale, shell.frameClock.delta)) {
        if (settledUntold(shell.autoScale))
            std::fprintf(stderr, "lumora: the render scale settled at %g\n",
                         static_cast<double>(kAutoScaleSteps[shell.autoScale.step]));
        return;
    }
    const TargetReport report = setRenderScale(shell, kAutoScaleSteps[shell.autoScale.step]);
    if (report.outcome != TargetOutcome::Made) {
        // Said once: the scale stays where it is from now on.
        shell.autoScale.on = false;
        std::fprintf(stderr, "lumora: %s; the render scale stays at %.2f\n", describeTargetReport(report).c_str(),
                     static_cast<double>(shell.surface.scale));
    }
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
    stretchToWindow(surface.target, width, height, surface.filter);
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
