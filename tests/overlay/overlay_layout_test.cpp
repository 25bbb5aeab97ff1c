#include "overlay/overlay_layout.h"

#include <gtest/gtest.h>

#include <cmath>

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

} // namespace
