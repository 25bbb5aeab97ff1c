#pragma once
// The overlay drawn over the finished scene each frame: compass, view-direction
// point, clock, counter and the opening captions, in bitmap glyphs of a bold
// 34-pixel face made once at start-up.
//
// Positions are overlay coordinates: -1 .. +1 across the current viewport from
// left to right and bottom to top, so they stretch with the window; glyphs and
// the point are sized in pixels and do not, except in a tool's picture of
// another height, where they scale with it.

#include "assets/geo_reference.h"
#include "overlay/text.h"
#include "view/camera.h"

#include <GL/gl.h>

#include <cstdint>

struct Overlay {
    GLuint fontListBase = 0; // first of 96 lists, character codes 32..127; 0 while there is no font
    int overlayCounter = 0;  // printed at the lower left; nothing changes it
    float clockSeconds = 0;  // second field of the clock, wraps at 6000
    float clockMinutes = 0;  // first field of the clock, shown minus 1
    float pixelScale = 1;    // glyph and point sizes over the window's: a tool's picture of another height
};

// Start-up, once the rendering context is current: builds the font lists.
void createOverlayFont(Overlay& overlay);
// For a tool's picture pictureHeight pixels high: the glyphs and the points
// scale with its height (overlay_layout.h). A new size makes the font lists
// again; the height of the window (600) leaves everything as it is.
void scaleOverlay(Overlay& overlay, int pictureHeight);

// Shown while F9 records a walk: a red mark in the top right corner.
enum class RecordingMark : uint8_t { Hidden, Shown };

// Once per frame, inside the frame's pushed model-view matrix: draws every
// element. Each frame shows the time of the frames before it, and the captions
// as the clock will read once advanced by this frame's delta; the recording
// mark last, and only while it is set. Leaves the colour
// white, 2-D texturing on, blending off and the model-view matrix selected.
// With the place's geographic reference the compass points to true north;
// without one (null) north is at +z (overlay_layout.h).
void drawOverlay(const Overlay& overlay, const Camera& camera, float frameDelta,
                 const GeoReference* reference = nullptr, RecordingMark mark = RecordingMark::Hidden);

// Switch into overlay coordinates (projection pushed, both matrices identity)
// and back (projection popped, model-view selected).
void beginOverlay();
void endOverlay();
