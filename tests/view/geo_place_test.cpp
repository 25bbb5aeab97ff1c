#include "view/geo_place.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

constexpr double kDegree = M_PI / 180;

// A reference whose grid follows lonLat(x, z); heights from 100 m, 2.5 m a step.
GeoReference referenceFrom(const std::function<LonLat(double x, double z)>& lonLat)
{
    GeoReference reference{};
    reference.metresAtHeight0 = 100;
    reference.metresPerHeightStep = 2.5;
    for (int row = 0; row < kGeoGridCount; ++row)
        for (int column = 0; column < kGeoGridCount; ++column)
            reference.grid[row * kGeoGridCount + column] = lonLat(column * kGeoGridEvery, row * kGeoGridEvery);
    return reference;
}

// North up, x east and z south, square in metres: a world unit is 100 m both
// ways around 35 N 84 W.
LonLat northUp(double x, double z)
{
    const double latitude = 35.5 - 0.0009 * z;
    return {-84 + 0.0009 * x / std::cos(35 * kDegree), latitude};
}

// The same ground turned 10 degrees clockwise, as a projected model's grid is
// turned against the meridians away from its central one: +x points at
// 100 degrees, +z at 190.
LonLat turned(double x, double z)
{
    const double turn = 10 * kDegree;
    const double east = x * std::cos(turn) - z * std::sin(turn);
    const double north = -x * std::sin(turn) - z * std::cos(turn);
    return {-84 + 0.0009 * east / std::cos(35 * kDegree), 35.5 + 0.0009 * north};
}

Camera cameraAt(float x, float z, float dx, float dz)
{
    Camera camera;
    camera.place({x, 40, z}, {x + dx, 40, z + dz}, kUpVector);
    return camera;
}

TEST(GeoPlace, DegreesComeFromTheGridAndClampAtItsEdge)
{
    const GeoReference reference = referenceFrom(northUp);
    const double east = 0.0009 / std::cos(35 * kDegree);
    struct Case {
        double x, z;
        double longitude, latitude;
    };
    const Case cases[] = {
        {0, 0, -84, 35.5},
        {500, 500, -84 + 500 * east, 35.05},            // between grid points
        {1024, 1024, -84 + 1024 * east, 35.5 - 0.9216}, // the south-east corner
        {-20, 1100, -84, 35.5 - 0.9216},                // beyond the west and south edges
        {1032, -3.5, -84 + 1024 * east, 35.5},          // the drawn strip's last columns
        {std::nan(""), 512, -84, 35.5 - 0.0009 * 512},  // no position at all: the west edge
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.z);
        const LonLat at = lonLatAt(reference, c.x, c.z);
        EXPECT_NEAR(at.longitude, c.longitude, 1e-9);
        EXPECT_NEAR(at.latitude, c.latitude, 1e-9);
    }
}

TEST(GeoPlace, ACellAcrossTheDateLineGoesTheShortWayRound)
{
    const GeoReference reference = referenceFrom([](double x, double z) {
        const double longitude = 179.9 + 0.0002 * x;
        return LonLat{longitude > 180 ? longitude - 360 : longitude, -16.5 - 0.0002 * z};
    });
    EXPECT_NEAR(lonLatAt(reference, 1000, 0).longitude, -179.9, 1e-9);
    EXPECT_NEAR(lonLatAt(reference, 480, 0).longitude, 179.996, 1e-9);
    EXPECT_NEAR(lonLatAt(reference, 520, 0).longitude, -179.996, 1e-9);
}

TEST(GeoPlace, HeadingIsClockwiseFromTrueNorth)
{
    struct Case {
        const char* grid;
        LonLat (*lonLat)(double, double);
        float dx, dz;
        double heading;
    };
    const Case cases[] = {
        {"north up", northUp, 0, -1, 0},        {"north up", northUp, 1, 0, 90},
        {"north up", northUp, 0, 1, 180},       {"north up", northUp, -1, 0, 270},
        {"north up", northUp, 0.7f, -0.7f, 45}, {"turned", turned, 0, -1, 10},
        {"turned", turned, 1, 0, 100},          {"turned", turned, 0, 1, 190},
        {"turned", turned, -1, 0, 280},         {"turned", turned, -0.18f, -0.98f, 359.59},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.grid << " looking along " << c.dx << ", " << c.dz);
        const GeoReference reference = referenceFrom(c.lonLat);
        const auto map = std::make_unique<HeightMap>();
        // A look down shortens the horizontal view but keeps its heading.
        Camera camera = cameraAt(300.5f, 700.25f, c.dx, c.dz);
        camera.viewPoint.y -= 0.8f;
        const double heading = placeOf(reference, *map, camera).headingDegrees;
        EXPECT_GE(heading, 0);
        EXPECT_LT(heading, 360);
        EXPECT_NEAR(std::remainder(heading - c.heading, 360), 0, 0.3);
    }
}

TEST(GeoPlace, GroundHeightIsMetresOfTheHeightUnderTheEye)
{
    const GeoReference reference = referenceFrom(northUp);
    const auto map = std::make_unique<HeightMap>();
    map->heights[500 * kHeightMapSide + 300] = 40;
    map->heights[500 * kHeightMapSide + 301] = 255;
    struct Case {
        float x, z;
        double metres;
    };
    const Case cases[] = {
        {300.9f, 500.9f, 100 + 40 * 2.5}, // the cell's own height, not a blend
        {301, 500, 100 + 255 * 2.5},
        {302, 500, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.z);
        EXPECT_DOUBLE_EQ(placeOf(reference, *map, cameraAt(c.x, c.z, 1, 0)).groundMetres, c.metres);
    }
}

} // namespace
