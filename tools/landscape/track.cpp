#include "track.h"

#include "heightfield.h"

#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace landscape {

namespace {

const Vec3 kLineColour{0.86f, 0.08f, 0.06f};
const Vec3 kEdgeColour{0.12f, 0.04f, 0.03f};

// Half widths in pixels at a side of 2048: a red line 3 wide in a dark edge
// 1 wide each side; waypoint marks 9 across.
constexpr float kLineRadius = 1.5f;
constexpr float kEdgeWidth = 1.0f;
constexpr float kMarkRadius = 3.5f;

struct Point {
    double x, y; // picture pixels, from the top-left corner
};

struct Shapes {
    std::vector<std::vector<Point>> lines;
    std::vector<Point> marks;
};

// Blends colour into the pixels within radius of the segment a-b (a point
// where a = b), with a soft rim of one pixel. Only the pixels near the
// segment are visited, row by row (the rows it crosses, within each the
// columns where it passes), so the work follows its length, not its box.
// Returns whether any pixel was touched.
bool stroke(Picture& picture, Point a, Point b, float radius, Vec3 colour)
{
    const double reach = radius + 1.0;
    const int top = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
    const int bottom = std::min(picture.height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    bool touched = false;
    for (int y = top; y <= bottom; ++y) {
        // The part of the segment within reach of this row's centre line,
        // and the columns within reach of that part.
        const double centre = y + 0.5;
        double from = 0.0, to = 1.0;
        if (dy != 0.0) {
            const double t0 = (centre - reach - a.y) / dy, t1 = (centre + reach - a.y) / dy;
            from = std::max(0.0, std::min(t0, t1));
            to = std::min(1.0, std::max(t0, t1));
            if (from > to)
                continue;
        } else if (std::fabs(centre - a.y) > reach) {
            continue;
        }
        const double x0 = a.x + from * dx, x1 = a.x + to * dx;
        const int left = std::max(0, static_cast<int>(std::floor(std::min(x0, x1) - reach)));
        const int right = std::min(picture.width - 1, static_cast<int>(std::ceil(std::max(x0, x1) + reach)));
        for (int x = left; x <= right; ++x) {
            const double px = x + 0.5 - a.x, py = centre - a.y;
            const double t = length2 > 0.0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
            const double distance = std::hypot(px - t * dx, py - t * dy);
            const float share = clamp01(static_cast<float>(radius + 0.5 - distance));
            if (share <= 0.0f)
                continue;
            uint8_t* p = picture.at(x, y);
            const Vec3 was{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
            setRgb(picture, x, y, lerp(was, colour, share));
            touched = true;
        }
    }
    return touched;
}

// The points of a geometry, lines and marks, in picture pixels.
void collect(const OGRGeometry& geometry, OGRCoordinateTransformation& toModel, const double* worldFromModel,
             double pixelsPerUnit, Shapes& shapes)
{
    const auto toPicture = [&](double x, double y, Point& point) {
        if (!toModel.Transform(1, &x, &y) || !std::isfinite(x) || !std::isfinite(y))
            return false;
        double worldX = 0.0, worldZ = 0.0;
        GDALApplyGeoTransform(const_cast<double*>(worldFromModel), x, y, &worldX, &worldZ);
        point = {worldX * pixelsPerUnit, worldZ * pixelsPerUnit};
        return true;
    };
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbPoint: {
        const auto& point = *geometry.toPoint();
        Point at;
        if (!point.IsEmpty() && toPicture(point.getX(), point.getY(), at))
            shapes.marks.push_back(at);
        break;
    }
    case wkbLineString:
    case wkbLinearRing: {
        std::vector<Point> line;
        for (const OGRPoint& point : *geometry.toLineString()) {
            Point at;
            if (toPicture(point.getX(), point.getY(), at))
                line.push_back(at);
        }
        if (line.size() >= 2)
            shapes.lines.push_back(std::move(line));
        break;
    }
    case wkbPolygon:
        for (const OGRLinearRing* ring : *geometry.toPolygon())
            collect(*ring, toModel, worldFromModel, pixelsPerUnit, shapes);
        break;
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
        for (const OGRGeometry* part : *geometry.toGeometryCollection())
            collect(*part, toModel, worldFromModel, pixelsPerUnit, shapes);
        break;
    default:
        break;
    }
}

} // namespace

struct TrackDrawer::Shapes : landscape::Shapes {};

TrackDrawer::TrackDrawer(GDALDataset& dataset, const GeoReference& ground, Vec3 gain, int side)
    : shapes_(std::make_unique<Shapes>()), gain_(gain), side_(side)
{
    OGRSpatialReference model;
    if (model.importFromWkt(ground.systemWkt.c_str()) != OGRERR_NONE)
        throw std::runtime_error("cannot be placed: the elevation model's coordinate system cannot be read");
    model.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    double worldFromModel[6];
    if (!GDALInvGeoTransform(const_cast<double*>(ground.geotransform.data()), worldFromModel))
        throw std::runtime_error("cannot be placed: the elevation model's georeferencing cannot be inverted");
    const double pixelsPerUnit = static_cast<double>(side) / kMapSize;

    const bool gpx = EQUAL(dataset.GetDriver()->GetDescription(), "GPX");
    Shapes& shapes = *shapes_;
    for (OGRLayer* layer : dataset.GetLayers()) {
        // GPX lists every point of its tracks and routes again as a layer of its own.
        const std::string name = layer->GetName();
        if (gpx && (name == "track_points" || name == "route_points"))
            continue;
        // Tracks without a stated system are longitude and latitude, as GPX,
        // GeoJSON and KML all have it.
        OGRSpatialReference lonLat;
        lonLat.SetWellKnownGeogCS("WGS84");
        const OGRSpatialReference* system = layer->GetSpatialRef();
        OGRSpatialReference source = system != nullptr ? *system : lonLat;
        source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        const std::unique_ptr<OGRCoordinateTransformation> toModel(
            OGRCreateCoordinateTransformation(&source, &model));
        if (!toModel)
            throw std::runtime_error("cannot be brought into the elevation model's coordinate system");
        for (const auto& feature : *layer)
            if (const OGRGeometry* geometry = feature->GetGeometryRef())
                collect(*geometry, *toModel, worldFromModel, pixelsPerUnit, shapes);
    }

    if (shapes.lines.empty() && shapes.marks.empty())
        throw std::runtime_error("holds no track, route or waypoint");

    drawing_.lines = static_cast<int>(shapes.lines.size());
    drawing_.waypoints = static_cast<int>(shapes.marks.size());
}

TrackDrawer::~TrackDrawer() = default;
TrackDrawer::TrackDrawer(TrackDrawer&&) noexcept = default;

void TrackDrawer::draw(int first, Picture& band)
{
    // The same width on the ground at every side of the picture.
    const float scale = static_cast<float>(side_) / 2048.0f;
    const float lineRadius = kLineRadius * scale;
    const float edgeRadius = lineRadius + kEdgeWidth * scale;
    const Vec3 line = kLineColour * gain_;
    const Vec3 edge = kEdgeColour * gain_;
    // In the band's own rows: each stroke keeps to the rows it has.
    const auto inBand = [first](Point p) { return Point{p.x, p.y - first}; };
    // All the dark edges first, so that no edge crosses a red line.
    for (const auto& points : shapes_->lines)
        for (size_t i = 1; i < points.size(); ++i)
            drawing_.drawn |= stroke(band, inBand(points[i - 1]), inBand(points[i]), edgeRadius, edge);
    for (const auto& points : shapes_->lines)
        for (size_t i = 1; i < points.size(); ++i)
            stroke(band, inBand(points[i - 1]), inBand(points[i]), lineRadius, line);
    for (const Point& mark : shapes_->marks) {
        drawing_.drawn |= stroke(band, inBand(mark), inBand(mark), kMarkRadius * scale + kEdgeWidth * scale, edge);
        stroke(band, inBand(mark), inBand(mark), kMarkRadius * scale, line);
    }
}

TrackDrawing drawTrack(GDALDataset& dataset, const GeoReference& ground, Vec3 gain, Picture& picture)
{
    TrackDrawer drawer(dataset, ground, gain, picture.width);
    drawer.draw(0, picture);
    return drawer.drawing();
}

} // namespace landscape
