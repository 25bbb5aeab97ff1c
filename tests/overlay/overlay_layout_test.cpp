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

// An imported place's reference: x points `turn` degrees clockwise of east,
// z as many of south (a projected grid turned against the meridians).
GeoReference placeTurnedBy(double turnDegrees)
{
    const double turn = turnDegrees * M_PI / 180;
    GeoReference reference{};
    reference.metresPerHeightStep = 1;
    for (int i = 0; i < kGeoGridPoints; ++i) {
        const double x = kGeoGridEvery * (i % kGeoGridCount), z = kGeoGridEvery * (i / kGeoGridCount);
        const double east = x * std::cos(turn) - z * std::sin(turn);
        const double north = -x * std::sin(turn) - z * std::cos(turn);
        reference.grid[i] = {8 + 0.001 * east / std::cos(47 * M_PI / 180), 47 + 0.001 * north};
    }
    return reference;
}

TEST(ViewDirectionPoint, OnAnImportedPlaceGoesByTheTrueHeading)
{
    const GeoReference northUp = placeTurnedBy(0);
    const GeoReference turned = placeTurnedBy(10);
    const float turn = static_cast<float>(10 * M_PI / 180); // on the turned grid, east lies 10 degrees from x towards -z
    const struct {
        const char* facing;
        const GeoReference* reference;
        Vector3 offset;
        float x, y;
    } rows[] = {
        {"+x: east", &northUp, {1, 0, 0}, 0.8f, -0.7f},
        {"-z, z = 0's side: north", &northUp, {0, 0, -1}, 0.7f, -0.6f},
        {"-x: west", &northUp, {-1, 0, 0}, 0.6f, -0.7f},
        {"+z: south", &northUp, {0, 0, 1}, 0.7f, -0.8f},
        {"east on a turned grid", &turned, {std::cos(turn), 0, -std::sin(turn)}, 0.8f, -0.7f},
        {"no reference, +x: the original's west", nullptr, {1, 0, 0}, 0.6f, -0.7f},
        {"no reference, +z: the original's north", nullptr, {0, 0, 1}, 0.7f, -0.6f},
    };
    for (const auto& row : rows) {
        Camera camera;
        camera.place({300, 35, 700}, {300 + row.offset.x, 35 + row.offset.y, 700 + row.offset.z}, kUpVector);
        const OverlayPosition point = viewDirectionPoint(camera, row.reference);
        EXPECT_NEAR(point.x, row.x, 1e-4f) << row.facing;
        EXPECT_NEAR(point.y, row.y, 1e-4f) << row.facing;
    }
}

TEST(ViewDirectionPoint, OnAnImportedPlaceAgreesWithTheReadoutAtEveryTurn)
{
    const GeoReference reference = placeTurnedBy(-7);
    for (int degrees = 0; degrees < 360; degrees += 15) {
        const float turn = static_cast<float>(degrees * M_PI / 180);
        Camera camera;
        camera.place({512, 35, 100}, {512 + std::cos(turn), 35.3f, 100 + std::sin(turn)}, kUpVector);
        const OverlayPosition point = viewDirectionPoint(camera, &reference);
        // The point's bearing on the rose, clockwise from "N" (up) through "O" (right).
        double bearing = std::atan2(point.x - kCompassCentre.x, point.y - kCompassCentre.y) * 180 / M_PI;
        bearing += bearing < 0 ? 360 : 0;
        const double heading = headingOf(reference, camera);
        EXPECT_NEAR(std::remainder(bearing - heading, 360), 0, 1e-3) << "turned " << degrees;
    }
}

// Ink boxes in pixels, as the glyph lists draw a text at an overlay position.
struct PixelBox {
    float left, bottom, right, top;
};

PixelBox inkBox(const platform::GlyphSet& glyphs, const char* text, OverlayPosition at, int width, int height)
{
    float pen = (at.x + 1) / 2 * static_cast<float>(width);
    const float baseline = (at.y + 1) / 2 * static_cast<float>(height);
    PixelBox box{1e9f, 1e9f, -1e9f, -1e9f};
    for (const char* c = text; *c; ++c) {
        const platform::GlyphBitmap& g = glyphs.glyphs[*c - platform::kFirstGlyph];
        if (g.width > 0) {
            const float left = pen - static_cast<float>(g.originX), bottom = baseline - static_cast<float>(g.originY);
            box = {std::min(box.left, left), std::min(box.bottom, bottom),
                   std::max(box.right, left + static_cast<float>(g.width)),
                   std::max(box.top, bottom + static_cast<float>(g.height))};
        }
        pen += g.advance;
    }
    return box;
}

bool overlap(const PixelBox& a, const PixelBox& b)
{
    return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
}

std::unique_ptr<platform::GlyphSet> faceFor(int pictureHeight)
{
    auto glyphs = std::make_unique<platform::GlyphSet>();
    const int pixels = overlayFontPixels(overlayPixelScale(pictureHeight));
    EXPECT_TRUE(platform::loadGlyphs(kOverlayFaceName, pixels, kOverlayFontWeight, *glyphs));
    return glyphs;
}

TEST(OverlayAtAnySize, WindowSizedGlyphsStayAtTheirPixels)
{
    EXPECT_EQ(overlayFontPixels(overlayPixelScale(600)), 34);
    EXPECT_FLOAT_EQ(overlayPixelScale(600), 1);
    EXPECT_EQ(overlayFontPixels(overlayPixelScale(360)), 20);
    EXPECT_EQ(overlayFontPixels(overlayPixelScale(2160)), 122);
    EXPECT_EQ(overlayFontPixels(overlayPixelScale(16384)), kOverlayMostFontPixels) << "within the glyph record";
}

// At 640 x 360 the clock sits 18 pixels above the counter: the 34-pixel face
// runs them into each other, the scaled one keeps them and the compass apart.
TEST(OverlayAtAnySize, NothingOverlapsAt640x360)
{
    constexpr int kWidth = 640, kHeight = 360;
    const auto glyphs = faceFor(kHeight);
    const PixelBox counter = inkBox(*glyphs, "0", kCounterPosition, kWidth, kHeight);
    ASSERT_GT(counter.top, counter.bottom) << "no glyphs were measured";
    for (const char* clock : {"-1: 0", "-1:6000", "99:5999"})
        EXPECT_FALSE(overlap(counter, inkBox(*glyphs, clock, kClockPosition, kWidth, kHeight))) << clock;
    for (int i = 0; i < kCompassLabelCount; ++i)
        for (int j = i + 1; j < kCompassLabelCount; ++j)
            EXPECT_FALSE(overlap(inkBox(*glyphs, kCompassLabels[i].text, kCompassLabels[i].at, kWidth, kHeight),
                                 inkBox(*glyphs, kCompassLabels[j].text, kCompassLabels[j].at, kWidth, kHeight)))
                << kCompassLabels[i].text << " and " << kCompassLabels[j].text;
}

TEST(OverlayAtAnySize, A3840x2160PictureKeepsTheWindowsProportion)
{
    const auto window = faceFor(600);
    const auto large = faceFor(2160);
    const PixelBox small = inkBox(*window, "-1: 0", kClockPosition, 800, 600);
    const PixelBox big = inkBox(*large, "-1: 0", kClockPosition, 3840, 2160);
    EXPECT_NEAR((big.top - big.bottom) / 2160, (small.top - small.bottom) / 600, 0.002)
        << "the clock's height as a share of the picture's";
    EXPECT_NEAR((big.right - big.left) / 2160, (small.right - small.left) / 600, 0.004)
        << "its width, against the picture's height";
}

} // namespace
