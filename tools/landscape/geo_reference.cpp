#include "geo_reference.h"

#include "geodata_file.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace landscape {

namespace {

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string lonLatText(const std::array<double, 2>& point)
{
    std::string text(1, '[');
    text += number(point[0]);
    text += ", ";
    text += number(point[1]);
    return text += ']';
}

std::string jsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace

std::array<double, 6> worldTransformOf(const std::array<double, 6>& w, int windowWidth, int windowHeight)
{
    // World x covers window columns (x + 0.5) * across, so x = 0 is the
    // centre of the first cell, half a cell in from the window's edge.
    const double across = static_cast<double>(windowWidth) / 1024.0;
    const double along = static_cast<double>(windowHeight) / 1024.0;
    return {w[0] + 0.5 * across * w[1] + 0.5 * along * w[2], across * w[1], along * w[2],
            w[3] + 0.5 * across * w[4] + 0.5 * along * w[5], across * w[4], along * w[5]};
}

std::vector<std::array<double, 2>> lonLatGrid(const std::string& systemWkt, const std::array<double, 6>& t)
{
    setUpGeodataLibrary();
    OGRSpatialReference model, lonLat;
    if (model.importFromWkt(systemWkt.c_str()) != OGRERR_NONE)
        throw std::runtime_error("its coordinate system cannot be read");
    lonLat.SetWellKnownGeogCS("WGS84");
    // Longitude first, in both systems' own order of x then y.
    model.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    lonLat.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const std::unique_ptr<OGRCoordinateTransformation> toLonLat(OGRCreateCoordinateTransformation(&model, &lonLat));
    if (!toLonLat)
        throw std::runtime_error("its coordinate system cannot be turned into longitude and latitude");
    std::vector<std::array<double, 2>> grid;
    for (int row = 0; row < kGeoGridCount; ++row)
        for (int column = 0; column < kGeoGridCount; ++column) {
            const double x = column * kGeoGridEvery, z = row * kGeoGridEvery;
            double east = t[0] + x * t[1] + z * t[2];
            double north = t[3] + x * t[4] + z * t[5];
            if (!toLonLat->Transform(1, &east, &north) || !std::isfinite(east) || !std::isfinite(north))
                throw std::runtime_error("a corner of the ground has no longitude and latitude");
            grid.push_back({std::remainder(east, 360.0), north});
        }
    return grid;
}

std::string formatGeoReference(const GeoReference& r)
{
    const auto corner = [&](int row, int column) { return lonLatText(r.gridLonLat[row * kGeoGridCount + column]); };
    const int last = kGeoGridCount - 1;
    std::string text =
        "{\n  \"format\": \"lumora-geo\",\n  \"version\": 1,\n  \"crs_wkt\": " + jsonString(r.systemWkt) +
        ",\n  \"geotransform\": [";
    for (size_t i = 0; i < r.worldTransform.size(); ++i)
        text += (i > 0 ? ", " : "") + number(r.worldTransform[i]);
    text += "],\n  \"height_metres\": { \"at_height_0\": " + number(r.metresAtHeight0) +
            ", \"per_height_step\": " + number(r.metresPerHeightStep) + " },\n";
    text += "  \"tree_line_metres\": [" + number(r.treeLineNorth) + ", " + number(r.treeLineSouth) + "],\n";
    text += "  \"corners_lon_lat\": {\n    \"north_west\": " + corner(0, 0) + ", \"north_east\": " + corner(0, last) +
            ",\n    \"south_east\": " + corner(last, last) + ", \"south_west\": " + corner(last, 0) + "\n  },\n";
    text += "  \"grid_lon_lat\": { \"every\": " + std::to_string(kGeoGridEvery) +
            ", \"count\": " + std::to_string(kGeoGridCount) + ", \"points\": [";
    for (size_t i = 0; i < r.gridLonLat.size(); ++i)
        text += std::string(i == 0                   ? "\n    "
                            : i % kGeoGridCount == 0 ? ",\n    "
                                                     : ", ") +
                lonLatText(r.gridLonLat[i]);
    return text + "\n  ] }\n}\n";
}

} // namespace landscape
