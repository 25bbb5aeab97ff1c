#include "assets/geo_reference.h"

#include "assets/file_bytes.h"
#include "assets/json_document.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr double kCornerToleranceDegrees = 1e-7; // about a centimetre

const char* const kCornerNames[kGeoCornerCount] = {"north_west", "north_east", "south_east", "south_west"};
// The grid point each corner repeats: (column, row).
constexpr int kCornerGridPoint[kGeoCornerCount][2] = {
    {0, 0}, {kGeoGridCount - 1, 0}, {kGeoGridCount - 1, kGeoGridCount - 1}, {0, kGeoGridCount - 1}};

// Walks the object, keeping the first reason a field cannot serve.
class FieldReader {
public:
    std::string reason;

    // The member of the type asked for, or null with the reason.
    const JsonValue* field(const JsonValue* object, const char* key, JsonValue::value_t type, const char* path)
    {
        if (!object)
            return nullptr;
        const JsonValue* node = member(*object, key);
        if (!node)
            return refuse(path, "is missing");
        if (kindOf(*node) != type) {
            using Kind = JsonValue::value_t;
            const char* wanted = type == Kind::number_float ? "a number"
                                 : type == Kind::string     ? "a string"
                                 : type == Kind::array      ? "an array"
                                                            : "an object";
            return refuse(path, (std::string("is not ") + wanted).c_str());
        }
        return node;
    }

    bool number(const JsonValue* object, const char* key, const char* path, double& value)
    {
        const JsonValue* node = field(object, key, JsonValue::value_t::number_float, path);
        if (node && !std::isfinite(node->get<double>()))
            refuse(path, "is not a finite number");
        if (!node || !std::isfinite(node->get<double>()))
            return false;
        value = node->get<double>();
        return true;
    }

    // An array of exactly `count` finite numbers.
    static bool numbers(const JsonValue& array, double* values, size_t count)
    {
        if (!array.is_array() || array.size() != count)
            return false;
        for (size_t i = 0; i < count; ++i) {
            if (!array[i].is_number() || !std::isfinite(array[i].get<double>()))
                return false;
            values[i] = array[i].get<double>();
        }
        return true;
    }

    static bool lonLat(const JsonValue& pair, LonLat& point)
    {
        double values[2] = {};
        if (!numbers(pair, values, 2) || std::fabs(values[0]) > 180 || std::fabs(values[1]) > 90)
            return false;
        point = {values[0], values[1]};
        return true;
    }

    const JsonValue* refuse(const char* path, const char* what)
    {
        if (reason.empty())
            reason = std::string("\"") + path + "\" " + what;
        return nullptr;
    }

    // The object's member of that name, or null (also for a value that is
    // not an object).
    static const JsonValue* member(const JsonValue& object, const char* key)
    {
        if (!object.is_object())
            return nullptr;
        const auto found = object.find(key);
        return found == object.end() ? nullptr : &*found;
    }

private:
    // Every number is read as a double.
    static JsonValue::value_t kindOf(const JsonValue& value)
    {
        return value.is_number() ? JsonValue::value_t::number_float : value.type();
    }
};

GeoReferenceRead damaged(std::string reason)
{
    GeoReferenceRead read;
    read.status = GeoReferenceStatus::Damaged;
    read.report = {Failure::Read, {}, 0, std::move(reason)};
    return read;
}

GeoReferenceRead oversized(uintmax_t size)
{
    return damaged("it is " + std::to_string(size) + " bytes, more than the 1 MiB a reference may take");
}

bool sameDegrees(const LonLat& a, const LonLat& b)
{
    return std::fabs(a.longitude - b.longitude) <= kCornerToleranceDegrees &&
           std::fabs(a.latitude - b.latitude) <= kCornerToleranceDegrees;
}

