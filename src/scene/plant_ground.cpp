#include "scene/plant_ground.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEarthRadiusMetres = 6371008.8; // the mean radius
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// Metres between two points a few kilometres apart, on the sphere.
double metresBetween(const LonLat& a, const LonLat& b)
{
    const double across = std::remainder(b.longitude - a.longitude, 360.0) * kRadiansPerDegree *
                          std::cos(0.5 * (a.latitude + b.latitude) * kRadiansPerDegree);
    const double along = (b.latitude - a.latitude) * kRadiansPerDegree;
    return kEarthRadiusMetres * std::hypot(across, along);
}

int heightInside(const HeightMap& map, int x, int z)
{
    return heightAt(&map, std::clamp(x, 0, kHeightMapSide - 1), std::clamp(z, 0, kHeightMapSide - 1));
}

// The ground's heights at a plant and kPlantSlopeReach away along each axis,
// in the height units of the place; z, the plant's, for the tree line.
struct PlantSite {
    double here, west, east, south, north;
    double z;
};

bool standsOn(const PlantGround& ground, const PlantSite& site)
{
    const double metres = ground.metresAtHeight0 + site.here * ground.metresPerHeightStep;
    if (!(metres > 0.0))
        return false;
    if (metres > treeLineAt(ground.treeLineNorth, ground.treeLineSouth, site.z))
        return false;
    const double run = 2.0 * kPlantSlopeReach;
    const double riseX = (site.east - site.west) * ground.metresPerHeightStep / (run * ground.metresAcross);
    const double riseZ = (site.north - site.south) * ground.metresPerHeightStep / (run * ground.metresAlong);
    return std::hypot(riseX, riseZ) <= kSteepestPlantGround;
}

} // namespace

PlantGround plantGroundOf(const GeoReference& reference)
{
    const LonLat* c = reference.corners;
    const auto corner = [&](GeoCorner which) { return c[static_cast<int>(which)]; };
    const double side = kGeoWorldSide;
    PlantGround ground;
    ground.metresAtHeight0 = reference.metresAtHeight0;
    ground.metresPerHeightStep = reference.metresPerHeightStep;
    ground.metresAcross = 0.5 *
                          (metresBetween(corner(GeoCorner::NorthWest), corner(GeoCorner::NorthEast)) +
                           metresBetween(corner(GeoCorner::SouthWest), corner(GeoCorner::SouthEast))) /
                          side;
    ground.metresAlong = 0.5 *
                         (metresBetween(corner(GeoCorner::NorthWest), corner(GeoCorner::SouthWest)) +
                          metresBetween(corner(GeoCorner::NorthEast), corner(GeoCorner::SouthEast))) /
                         side;
    ground.treeLineNorth = reference.treeLineNorth;
    ground.treeLineSouth = reference.treeLineSouth;
    return ground;
}

bool plantStands(const PlantGround& ground, const GroundLookup& lookup, float x, float z)
{
    if (lookup.isFine()) {
        const float r = kPlantSlopeReach;
        return standsOn(ground, {lookup.heightAt(x, z), lookup.heightAt(x - r, z), lookup.heightAt(x + r, z),
                                 lookup.heightAt(x, z - r), lookup.heightAt(x, z + r), z});
    }
    const HeightMap& map = *lookup.map;
    const int cellX = gridCoordinate(x);
    const int cellZ = gridCoordinate(z);
    const int r = kPlantSlopeReach;
    return standsOn(ground, {static_cast<double>(heightAt(&map, cellX, cellZ)),
                             static_cast<double>(heightInside(map, cellX - r, cellZ)),
                             static_cast<double>(heightInside(map, cellX + r, cellZ)),
                             static_cast<double>(heightInside(map, cellX, cellZ - r)),
                             static_cast<double>(heightInside(map, cellX, cellZ + r)), static_cast<double>(cellZ)});
}
