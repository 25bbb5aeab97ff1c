#include "assets/geo_reference.h"

#include "assets/json_document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace {

// A north-up grid at 47 N 10 E, a thousandth of a degree per world unit.
std::string points(int count = kGeoGridPoints, double firstLatitude = 47)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        char pair[64];
        std::snprintf(pair, sizeof pair, "%s[%.17g, %.17g]", i ? ", " : "", 10 + 0.064 * (i % 17),
                      (i ? 47 : firstLatitude) - 0.064 * (i / 17));
        text += pair;
    }
    return "[" + text + "]";
}

const std::string kCorners =
    R"({"north_west": [10, 47], "north_east": [11.024, 47], "south_east": [11.024, 45.976], "south_west": [10, 45.976]})";

// The valid file with one top-level field's value replaced, or left out
// where the value is empty.
std::string document(const std::string& key = "", const std::string& value = "")
{
    std::map<std::string, std::string> fields = {
        {"format", R"("lumora-geo")"},
        {"version", "1"},
        {"crs_wkt", R"("GEOGCRS[\"WGS 84\"]")"},
        {"geotransform", "[10, 0.001, 0, 47, 0, -0.001]"},
        {"height_metres", R"({"at_height_0": 236.5, "per_height_step": 3.25})"},
        {"corners_lon_lat", kCorners},
        {"grid_lon_lat", R"({"every": 64, "count": 17, "points": )" + points() + "}"},
        {"later", R"({"ignored": [true, null]})"},
    };
    fields[key] = value;
    std::string text;
    for (const auto& [name, given] : fields)
        if (!given.empty())
            text += (text.empty() ? "{\"" : ",\n \"") + name + "\": " + given;
    return text + "}";
}

GeoReferenceRead parse(const std::string& text)
{
    return parseGeoReference(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(GeoReference, AValidFileReadsBack)
{
    const GeoReferenceRead read = parse(document());
    ASSERT_EQ(read.status, GeoReferenceStatus::Read) << read.report.text;
    const GeoReference& r = read.reference;
    EXPECT_EQ(r.geotransform[5], -0.001);
    EXPECT_EQ(r.metresAtHeight0, 236.5);
    EXPECT_EQ(r.metresPerHeightStep, 3.25);
    EXPECT_EQ(r.grid[17 * 3 + 5].longitude, 10 + 0.064 * 5);
    EXPECT_EQ(r.grid[17 * 3 + 5].latitude, 47 - 0.064 * 3);
    EXPECT_EQ(r.corners[int(GeoCorner::SouthEast)].longitude, 11.024);
    // An older generator's file gives no tree line: plants may stand at any height.
    EXPECT_EQ(r.treeLineNorth, HUGE_VAL);
    EXPECT_EQ(r.treeLineSouth, HUGE_VAL);

    const GeoReferenceRead trees = parse(document("tree_line_metres", "[1900, 1950.5]"));
    ASSERT_EQ(trees.status, GeoReferenceStatus::Read) << trees.report.text;
    EXPECT_EQ(trees.reference.treeLineNorth, 1900);
    EXPECT_EQ(trees.reference.treeLineSouth, 1950.5);
}

// Each row is a whole file: the valid one with one field changed, or text.
TEST(GeoReference, EachDamageHasItsReason)
{
    const std::string grid = R"({"every": 64, "count": 17, "points": )";
    const std::string deep = std::string(kJsonMostDepth + 1, '[') + std::string(kJsonMostDepth + 1, ']');
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {document("format", ""), "\"format\" is missing"},
        {document("format", "7"), "\"format\" is not a string"},
        {document("format", R"("lumora-geo2")"), "\"format\" is not \"lumora-geo\""},
        {document("version", "2"), "\"version\" is not 1"},
        {document("crs_wkt", R"("")"), "\"crs_wkt\" is empty"},
        {document("geotransform", "{}"), "\"geotransform\" is not an array"},
        {document("geotransform", "[10, 0.001, 0, 47, 0]"), "\"geotransform\" is not 6 finite numbers"},
        {document("geotransform", "[10, 0.001, 0, 47, 0, 1e999]"), "\"geotransform\" is not 6 finite numbers"},
        {document("geotransform", "[10, 0.001, 0.002, 47, 0.5, 1]"), "\"geotransform\" maps the grid onto a line"},
        {document("height_metres", R"({"per_height_step": 3})"), "\"height_metres.at_height_0\" is missing"},
        {document("height_metres", R"({"at_height_0": -1e400, "per_height_step": 3})"),
         "\"height_metres.at_height_0\" is not a finite number"},
        {document("height_metres", R"({"at_height_0": 1, "per_height_step": true})"),
         "\"height_metres.per_height_step\" is not a number"},
        {document("height_metres", R"({"at_height_0": 1, "per_height_step": 0})"),
         "\"height_metres.per_height_step\" is not positive"},
        {document("tree_line_metres", "[1900]"), "\"tree_line_metres\" is not 2 finite numbers (north, south)"},
        {document("tree_line_metres", R"({"north": 1900, "south": 1950})"),
         "\"tree_line_metres\" is not 2 finite numbers (north, south)"},
        {document("corners_lon_lat", R"({"north_west": [10, 47]})"), "\"corners_lon_lat.north_east\" is missing"},
        {document("corners_lon_lat", R"({"north_west": [180.5, 47]})"),
         "\"corners_lon_lat.north_west\" is not [longitude, latitude] in degrees"},
        {document("grid_lon_lat", ""), "\"grid_lon_lat\" is missing"},
        {document("grid_lon_lat", R"({"every": 32, "count": 17, "points": []})"), "\"grid_lon_lat.every\" is not 64"},
        {document("grid_lon_lat", grid + points(288) + "}"), "\"grid_lon_lat.points\" holds 288 points, not 289"},
        {document("grid_lon_lat", grid + points(290) + "}"), "\"grid_lon_lat.points\" holds 290 points, not 289"},
        {document("grid_lon_lat", grid + points(289, 90.5) + "}"),
         "\"grid_lon_lat.points\" point 0 is not [longitude, latitude] in degrees"},
        {document("grid_lon_lat", grid + points(289, 47.1) + "}"),
         "\"corners_lon_lat.north_west\" is not the grid's corner point"},
        // Strict JSON, and nothing else.
        {document().substr(0, 300), "it is not JSON: the text ends inside an array or object at byte 300"},
        {"{} {}", "it is not JSON: text after the value at byte 3"},
        {"[1, 2,]", "it is not JSON: not a value at byte 6"},
        {R"({"a": 1, "a": 2})", "it is not JSON: a key that appears twice in one object at byte 12"},
        {R"({"a": 01})", "it is not JSON: expected ',' or '}' at byte 7"},
        {"{\"a\": \"tab\there\"}", "it is not JSON: a control character in a string at byte 10"},
        {R"({"a": "\ud800"})", "it is not JSON: a high surrogate without its low one at byte 13"},
        {deep, "it is not JSON: nesting too deep at byte 32"},
        {std::string(kJsonMostDepth, '[') + std::string(kJsonMostDepth, ']'), "it is not a JSON object"},
    };
    for (const auto& c : cases) {
        const GeoReferenceRead read = parse(c.text);
        EXPECT_EQ(read.status, GeoReferenceStatus::Damaged) << c.text.substr(0, 300);
        EXPECT_EQ(read.report.text, c.reason);
    }
}

// What the generator writes, the viewer reads back field for field: numbers
// to the same doubles, the system's text with its quotes, escapes and a line
// break.
TEST(GeoReference, TheWrittenFileReadsBackToTheSameRecord)
{
    GeoReference written{};
    written.systemWkt = "PROJCRS[\"UTM \\ 32N\",\n\tID[\"EPSG\",25832]]";
    written.geotransform = {412345.5, 0.1 * 3, -1e-9, 5278901.25, 1.0 / 3, -29.999999999999996};
    written.metresAtHeight0 = -412.03125000000006;
    written.metresPerHeightStep = 7.1e-3;
    for (int i = 0; i < kGeoGridPoints; ++i)
        written.grid[i] = {-179.99 + std::ldexp(1.0, -40) * i + 0.1 * (i % 17), 89.9 - 0.7 * (i / 17) / 3.0};
    setCornersFromGrid(written);
    written.treeLineNorth = 1900.000000000001;
    written.treeLineSouth = -0.5;

    const GeoReferenceRead read = parse(formatGeoReference(written));
    ASSERT_EQ(read.status, GeoReferenceStatus::Read) << read.report.text;
    const GeoReference& r = read.reference;
    EXPECT_EQ(r.systemWkt, written.systemWkt);
    EXPECT_EQ(r.geotransform, written.geotransform);
    EXPECT_EQ(r.metresAtHeight0, written.metresAtHeight0);
    EXPECT_EQ(r.metresPerHeightStep, written.metresPerHeightStep);
    EXPECT_EQ(r.treeLineNorth, written.treeLineNorth);
    EXPECT_EQ(r.treeLineSouth, written.treeLineSouth);
    for (int i = 0; i < kGeoGridPoints; ++i) {
        EXPECT_EQ(r.grid[i].longitude, written.grid[i].longitude) << i;
        EXPECT_EQ(r.grid[i].latitude, written.grid[i].latitude) << i;
    }
    const LonLat& southEast = r.corners[int(GeoCorner::SouthEast)];
    EXPECT_EQ(southEast.longitude, written.grid[kGeoGridPoints - 1].longitude);
    EXPECT_EQ(southEast.latitude, written.grid[kGeoGridPoints - 1].latitude);
}

TEST(GeoReference, OneMebibyteIsReadAndOneByteMoreIsRefusedUnread)
{
    std::string text = document();
    text.resize(kGeoReferenceMostBytes, ' ');
    EXPECT_EQ(parse(text).status, GeoReferenceStatus::Read);
    text += ' ';
    const char* reason = "it is 1048577 bytes, more than the 1 MiB a reference may take";
    EXPECT_EQ(parse(text).report.text, reason);
    const std::string file = testing::TempDir() + "large.geo.json";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    EXPECT_EQ(readGeoReference(file.c_str()).report.text, reason);
    EXPECT_EQ(readGeoReference((file + ".none").c_str()).status, GeoReferenceStatus::Missing);
    EXPECT_EQ(readGeoReference(testing::TempDir().c_str()).report.text, "it is not a file");
}

} // namespace
