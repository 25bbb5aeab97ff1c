// The readout of where you stand against GDAL's own answer: for a model in a
// projected system and one in degrees, gdallocationinfo finds the place that
// the viewer reads from the generator's landscape.geo.json for a world point
// in a sample of the model within one grid step of that point; and the tree
// line the viewer reads from it.
#include "geodata_files.h"

#include "place_import.h"

#include "assets/geo_reference.h"
#include "view/geo_place.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace landscape_test {
namespace {

// gdallocationinfo's samples (column, row) of the model at the places, all
// asked in one run; fewer when it finds some off the model.
std::vector<std::array<int, 2>> samplesAt(const fs::path& model, const std::vector<LonLat>& places)
{
    std::string command = "printf -- '";
    for (const LonLat& at : places)
        command += std::to_string(at.longitude) + " " + std::to_string(at.latitude) + "\\n";
    command += "' | " + std::string(GDALLOCATIONINFO) + " -wgs84 '" + model.string() + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::vector<std::array<int, 2>> samples;
    char line[256];
    std::array<int, 2> sample{};
    while (pipe && std::fgets(line, sizeof line, pipe))
        if (std::sscanf(line, " Location: (%dP,%dL)", &sample[0], &sample[1]) == 2)
            samples.push_back(sample);
    return pipe && pclose(pipe) == 0 ? samples : std::vector<std::array<int, 2>>{};
}

TEST(ReadoutLocation, GdallocationinfoFindsTheReadoutsPlaceWithinOneGridStep)
{
    const fs::path folder = scratch("readout");
    const struct {
        const char* file;
        bool degrees;
        std::array<double, 6> transform;
    } models[] = {
        // UTM zone 32, 2.5 to 3.5 degrees east of its central meridian: its
        // grid is turned about 2 degrees against the meridians.
        {"utm.tif", false, {680000.0, 100.0, 0, 5250000.0, 0, -100.0}},
        {"degrees.tif", true, {-122.5, 0.001, 0, 37.9, 0, -0.001}},
    };
    for (const auto& m : models) {
        SCOPED_TRACE(m.file);
        // 1024 samples a side: sample i is the ground's cell i, around world point i.
        writeRaster(folder / m.file, {1024, 1024, GDT_Float32, m.transform, m.degrees},
                    [](int x, int y) { return x + 2.0 * y; });
        landscape::ImportOptions options;
        options.heightMap = folder / m.file;
        const std::string text = landscape::importPlace(options, landscape::kDefaultSeed).terrain.geoReference;
        const GeoReferenceRead read = parseGeoReference(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        ASSERT_EQ(read.status, GeoReferenceStatus::Read) << read.report.text;
        if (m.degrees) { // 37.8995 N at z = 0 and 36.8755 N at z = 1024: the snow line less 800 m
            EXPECT_NEAR(read.reference.treeLineNorth, 4500 * (80 - 37.8995) / 55 - 800, 0.1);
            EXPECT_NEAR(read.reference.treeLineSouth, 4500 * (80 - 36.8755) / 55 - 800, 0.1);
        }

        const std::array<double, 2> points[] = {{100.5, 200.25}, {512, 700}, {990, 31.75}};
        std::vector<LonLat> places;
        for (const auto& [x, z] : points)
            places.push_back(lonLatAt(read.reference, x, z));
        const std::vector<std::array<int, 2>> samples = samplesAt(folder / m.file, places);
        ASSERT_EQ(samples.size(), 3u) << "gdallocationinfo finds the places off the model";
        // Within one grid step of the sample's cell, which reaches half a step
        // either side of world point (column, row).
        for (size_t i = 0; i < 3; ++i)
            for (int axis : {0, 1})
                EXPECT_LE(std::abs(points[i][axis] - samples[i][axis]), 1.5) << "point " << i << ", axis " << axis;
    }
}

} // namespace
} // namespace landscape_test