// The fields in the order the format lists them; the first fault is the reason.
std::string readFields(const JsonValue& document, GeoReference& reference)
{
    using Kind = JsonValue::value_t;
    FieldReader in;
    const JsonValue* root = &document;
    if (!root->is_object())
        return "it is not a JSON object";

    const JsonValue* format = in.field(root, "format", Kind::string, "format");
    if (format && format->get_ref<const std::string&>() != "lumora-geo")
        in.refuse("format", "is not \"lumora-geo\"");
    double version = 0;
    if (in.number(root, "version", "version", version) && version != 1)
        in.refuse("version", "is not 1");
    const JsonValue* wkt = in.field(root, "crs_wkt", Kind::string, "crs_wkt");
    if (wkt && wkt->get_ref<const std::string&>().empty())
        in.refuse("crs_wkt", "is empty");
    else if (wkt)
        reference.systemWkt = wkt->get<std::string>();

    const JsonValue* transform = in.field(root, "geotransform", Kind::array, "geotransform");
    double* const g = reference.geotransform.data();
    if (transform && !in.numbers(*transform, g, 6))
        in.refuse("geotransform", "is not 6 finite numbers");
    else if (transform && !(g[1] * g[5] - g[2] * g[4] != 0))
        in.refuse("geotransform", "maps the grid onto a line");

    const JsonValue* heights = in.field(root, "height_metres", Kind::object, "height_metres");
    in.number(heights, "at_height_0", "height_metres.at_height_0", reference.metresAtHeight0);
    if (in.number(heights, "per_height_step", "height_metres.per_height_step", reference.metresPerHeightStep) &&
        !(reference.metresPerHeightStep > 0))
        in.refuse("height_metres.per_height_step", "is not positive");

    // Optional: an older generator wrote none, and every height stays open to plants.
    reference.treeLineNorth = reference.treeLineSouth = HUGE_VAL;
    if (const JsonValue* trees = FieldReader::member(*root, "tree_line_metres")) {
        double metres[2] = {};
        if (!in.numbers(*trees, metres, 2))
            in.refuse("tree_line_metres", "is not 2 finite numbers (north, south)");
        reference.treeLineNorth = metres[0];
        reference.treeLineSouth = metres[1];
    }

    const JsonValue* corners = in.field(root, "corners_lon_lat", Kind::object, "corners_lon_lat");
    for (int i = 0; i < kGeoCornerCount && corners; ++i) {
        const std::string path = std::string("corners_lon_lat.") + kCornerNames[i];
        const JsonValue* corner = in.field(corners, kCornerNames[i], Kind::array, path.c_str());
        if (corner && !in.lonLat(*corner, reference.corners[i]))
            in.refuse(path.c_str(), "is not [longitude, latitude] in degrees");
    }

    const JsonValue* grid = in.field(root, "grid_lon_lat", Kind::object, "grid_lon_lat");
    double every = 0;
    double count = 0;
    if (in.number(grid, "every", "grid_lon_lat.every", every) && every != kGeoGridEvery)
        in.refuse("grid_lon_lat.every", "is not 64");
    if (in.number(grid, "count", "grid_lon_lat.count", count) && count != kGeoGridCount)
        in.refuse("grid_lon_lat.count", "is not 17");
    const JsonValue* points = in.field(grid, "points", Kind::array, "grid_lon_lat.points");
    if (points && points->size() != kGeoGridPoints) {
        const std::string what = "holds " + std::to_string(points->size()) + " points, not 289";
        in.refuse("grid_lon_lat.points", what.c_str());
    } else if (points) {
        for (int i = 0; i < kGeoGridPoints; ++i) {
            if (!in.lonLat((*points)[size_t(i)], reference.grid[i])) {
                const std::string what = "point " + std::to_string(i) + " is not [longitude, latitude] in degrees";
                in.refuse("grid_lon_lat.points", what.c_str());
                break;
            }
        }
    }
    if (!in.reason.empty())
        return in.reason;

    for (int i = 0; i < kGeoCornerCount; ++i) {
        const int* point = kCornerGridPoint[i];
        if (!sameDegrees(reference.corners[i], reference.grid[point[1] * kGeoGridCount + point[0]]))
            return std::string("\"corners_lon_lat.") + kCornerNames[i] + "\" is not the grid's corner point";
    }
    return {};
}

} // namespace

GeoReferenceRead parseGeoReference(const uint8_t* bytes, size_t size)
{
    if (size > kGeoReferenceMostBytes)
        return oversized(size);
    const JsonDocument document = parseJson(bytes, size);
    if (!document.error.empty())
        return damaged("it is not JSON: " + document.error);
    GeoReferenceRead read;
    std::string reason = readFields(document.root, read.reference);
    if (!reason.empty())
        return damaged(std::move(reason));
    read.status = GeoReferenceStatus::Read;
    return read;
}

GeoReferenceRead readGeoReference(const char* fileName)
{
    struct stat status {};
    if (stat(fileName, &status) != 0) {
        if (errno == ENOENT)
            return {};
        return damaged(std::string("it cannot be read: ") + std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode))
        return damaged("it is not a file");
    if (uintmax_t(status.st_size) > kGeoReferenceMostBytes)
        return oversized(uintmax_t(status.st_size));
    std::vector<uint8_t> bytes;
    if (!readWholeFile(fileName, bytes))
        return damaged("it cannot be read");
    return parseGeoReference(bytes.data(), bytes.size());
}

void setCornersFromGrid(GeoReference& reference)
{
    for (int i = 0; i < kGeoCornerCount; ++i) {
        const int* point = kCornerGridPoint[i];
        reference.corners[i] = reference.grid[point[1] * kGeoGridCount + point[0]];
    }
}

std::string formatGeoReference(const GeoReference& r)
{
    const auto pair = [](const LonLat& point) { return JsonValue::array({point.longitude, point.latitude}); };
    JsonValue corners = JsonValue::object();
    for (int i = 0; i < kGeoCornerCount; ++i)
        corners[kCornerNames[i]] = pair(r.corners[i]);
    JsonValue points = JsonValue::array();
    for (const LonLat& point : r.grid)
        points.push_back(pair(point));
    JsonValue text = {
        {"format", "lumora-geo"},
        {"version", 1},
        {"crs_wkt", r.systemWkt},
        {"geotransform", r.geotransform},
        {"height_metres", {{"at_height_0", r.metresAtHeight0}, {"per_height_step", r.metresPerHeightStep}}},
        {"tree_line_metres", {r.treeLineNorth, r.treeLineSouth}},
        {"corners_lon_lat", std::move(corners)},
        {"grid_lon_lat", {{"every", kGeoGridEvery}, {"count", kGeoGridCount}, {"points", std::move(points)}}},
    };
    return formatJson(text);
}
