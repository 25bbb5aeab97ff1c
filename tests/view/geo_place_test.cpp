#include "view/geo_place.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr double kDegree = M_PI / 180;

// Ground square in metres around 35 N 84 W, a world unit 100 m, with x
// pointing `turn` degrees clockwise of east and z of south (a projected
// model's grid convergence); 100 m of ground and 2.5 m a height step.
GeoReference referenceTurnedBy(double turn)
{
    GeoReference reference{};
    reference.metresAtHeight0 = 100;
    reference.metresPerHeightStep = 2.5;
    for (int i = 0; i < kGeoGridPoints; ++i) {
        const double x = kGeoGridEvery * (i % kGeoGridCount), z = kGeoGridEvery * (i / kGeoGridCount);
        const double east = x * std::cos(turn * kDegree) - z * std::sin(turn * kDegree);
        const double north = -x * std::sin(turn * kDegree) - z * std::cos(turn * kDegree);
        reference.grid[i] = {-84 + 0.0009 * east / std::cos(35 * kDegree), 35.5 + 0.0009 * north};
    }
    return reference;
}

GeoPlace placeAt(const GeoReference& reference, const HeightMap& map, float x, float z, float dx = 1, float dz = 0)
{
    Camera camera;
    camera.place({x, 40, z}, {x + dx, 39.2f, z + dz}, kUpVector); // looking a little down
    return placeOf(reference, map, camera);
}

TEST(GeoPlace, DegreesAndMetresUnderTheEyeClampedAtTheGridsEdge)
{
    const GeoReference reference = referenceTurnedBy(0);
    const auto map = std::make_unique<HeightMap>();
    map->heights[500 * kHeightMapSide + 300] = 40;
    const double east = 0.0009 / std::cos(35 * kDegree);
    const struct {
        float x, z;
        double longitude, latitude, metres;
    } cases[] = {
        {300.9f, 500.9f, -84 + 300.9 * east, 35.5 - 0.0009 * 500.9, 200}, // the cell's height, not a blend
        {0, 0, -84, 35.5, 100},
        {-20, 1100, -84, 35.5 - 0.9216, 100}, // beyond the west and south edges
        {1032, -3.5f, -84 + 1024 * east, 35.5, 100},
    };
    for (const auto& c : cases) {
        const GeoPlace place = placeAt(reference, *map, c.x, c.z);
        EXPECT_NEAR(place.longitude, c.longitude, 1e-6) << c.x << ", " << c.z;
        EXPECT_NEAR(place.latitude, c.latitude, 1e-6) << c.x << ", " << c.z;
        EXPECT_EQ(place.groundMetres, c.metres) << c.x << ", " << c.z;
    }
}

TEST(GeoPlace, ACellAcrossTheDateLineGoesTheShortWayRound)
{
    GeoReference reference{};
    for (int i = 0; i < kGeoGridPoints; ++i)
        reference.grid[i] = {std::remainder(179.9 + 0.0002 * kGeoGridEvery * (i % kGeoGridCount), 360), -16.5};
    EXPECT_NEAR(lonLatAt(reference, 480, 0).longitude, 179.996, 1e-9);
    EXPECT_NEAR(lonLatAt(reference, 520, 0).longitude, -179.996, 1e-9);
}

TEST(GeoPlace, HeadingIsClockwiseFromTrueNorthOnAGridTurnedOrNot)
{
    const auto map = std::make_unique<HeightMap>();
    const struct {
        double turn;
        float dx, dz;
        double heading;
    } cases[] = {
        {0, 0, -1, 0},   {0, 1, 0, 90},   {0, 0, 1, 180},  {0, -1, 0, 270},  {0, 0.7f, -0.7f, 45},
        {10, 0, -1, 10}, {10, 1, 0, 100}, {10, 0, 1, 190}, {10, -1, 0, 280}, {10, -0.18f, -0.98f, 359.59},
    };
    for (const auto& c : cases) {
        const double heading = placeAt(referenceTurnedBy(c.turn), *map, 300.5f, 700.25f, c.dx, c.dz).headingDegrees;
        EXPECT_GE(heading, 0);
        EXPECT_LT(heading, 360);
        EXPECT_NEAR(std::remainder(heading - c.heading, 360), 0, 0.3) << c.turn << ": " << c.dx << ", " << c.dz;
    }
}

} // namespace
