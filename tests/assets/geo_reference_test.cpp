#include "assets/geo_reference.h"

#include "assets/json_document.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

// A north-up grid around 47 N 10 E: a thousandth of a degree per world unit.
LonLat gridPoint(int column, int row)
{
    return {10 + 0.001 * kGeoGridEvery * column, 47 - 0.001 * kGeoGridEvery * row};
}

std::string pair(LonLat p)
{
    char text[80];
    std::snprintf(text, sizeof text, "[%.17g, %.17g]", p.longitude, p.latitude);
    return text;
}

std::string gridPoints(int count = kGeoGridPoints)
{
    std::string points;
    for (int i = 0; i < count; ++i)
        points += (i ? ", " : "") + pair(gridPoint(i % kGeoGridCount, i / kGeoGridCount));
    return "[" + points + "]";
}

std::string corners(const char* northEast = nullptr)
{
    const int last = kGeoGridCount - 1;
    return "{\"north_west\": " + pair(gridPoint(0, 0)) +
           ", \"north_east\": " + (northEast ? northEast : pair(gridPoint(last, 0))) +
           ", \"south_east\": " + pair(gridPoint(last, last)) + ", \"south_west\": " + pair(gridPoint(0, last)) + "}";
}

// The valid file, field by field; a case replaces one field's value, or
// leaves the field out where its value is empty.
using Fields = std::map<std::string, std::string>;

Fields validFields()
{
    return {
        {"format", "\"lumora-geo\""},
        {"version", "1"},
        {"crs_wkt", "\"GEOGCRS[\\\"WGS 84\\\", ...]\""},
        {"geotransform", "[10, 0.001, 0, 47, 0, -0.001]"},
        {"height_metres", "{\"at_height_0\": 236.5, \"per_height_step\": 3.25}"},
        {"corners_lon_lat", corners()},
        {"grid_lon_lat", "{\"every\": 64, \"count\": 17, \"points\": " + gridPoints() + "}"},
        {"later_field", "{\"ignored\": [true, null]}"},
    };
}

std::string document(const Fields& changes = {})
{
    Fields fields = validFields();
    for (const auto& [key, value] : changes)
        fields[key] = value;
    std::string text = "{";
    for (const auto& [key, value] : fields)
        if (!value.empty())
            text += (text.size() > 1 ? ",\n \"" : "\"") + key + "\": " + value;
    return text + "}\n";
}

