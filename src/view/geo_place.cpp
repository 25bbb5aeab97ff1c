#include "view/geo_place.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kLastCell = kGeoGridCount - 2;

// The grid cell holding a world point, and where in it (0 .. 1 each way).
struct GridCell {
    int column, row;
    double u, v;
};

GridCell cellAt(double x, double z)
{
    const auto place = [](double world, int& cell, double& within) {
        const double steps = std::isnan(world) ? 0 : std::clamp(world, 0.0, double(kGeoWorldSide)) / kGeoGridEvery;
        cell = std::min(int(steps), kLastCell);
        within = steps - cell;
    };
    GridCell cell{};
    place(x, cell.column, cell.u);
    place(z, cell.row, cell.v);
    return cell;
}

// A cell's four corners, longitudes taken to the same side of the date line
// as the first, so that a cell across it interpolates the short way round.
struct CellCorners {
    LonLat p00, p10, p01, p11; // (column, row) offsets
};

CellCorners cornersOf(const GeoReference& reference, const GridCell& cell)
{
    const auto at = [&](int dc, int dr) {
        return reference.grid[(cell.row + dr) * kGeoGridCount + cell.column + dc];
    };
    CellCorners c{at(0, 0), at(1, 0), at(0, 1), at(1, 1)};
    for (LonLat* p : {&c.p10, &c.p01, &c.p11}) {
        if (p->longitude - c.p00.longitude > 180)
            p->longitude -= 360;
        else if (p->longitude - c.p00.longitude < -180)
            p->longitude += 360;
    }
    return c;
}

double bilinear(double a00, double a10, double a01, double a11, double u, double v)
{
    return (1 - v) * ((1 - u) * a00 + u * a10) + v * ((1 - u) * a01 + u * a11);
}

double wrapLongitude(double longitude)
{
    if (longitude > 180)
        return longitude - 360;
    if (longitude < -180)
        return longitude + 360;
    return longitude;
}

// The place at the cell's (u, v), between its corners.
LonLat lonLatIn(const CellCorners& c, const GridCell& cell)
{
    const double longitude =
        bilinear(c.p00.longitude, c.p10.longitude, c.p01.longitude, c.p11.longitude, cell.u, cell.v);
    const double latitude = bilinear(c.p00.latitude, c.p10.latitude, c.p01.latitude, c.p11.latitude, cell.u, cell.v);
    return {wrapLongitude(longitude), latitude};
}

} // namespace

LonLat lonLatAt(const GeoReference& reference, double x, double z)
{
    const GridCell cell = cellAt(x, z);
    return lonLatIn(cornersOf(reference, cell), cell);
}

double headingOf(const GeoReference& reference, const Camera& camera)
{
    const Vector3 eye = camera.position;
    const GridCell cell = cellAt(eye.x, eye.z);
    const CellCorners c = cornersOf(reference, cell);
    const LonLat here = lonLatIn(c, cell);

    // Degrees per grid cell along x and along z in the eye's cell; a degree
    // of longitude is cos(latitude) times as long as one of latitude.
    const double eastScale = std::cos(here.latitude * kPi / 180);
    const double eastPerX = eastScale * ((1 - cell.v) * (c.p10.longitude - c.p00.longitude) +
                                         cell.v * (c.p11.longitude - c.p01.longitude));
    const double northPerX =
        (1 - cell.v) * (c.p10.latitude - c.p00.latitude) + cell.v * (c.p11.latitude - c.p01.latitude);
    const double eastPerZ = eastScale * ((1 - cell.u) * (c.p01.longitude - c.p00.longitude) +
                                         cell.u * (c.p11.longitude - c.p10.longitude));
    const double northPerZ =
        (1 - cell.u) * (c.p01.latitude - c.p00.latitude) + cell.u * (c.p11.latitude - c.p10.latitude);

    const double dx = double(camera.viewPoint.x) - eye.x;
    const double dz = double(camera.viewPoint.z) - eye.z;
    const double east = dx * eastPerX + dz * eastPerZ;
    const double north = dx * northPerX + dz * northPerZ;
    double heading = std::atan2(east, north) * 180 / kPi;
    if (heading < 0)
        heading += 360;
    if (!(heading < 360)) // -0.0 and rounding just below 0 land on 360
        heading = 0;
    return heading;
}

GeoPlace placeOf(const GeoReference& reference, const GroundLookup& lookup, const Camera& camera)
{
    const Vector3 eye = camera.position;
    const LonLat here = lonLatAt(reference, eye.x, eye.z);
    const double height = lookup.heightAt(eye.x, eye.z);
    return {here.latitude, here.longitude, reference.metresAtHeight0 + height * reference.metresPerHeightStep,
            headingOf(reference, camera)};
}
