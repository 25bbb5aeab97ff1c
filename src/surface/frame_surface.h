#pragma once
// Where the frame is drawn. In a window at render scale 1, straight into its
// back buffer, without a single framebuffer call. Below
// scale 1 the scene goes into a target of that share of the window's size,
// is stretched onto the window (nearest or linear), and the overlay is
// drawn over it at the window's own resolution, so text stays sharp. A tool
// draws the whole frame into an offscreen target of any size and reads it
// back. Targets are made only here, at a change of scale or of the window's
// size, never per frame. Sizes are pixels; every operation takes the surface
// and the sizes it needs, and reports what it could not make.

#include "surface/render_scale.h"
#include "surface/render_target.h"

#include <cstdint>

enum class SurfaceKind : uint8_t {
    Window,    // straight into the window's back buffer
    Scaled,    // the scene into `target`, stretched onto the window; the overlay over it
    Offscreen, // the whole frame into `target`, for a tool to read back; nothing is shown
};

struct FrameSurface {
    SurfaceKind kind = SurfaceKind::Window;
    float scale = 1;                              // Scaled: the scene's size over the window's
    StretchFilter filter = kDefaultStretchFilter; // Scaled: how the scene is stretched onto the window
    RenderTarget target;
};

// The whole frame into a target of width x height from now on.
Report makeOffscreenSurface(FrameSurface& surface, int width, int height);

// The scene at scale of a window of windowWidth x windowHeight: 1 draws
// straight into the window again. A target that cannot be made leaves the
// surface as it was.
Report scaleSurface(FrameSurface& surface, float scale, int windowWidth, int windowHeight);
// After a resize of the window: a scaled target is made again to match; a
// size the renderer cannot make draws the scene at the window's size.
void fitScaledSurface(FrameSurface& surface, int windowWidth, int windowHeight);

// Steps of the frame: before the clear, the scene's surface is bound; after
// the flyers, a scaled scene is stretched onto the window of windowWidth x
// windowHeight, which the overlay then draws into with its own viewport and a
// cleared depth buffer.
void beginScene(const FrameSurface& surface);
void finishScene(const FrameSurface& surface, int windowWidth, int windowHeight);
// Reads back the finished frame as the user sees it, before the swap:
// width x height RGB pixels, bottom row first, from the window's back buffer
// (what a front buffer holds after a swap is the window system's business),
// or the offscreen target.
void readBackFrame(const FrameSurface& surface, int width, int height, uint8_t* pixels);

// Gives the target back, at shut-down.
void releaseSurface(FrameSurface& surface);