GeoReferenceRead parse(const std::string& text)
{
    return parseGeoReference(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(GeoReference, AValidFileReadsBackEveryFigure)
{
    const GeoReferenceRead read = parse(document());
    ASSERT_EQ(read.status, GeoReferenceStatus::Read) << read.reason;
    const GeoReference& r = read.reference;
    const double transform[6] = {10, 0.001, 0, 47, 0, -0.001};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(r.geotransform[i], transform[i]) << i;
    EXPECT_EQ(r.metresAtHeight0, 236.5);
    EXPECT_EQ(r.metresPerHeightStep, 3.25);
    for (int i = 0; i < kGeoGridPoints; ++i) {
        EXPECT_EQ(r.grid[i].longitude, gridPoint(i % 17, i / 17).longitude) << i;
        EXPECT_EQ(r.grid[i].latitude, gridPoint(i % 17, i / 17).latitude) << i;
    }
    EXPECT_EQ(r.corners[int(GeoCorner::SouthEast)].longitude, 10 + 0.001 * 1024);
    EXPECT_EQ(r.corners[int(GeoCorner::SouthWest)].latitude, 47 - 0.001 * 1024);
}

struct DamagedCase {
    Fields changes;
    const char* reason; // the whole reason, or its beginning where it ends in "..."
};

TEST(GeoReference, EachDamageHasItsReason)
{
    const std::string bigGrid = "{\"every\": 64, \"count\": 17, \"points\": ";
    const DamagedCase cases[] = {
        {{{"format", ""}}, "\"format\" is missing"},
        {{{"format", "7"}}, "\"format\" is not a string"},
        {{{"format", "\"lumora-geo2\""}}, "\"format\" is not \"lumora-geo\""},
        {{{"version", ""}}, "\"version\" is missing"},
        {{{"version", "\"1\""}}, "\"version\" is not a number"},
        {{{"version", "2"}}, "\"version\" is not 1"},
        {{{"crs_wkt", ""}}, "\"crs_wkt\" is missing"},
        {{{"crs_wkt", "null"}}, "\"crs_wkt\" is not a string"},
        {{{"crs_wkt", "\"\""}}, "\"crs_wkt\" is empty"},
        {{{"geotransform", ""}}, "\"geotransform\" is missing"},
        {{{"geotransform", "{}"}}, "\"geotransform\" is not an array"},
        {{{"geotransform", "[10, 0.001, 0, 47, 0]"}}, "\"geotransform\" is not 6 finite numbers"},
        {{{"geotransform", "[10, 0.001, 0, 47, 0, -0.001, 1]"}}, "\"geotransform\" is not 6 finite numbers"},
        {{{"geotransform", "[10, 0.001, 0, 47, 0, 1e999]"}}, "\"geotransform\" is not 6 finite numbers"},
        {{{"geotransform", "[10, 0.001, \"0\", 47, 0, -0.001]"}}, "\"geotransform\" is not 6 finite numbers"},
        {{{"geotransform", "[10, 0.001, 0.002, 47, 0.5, 1]"}}, "\"geotransform\" maps the grid onto a line"},
        {{{"height_metres", ""}}, "\"height_metres\" is missing"},
        {{{"height_metres", "[236.5, 3.25]"}}, "\"height_metres\" is not an object"},
        {{{"height_metres", "{\"per_height_step\": 3.25}"}}, "\"height_metres.at_height_0\" is missing"},
        {{{"height_metres", "{\"at_height_0\": -1e400, \"per_height_step\": 3.25}"}},
         "\"height_metres.at_height_0\" is not a finite number"},
        {{{"height_metres", "{\"at_height_0\": 236.5, \"per_height_step\": true}"}},
         "\"height_metres.per_height_step\" is not a number"},
        {{{"height_metres", "{\"at_height_0\": 236.5, \"per_height_step\": 0}"}},
         "\"height_metres.per_height_step\" is not positive"},
        {{{"corners_lon_lat", ""}}, "\"corners_lon_lat\" is missing"},
        {{{"corners_lon_lat", corners("[10.1, 47]")}},
         "\"corners_lon_lat.north_east\" is not the grid's corner point"},
        {{{"corners_lon_lat", corners("[180.5, 47]")}},
         "\"corners_lon_lat.north_east\" is not [longitude, latitude] in degrees"},
        {{{"corners_lon_lat", corners("[10.1]")}},
         "\"corners_lon_lat.north_east\" is not [longitude, latitude] in degrees"},
        {{{"corners_lon_lat", corners("{\"lon\": 10, \"lat\": 47}")}},
         "\"corners_lon_lat.north_east\" is not an array"},
        {{{"grid_lon_lat", ""}}, "\"grid_lon_lat\" is missing"},
        {{{"grid_lon_lat", "{\"every\": 32, \"count\": 17, \"points\": " + gridPoints() + "}"}},
         "\"grid_lon_lat.every\" is not 64"},
        {{{"grid_lon_lat", "{\"every\": 64, \"points\": " + gridPoints() + "}"}},
         "\"grid_lon_lat.count\" is missing"},
        {{{"grid_lon_lat", "{\"every\": 64, \"count\": 16, \"points\": " + gridPoints() + "}"}},
         "\"grid_lon_lat.count\" is not 17"},
        {{{"grid_lon_lat", bigGrid + gridPoints(288) + "}"}}, "\"grid_lon_lat.points\" holds 288 points, not 289"},
        {{{"grid_lon_lat", bigGrid + gridPoints(290) + "}"}}, "\"grid_lon_lat.points\" holds 290 points, not 289"},
        {{{"grid_lon_lat", bigGrid + "[[10, 95]" + gridPoints().substr(gridPoints().find(']') + 1) + "}"}},
         "\"grid_lon_lat.points\" point 0 is not [longitude, latitude] in degrees"},
    };
    for (const DamagedCase& c : cases) {
        const GeoReferenceRead read = parse(document(c.changes));
        SCOPED_TRACE(c.changes.begin()->first + ": " + c.changes.begin()->second.substr(0, 60));
        EXPECT_EQ(read.status, GeoReferenceStatus::Damaged);
        EXPECT_EQ(read.reason, c.reason);
    }
}

TEST(GeoReference, TextThatIsNotStrictJsonIsDamaged)
{
    const std::string valid = document();
    const std::string nested = std::string(kJsonMostDepth + 1, '[') + std::string(kJsonMostDepth + 1, ']');
    struct TextCase {
        std::string text;
        const char* reason;
    };
    const TextCase cases[] = {
        {valid.substr(0, valid.size() / 2), "it is not JSON: the text ends inside an array or object at byte"},
        {"", "it is not JSON: the text ends where a value should be at byte 0"},
        {valid + "{}", "it is not JSON: text after the value at byte"},
        {"[1, 2,]", "it is not JSON: not a value at byte 6"},
        {"{\"a\": 1, \"a\": 2}", "it is not JSON: a key that appears twice in one object at byte 12"},
        {"{\"a\": NaN}", "it is not JSON: not a value at byte 6"},
        {"{\"a\": nil}", "it is not JSON: an unknown word at byte 6"},
        {"{\"a\": 01}", "it is not JSON: expected ',' or '}' at byte 7"},
        {"{\"a\": 1.}", "it is not JSON: a number without digits after its point at byte 8"},
        {"{\"a\": \"tab\there\"}", "it is not JSON: a control character in a string at byte 10"},
        {"{\"a\": \"\\ud800\"}", "it is not JSON: a high surrogate without its low one at byte"},
        {"{\"a\": \"\\x\"}", "it is not JSON: an unknown escape at byte 8"},
        {"// note\n{}", "it is not JSON: not a value at byte 0"},
        {nested, "it is not JSON: nesting too deep at byte 32"},
        {std::string(kJsonMostDepth, '[') + std::string(kJsonMostDepth, ']'), "it is not a JSON object"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        const GeoReferenceRead read = parse(c.text);
        EXPECT_EQ(read.status, GeoReferenceStatus::Damaged);
        EXPECT_EQ(read.reason.rfind(c.reason, 0), 0u) << read.reason;
    }
}

TEST(GeoReference, AFileOfOneMebibyteIsReadAndOneByteMoreIsRefused)
{
    std::string text = document();
    text.resize(kGeoReferenceMostBytes, ' ');
    EXPECT_EQ(parse(text).status, GeoReferenceStatus::Read);
    text += ' ';
    const GeoReferenceRead read = parse(text);
    EXPECT_EQ(read.status, GeoReferenceStatus::Damaged);
    EXPECT_EQ(read.reason, "it is 1048577 bytes, more than the 1 MiB a reference may take");
}

TEST(GeoReference, AFileIsMissingDamagedOrRead)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("geo_reference." + std::to_string(getpid()));
    fs::create_directories(folder / "folder.json");
    const auto write = [&](const char* name, const std::string& text) {
        std::ofstream(folder / name, std::ios::binary) << text;
        return (folder / name).string();
    };
    std::string large = document();
    large.resize(kGeoReferenceMostBytes + 1, ' ');

    EXPECT_EQ(readGeoReference((folder / "none.json").c_str()).status, GeoReferenceStatus::Missing);
    EXPECT_EQ(readGeoReference(write("valid.json", document()).c_str()).status, GeoReferenceStatus::Read);
    EXPECT_EQ(readGeoReference((folder / "folder.json").c_str()).reason, "it is not a file");
    EXPECT_EQ(readGeoReference(write("large.json", large).c_str()).reason,
              "it is 1048577 bytes, more than the 1 MiB a reference may take");
    fs::remove_all(folder);
}

} // namespace
