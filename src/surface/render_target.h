#pragma once
// An offscreen picture of any size up to the renderer's limit: a framebuffer
// object with a colour renderbuffer (8 bits a channel) and a depth
// renderbuffer as deep as the window's. The frame draws into it instead of
// the window's back buffer: for a tool's picture larger than the display, and
// for the render scale, which stretches it onto the window.
//
// The entry points come from the one table of GL entry points
// (terrain/extensions.h) when the first target is made (GL 3.0 or
// GL_ARB_framebuffer_object, else GL_EXT_framebuffer_object with
// GL_EXT_framebuffer_blit), so a frame drawn straight into the window never
// makes a framebuffer call. Making a target reports; the caller decides.
// A target holds GL's object names, so this header needs no GL header.

#include "assets/report.h"
#include "surface/render_scale.h"

#include <cstdint>

struct RenderTarget {
    uint32_t framebuffer = 0; // 0 while none is made
    uint32_t colour = 0;      // renderbuffer names
    uint32_t depth = 0;
    int width = 0; // pixels
    int height = 0;
};

// Makes (or re-makes, at a new size) target at width x height with a depth
// buffer of depthBits (32, 24 or 16). Leaves the window's framebuffer bound.
// A target that is not made fails with Failure::Make and one line without a
// trailing full stop: the renderer offers no framebuffer objects (or no
// blit), the size is beyond its limits or not at least 1 x 1 ("cannot draw a
// 20000 x 100 picture: this renderer draws at most 16384 x 16384"), or the
// renderer could not make it (memory).
Report makeRenderTarget(RenderTarget& target, int width, int height, int depthBits);
void deleteRenderTarget(RenderTarget& target);

// Draws into target from now on.
void bindRenderTarget(const RenderTarget& target);

// Copies target onto the window's whole width x height with the filter given
// and leaves the window bound for drawing.
void stretchToWindow(const RenderTarget& target, int windowWidth, int windowHeight, StretchFilter filter);

// Reads target's finished picture: width x height RGB pixels, bottom row
// first, into pixels (width * height * 3 bytes). The framebuffer bound for
// drawing stays as it was.
void readBackTarget(const RenderTarget& target, uint8_t* pixels);
