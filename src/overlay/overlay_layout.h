#pragma once
// The overlay's layout, as plain results: where each element goes in overlay
// coordinates (-1 .. +1 across the viewport, raster positions at the left end
// of the baseline). The draw in overlay.cpp walks these.
//
// The compass has north at +z and west at +x: the view-direction point sits
// on a circle of radius 0.1 around the "+" and moves towards the letter the
// viewer faces. On an imported place, whose geographic reference puts north
// at z = 0's side, the letters stay and the point goes by the true heading.

#include "assets/geo_reference.h"
#include "overlay/font.h"
#include "view/camera.h"

struct OverlayPosition {
    float x, y;
};

struct OverlayLabel {
    OverlayPosition at;
    const char* text;
};

constexpr OverlayPosition kCounterPosition{-0.9f, -0.9f};
constexpr int kCompassLabelCount = 5;
// Drawn in this order; "O" is the east letter.
constexpr OverlayLabel kCompassLabels[kCompassLabelCount] = {
    {{0.7f, -0.6f}, "N"}, {{0.7f, -0.9f}, "S"}, {{0.55f, -0.75f}, "W"}, {{0.85f, -0.75f}, "O"}, {{0.7f, -0.75f}, "+"},
};
constexpr OverlayPosition kCompassCentre{0.7f, -0.7f};
constexpr float kCompassRadius = 0.1f; // overlay units per world unit of horizontal view offset
constexpr float kViewPointSizePixels = 10;
constexpr OverlayPosition kClockPosition{-0.9f, -0.8f};
// While F9 records: a red square in the corner that nothing else uses.
constexpr OverlayPosition kRecordingMarkPosition{0.9f, 0.9f};
constexpr float kRecordingMarkSizePixels = 16;

constexpr int kCaptionCount = 3;
constexpr OverlayLabel kCaptions[kCaptionCount] = {
    {{-0.4f, 0.0f}, "Lumora Demo"},
    {{-0.7f, -0.1f}, "powered by Veldra Engine"},
    {{-0.9f, -0.2f}, "(c) 2026 the Lumora developers"},
};

// The red point for the camera's horizontal view offset (viewPoint - position).
OverlayPosition viewDirectionPoint(const Camera& camera);
// With a geographic reference the offset keeps its length and turns to the
// heading that F3 reads (north up, east towards "O"); without one (null) it
// is the point above.
OverlayPosition viewDirectionPoint(const Camera& camera, const GeoReference* reference);

// A tool's picture of another height than the window's scales the glyphs and
// the points with its height, so the overlay keeps its proportions: 1 at 600
// pixels. The window's own frame, at any size, keeps the pixel sizes above.
constexpr int kOverlayDesignHeight = 600;
// The largest face the glyph record holds with room to spare (a picture
// about 3500 pixels high); taller pictures keep it.
constexpr int kOverlayMostFontPixels = 200;
float overlayPixelScale(int pictureHeight);
// The face's pixel height at that scale: 34 at 1, rounded, from 1 to the most above.
int overlayFontPixels(float pixelScale);
