#include "overlay/overlay_layout.h"

#include "platform/glyphs.h"
#include "view/geo_place.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

TEST(ViewDirectionPoint, SitsNextToTheLetterTheViewFaces)
{
    struct Row {
        const char* facing;
        Vector3 offset; // viewPoint - position
        float x, y;
    };
    const Row rows[] = {
        {"+z, north", {0, 0, 1}, 0.7f, -0.6f},
        {"+x, west", {1, 0, 0}, 0.6f, -0.7f},
        {"-x, east", {-1, 0, 0}, 0.8f, -0.7f},
        {"-z, south", {0, 0, -1}, 0.7f, -0.8f},
    };
    for (const Row& row : rows) {
        Camera camera;
        // Only the offset counts, not where the viewer stands.
        camera.place({500, 35, 500}, {500 + row.offset.x, 35 + row.offset.y, 500 + row.offset.z}, kUpVector);
        const OverlayPosition point = viewDirectionPoint(camera);
        EXPECT_NEAR(point.x, row.x, 1e-5f) << row.facing;
        EXPECT_NEAR(point.y, row.y, 1e-5f) << row.facing;
    }
}

TEST(ViewDirectionPoint, MovesTowardsTheCentreWhenLookingSteeplyUpOrDown)
{
    for (const float pitch : {1.4f, -1.4f}) {
        Camera camera;
        camera.place({500, 35, 500}, {500 + std::cos(pitch), 35 + std::sin(pitch), 500}, kUpVector);
        const OverlayPosition point = viewDirectionPoint(camera);
        const float fromCentre = std::hypot(point.x - 0.7f, point.y + 0.7f);
        EXPECT_LT(fromCentre, 0.02f) << "pitch " << pitch;
        EXPECT_LT(point.x, 0.7f) << "still on the west side";
        EXPECT_NEAR(point.y, -0.7f, 1e-5f);
    }
}

// An imported place, x pointing `turn` degrees clockwise of east and z as
// many of south (a projected grid turned against the meridians).
GeoReference placeTurnedBy(double turnDegrees)
{
    const double turn = turnDegrees * M_PI / 180;
    GeoReference reference{};
    for (int i = 0; i < kGeoGridPoints; ++i) {
        const double x = kGeoGridEvery * (i % kGeoGridCount), z = kGeoGridEvery * (i / kGeoGridCount);
        reference.grid[i] = {8 + 0.0015 * (x * std::cos(turn) - z * std::sin(turn)),
                             47 - 0.001 * (x * std::sin(turn) + z * std::cos(turn))};
    }
    return reference;
}

Camera facing(float dx, float dz)
{
    Camera camera;
    camera.place({300, 35, 700}, {300 + dx, 35.3f, 700 + dz}, kUpVector);
    return camera;
}

TEST(ViewDirectionPoint, OnAnImportedPlaceGoesByTheReadoutsHeading)
{
    const GeoReference northUp = placeTurnedBy(0);
    EXPECT_NEAR(viewDirectionPoint(facing(1, 0), &northUp).x, 0.8f, 1e-4f) << "+x: at O, east";
    EXPECT_NEAR(viewDirectionPoint(facing(0, -1), &northUp).y, -0.6f, 1e-4f) << "z = 0's side: at N";
    EXPECT_NEAR(viewDirectionPoint(facing(1, 0), nullptr).x, 0.6f, 1e-4f) << "no reference: +x is the original's W";
    // On a turned grid, all the way round: the point's bearing on the rose
    // (clockwise from N, up) is the heading F3 reads.
    const GeoReference turned = placeTurnedBy(-7);
    for (int degrees = 0; degrees < 360; degrees += 15) {
        const Camera camera = facing(std::cos(float(degrees * M_PI / 180)), std::sin(float(degrees * M_PI / 180)));
        const OverlayPosition point = viewDirectionPoint(camera, &turned);
        const double bearing = std::atan2(point.x - kCompassCentre.x, point.y - kCompassCentre.y) * 180 / M_PI;
        EXPECT_NEAR(std::remainder(bearing - headingOf(turned, camera), 360), 0, 1e-3) << degrees;
    }
}

// The ink of a text drawn at an overlay position, in pixels.
struct InkBox {
    float left = 1e9f, bottom = 1e9f, right = -1e9f, top = -1e9f;
    bool overlaps(const InkBox& o) const
    {
        return left < o.right && o.left < right && bottom < o.top && o.bottom < top;
    }
};

InkBox inkOf(const platform::GlyphSet& glyphs, const char* text, OverlayPosition at, int width, int height)
{
    InkBox box;
    float pen = (at.x + 1) / 2 * float(width);
    const float baseline = (at.y + 1) / 2 * float(height);
    for (const char* c = text; *c; pen += glyphs.glyphs[*c++ - platform::kFirstGlyph].advance) {
        const platform::GlyphBitmap& g = glyphs.glyphs[*c - platform::kFirstGlyph];
        const float left = pen - float(g.originX), bottom = baseline - float(g.originY);
        if (g.width > 0)
            box = {std::min(box.left, left), std::min(box.bottom, bottom), std::max(box.right, left + float(g.width)),
                   std::max(box.top, bottom + float(g.height))};
    }
    return box;
}

// At 640 x 360 the clock's baseline lies 18 pixels above the counter's, where
// the window's 34-pixel face runs them into each other.
TEST(OverlayAtAnySize, NothingOverlapsAt640x360AndA4kPictureKeepsTheProportion)
{
    EXPECT_EQ(overlayFontPixels(overlayPixelScale(600)), kOverlayFontPixels) << "the window's face";
    const auto face = [](int height) {
        auto glyphs = std::make_unique<platform::GlyphSet>();
        EXPECT_TRUE(platform::loadGlyphs(kOverlayFaceName, overlayFontPixels(overlayPixelScale(height)),
                                         kOverlayFontWeight, *glyphs));
        return glyphs;
    };
    const auto small = face(360);
    const InkBox counter = inkOf(*small, "0", kCounterPosition, 640, 360);
    for (const char* clock : {"-1: 0", "-1:6000"})
        EXPECT_FALSE(counter.overlaps(inkOf(*small, clock, kClockPosition, 640, 360))) << clock;
    for (const OverlayLabel& a : kCompassLabels)
        for (const OverlayLabel& b : kCompassLabels)
            EXPECT_TRUE(&a == &b ||
                        !inkOf(*small, a.text, a.at, 640, 360).overlaps(inkOf(*small, b.text, b.at, 640, 360)))
                << a.text << " and " << b.text;

    const InkBox window = inkOf(*face(600), "-1: 0", kClockPosition, 800, 600);
    const InkBox large = inkOf(*face(2160), "-1: 0", kClockPosition, 3840, 2160);
    EXPECT_NEAR((large.top - large.bottom) / 2160, (window.top - window.bottom) / 600, 0.002);
    EXPECT_NEAR((large.right - large.left) / 2160, (window.right - window.left) / 600, 0.004);
}

} // namespace
