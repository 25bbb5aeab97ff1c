#pragma once
// Where the frame is drawn. In a window at render scale 1, straight into its
// back buffer: the original frame, without a single framebuffer call. Below
// scale 1 the scene goes into a target of that share of the window's size,
// is stretched onto the window (nearest or linear), and the overlay is
// drawn over it at the window's own resolution, so text stays sharp. A tool
// draws the whole frame into an offscreen target of any size, whose size is
// then the frame's client area (projection, zoom, overlay), and reads it back.
// Targets are made only here, at a change of scale or of the window's size,
// never per frame.

#include "app/shell_state.h"
#include "overlay/overlay.h"

#include <cstdint>

// A tool's offscreen frame of width x height; the window's resizes no longer
// change the picture, and the overlay's glyphs and points scale with its
// height. Reports a size the renderer cannot make.
TargetReport drawOffscreen(Shell& shell, Overlay& overlay, int width, int height);

// The render scale for the window: 1 draws straight into it again. A target
// that cannot be made leaves the frame as it was and is reported.
TargetReport setRenderScale(Shell& shell, float scale);
// The choice of the command line, once the context exists: a fixed scale,
// or auto, which starts at 1.
TargetReport startRenderScale(Shell& shell, const RenderScaleChoice& choice);

// After a resize of the window (shell.clientRect): a scaled target is made
// again to match, and auto looks at the frames afresh.
void fitSurfaceToWindow(Shell& shell);

// With --render-scale auto, takes this frame's delta and changes the scale
// when the evidence says so.
void adjustRenderScale(Shell& shell);

// Steps of the frame: before the clear, the scene's surface is bound; after
// the flyers, a scaled scene is stretched onto the window, which the overlay
// then draws into with its own viewport and a cleared depth buffer.
void beginScene(const Shell& shell);
void finishScene(const Shell& shell);
// Reads back the finished frame as the user sees it, before the swap:
// width x height RGB pixels, bottom row first (the window's back buffer, or
// the offscreen target).
void readBackFrame(const Shell& shell, int width, int height, uint8_t* pixels);
