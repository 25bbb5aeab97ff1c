#pragma once
// The overlay's layout, as plain results: where each element goes in overlay
// coordinates (-1 .. +1 across the viewport, raster positions at the left end
// of the baseline). The draw in overlay.cpp walks these.
//
// The compass has north at +z and west at +x: the view-direction point sits
// on a circle of radius 0.1 around the "+" and moves towards the letter the
// viewer faces.

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
