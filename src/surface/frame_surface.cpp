#include "surface/frame_surface.h"

#include "platform/platform.h"

#include <GL/gl.h>

namespace {

// The scaled target for a window of windowWidth x windowHeight at surface.scale.
Report makeScaledTarget(FrameSurface& surface, int windowWidth, int windowHeight)
{
    int scaledWidth = 0;
    int scaledHeight = 0;
    scaledSize(windowWidth, windowHeight, surface.scale, scaledWidth, scaledHeight);
    RenderTarget& target = surface.target;
    if (target.framebuffer != 0 && target.width == scaledWidth && target.height == scaledHeight)
        return {};
    return makeRenderTarget(target, scaledWidth, scaledHeight, platform::depthBits());
}

} // namespace

Report makeOffscreenSurface(FrameSurface& surface, int width, int height)
{
    const Report report = makeRenderTarget(surface.target, width, height, platform::depthBits());
    if (!report.failed())
        surface.kind = SurfaceKind::Offscreen;
    return report;
}

Report scaleSurface(FrameSurface& surface, float scale, int windowWidth, int windowHeight)
{
    if (scale >= kMaxRenderScale) {
        deleteRenderTarget(surface.target);
        surface.kind = SurfaceKind::Window;
        surface.scale = kMaxRenderScale;
        return {};
    }
    const float previous = surface.scale;
    surface.scale = scale;
    const Report report = makeScaledTarget(surface, windowWidth, windowHeight);
    if (!report.failed())
        surface.kind = SurfaceKind::Scaled;
    else
        surface.scale = previous;
    return report;
}

void fitScaledSurface(FrameSurface& surface, int windowWidth, int windowHeight)
{
    if (surface.kind != SurfaceKind::Scaled)
        return;
    if (makeScaledTarget(surface, windowWidth, windowHeight).failed())
        scaleSurface(surface, kMaxRenderScale, windowWidth, windowHeight);
}

void beginScene(const FrameSurface& surface)
{
    if (surface.kind == SurfaceKind::Window)
        return;
    bindRenderTarget(surface.target);
    if (surface.kind == SurfaceKind::Scaled)
        glViewport(0, 0, surface.target.width, surface.target.height);
}

void finishScene(const FrameSurface& surface, int windowWidth, int windowHeight)
{
    if (surface.kind != SurfaceKind::Scaled)
        return;
    stretchToWindow(surface.target, windowWidth, windowHeight, surface.filter);
    glViewport(0, 0, windowWidth, windowHeight);
    // The scene's depth stayed in the target; the overlay finds the window's
    // far, as the frame's clear leaves it.
    glClear(GL_DEPTH_BUFFER_BIT);
}

void readBackFrame(const FrameSurface& surface, int width, int height, uint8_t* pixels)
{
    if (surface.kind == SurfaceKind::Offscreen) {
        readBackTarget(surface.target, pixels);
        return;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}

void releaseSurface(FrameSurface& surface) { deleteRenderTarget(surface.target); }
