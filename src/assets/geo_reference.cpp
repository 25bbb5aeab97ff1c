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
    explicit FieldReader(const JsonDocument& parsed) : document(parsed) {}

    std::string reason;

    // The member of the type asked for, or null with the reason.
    const JsonNode* field(const JsonNode* object, const char* key, JsonType type, const char* path)
    {
        if (!object)
            return nullptr;
        const JsonNode* node = document.member(*object, key);
        if (!node)
            return refuse(path, "is missing");
        if (node->type != type) {
            const char* const wanted[] = {"null", "true or false", "a number", "a string", "an array", "an object"};
            return refuse(path, (std::string("is not ") + wanted[int(type)]).c_str());
        }
        return node;
    }

    bool number(const JsonNode* object, const char* key, const char* path, double& value)
    {
        const JsonNode* node = field(object, key, JsonType::Number, path);
        if (node && !std::isfinite(node->number))
            refuse(path, "is not a finite number");
        if (!node || !std::isfinite(node->number))
            return false;
        value = node->number;
        return true;
    }

    // An array of exactly `count` finite numbers.
    bool numbers(const JsonNode& array, double* values, size_t count)
    {
        const std::vector<const JsonNode*> items = document.children(array);
        if (array.type != JsonType::Array || items.size() != count)
            return false;
        for (size_t i = 0; i < count; ++i) {
            if (items[i]->type != JsonType::Number || !std::isfinite(items[i]->number))
                return false;
            values[i] = items[i]->number;
        }
        return true;
    }

    bool lonLat(const JsonNode& pair, LonLat& point)
    {
        double values[2] = {};
        if (!numbers(pair, values, 2) || std::fabs(values[0]) > 180 || std::fabs(values[1]) > 90)
            return false;
        point = {values[0], values[1]};
        return true;
    }

    const JsonNode* refuse(const char* path, const char* what)
    {
        if (reason.empty())
            reason = std::string("\"") + path + "\" " + what;
        return nullptr;
    }

    const JsonDocument& document;
};

GeoReferenceRead damaged(std::string reason)
{
    GeoReferenceRead read;
    read.status = GeoReferenceStatus::Damaged;
    read.reason = std::move(reason);
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
std::string readFields(const JsonDocument& document, GeoReference& reference)
{
    FieldReader in(document);
    const JsonNode* root = document.root();
    if (root->type != JsonType::Object)
        return "it is not a JSON object";

    const JsonNode* format = in.field(root, "format", JsonType::String, "format");
    if (format && format->text != "lumora-geo")
        in.refuse("format", "is not \"lumora-geo\"");
    double version = 0;
    if (in.number(root, "version", "version", version) && version != 1)
        in.refuse("version", "is not 1");
    const JsonNode* wkt = in.field(root, "crs_wkt", JsonType::String, "crs_wkt");
    if (wkt && wkt->text.empty())
        in.refuse("crs_wkt", "is empty");

    const JsonNode* transform = in.field(root, "geotransform", JsonType::Array, "geotransform");
    double* const g = reference.geotransform;
    if (transform && !in.numbers(*transform, g, 6))
        in.refuse("geotransform", "is not 6 finite numbers");
    else if (transform && !(g[1] * g[5] - g[2] * g[4] != 0))
        in.refuse("geotransform", "maps the grid onto a line");

    const JsonNode* heights = in.field(root, "height_metres", JsonType::Object, "height_metres");
    in.number(heights, "at_height_0", "height_metres.at_height_0", reference.metresAtHeight0);
    if (in.number(heights, "per_height_step", "height_metres.per_height_step", reference.metresPerHeightStep) &&
        !(reference.metresPerHeightStep > 0))
        in.refuse("height_metres.per_height_step", "is not positive");

    // Optional: an older generator wrote none, and every height stays open to plants.
    reference.treeLineNorth = reference.treeLineSouth = HUGE_VAL;
    if (const JsonNode* trees = document.member(*root, "tree_line_metres")) {
        double metres[2] = {};
        if (!in.numbers(*trees, metres, 2))
            in.refuse("tree_line_metres", "is not 2 finite numbers (north, south)");
        reference.treeLineNorth = metres[0];
        reference.treeLineSouth = metres[1];
    }

    const JsonNode* corners = in.field(root, "corners_lon_lat", JsonType::Object, "corners_lon_lat");
    for (int i = 0; i < kGeoCornerCount && corners; ++i) {
        const std::string path = std::string("corners_lon_lat.") + kCornerNames[i];
        const JsonNode* corner = in.field(corners, kCornerNames[i], JsonType::Array, path.c_str());
        if (corner && !in.lonLat(*corner, reference.corners[i]))
            in.refuse(path.c_str(), "is not [longitude, latitude] in degrees");
    }

    const JsonNode* grid = in.field(root, "grid_lon_lat", JsonType::Object, "grid_lon_lat");
    double every = 0;
    double count = 0;
    if (in.number(grid, "every", "grid_lon_lat.every", every) && every != kGeoGridEvery)
        in.refuse("grid_lon_lat.every", "is not 64");
    if (in.number(grid, "count", "grid_lon_lat.count", count) && count != kGeoGridCount)
        in.refuse("grid_lon_lat.count", "is not 17");
    const JsonNode* points = in.field(grid, "points", JsonType::Array, "grid_lon_lat.points");
    if (points && points->childCount != kGeoGridPoints) {
        const std::string what = "holds " + std::to_string(points->childCount) + " points, not 289";
        in.refuse("grid_lon_lat.points", what.c_str());
    } else if (points) {
        const std::vector<const JsonNode*> items = document.children(*points);
        for (int i = 0; i < kGeoGridPoints; ++i) {
            if (!in.lonLat(*items[size_t(i)], reference.grid[i])) {
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
    std::string reason = readFields(document, read.reference);
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
