#pragma once
// The viewport and the projection: vertical field of view in degrees (80, or
// 10 zoomed), near plane 0.1, far plane 10000, aspect ratio of the client
// area. Set at start-up, on every windowed resize and on the zoom toggle.

#include "app/drawing.h"
#include "app/shell_state.h"

constexpr float kFieldOfViewDegrees = 80;
constexpr float kZoomReductionDegrees = 70;
constexpr double kNearPlane = static_cast<double>(0.1f); // the float 0.1, widened
constexpr double kFarPlane = 10000;

// The whole client area, at the normal field of view.
void setUpViewport(Drawing& drawing, int width, int height);
// The projection for drawing.zoom over the client area; the viewport stays.
void applyZoom(Drawing& drawing, const ClientRect& clientRect);

// The vertical field of view the scene is drawn with, zoom included.
float drawnFieldOfView(const Drawing& drawing);
// Pixels that one world unit spans at distance 1 along the view, on the
// surface the scene is drawn into (the window, the render scale's target or
// a tool's picture): its height over 2 tan(fovY / 2).
float pixelsPerUnitAtOne(const Drawing& drawing, const ClientRect& clientRect);
