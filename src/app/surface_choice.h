#pragma once
// Which surface the viewer's frame is drawn into, decided here: the window,
// the window at a render scale (fixed, or auto following the frame time), or
// a tool's offscreen picture of any size. src/surface makes the targets
// and reports; this says what a refusal costs and what the frame's client
// area, projection and overlay become.

#include "app/drawing.h"
#include "app/shell_state.h"
#include "overlay/overlay.h"

// A tool's offscreen frame of width x height, whose size is then the frame's
// client area (projection, zoom, overlay): the window's resizes no longer
// change the picture, and the overlay's glyphs and points scale with its
// height. Reports a size the renderer cannot make.
Report moveFrameOffscreen(Drawing& drawing, ClientRect& clientRect, Overlay& overlay, int width, int height);

// The render scale for the window: 1 draws straight into it again. A target
// that cannot be made leaves the frame as it was and is reported.
Report setRenderScale(FrameSurface& surface, const ClientRect& clientRect, float scale);
// The choice of the command line, once the context exists: a fixed scale,
// or auto, which starts at 1.
Report startRenderScale(Drawing& drawing, const ClientRect& clientRect, const RenderScaleChoice& choice);

// After a resize of the window (clientRect): a scaled target is made
// again to match, and auto looks at the frames afresh.
void fitSurfaceToWindow(Drawing& drawing, const ClientRect& clientRect);

// With --render-scale auto, takes this frame's delta (seconds) and changes
// the scale when the evidence says so.
void adjustRenderScale(Drawing& drawing, const ClientRect& clientRect, float frameDelta);
